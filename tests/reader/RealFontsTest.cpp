// The reader over every font of the machine's font packages, checked against
// HarfBuzz and against a read of the whole file.
//
// Only rules that hold for every font are checked, whatever the font is
// made for (text, symbols, emoji, CJK, bitmaps): nothing here guesses what
// a font has from what it lacks. HarfBuzz finds the tables; the rules say
// what the reader must make of them:
// - a file with TrueType or CFF outlines loads, anything else is corrupt;
// - the names are the `name` table's Windows records, in file order;
// - the character map lists the `cmap` table's Windows format 4 subtables
//   in file order, the font is a symbol font exactly when it has a (3,0)
//   record, and each list holds every character HarfBuzz maps through that
//   subtable alone;
// - the PANOSE bytes are bytes 32 to 41 of the `OS/2` table.

#include <gtest/gtest.h>
#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fontdata/opentype/OpenTypeData.h"

using Varnholt::COpenTypeData;
using Varnholt::FontStatus;

namespace {

// The files with these extensions (lower case, any case in the name) below
// the folders where Debian's packages put fonts.
std::vector<std::filesystem::path> FontsBelowDebiansFolders(
    std::initializer_list<std::string_view> extensions) {
    std::vector<std::filesystem::path> fonts;
    for (const char* root :
         {"/usr/share/fonts", "/usr/share/texmf/fonts", "/usr/share/wine/fonts"}) {
        std::error_code ec;
        std::filesystem::recursive_directory_iterator it(
            root, std::filesystem::directory_options::skip_permission_denied, ec);
        for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            auto ext = it->path().extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
            if (it->is_regular_file() &&
                std::find(extensions.begin(), extensions.end(), ext) != extensions.end()) {
                fonts.push_back(it->path());
            }
        }
    }
    std::sort(fonts.begin(), fonts.end());
    return fonts;
}

// Every *.ttf and *.otf.
std::vector<std::filesystem::path> RealFonts() {
    return FontsBelowDebiansFolders({".ttf", ".otf"});
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Big-endian fields of a table HarfBuzz hands out; 0 past its end.
struct CTableBytes {
    std::span<const std::uint8_t> bytes;
    std::uint32_t U16(std::size_t at) const {
        return at + 2 <= bytes.size() ? (bytes[at] << 8) | bytes[at + 1] : 0;
    }
    std::uint32_t U32(std::size_t at) const { return (U16(at) << 16) | U16(at + 2); }
    bool Has(std::size_t at, std::size_t length) const {
        return at <= bytes.size() && length <= bytes.size() - at;
    }
};

class CHbFace {
public:
    explicit CHbFace(const std::filesystem::path& path, unsigned int index = 0) {
        hb_blob_t* blob = hb_blob_create_from_file(path.c_str());
        m_face = hb_face_create(blob, index);
        hb_blob_destroy(blob);
    }
    ~CHbFace() {
        for (hb_blob_t* blob : m_tables) hb_blob_destroy(blob);
        hb_face_destroy(m_face);
    }
    CHbFace(const CHbFace&) = delete;
    CHbFace& operator=(const CHbFace&) = delete;

    hb_face_t* Face() const { return m_face; }
    CTableBytes Table(hb_tag_t tag) {
        hb_blob_t* blob = hb_face_reference_table(m_face, tag);
        m_tables.push_back(blob);
        unsigned int length = 0;
        const char* data = hb_blob_get_data(blob, &length);
        return {{reinterpret_cast<const std::uint8_t*>(data), length}};
    }

private:
    hb_face_t* m_face;
    std::vector<hb_blob_t*> m_tables;
};

struct CWindowsName {
    std::uint32_t encodingID, languageID, nameID;
    std::u16string text;
    bool operator==(const CWindowsName&) const = default;
};

// The Windows records of a `name` table, in file order, each text read as
// UTF-16BE (an odd final byte dropped).
std::vector<CWindowsName> WindowsNames(const CTableBytes& name) {
    std::vector<CWindowsName> names;
    const std::uint32_t count = name.U16(2);
    const std::uint32_t storage = name.U16(4);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + 12 * i;
        if (name.U16(at) != 3) {
            continue;
        }
        CWindowsName n{name.U16(at + 2), name.U16(at + 4), name.U16(at + 6), {}};
        const std::size_t text = storage + name.U16(at + 10);
        for (std::size_t k = 0; k + 1 < name.U16(at + 8); k += 2) {
            n.text += static_cast<char16_t>(name.U16(text + k));
        }
        names.push_back(n);
    }
    return names;
}

// The reader's Windows records, as WindowsNames gives HarfBuzz's.
std::vector<CWindowsName> ReadersNames(const COpenTypeData& data) {
    std::vector<CWindowsName> names;
    for (const auto& record : data.GetNameRecords()) {
        const auto& r = record.GetRecord();
        names.push_back({r.encodingID, r.languageID, r.nameID, std::u16string(r.text)});
    }
    return names;
}

struct CWindowsMap {
    std::uint32_t encodingID;
    std::uint32_t offset;  // of the subtable, from the start of the cmap table
};

// The (3,*) encoding records of a `cmap` table whose subtable is format 4,
// in file order; `symbol` tells whether any (3,0) record is there.
std::vector<CWindowsMap> WindowsFormat4Maps(const CTableBytes& cmap, bool& symbol) {
    std::vector<CWindowsMap> maps;
    symbol = false;
    const std::uint32_t count = cmap.U16(2);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 4 + 8 * i;
        if (cmap.U16(at) != 3) {
            continue;
        }
        const std::uint32_t encoding = cmap.U16(at + 2);
        const std::uint32_t offset = cmap.U32(at + 4);
        symbol = symbol || encoding == 0;
        if (cmap.Has(offset, 2) && cmap.U16(offset) == 4) {
            maps.push_back({encoding, offset});
        }
    }
    return maps;
}

// The characters HarfBuzz maps through one format 4 subtable on its own: a
// face whose `cmap` holds only that subtable, under a (3,1) record so that
// HarfBuzz reads it as it is, whatever record it came from.
std::set<std::uint32_t> HbCharacters(CHbFace& font, const CTableBytes& cmap, std::uint32_t offset) {
    const std::size_t length =
        std::min<std::size_t>(cmap.U16(offset + 2), cmap.bytes.size() - offset);
    std::string table = {0, 0, 0, 1, 0, 3, 0, 1, 0, 0, 0, 12};  // version, numTables, (3,1) at 12
    table.append(reinterpret_cast<const char*>(cmap.bytes.data()) + offset, length);
    hb_blob_t* blob = hb_blob_create(table.data(), static_cast<unsigned int>(table.size()),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* face = hb_face_builder_create();
    hb_face_builder_add_table(face, HB_TAG('c', 'm', 'a', 'p'), blob);
    hb_blob_t* maxp = hb_face_reference_table(font.Face(), HB_TAG('m', 'a', 'x', 'p'));
    hb_face_builder_add_table(face, HB_TAG('m', 'a', 'x', 'p'), maxp);
    hb_set_t* set = hb_set_create();
    hb_face_collect_unicodes(face, set);
    std::set<std::uint32_t> characters;
    for (hb_codepoint_t c = HB_SET_VALUE_INVALID; hb_set_next(set, &c);) {
        characters.insert(c);
    }
    hb_set_destroy(set);
    hb_face_destroy(face);
    hb_blob_destroy(maxp);
    hb_blob_destroy(blob);
    return characters;
}

// Whether the file begins with the tag of TrueType or CFF outlines.
bool HasOutlinesWeRead(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, 4> tag{};
    in.read(tag.data(), tag.size());
    return in && (tag == std::array<char, 4>{0, 1, 0, 0} ||
                  tag == std::array<char, 4>{'O', 'T', 'T', 'O'});
}

}  // namespace

TEST(RealFontsTest, PackagedFontsReadAsHarfBuzzReadsThem) {
    const auto fonts = RealFonts();
    if (fonts.size() < 50) {
        GTEST_SKIP() << "the font packages are not installed (./test.sh installs them)";
    }
    int symbolFonts = 0;
    int withoutFormat4 = 0;
    for (const auto& path : fonts) {
        SCOPED_TRACE(path.string());
        COpenTypeData data;
        std::uint32_t size = 0;
        const FontStatus status = data.LoadFile(path, size);
        ASSERT_EQ(size, std::filesystem::file_size(path));
        if (!HasOutlinesWeRead(path)) {
            EXPECT_EQ(status, FontStatus::Corrupt) << "a collection or an Apple `true` font";
            continue;
        }
        ASSERT_EQ(status, FontStatus::Loaded);

        CHbFace hb(path);
        EXPECT_EQ(ReadersNames(data), WindowsNames(hb.Table(HB_TAG('n', 'a', 'm', 'e'))));

        const CTableBytes cmap = hb.Table(HB_TAG('c', 'm', 'a', 'p'));
        bool symbol = false;
        const auto maps = WindowsFormat4Maps(cmap, symbol);
        EXPECT_EQ(data.IsSymbolFont(), symbol);
        const auto& subtables = data.GetCharacterMap().subtables;
        ASSERT_EQ(subtables.size(), maps.size());
        for (std::size_t i = 0; i < maps.size(); ++i) {
            EXPECT_EQ(subtables[i].encodingID, maps[i].encodingID);
            const std::vector<std::uint16_t> codes = subtables[i].Codes();
            const std::set<std::uint32_t> listed(codes.begin(), codes.end());
            // HarfBuzz leaves out characters mapped to glyph 0; the reader
            // does not look at glyphs.
            std::size_t missing = 0;
            for (const std::uint32_t c : HbCharacters(hb, cmap, maps[i].offset)) {
                missing += c < 0xFFFF && listed.count(c) == 0;
            }
            EXPECT_EQ(missing, 0u) << "(3," << maps[i].encodingID << ") subtable";
        }
        symbolFonts += symbol;
        withoutFormat4 += maps.empty();

        const CTableBytes os2 = hb.Table(HB_TAG('O', 'S', '/', '2'));
        std::array<std::uint8_t, 10> panose{};
        if (os2.Has(32, 10)) {
            std::copy_n(os2.bytes.begin() + 32, 10, panose.begin());
        }
        EXPECT_EQ(data.GetOS2().panose, panose);
    }
    std::printf("%zu fonts: %d symbol fonts, %d without a Windows format 4 map\n", fonts.size(),
                symbolFonts, withoutFormat4);
}

TEST(RealFontsTest, ReadingOnlyTheNeededRangesGivesTheWholeFilesAnswers) {
    const auto fonts = RealFonts();
    if (fonts.empty()) {
        GTEST_SKIP() << "the font packages are not installed";
    }
    for (const auto& path : fonts) {
        SCOPED_TRACE(path.string());
        const auto bytes = ReadAll(path);
        COpenTypeData whole;
        COpenTypeData ranges;
        ASSERT_EQ(whole.Load(bytes), ranges.Load(path, static_cast<std::uint32_t>(bytes.size())));
        ASSERT_EQ(whole.GetNameRecords().size(), ranges.GetNameRecords().size());
        for (std::size_t i = 0; i < whole.GetNameRecords().size(); ++i) {
            EXPECT_EQ(whole.GetNameRecords()[i].GetRecord().text,
                      ranges.GetNameRecords()[i].GetRecord().text);
        }
        const auto& a = whole.GetCharacterMap();
        const auto& b = ranges.GetCharacterMap();
        ASSERT_EQ(a.subtables.size(), b.subtables.size());
        EXPECT_EQ(a.symbol, b.symbol);
        for (std::size_t i = 0; i < a.subtables.size(); ++i) {
            ASSERT_EQ(a.subtables[i].count, b.subtables[i].count);
            EXPECT_EQ(a.subtables[i].Codes(), b.subtables[i].Codes());
        }
        EXPECT_EQ(whole.GetOS2().panose, ranges.GetOS2().panose);
    }
}

// Each face of a collection as HarfBuzz reads that face: as many faces, each
// with its own Windows names and PANOSE bytes, and every character past
// U+FFFF that HarfBuzz maps for it among the reader's.
TEST(RealFontsTest, EachFaceOfACollectionReadsAsHarfBuzzReadsThatFace) {
    const auto collections = FontsBelowDebiansFolders({".ttc", ".otc"});
    if (collections.empty()) {
        GTEST_SKIP() << "no collection is installed (./test.sh installs fonts-noto-cjk)";
    }
    std::size_t faces = 0;
    for (const auto& path : collections) {
        SCOPED_TRACE(path.string());
        hb_blob_t* blob = hb_blob_create_from_file(path.c_str());
        const unsigned int count = hb_face_count(blob);
        hb_blob_destroy(blob);
        std::set<std::u16string> fullNames;
        for (unsigned int index = 0; index < count; ++index) {
            SCOPED_TRACE(index);
            COpenTypeData data;
            std::uint32_t size = 0;
            ASSERT_EQ(data.LoadFile(path, size, index), FontStatus::Loaded);
            EXPECT_EQ(data.GetFaceCount(), count);
            CHbFace hb(path, index);
            EXPECT_EQ(ReadersNames(data), WindowsNames(hb.Table(HB_TAG('n', 'a', 'm', 'e'))));
            const CTableBytes os2 = hb.Table(HB_TAG('O', 'S', '/', '2'));
            std::array<std::uint8_t, 10> panose{};
            if (os2.Has(32, 10)) {
                std::copy_n(os2.bytes.begin() + 32, 10, panose.begin());
            }
            EXPECT_EQ(data.GetOS2().panose, panose);

            hb_set_t* set = hb_set_create();
            hb_face_collect_unicodes(hb.Face(), set);
            const auto& ranges = data.GetCharacterMap().supplementary;
            std::size_t missing = 0;
            for (hb_codepoint_t c = 0xFFFF; hb_set_next(set, &c);) {
                missing += std::none_of(ranges.begin(), ranges.end(), [c](const auto& range) {
                    return c >= range.first && c <= range.last;
                });
            }
            hb_set_destroy(set);
            EXPECT_EQ(missing, 0u);
            if (const auto* name = data.GetName(4)) {
                fullNames.insert(std::u16string(*name));
            }
        }
        EXPECT_EQ(fullNames.size(), count) << "each face has its own name";
        faces += count;
    }
    std::printf("%zu collections, %zu faces\n", collections.size(), faces);
}
