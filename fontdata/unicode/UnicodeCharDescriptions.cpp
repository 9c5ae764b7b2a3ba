#include "fontdata/unicode/UnicodeCharDescriptions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
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

constexpr std::uint32_t kFirstSupplementary = 0x10000;
constexpr std::uint32_t kLastCode = 0x10FFFF;

// Reads one unit, or two as a 32-bit number (low unit first), moving `at`;
// false at the end of the buffer.
bool Take(const std::vector<char16_t>& buffer, std::size_t& at, std::uint32_t& value,
          std::size_t units) {
    if (buffer.size() - at < units) {
        return false;
    }
    value = buffer[at];
    if (units == 2) {
        value |= std::uint32_t{buffer[at + 1]} << 16;
    }
    at += units;
    return true;
}

// A name of `length` units at `at` that ends in a zero; moves past it.
bool TakeName(const std::vector<char16_t>& buffer, std::size_t& at, std::size_t length) {
    if (length == 0 || buffer.size() - at < length || buffer[at + length - 1] != 0) {
        return false;
    }
    at += length;
    return true;
}

// Builds the map over `buffer`; false when a record runs past the end or a
// name does not end in a zero. Every field is one or more 16-bit units, so
// the file is walked in units and nothing is read past its end. After the
// Basic Multilingual Plane's records, the other planes' section, when the
// file has one: a 32-bit count of records of a 32-bit code, a length and
// the name; then a count of ranges of a 32-bit first and last code, a
// length and the prefix of their names.
template <typename Range>
bool Index(const std::vector<char16_t>& buffer, std::map<std::uint32_t, const char16_t*>& map,
           std::vector<Range>& ranges) {
    if (buffer.empty()) {
        return false;
    }
    const std::size_t count = buffer[0];
    std::size_t at = 1;
    std::uint32_t code = 0;
    std::uint32_t length = 0;
    for (std::size_t record = 0; record < count; ++record) {
        if (!Take(buffer, at, code, 1) || !Take(buffer, at, length, 1)) {
            return false;
        }
        const char16_t* name = buffer.data() + at;
        if (!TakeName(buffer, at, length)) {
            return false;
        }
        map.emplace(code, name);
    }
    if (at == buffer.size()) {
        return true;  // a table of the Basic Multilingual Plane alone
    }
    std::uint32_t records = 0;
    if (!Take(buffer, at, records, 2)) {
        return false;
    }
    for (std::uint32_t record = 0; record < records; ++record) {
        if (!Take(buffer, at, code, 2) || code < kFirstSupplementary || code > kLastCode ||
            !Take(buffer, at, length, 1)) {
            return false;
        }
        const char16_t* name = buffer.data() + at;
        if (!TakeName(buffer, at, length)) {
            return false;
        }
        map.emplace(code, name);
    }
    std::uint32_t rangeCount = 0;
    if (!Take(buffer, at, rangeCount, 1)) {
        return false;
    }
    for (std::uint32_t i = 0; i < rangeCount; ++i) {
        Range range;
        if (!Take(buffer, at, range.first, 2) || !Take(buffer, at, range.last, 2) ||
            range.first < kFirstSupplementary || range.first > range.last ||
            range.last > kLastCode || (!ranges.empty() && range.first <= ranges.back().last) ||
            !Take(buffer, at, length, 1)) {
            return false;
        }
        const char16_t* prefix = buffer.data() + at;
        if (!TakeName(buffer, at, length)) {
            return false;
        }
        range.prefix = std::u16string_view(prefix);  // up to its first zero, as a name is
        ranges.push_back(range);
    }
    return at == buffer.size();
}

}  // namespace

CUnicodeCharDescriptions::CUnicodeCharDescriptions(const std::filesystem::path& file) {
    auto impl = std::make_shared<Impl>();
    if (!ReadUnits(file, impl->buffer) || !Index(impl->buffer, impl->map, impl->ranges)) {
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

const char16_t* CUnicodeCharDescriptions::Lookup(std::uint32_t code) const {
    if (const auto it = m_impl->map.find(code); it != m_impl->map.end()) {
        return it->second;
    }
    const auto& ranges = m_impl->ranges;
    const auto range =
        std::upper_bound(ranges.begin(), ranges.end(), code,
                         [](std::uint32_t c, const Range& r) { return c < r.first; });
    if (range == ranges.begin() || code > std::prev(range)->last) {
        return nullptr;
    }
    std::lock_guard lock(m_impl->mutex);
    auto& name = m_impl->spelled[code];
    if (name.empty()) {
        char hex[12];
        std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(code));
        name = std::prev(range)->prefix;
        name.append(hex, hex + std::strlen(hex));
    }
    return name.c_str();
}

std::size_t CUnicodeCharDescriptions::RangeCount() const {
    std::size_t count = 0;
    for (const Range& range : m_impl->ranges) {
        count += range.last - range.first + 1;
    }
    return count;
}

std::u16string_view CUnicodeCharDescriptions::Name(std::uint32_t code) const {
    const char16_t* name = Lookup(code);
    return name == nullptr ? std::u16string_view() : std::u16string_view(name);
}

std::size_t CUnicodeCharDescriptions::Count() const {
    return m_impl->map.size();
}

}  // namespace Quillmark
