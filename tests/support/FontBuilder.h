#pragma once

// Builds font files byte by byte for tests, so that every field a test
// depends on is written where the test can see it.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace QuillmarkTest {

using Bytes = std::vector<std::uint8_t>;

class CByteWriter {
public:
    CByteWriter& U8(std::uint8_t v) {
        m_bytes.push_back(v);
        return *this;
    }
    CByteWriter& U16(std::uint16_t v) { return U8(std::uint8_t(v >> 8)).U8(std::uint8_t(v)); }
    CByteWriter& U32(std::uint32_t v) { return U16(std::uint16_t(v >> 16)).U16(std::uint16_t(v)); }
    CByteWriter& Tag(std::string_view tag) {
        for (char c : tag) U8(std::uint8_t(c));
        return *this;
    }
    CByteWriter& Append(const Bytes& more) {
        m_bytes.insert(m_bytes.end(), more.begin(), more.end());
        return *this;
    }
    CByteWriter& Zeros(std::size_t n) {
        m_bytes.resize(m_bytes.size() + n);
        return *this;
    }
    std::size_t Size() const { return m_bytes.size(); }
    Bytes Take() { return std::move(m_bytes); }

private:
    Bytes m_bytes;
};

struct CTable {
    std::string tag;  // four characters
    Bytes bytes;
};

// Offset table, one directory record per table (offsets computed, tables
// laid out after the directory in the given order), the tables, then zeros
// up to `padTo` bytes.
Bytes BuildFont(const std::vector<CTable>& tables, std::uint32_t sfntVersion = 0x00010000,
                std::size_t padTo = 0);

struct CNameEntry {
    std::uint16_t platformID = 3;
    std::uint16_t encodingID = 1;
    std::uint16_t languageID = 0x0409;
    std::uint16_t nameID = 4;
    std::u16string text;  // written as UTF-16BE unless `raw` is set
    Bytes raw;
    bool useRaw = false;
};
// A format 0 naming table: header, records, then the strings in order.
Bytes NameTable(const std::vector<CNameEntry>& entries);

// A format 0 naming table of `count` Windows English (United States) full
// names whose texts overlap: record i reads `length` bytes at string offset
// 4 × i. The string storage begins right after the header, so the texts are
// the records' own bytes and the `length` zeros after the records. With
// 16,000 records of 65,534 bytes it makes a font of 257 KB whose texts add
// up to 1 GB.
Bytes OverlappingNameTable(std::uint16_t count, std::uint16_t length);

struct CSegment {
    std::uint16_t start;
    std::uint16_t end;
};
// A format 4 subtable with these segments exactly as given (add the
// 0xFFFF terminator yourself).
Bytes Format4(const std::vector<CSegment>& segments);
// A format 12 subtable with one group.
Bytes Format12(std::uint32_t start, std::uint32_t end);
// A format 0 subtable (256 glyph ids).
Bytes Format0();

struct CEncoding {
    std::uint16_t platformID;
    std::uint16_t encodingID;
    Bytes subtable;
};
// The font with the length of every table of its directory set to
// `length` (offsets and tables as they were): the reader reads such a font,
// while the renderer refuses it.
Bytes WithEveryTableLength(Bytes font, std::uint32_t length);

// A cmap table with one encoding record per entry, subtables after the records.
Bytes CmapTable(const std::vector<CEncoding>& encodings);

// An OS/2 table of the given version (78, 86 or 96 bytes as the version
// defines) with these PANOSE bytes.
Bytes OS2Table(std::uint16_t version, std::initializer_list<std::uint8_t> panose);

// Writes bytes to a file; returns its path.
std::string WriteFile(const std::string& path, const Bytes& bytes);

// A version 1 collection ('ttcf') of the fonts: each copied whole on a
// 4-byte boundary after the header, its directory's offsets moved by where
// it now starts.
Bytes Collection(const std::vector<Bytes>& fonts);

// A WOFF 1.0 file of the font: each table compressed with zlib where that
// is smaller. `grow` makes the first compressed table inflate to one byte
// more than the directory says it holds.
Bytes Woff(const Bytes& font, bool grow = false);

}  // namespace QuillmarkTest
