#include "tests/support/FontBuilder.h"

#include <fstream>
#include <stdexcept>

namespace QuillmarkTest {

Bytes BuildFont(const std::vector<CTable>& tables, std::uint32_t sfntVersion, std::size_t padTo) {
    CByteWriter w;
    w.U32(sfntVersion)                                   // sfntVersion
        .U16(static_cast<std::uint16_t>(tables.size()))  // numTables
        .U16(0)                                          // searchRange (unused)
        .U16(0)                                          // entrySelector (unused)
        .U16(0);                                         // rangeShift (unused)
    std::uint32_t offset = static_cast<std::uint32_t>(12 + 16 * tables.size());
    for (const auto& table : tables) {
        w.Tag(table.tag)                                           // tag
            .U32(0)                                                // checkSum (never verified)
            .U32(offset)                                           // offset from file start
            .U32(static_cast<std::uint32_t>(table.bytes.size()));  // length
        offset += static_cast<std::uint32_t>(table.bytes.size());
    }
    for (const auto& table : tables) {
        w.Append(table.bytes);
    }
    if (w.Size() < padTo) {
        w.Zeros(padTo - w.Size());
    }
    return w.Take();
}

Bytes NameTable(const std::vector<CNameEntry>& entries) {
    std::vector<Bytes> strings;
    for (const auto& e : entries) {
        if (e.useRaw) {
            strings.push_back(e.raw);
            continue;
        }
        CByteWriter s;
        for (char16_t c : e.text) s.U16(c);
        strings.push_back(s.Take());
    }
    CByteWriter w;
    w.U16(0)                                                        // format
        .U16(static_cast<std::uint16_t>(entries.size()))            // count
        .U16(static_cast<std::uint16_t>(6 + 12 * entries.size()));  // stringOffset
    std::uint16_t at = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        w.U16(e.platformID)
            .U16(e.encodingID)
            .U16(e.languageID)
            .U16(e.nameID)
            .U16(static_cast<std::uint16_t>(strings[i].size()))  // length in bytes
            .U16(at);                                            // offset into storage
        at = static_cast<std::uint16_t>(at + strings[i].size());
    }
    for (const auto& s : strings) w.Append(s);
    return w.Take();
}

Bytes OverlappingNameTable(std::uint16_t count, std::uint16_t length) {
    CByteWriter w;
    w.U16(0)         // format
        .U16(count)  // count
        .U16(6);     // stringOffset: the storage begins at the first record
    for (std::uint32_t i = 0; i < count; ++i) {
        w.U16(3)                                      // platformID: Windows
            .U16(1)                                   // encodingID: Unicode BMP
            .U16(0x0409)                              // languageID: English (United States)
            .U16(4)                                   // nameID: full name
            .U16(length)                              // length in bytes
            .U16(static_cast<std::uint16_t>(4 * i));  // offset into storage
    }
    w.Zeros(length);  // the texts that run past the records read zeros
    return w.Take();
}

Bytes Format4(const std::vector<CSegment>& segments) {
    const auto segCount = static_cast<std::uint16_t>(segments.size());
    CByteWriter w;
    w.U16(4)                                                 // format
        .U16(static_cast<std::uint16_t>(16 + 8 * segCount))  // length
        .U16(0)                                              // language
        .U16(static_cast<std::uint16_t>(2 * segCount))       // segCountX2
        .U16(0)
        .U16(0)
        .U16(0);                                    // searchRange, entrySelector, rangeShift
    for (const auto& s : segments) w.U16(s.end);    // endCode[]
    w.U16(0);                                       // reservedPad
    for (const auto& s : segments) w.U16(s.start);  // startCode[]
    for (std::size_t i = 0; i < segments.size(); ++i) w.U16(1);  // idDelta[]
    for (std::size_t i = 0; i < segments.size(); ++i) w.U16(0);  // idRangeOffset[]
    return w.Take();
}

Bytes Format12(std::uint32_t start, std::uint32_t end) {
    CByteWriter w;
    w.U16(12)
        .U16(0)   // format, reserved
        .U32(28)  // length
        .U32(0)   // language
        .U32(1)   // numGroups
        .U32(start)
        .U32(end)
        .U32(1);  // startCharCode, endCharCode, startGlyphID
    return w.Take();
}

Bytes Format0() {
    CByteWriter w;
    w.U16(0).U16(262).U16(0);  // format, length, language
    w.Zeros(256);              // glyphIdArray
    return w.Take();
}

Bytes CmapTable(const std::vector<CEncoding>& encodings) {
    CByteWriter w;
    w.U16(0)                                                 // version
        .U16(static_cast<std::uint16_t>(encodings.size()));  // numTables
    std::uint32_t offset = static_cast<std::uint32_t>(4 + 8 * encodings.size());
    for (const auto& e : encodings) {
        w.U16(e.platformID).U16(e.encodingID).U32(offset);  // platform, encoding, subtable offset
        offset += static_cast<std::uint32_t>(e.subtable.size());
    }
    for (const auto& e : encodings) w.Append(e.subtable);
    return w.Take();
}

Bytes OS2Table(std::uint16_t version, std::initializer_list<std::uint8_t> panose) {
    CByteWriter w;
    w.U16(version);                 // version
    w.Zeros(30);                    // xAvgCharWidth .. sFamilyClass
    for (auto p : panose) w.U8(p);  // panose[10]
    w.Zeros(10 - panose.size());
    w.Zeros(16).Tag("TEST");  // ulUnicodeRange1..4, achVendID
    w.Zeros(16);              // fsSelection .. usWinDescent (to 78 bytes)
    if (version >= 1)
        w.U32(0x11).U32(0x22);  // ulCodePageRange1..2 (to 86)
    if (version >= 2)
        w.Zeros(10);  // sxHeight .. usMaxContext (to 96)
    return w.Take();
}

std::string WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

Bytes WithEveryTableLength(Bytes font, std::uint32_t length) {
    if (font.size() < 12) {
        return font;
    }
    const std::size_t tables = std::size_t{font[4]} << 8 | font[5];
    for (std::size_t i = 0; i < tables && 12 + 16 * i + 16 <= font.size(); ++i) {
        const std::size_t at = 12 + 16 * i + 12;
        for (int b = 0; b < 4; ++b) {
            font[at + static_cast<std::size_t>(b)] = std::uint8_t(length >> (24 - 8 * b));
        }
    }
    return font;
}

}  // namespace QuillmarkTest
