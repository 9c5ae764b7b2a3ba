// Loads the bytes as the Unicode name table (UnicodeData.bin) from a file, as
// the font map and quillmark-cli chars do, and checks every name the table
// gives against a second reading of the layout written here: a u16 count,
// then records of a code, a length in units and that many units of which
// the last is zero. A code named twice keeps its first name. After them,
// when the file goes on: a 32-bit count (low unit first) of records of a
// 32-bit code past U+FFFF, and a u16 count of ranges (32-bit first and last,
// sorted and apart, within U+10000..U+10FFFF) with a prefix each; nothing
// may follow.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fontdata/unicode/UnicodeCharDescriptions.h"
#include "platform/QuillmarkException.h"

using namespace Quillmark;

namespace {

std::uint16_t UnitAt(const std::uint8_t* data, std::size_t unit) {
    return static_cast<std::uint16_t>(data[2 * unit] | (data[2 * unit + 1] << 8));
}

struct Expected {
    std::map<std::uint32_t, std::u16string> names;
    struct Range {
        std::uint32_t first, last;
        std::u16string prefix;
    };
    std::vector<Range> ranges;
};

// The names the bytes hold; nothing when they are not a table.
std::optional<Expected> Names(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size % 2 != 0) {
        return std::nullopt;
    }
    const std::size_t units = size / 2;
    Expected expected;
    std::size_t at = 1;
    const auto text = [&](std::size_t length, std::u16string& out) {
        if (length == 0 || at + length > units || UnitAt(data, at + length - 1) != 0) {
            return false;
        }
        for (std::size_t i = at; UnitAt(data, i) != 0; ++i) {
            out += static_cast<char16_t>(UnitAt(data, i));
        }
        at += length;
        return true;
    };
    const auto u32 = [&](std::uint32_t& value) {
        if (at + 2 > units) {
            return false;
        }
        value = UnitAt(data, at) | (std::uint32_t{UnitAt(data, at + 1)} << 16);
        at += 2;
        return true;
    };
    for (std::size_t record = UnitAt(data, 0); record > 0; --record) {
        if (at + 2 > units) {
            return std::nullopt;
        }
        const std::uint16_t code = UnitAt(data, at);
        const std::size_t length = UnitAt(data, at + 1);
        at += 2;
        std::u16string name;
        if (!text(length, name)) {
            return std::nullopt;
        }
        expected.names.emplace(code, std::move(name));
    }
    if (at == units) {
        return expected;
    }
    std::uint32_t records = 0;
    if (!u32(records)) {
        return std::nullopt;
    }
    for (; records > 0; --records) {
        std::uint32_t code = 0;
        if (!u32(code) || code < 0x10000 || code > 0x10FFFF || at + 1 > units) {
            return std::nullopt;
        }
        const std::size_t length = UnitAt(data, at++);
        std::u16string name;
        if (!text(length, name)) {
            return std::nullopt;
        }
        expected.names.emplace(code, std::move(name));
    }
    if (at + 1 > units) {
        return std::nullopt;
    }
    for (std::size_t ranges = UnitAt(data, at++); ranges > 0; --ranges) {
        Expected::Range range{};
        if (!u32(range.first) || !u32(range.last) || range.first < 0x10000 ||
            range.first > range.last || range.last > 0x10FFFF ||
            (!expected.ranges.empty() && range.first <= expected.ranges.back().last) ||
            at + 1 > units) {
            return std::nullopt;
        }
        const std::size_t length = UnitAt(data, at++);
        std::u16string prefix;
        if (!text(length, prefix)) {
            return std::nullopt;
        }
        range.prefix = std::move(prefix);  // up to its first zero, as a name is
        expected.ranges.push_back(std::move(range));
    }
    if (at != units) {
        return std::nullopt;
    }
    return expected;
}

std::u16string Hex(std::uint32_t code) {
    char text[12];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(code));
    return std::u16string(text, text + std::strlen(text));
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
        if (!expected || table.Count() != expected->names.size()) {
            std::abort();
        }
        for (const auto& [code, name] : expected->names) {
            if (table.Name(code) != name || table.Lookup(code) == nullptr) {
                std::abort();
            }
        }
        const auto inRange = [&](std::uint32_t code) {
            for (const auto& range : expected->ranges) {
                if (code >= range.first && code <= range.last) {
                    return &range;
                }
            }
            return static_cast<const Expected::Range*>(nullptr);
        };
        // A range's ends and the codes beside them, when no record names them.
        for (const auto& range : expected->ranges) {
            for (const std::uint32_t code :
                 {range.first - 1, range.first, range.last, range.last + 1}) {
                if (expected->names.count(code) != 0) {
                    continue;
                }
                const auto* holder = inRange(code);
                const std::u16string name = holder ? holder->prefix + Hex(code) : u"";
                if (table.Name(code) != name ||
                    (table.Lookup(code) != nullptr) != (holder != nullptr)) {
                    std::abort();
                }
            }
        }
        // Codes without a record or a range have no name: every unit and
        // pair of units of the input is asked for, and a few codes besides.
        std::vector<std::uint32_t> codes = {0x0000, 0x0041, 0xFFFF, 0x10000, 0x10FFFF, 0x110000};
        for (std::size_t i = 0; i < size / 2; ++i) {
            codes.push_back(UnitAt(data, i));
            if (i + 1 < size / 2) {
                codes.push_back(UnitAt(data, i) | (std::uint32_t{UnitAt(data, i + 1)} << 16));
            }
        }
        for (const std::uint32_t code : codes) {
            if (expected->names.count(code) == 0 && inRange(code) == nullptr &&
                (table.Lookup(code) != nullptr || !table.Name(code).empty())) {
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
