#pragma once

// The Unicode name of each character of the Basic Multilingual Plane, read
// from "UnicodeData.bin", which the build makes from the Unicode character
// database (data/make_unicode_names.py says its layout). The whole file is
// kept in memory and the names are used in place. Standard library only, so
// that quillmark-cli can name characters without Qt.
//
// Copies share the one table; once built it is never changed and may be
// read from any thread.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
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

    // The name of `code`, zero-terminated; null when it has no record.
    const char16_t* Lookup(std::uint16_t code) const;
    // The same as a view; empty when it has no record.
    std::u16string_view Name(std::uint16_t code) const;
    std::size_t Count() const;

private:
    struct Impl {
        std::vector<char16_t> buffer;  // the whole file, in 16-bit units
        std::map<std::uint16_t, const char16_t*> map;
    };
    std::shared_ptr<const Impl> m_impl;
};

}  // namespace Quillmark
