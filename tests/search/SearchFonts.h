#pragma once

// Fonts for the search tests, built field by field: a full name, PANOSE
// bytes and the characters of one Windows format 4 map.

#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/FontBuilder.h"

namespace QuillmarkTest {

struct CSearchFont {
    std::u16string fullName = u"Test Regular";
    std::vector<std::uint8_t> panose = {2, 11, 5, 3, 0, 0, 0, 0, 0, 0};
    std::vector<CSegment> characters = {{0x20, 0x7E}};  // the terminator is added
};

inline Bytes SearchFontBytes(const CSearchFont& font) {
    std::vector<CSegment> segments = font.characters;
    segments.push_back({0xFFFF, 0xFFFF});
    Bytes os2 = OS2Table(1, {});
    for (std::size_t i = 0; i < 10 && i < font.panose.size(); ++i) {
        os2[32 + i] = font.panose[i];  // after version (2) and 30 bytes of metrics
    }
    return BuildFont({{"name", NameTable({CNameEntry{3, 1, 0x0409, 4, font.fullName}})},
                      {"cmap", CmapTable({{3, 1, Format4(segments)}})},
                      {"OS/2", os2}});
}

inline std::filesystem::path WriteSearchFont(const std::filesystem::path& path,
                                             const CSearchFont& font = {}) {
    std::filesystem::create_directories(path.parent_path());
    WriteFile(path.string(), SearchFontBytes(font));
    return path;
}

}  // namespace QuillmarkTest
