#pragma once

// The Unicode name of each character, read from "UnicodeData.bin", which
// the build makes from the Unicode character database
// (data/make_unicode_names.py says its layout): the Basic Multilingual
// Plane's records first, then, in a section that a reader of the first part
// alone never sees, the names of the other planes and their ideograph
// ranges, whose names are the range's prefix and the code. The whole file is
// kept in memory and the names are used in place; a name of a range is
// spelled once, when first asked for, and kept. Standard library only, so
// that quillmark-cli can name characters without Qt.
//
// Copies share the one table; once built it is never changed and may be
// read from any thread.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Quillmark {

class CUnicodeCharDescriptions {
public:
    static constexpr const char* kFileName = "UnicodeData.bin";

    // Reads the file shipped with the program (platform/Paths.h says where
    // it is looked for). Throws CFileNotFoundException with the path in the
    // program's folder when no file is found, and with the path of the
    // file found when it is truncated or corrupt.
    CUnicodeCharDescriptions();
    // Reads this file; the same failures.
    explicit CUnicodeCharDescriptions(const std::filesystem::path& file);

    // The name of `code`, zero-terminated, as long as the table lives;
    // null when it has no record and lies in no range.
    const char16_t* Lookup(std::uint32_t code) const;
    // The same as a view; empty when it has no name.
    std::u16string_view Name(std::uint32_t code) const;
    // The records, of every plane (a range counts as none).
    std::size_t Count() const;
    // The characters the ranges name.
    std::size_t RangeCount() const;

private:
    struct Range {
        std::uint32_t first = 0;
        std::uint32_t last = 0;
        std::u16string_view prefix;  // "CJK UNIFIED IDEOGRAPH-", in the buffer
    };
    struct Impl {
        std::vector<char16_t> buffer;  // the whole file, in 16-bit units
        std::map<std::uint32_t, const char16_t*> map;
        std::vector<Range> ranges;  // sorted, apart
        // The names of ranges spelled so far; never shrinks, so that a
        // name handed out stays where it is.
        mutable std::mutex mutex;
        mutable std::map<std::uint32_t, std::u16string> spelled;
    };
    std::shared_ptr<const Impl> m_impl;
};

}  // namespace Quillmark
