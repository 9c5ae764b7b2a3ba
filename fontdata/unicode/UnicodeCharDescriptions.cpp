#include "fontdata/unicode/UnicodeCharDescriptions.h"

#include <fstream>
#include <iterator>

#include "platform/Paths.h"
#include "platform/QuillmarkException.h"

namespace Quillmark {

namespace {

// The file in 16-bit units, little-endian; nothing when it cannot be read or
// its size is odd (then it cannot be a table).
bool ReadUnits(const std::filesystem::path& file, std::vector<char16_t>& units) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return false;
    }
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    if (in.bad() || bytes.size() % 2 != 0) {
        return false;
    }
    units.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return true;
}

// Builds the map over `buffer`; false when a record runs past the end or a
// name does not end in a zero. Every field is one or more 16-bit units, so
// the file is walked in units and nothing is read past its end.
bool Index(const std::vector<char16_t>& buffer, std::map<std::uint16_t, const char16_t*>& map) {
    if (buffer.empty()) {
        return false;
    }
    const std::size_t count = buffer[0];
    std::size_t at = 1;
    for (std::size_t record = 0; record < count; ++record) {
        if (buffer.size() - at < 2) {
            return false;
        }
        const auto code = static_cast<std::uint16_t>(buffer[at]);
        const std::size_t length = buffer[at + 1];
        at += 2;
        if (length == 0 || buffer.size() - at < length || buffer[at + length - 1] != 0) {
            return false;
        }
        map.emplace(code, buffer.data() + at);
        at += length;
    }
    return true;
}

}  // namespace

CUnicodeCharDescriptions::CUnicodeCharDescriptions(const std::filesystem::path& file) {
    auto impl = std::make_shared<Impl>();
    if (!ReadUnits(file, impl->buffer) || !Index(impl->buffer, impl->map)) {
        throw CFileNotFoundException(file.string());
    }
    m_impl = std::move(impl);
}

CUnicodeCharDescriptions::CUnicodeCharDescriptions()
    : CUnicodeCharDescriptions([] {
          const auto candidates = Platform::ProgramDataCandidates(kFileName);
          for (const auto& candidate : candidates) {
              std::error_code error;
              if (std::filesystem::is_regular_file(candidate, error)) {
                  return candidate;
              }
          }
          throw CFileNotFoundException(candidates.empty() ? std::string(kFileName)
                                                          : candidates.front().string());
      }()) {}

const char16_t* CUnicodeCharDescriptions::Lookup(std::uint16_t code) const {
    const auto it = m_impl->map.find(code);
    return it == m_impl->map.end() ? nullptr : it->second;
}

std::u16string_view CUnicodeCharDescriptions::Name(std::uint16_t code) const {
    const char16_t* name = Lookup(code);
    return name == nullptr ? std::u16string_view() : std::u16string_view(name);
}

std::size_t CUnicodeCharDescriptions::Count() const {
    return m_impl->map.size();
}

}  // namespace Quillmark
