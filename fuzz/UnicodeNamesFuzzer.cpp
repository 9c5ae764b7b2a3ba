// Loads the bytes as the Unicode name table (UnicodeData.bin) from a file, as
// the font map and quillmark-cli chars do, and checks every name the table
// gives against a second reading of the layout written here: a u16 count,
// then records of a code, a length in units and that many units of which
// the last is zero. A code named twice keeps its first name.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "fontdata/unicode/UnicodeCharDescriptions.h"
#include "platform/QuillmarkException.h"

using namespace Quillmark;

namespace {

std::uint16_t UnitAt(const std::uint8_t* data, std::size_t unit) {
    return static_cast<std::uint16_t>(data[2 * unit] | (data[2 * unit + 1] << 8));
}

// The names the bytes hold; nothing when they are not a table.
std::optional<std::map<std::uint16_t, std::u16string>> Names(const std::uint8_t* data,
                                                             std::size_t size) {
    if (size == 0 || size % 2 != 0) {
        return std::nullopt;
    }
    const std::size_t units = size / 2;
    std::map<std::uint16_t, std::u16string> names;
    std::size_t at = 1;
    for (std::size_t record = UnitAt(data, 0); record > 0; --record) {
        if (at + 2 > units) {
            return std::nullopt;
        }
        const std::uint16_t code = UnitAt(data, at);
        const std::size_t length = UnitAt(data, at + 1);
        at += 2;
        if (length == 0 || at + length > units || UnitAt(data, at + length - 1) != 0) {
            return std::nullopt;
        }
        std::u16string name;
        for (std::size_t i = at; UnitAt(data, i) != 0; ++i) {
            name += static_cast<char16_t>(UnitAt(data, i));
        }
        names.emplace(code, std::move(name));
        at += length;
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("UnicodeData.bin", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const auto expected = Names(data, size);
    try {
        const CUnicodeCharDescriptions table{std::filesystem::path(path)};
        if (!expected || table.Count() != expected->size()) {
            std::abort();
        }
        for (const auto& [code, name] : *expected) {
            if (table.Name(code) != name || table.Lookup(code) == nullptr) {
                std::abort();
            }
        }
        // Codes without a record have no name: every unit of the input is
        // asked for, and a few codes besides.
        for (std::size_t i = 0; i < size / 2; ++i) {
            const std::uint16_t code = UnitAt(data, i);
            if (expected->count(code) == 0 &&
                (table.Lookup(code) != nullptr || !table.Name(code).empty())) {
                std::abort();
            }
        }
        for (const std::uint16_t code :
             {std::uint16_t{0x0000}, std::uint16_t{0x0041}, std::uint16_t{0xFFFF}}) {
            if (expected->count(code) == 0 && table.Lookup(code) != nullptr) {
                std::abort();
            }
        }
    } catch (const CFileNotFoundException& refused) {
        if (expected || refused.GetPath() != path) {
            std::abort();
        }
    }
    return 0;
}
