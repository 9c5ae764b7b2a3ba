#include "tests/support/FontBuilder.h"

#include <zlib.h>

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

namespace {
std::uint32_t U32At(const Bytes& bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    }
}

std::uint16_t NumTables(const Bytes& font) {
    return static_cast<std::uint16_t>((font[4] << 8) | font[5]);
}
}  // namespace

Bytes Collection(const std::vector<Bytes>& fonts) {
    CByteWriter w;
    w.Tag("ttcf").U16(1).U16(0).U32(static_cast<std::uint32_t>(fonts.size()));
    std::size_t at = 12 + 4 * fonts.size();
    std::vector<std::size_t> starts;
    for (const Bytes& font : fonts) {
        at = (at + 3) & ~std::size_t{3};
        starts.push_back(at);
        w.U32(static_cast<std::uint32_t>(at));
        at += font.size();
    }
    Bytes out = w.Take();
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out.resize(starts[i], 0);
        Bytes font = fonts[i];
        for (std::size_t t = 0; t < NumTables(font); ++t) {
            const std::size_t record = 12 + 16 * t;
            PutU32(font, record + 8,
                   U32At(font, record + 8) + static_cast<std::uint32_t>(starts[i]));
        }
        out.insert(out.end(), font.begin(), font.end());
    }
    return out;
}

Bytes Woff(const Bytes& font, bool grow) {
    const std::uint16_t count = NumTables(font);
    struct Table {
        std::uint32_t tag, checkSum, origLength;
        Bytes stored;
    };
    std::vector<Table> tables;
    bool grown = false;
    for (std::size_t t = 0; t < count; ++t) {
        const std::size_t record = 12 + 16 * t;
        Table table{U32At(font, record), U32At(font, record + 4), U32At(font, record + 12), {}};
        const std::size_t offset = U32At(font, record + 8);
        Bytes original(font.begin() + offset, font.begin() + offset + table.origLength);
        if (grow && !grown && original.size() > 64) {
            original.push_back(0);
        }
        uLongf length = compressBound(original.size());
        Bytes compressed(length);
        compress2(compressed.data(), &length, original.data(), original.size(), 9);
        compressed.resize(length);
        if (compressed.size() < table.origLength) {
            table.stored = std::move(compressed);
            grown = grown || grow;
        } else {
            table.stored.assign(font.begin() + offset, font.begin() + offset + table.origLength);
        }
        tables.push_back(std::move(table));
    }
    std::size_t at = 44 + 20 * tables.size();
    std::vector<std::size_t> offsets;
    for (const Table& table : tables) {
        offsets.push_back(at);
        at = (at + table.stored.size() + 3) & ~std::size_t{3};
    }
    CByteWriter w;
    w.Tag("wOFF").U32(U32At(font, 0)).U32(static_cast<std::uint32_t>(at)).U16(count).U16(0);
    w.U32(static_cast<std::uint32_t>(font.size())).U16(1).U16(0);
    w.U32(0).U32(0).U32(0).U32(0).U32(0);
    for (std::size_t i = 0; i < tables.size(); ++i) {
        w.U32(tables[i].tag).U32(static_cast<std::uint32_t>(offsets[i]));
        w.U32(static_cast<std::uint32_t>(tables[i].stored.size()));
        w.U32(tables[i].origLength).U32(tables[i].checkSum);
    }
    for (std::size_t i = 0; i < tables.size(); ++i) {
        w.Zeros(offsets[i] - w.Size()).Append(tables[i].stored);
    }
    w.Zeros(at - w.Size());
    return w.Take();
}

}  // namespace QuillmarkTest
