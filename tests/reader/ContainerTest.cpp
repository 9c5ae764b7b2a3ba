// Collections and web fonts: each face of a collection, and the font a WOFF
// or WOFF2 holds, reads as the font file it was made from; a crafted
// container is a status, never a crash or a huge allocation.

#include <gtest/gtest.h>
#include <woff2/encode.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fontdata/opentype/Container.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "fontdata/opentype/OpenTypeData.h"
#include "tests/support/FontBuilder.h"

using namespace QuillmarkTest;
using Varnholt::COpenTypeData;
using Varnholt::FontStatus;
using Varnholt::OpenTypeFontData::Container;

namespace {

const std::filesystem::path kData = QUILLMARK_TEST_DATA;

Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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

Bytes Woff2(const Bytes& font) {
    std::size_t length = woff2::MaxWOFF2CompressedSize(font.data(), font.size());
    Bytes out(length);
    EXPECT_TRUE(woff2::ConvertTTFToWOFF2(font.data(), font.size(), out.data(), &length));
    out.resize(length);
    return out;
}

// Everything the reader gives, but the face and the container.
void ExpectSameFont(const COpenTypeData& a, const COpenTypeData& b) {
    ASSERT_EQ(a.GetNameRecords().size(), b.GetNameRecords().size());
    for (std::size_t i = 0; i < a.GetNameRecords().size(); ++i) {
        const auto& x = a.GetNameRecords()[i].GetRecord();
        const auto& y = b.GetNameRecords()[i].GetRecord();
        EXPECT_EQ(x.nameID, y.nameID);
        EXPECT_EQ(x.languageID, y.languageID);
        EXPECT_EQ(x.text, y.text);
    }
    const auto& m = a.GetCharacterMap();
    const auto& n = b.GetCharacterMap();
    ASSERT_EQ(m.subtables.size(), n.subtables.size());
    for (std::size_t i = 0; i < m.subtables.size(); ++i) {
        EXPECT_EQ(m.subtables[i].encodingID, n.subtables[i].encodingID);
        EXPECT_EQ(m.subtables[i].Codes(), n.subtables[i].Codes());
    }
    EXPECT_EQ(m.symbol, n.symbol);
    ASSERT_EQ(m.supplementary.size(), n.supplementary.size());
    for (std::size_t i = 0; i < m.supplementary.size(); ++i) {
        EXPECT_EQ(m.supplementary[i].first, n.supplementary[i].first);
        EXPECT_EQ(m.supplementary[i].last, n.supplementary[i].last);
    }
    EXPECT_EQ(a.GetOS2().panose, b.GetOS2().panose);
    EXPECT_EQ(a.HasPostScriptOutlines(), b.HasPostScriptOutlines());
}

std::u16string FullName(const COpenTypeData& data) {
    const auto* name = data.GetName(4);
    return name != nullptr ? std::u16string(*name) : std::u16string();
}

}  // namespace

TEST(CollectionTest, EachFaceReadsAsTheFontItWasMadeFrom) {
    const Bytes a = ReadAll(kData / "twin-a.ttf");
    const Bytes b = ReadAll(kData / "twin-bold.ttf");
    const Bytes collection = Collection({a, b, a});
    COpenTypeData alone[2];
    ASSERT_EQ(alone[0].Load(a), FontStatus::Loaded);
    ASSERT_EQ(alone[1].Load(b), FontStatus::Loaded);
    ASSERT_NE(FullName(alone[0]), FullName(alone[1]));
    for (std::uint32_t face = 0; face < 3; ++face) {
        SCOPED_TRACE(face);
        COpenTypeData data;
        ASSERT_EQ(data.Load(collection, face), FontStatus::Loaded);
        EXPECT_EQ(data.GetFaceIndex(), face);
        EXPECT_EQ(data.GetFaceCount(), 3u);
        EXPECT_EQ(data.GetContainer(), Container::Collection);
        ExpectSameFont(data, alone[face % 2]);

        // Drawn from a file of its own, the face is that font again.
        std::vector<std::uint8_t> file;
        ASSERT_EQ(Varnholt::OpenTypeFontData::FaceFile(collection, face, file), FontStatus::Loaded);
        COpenTypeData extracted;
        ASSERT_EQ(extracted.Load(file), FontStatus::Loaded);
        EXPECT_EQ(extracted.GetContainer(), Container::Font);
        ExpectSameFont(extracted, alone[face % 2]);
    }
    COpenTypeData past;
    EXPECT_EQ(past.Load(collection, 3), FontStatus::Corrupt);
    EXPECT_EQ(past.GetFaceCount(), 3u);
    std::vector<std::uint8_t> file;
    EXPECT_EQ(Varnholt::OpenTypeFontData::FaceFile(collection, 3, file), FontStatus::Corrupt);
    // A font of one face has face 0 only.
    COpenTypeData single;
    EXPECT_EQ(single.Load(a, 1), FontStatus::Corrupt);
    EXPECT_EQ(single.GetFaceCount(), 1u);

    // The information view says which face of how many.
    COpenTypeData second;
    ASSERT_EQ(second.Load(collection, 1), FontStatus::Loaded);
    const auto rows = Varnholt::FontInfoRows(u"pair.ttc", second);
    ASSERT_GE(rows.size(), 4u);
    EXPECT_EQ(rows[1].name, u"Format");
    EXPECT_EQ(rows[1].value, u"TrueType collection");
    EXPECT_EQ(rows[2].value, u"1");
    EXPECT_EQ(rows[3].value, u"3");
    EXPECT_EQ(Varnholt::FontInfoRows(u"a.ttf", alone[0])[1].name, u"Copyright")
        << "a font of one face keeps the rows it always had";
}

TEST(CollectionTest, ACraftedHeaderIsCorruptAndReadsNothingItDoesNotHold) {
    const Bytes a = ReadAll(kData / "twin-a.ttf");
    const auto load = [](const Bytes& bytes, std::uint32_t face = 0) {
        COpenTypeData data;
        return data.Load(bytes, face);
    };
    // No face at all; a header cut short.
    EXPECT_EQ(load(CByteWriter().Tag("ttcf").U16(1).U16(0).U32(0).Take()), FontStatus::Corrupt);
    EXPECT_EQ(load(CByteWriter().Tag("ttcf").U16(1).U16(0).U32(2).U32(16).Take()),
              FontStatus::Corrupt);
    // 65,535 faces that all name one real face: more faces than any
    // collection holds is one corrupt file, not 65,535 rows.
    {
        Bytes many = Collection({a});
        const std::uint32_t start = U32At(many, 12);
        CByteWriter w;
        w.Tag("ttcf").U16(1).U16(0).U32(65535);
        const std::uint32_t shift = 4 * 65534;
        for (int i = 0; i < 65535; ++i) {
            w.U32(start + shift);
        }
        Bytes font(many.begin() + start, many.end());
        for (std::size_t t = 0; t < NumTables(font); ++t) {
            PutU32(font, 12 + 16 * t + 8, U32At(font, 12 + 16 * t + 8) + shift);
        }
        w.Zeros(start + shift - w.Size()).Append(font);
        EXPECT_EQ(load(w.Take(), 7), FontStatus::Corrupt);
    }
    // A face whose offset table lies past the end, or whose tables do.
    {
        Bytes bytes = Collection({a, a});
        PutU32(bytes, 16, static_cast<std::uint32_t>(bytes.size()));
        EXPECT_EQ(load(bytes, 0), FontStatus::Loaded);
        EXPECT_EQ(load(bytes, 1), FontStatus::Corrupt);
        std::vector<std::uint8_t> file;
        EXPECT_EQ(Varnholt::OpenTypeFontData::FaceFile(bytes, 1, file), FontStatus::Corrupt);
        PutU32(bytes, 16, 0xFFFFFFF0u);
        EXPECT_EQ(load(bytes, 1), FontStatus::Corrupt);
    }
    // Two faces at one offset: both read, the same.
    {
        Bytes bytes = Collection({a, a});
        PutU32(bytes, 16, U32At(bytes, 12));
        COpenTypeData first;
        COpenTypeData second;
        ASSERT_EQ(first.Load(bytes, 0), FontStatus::Loaded);
        ASSERT_EQ(second.Load(bytes, 1), FontStatus::Loaded);
        ExpectSameFont(first, second);
    }
    // A face that lists one large table thousands of times would extract to
    // a file of gigabytes: refused before a byte is copied.
    {
        const Bytes table(1 << 20, 7);
        Bytes header = CByteWriter().Tag("ttcf").U16(1).U16(0).U32(1).U32(16).Take();
        CByteWriter w;
        w.Append(header).U32(0x00010000).U16(60).U16(0).U16(0).U16(0);
        for (int i = 0; i < 60; ++i) {
            w.Tag("glyf").U32(0).U32(16 + 12 + 16 * 60).U32(1 << 20);
        }
        w.Append(table);
        std::vector<std::uint8_t> file;
        EXPECT_EQ(Varnholt::OpenTypeFontData::FaceFile(w.Take(), 0, file), FontStatus::TooLarge);
        EXPECT_TRUE(file.empty());
    }
}

TEST(WebFontTest, WoffAndWoff2ReadAsTheFontTheyWereMadeFrom) {
    for (const char* name : {"twin-a.ttf", "symbol.ttf"}) {
        SCOPED_TRACE(name);
        const Bytes font = ReadAll(kData / name);
        COpenTypeData original;
        ASSERT_EQ(original.Load(font), FontStatus::Loaded);
        const std::pair<Bytes, Container> webFonts[] = {{Woff(font), Container::Woff},
                                                        {Woff2(font), Container::Woff2}};
        for (const auto& [bytes, container] : webFonts) {
            SCOPED_TRACE(static_cast<int>(container));
            const auto path = std::filesystem::path(testing::TempDir()) / "web.font";
            WriteFile(path.string(), bytes);
            COpenTypeData data;
            ASSERT_EQ(data.Load(path, static_cast<std::uint32_t>(bytes.size())),
                      FontStatus::Loaded);
            EXPECT_EQ(data.GetContainer(), container);
            EXPECT_EQ(data.GetFaceCount(), 1u);
            ExpectSameFont(data, original);
            std::vector<std::uint8_t> file;
            ASSERT_EQ(Varnholt::OpenTypeFontData::FaceFile(bytes, 0, file), FontStatus::Loaded);
            COpenTypeData decoded;
            ASSERT_EQ(decoded.Load(file), FontStatus::Loaded);
            EXPECT_EQ(decoded.GetContainer(), Container::Font);
            ExpectSameFont(decoded, original);
        }
    }
}

TEST(WebFontTest, AWebFontThatDoesNotMatchItsDirectoryIsAStatus) {
    const Bytes font = ReadAll(kData / "twin-a.ttf");
    const auto load = [](const Bytes& bytes) {
        COpenTypeData data;
        return data.Load(bytes);
    };
    // A table that inflates to more than the directory says.
    EXPECT_EQ(load(Woff(font, true)), FontStatus::Corrupt);
    Bytes woff = Woff(font);
    ASSERT_EQ(load(woff), FontStatus::Loaded);
    {
        Bytes cut = woff;  // the length field no longer says the file's size
        cut.resize(cut.size() - 4);
        EXPECT_EQ(load(cut), FontStatus::Corrupt);
    }
    {
        Bytes large = woff;  // a table declaring 60 MB: refused before inflating
        PutU32(large, 44 + 12, 60u << 20);
        EXPECT_EQ(load(large), FontStatus::TooLarge);
    }
    {
        Bytes past = woff;  // a table's data past the end
        PutU32(past, 44 + 4, static_cast<std::uint32_t>(past.size()));
        EXPECT_EQ(load(past), FontStatus::Corrupt);
    }
    {
        Bytes nested = woff;  // a font whose own version says it is a WOFF again
        nested[4] = 'w', nested[5] = 'O', nested[6] = 'F', nested[7] = 'F';
        EXPECT_EQ(load(nested), FontStatus::Corrupt);
    }
    // A WOFF2 whose header declares a font of 4 GB.
    Bytes woff2 = Woff2(font);
    ASSERT_EQ(load(woff2), FontStatus::Loaded);
    PutU32(woff2, 16, 0xFFFFFFFFu);  // totalSfntSize
    EXPECT_EQ(load(woff2), FontStatus::TooLarge);
    // Junk after the signature.
    Bytes junk = CByteWriter().Tag("wOF2").Zeros(60).Take();
    EXPECT_EQ(load(junk), FontStatus::Corrupt);
    junk[0] = 'w', junk[3] = 'F';
    EXPECT_EQ(load(junk), FontStatus::Corrupt);
}

TEST(SupplementaryTest, TheBest32BitMapAddsItsCharactersPastUFFFF) {
    const Bytes bmp = Format4({{0x41, 0x43}, {0xFFFF, 0xFFFF}});
    // Groups out of order, overlapping, adjacent, partly in the BMP, past U+10FFFF.
    CByteWriter groups;
    const std::uint32_t ranges[][2] = {{0x1F610, 0x1F620},   {0xFF00, 0x10002},
                                       {0x1F600, 0x1F60F},   {0x1F615, 0x1F630},
                                       {0x10FFF0, 0x20FFFF}, {0x20000, 0x20000}};
    groups.U16(12).U16(0).U32(16 + 12 * 6).U32(0).U32(6);
    for (const auto& range : ranges) {
        groups.U32(range[0]).U32(range[1]).U32(1);
    }
    const Bytes full = groups.Take();
    COpenTypeData data;
    ASSERT_EQ(data.Load(BuildFont(
                  {{"cmap",
                    CmapTable({{0, 4, Format12(0x30000, 0x30001)}, {3, 1, bmp}, {3, 10, full}})}})),
              FontStatus::Loaded);
    const auto& map = data.GetCharacterMap();
    ASSERT_EQ(map.subtables.size(), 1u) << "the 16-bit maps are as they were";
    EXPECT_EQ(map.subtables[0].Codes(), (std::vector<std::uint16_t>{0x41, 0x42, 0x43}));
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> expected = {
        {0x10000, 0x10002}, {0x1F600, 0x1F630}, {0x20000, 0x20000}, {0x10FFF0, 0x10FFFF}};
    ASSERT_EQ(map.supplementary.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(map.supplementary[i].first, expected[i].first);
        EXPECT_EQ(map.supplementary[i].last, expected[i].second);
    }

    // Without a Windows full map, the Unicode platform's; format 13 too.
    COpenTypeData unicode;
    ASSERT_EQ(unicode.Load(BuildFont(
                  {{"cmap", CmapTable({{3, 1, bmp}, {0, 4, Format12(0x30000, 0x30001)}})}})),
              FontStatus::Loaded);
    ASSERT_EQ(unicode.GetCharacterMap().supplementary.size(), 1u);
    EXPECT_EQ(unicode.GetCharacterMap().supplementary[0].first, 0x30000u);

    // A 32-bit map whose groups run past the table adds nothing and fails nothing.
    Bytes broken = full;
    broken[15] = 200;  // numGroups
    COpenTypeData loose;
    ASSERT_EQ(loose.Load(BuildFont({{"cmap", CmapTable({{3, 1, bmp}, {3, 10, broken}})}})),
              FontStatus::Loaded);
    EXPECT_TRUE(loose.GetCharacterMap().supplementary.empty());
    EXPECT_EQ(loose.GetCharacterMap().subtables.size(), 1u);
}
