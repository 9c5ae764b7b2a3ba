// The reader against files built field by field.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "fontdata/opentype/OpenTypeData.h"
#include "tests/support/FontBuilder.h"

using namespace QuillmarkTest;
using Varnholt::COpenTypeData;

namespace {

constexpr std::uint32_t kTrueType = 0x00010000;

// A status as the number quillmark-cli prints for it.
int Number(Varnholt::FontStatus status) {
    return static_cast<int>(status);
}

std::uint32_t TagOf(const char* t) {
    return (std::uint32_t(std::uint8_t(t[0])) << 24) | (std::uint32_t(std::uint8_t(t[1])) << 16) |
           (std::uint32_t(std::uint8_t(t[2])) << 8) | std::uint32_t(std::uint8_t(t[3]));
}

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("quillmark-reader-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // Loads from memory and from a file; both must agree. Returns the
    // status as a number.
    int Load(const Bytes& bytes, COpenTypeData& data) {
        const int status = Number(data.Load(bytes));
        const auto path = WriteFile((m_dir / "font.ttf").string(), bytes);
        COpenTypeData fromFile;
        EXPECT_EQ(Number(fromFile.Load(path, static_cast<std::uint32_t>(bytes.size()))), status);
        std::uint32_t measured = 0;
        COpenTypeData measuredFile;
        EXPECT_EQ(Number(measuredFile.LoadFile(path, measured)), status);
        EXPECT_EQ(measured, bytes.size());
        return status;
    }
    int Load(const Bytes& bytes) {
        COpenTypeData data;
        return Load(bytes, data);
    }

    std::filesystem::path m_dir;
};

std::vector<std::uint16_t> Codes(const COpenTypeData& data, std::size_t subtable = 0) {
    return data.GetCharacterMap().subtables.at(subtable).Codes();
}

// A naming table of `count` records with empty strings: 6 + 12 × count bytes.
Bytes EmptyNames(std::uint16_t count) {
    std::vector<CNameEntry> entries(count);
    return NameTable(entries);
}

// Tables laid out after the directory in order, with `gap` zero bytes before
// the last one; each directory record names a table by index.
Bytes Layout(const std::vector<std::pair<const char*, int>>& directory,
             const std::vector<Bytes>& tables, std::size_t gap) {
    std::vector<std::uint32_t> offsets;
    std::uint32_t at = static_cast<std::uint32_t>(12 + 16 * directory.size());
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (i + 1 == tables.size())
            at += static_cast<std::uint32_t>(gap);
        offsets.push_back(at);
        at += static_cast<std::uint32_t>(tables[i].size());
    }
    CByteWriter w;
    w.U32(kTrueType).U16(static_cast<std::uint16_t>(directory.size())).U16(0).U16(0).U16(0);
    for (const auto& [tag, index] : directory) {
        w.Tag(tag).U32(0).U32(offsets[index]).U32(static_cast<std::uint32_t>(tables[index].size()));
    }
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (i + 1 == tables.size())
            w.Zeros(gap);
        w.Append(tables[i]);
    }
    return w.Take();
}

}  // namespace

TEST_F(ReaderTest, AcceptsOnlyTrueTypeAndCffOutlines) {
    for (std::uint32_t version : {kTrueType, TagOf("OTTO")}) {
        COpenTypeData data;
        EXPECT_EQ(Load(BuildFont({}, version), data), 1) << std::hex << version;
        EXPECT_TRUE(data.GetNameRecords().empty());
        EXPECT_TRUE(data.GetCharacterMap().subtables.empty());
        EXPECT_FALSE(data.IsSymbolFont());
        EXPECT_EQ(data.GetName(4), nullptr);
    }
    for (std::uint32_t version : {TagOf("ttcf"), TagOf("true"), 0u, 0x00020000u}) {
        EXPECT_EQ(Load(BuildFont({}, version)), 4) << std::hex << version;
    }
}

TEST_F(ReaderTest, TruncatedOffsetTableOrDirectoryIsCorrupt) {
    EXPECT_EQ(Load({}), 4);
    Bytes font = BuildFont({{"abcd", {1, 2, 3, 4}}});
    EXPECT_EQ(Load(Bytes(font.begin(), font.begin() + 11)), 4);
    // The directory record must fit in what is left: one byte short.
    EXPECT_EQ(Load(Bytes(font.begin(), font.begin() + 27)), 4);
    EXPECT_EQ(Load(font), 1);
    // numTables says two records; only one is there.
    font[5] = 2;
    EXPECT_EQ(Load(font), 4);
}

TEST_F(ReaderTest, TableOffsetMustLieBeforeTheEndOfTheFile) {
    // An unread table of one byte at the last byte of the file is fine...
    Bytes font = BuildFont({{"abcd", {7}}});
    EXPECT_EQ(font.size(), 29u);
    EXPECT_EQ(Load(font), 1);
    // ...but an offset equal to the file size is not, whatever the tag.
    font[12 + 8 + 3] = 29;
    EXPECT_EQ(Load(font), 4);
}

TEST_F(ReaderTest, KeepsWindowsNamesInFileOrderAndFindsEnglishUS) {
    std::vector<CNameEntry> entries(6);
    entries[0] = {1, 0, 0, 4, u"", {'M', 'a', 'c'}, true};  // Macintosh: dropped
    entries[1] = {0, 3, 0, 4, u"Unicode"};                  // Unicode platform: dropped
    entries[2] = {3, 1, 0x0407, 1, u"Familie"};             // German family name
    entries[3] = {3, 0, 0x0409, 4, u"Symbolic Full"};       // encoding is not looked at
    entries[4] = {3, 1, 0x0409, 4, u"Second Full"};
    entries[5] = {3, 10, 0x0409, 16, u"Typo \U0001F600"};  // outside the BMP: surrogates kept
    COpenTypeData data;
    ASSERT_EQ(Load(BuildFont({{"name", NameTable(entries)}}), data), 1);

    const auto& records = data.GetNameRecords();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].GetRecord().text, u"Familie");
    EXPECT_EQ(records[0].GetRecord().languageID, 0x0407);
    EXPECT_EQ(records[1].GetRecord().text, u"Symbolic Full");
    EXPECT_EQ(records[3].GetRecord().text, u"Typo \U0001F600");
    ASSERT_NE(data.GetName(4), nullptr);
    EXPECT_EQ(*data.GetName(4), u"Symbolic Full");
    EXPECT_EQ(data.GetName(1), nullptr) << "only a German family name";
}

TEST_F(ReaderTest, NameTextOfOddLengthDropsTheFinalByteAndEmptyTextIsKept) {
    std::vector<CNameEntry> entries(2);
    entries[0] = {3, 1, 0x0409, 4, u"", {0x00, 'A', 0x00, 'B', 0x00}, true};
    entries[1] = {3, 1, 0x0409, 1, u""};
    COpenTypeData data;
    ASSERT_EQ(Load(BuildFont({{"name", NameTable(entries)}}), data), 1);
    EXPECT_EQ(*data.GetName(4), u"AB");
    ASSERT_NE(data.GetName(1), nullptr);
    EXPECT_TRUE(data.GetName(1)->empty());
}

// Texts are decoded once for the table; each record views its part, from
// an even or an odd byte, however the records overlap.
TEST_F(ReaderTest, NamesThatShareTheirBytesEachReadTheirOwnText) {
    CByteWriter w;
    w.U16(0).U16(3).U16(6 + 3 * 12);                   // format, count, stringOffset
    w.U16(3).U16(1).U16(0x0409).U16(4).U16(4).U16(0);  // 4 bytes at 0: "AB"
    w.U16(3).U16(1).U16(0x0409).U16(1).U16(4).U16(1);  // 4 bytes at 1: 0x4100 0x4200
    w.U16(3).U16(1).U16(0x0409).U16(2).U16(3).U16(2);  // 3 bytes at 2: "B", last byte dropped
    w.U16(u'A').U16(u'B').U16(u'C');                   // storage
    COpenTypeData data;
    ASSERT_EQ(Load(BuildFont({{"name", w.Take()}}), data), 1);
    const auto& records = data.GetNameRecords();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].GetRecord().text, u"AB");
    EXPECT_EQ(records[1].GetRecord().text, u"\u4100\u4200");
    EXPECT_EQ(records[2].GetRecord().text, u"B");

    // Record i reads 40 bytes at 4 × i, over the records themselves.
    const Bytes font = BuildFont({{"name", OverlappingNameTable(100, 40)}});
    COpenTypeData overlapping;
    ASSERT_EQ(Load(font, overlapping), 1);
    ASSERT_EQ(overlapping.GetNameRecords().size(), 100u);
    const std::size_t storage = 12 + 16 + 6;
    for (std::size_t i = 0; i < 100; ++i) {
        std::u16string expected;
        for (std::size_t at = storage + 4 * i; at < storage + 4 * i + 40; at += 2) {
            expected += static_cast<char16_t>((font[at] << 8) | font[at + 1]);
        }
        EXPECT_EQ(overlapping.GetNameRecords()[i].GetRecord().text, expected) << i;
    }
}

TEST_F(ReaderTest, WindowsNameStringsMustLieInsideTheFile) {
    std::vector<CNameEntry> entries(1);
    entries[0] = {3, 1, 0x0409, 4, u"Full"};
    Bytes font = BuildFont({{"name", NameTable(entries)}});
    EXPECT_EQ(Load(font), 1);
    EXPECT_EQ(Load(Bytes(font.begin(), font.end() - 1)), 4) << "string cut short";
    // A Macintosh string is never read, so its offset may point anywhere.
    entries[0] = {1, 0, 0, 4, u"", {'M'}, true};
    font = BuildFont({{"name", NameTable(entries)}});
    font[12 + 16 + 6 + 10] = 0xFF;  // record's string offset, high byte
    EXPECT_EQ(Load(font), 1);
    // A record that does not fit the file is corrupt.
    font = BuildFont({{"name", EmptyNames(2)}});
    EXPECT_EQ(Load(Bytes(font.begin(), font.end() - 1)), 4);
}

// An empty range reads nothing, so it may begin anywhere, even past the end
// of the file; one byte there is corrupt. The reference reader agrees.
TEST_F(ReaderTest, EmptyRangesMayBeginPastTheEndOfTheFile) {
    // A Windows name of length 0 whose string offset points past the end.
    std::vector<CNameEntry> entries(1);
    entries[0] = {3, 1, 0x0409, 4, u""};
    Bytes font = BuildFont({{"name", NameTable(entries)}});
    font[12 + 16 + 6 + 10] = 0x10;  // record's string offset, high byte: 0x1000
    COpenTypeData data;
    ASSERT_EQ(Load(font, data), 1);
    ASSERT_NE(data.GetName(4), nullptr);
    EXPECT_TRUE(data.GetName(4)->empty());
    entries[0] = {3, 1, 0x0409, 4, u"", {'A'}, true};  // one byte of text
    font = BuildFont({{"name", NameTable(entries)}});
    font[12 + 16 + 6 + 10] = 0x10;
    EXPECT_EQ(Load(font), 4);

    // A format 4 subtable without segments whose file ends with its 14-byte
    // header: the empty startCode array would begin two bytes past the end.
    const Bytes map = CmapTable({{3, 1, Format4({})}});
    font = BuildFont({{"cmap", map}});
    COpenTypeData cut;
    ASSERT_EQ(Load(Bytes(font.begin(), font.end() - 2), cut), 1);
    ASSERT_EQ(cut.GetCharacterMap().subtables.size(), 1u);
    EXPECT_EQ(cut.GetCharacterMap().subtables[0].count, 0);
    // One byte less and the header itself is cut: corrupt.
    EXPECT_EQ(Load(Bytes(font.begin(), font.end() - 3)), 4);
}

TEST_F(ReaderTest, SecondNameOrCmapTableIsCorruptSecondOS2IsReadOverTheFirst) {
    const Bytes names = EmptyNames(0);
    EXPECT_EQ(Load(Layout({{"name", 0}, {"name", 0}}, {names}, 0)), 4);
    const Bytes cmap = CmapTable({});
    EXPECT_EQ(Load(Layout({{"cmap", 0}, {"cmap", 0}}, {cmap}, 0)), 4);

    const Bytes first = OS2Table(0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    const Bytes second = OS2Table(2, {2, 11, 6, 4, 2, 2, 2, 2, 2, 4});
    COpenTypeData data;
    ASSERT_EQ(Load(Layout({{"OS/2", 0}, {"OS/2", 1}}, {first, second}, 200), data), 1);
    const std::array<std::uint8_t, 10> expected{2, 11, 6, 4, 2, 2, 2, 2, 2, 4};
    EXPECT_EQ(data.GetOS2().panose, expected);
    EXPECT_EQ(data.GetOS2().version, 2);
}

// Every table is handed the running count of unconsumed bytes, wherever the
// table lies; the gap before the last table pins how much each one consumed.
TEST_F(ReaderTest, EachTableConsumesItsFixedSizeFromTheRunningCount) {
    const Bytes os2 = OS2Table(0, {});  // 78 bytes, needs 100 of the count
    // name consumes 6 whatever its records: 12 + 32 + 20 + gap + 78 - 44 - 6 >= 100.
    const Bytes names = NameTable({CNameEntry{3, 1, 0x0409, 4, u"A"}});
    ASSERT_EQ(names.size(), 20u);
    EXPECT_EQ(Load(Layout({{"name", 0}, {"OS/2", 1}}, {names, os2}, 8)), 1);
    EXPECT_EQ(Load(Layout({{"name", 0}, {"OS/2", 1}}, {names, os2}, 7)), 4);

    // cmap consumes 4 + 8 × numTables, not its subtables.
    const Bytes cmapMac = CmapTable({{1, 0, {}}, {1, 0, {}}, {1, 0, {}}});
    ASSERT_EQ(cmapMac.size(), 28u);
    EXPECT_EQ(Load(Layout({{"cmap", 0}, {"OS/2", 1}}, {cmapMac, os2}, 22)), 1);
    EXPECT_EQ(Load(Layout({{"cmap", 0}, {"OS/2", 1}}, {cmapMac, os2}, 21)), 4);
    const Bytes cmapWindows = CmapTable({{3, 1, Format4({{0x41, 0x5A}, {0xFFFF, 0xFFFF}})}});
    EXPECT_EQ(Load(Layout({{"cmap", 0}, {"OS/2", 1}}, {cmapWindows, os2}, 0)), 1);

    // OS/2 consumes 80, 88, 98, 98, 80 for versions 0 to 4, read before a
    // naming table of three records (needs 42).
    const std::pair<std::uint16_t, std::size_t> consumed[] = {
        {0, 80}, {1, 88}, {2, 98}, {3, 98}, {4, 80}};
    for (const auto& [version, size] : consumed) {
        const Bytes table = OS2Table(version, {});
        const Bytes three = EmptyNames(3);
        // Count at name = 44 + |table| + gap + 42 - 44 - size >= 42.
        const std::size_t gap = size > table.size() ? size - table.size() : 0;
        // OS/2 itself needs 100 of the count: 44 + |table| + gap + 42 - 28 >= 100.
        const std::size_t extra =
            table.size() + gap + 58 >= 100 ? 0 : 100 - (table.size() + gap + 58);
        EXPECT_EQ(Load(Layout({{"OS/2", 0}, {"name", 1}}, {table, three}, gap + extra)), 1)
            << "version " << version;
        if (gap > 0 && extra == 0) {
            EXPECT_EQ(Load(Layout({{"OS/2", 0}, {"name", 1}}, {table, three}, gap - 1)), 4)
                << "version " << version;
        }
    }
}

TEST_F(ReaderTest, OS2NeedsAHundredBytesOfTheCountAndItsFieldsInsideTheFile) {
    // 100 of the count but only 78 bytes of table at the end of the file:
    // enough for version 0, not for version 1.
    const Bytes pad(100, 0);
    EXPECT_EQ(Load(Layout({{"zzzz", 0}, {"OS/2", 1}}, {pad, OS2Table(0, {9})}, 0)), 1);
    Bytes v1 = OS2Table(0, {});
    v1[1] = 1;  // version 1 with only the version 0 fields present
    EXPECT_EQ(Load(Layout({{"zzzz", 0}, {"OS/2", 1}}, {pad, v1}, 0)), 4);
    // A whole table but too little of the count left.
    EXPECT_EQ(Load(BuildFont({{"OS/2", OS2Table(2, {})}})), 4);
    EXPECT_EQ(Load(BuildFont({{"OS/2", OS2Table(2, {})}}, kTrueType, 128)), 1);
    EXPECT_EQ(Load(BuildFont({{"OS/2", OS2Table(2, {})}}, kTrueType, 127)), 4);
}

TEST_F(ReaderTest, CharacterMapListsWindowsFormat4SubtablesInFileOrder) {
    const Bytes symbol = Format4({{0xF020, 0xF022}, {0xFFFF, 0xFFFF}});
    const Bytes unicode = Format4({{0x20, 0x7E}, {0xFFFF, 0xFFFF}});
    COpenTypeData data;
    ASSERT_EQ(Load(BuildFont({{"cmap", CmapTable({{0, 3, unicode},  // Unicode platform: ignored
                                                  {3, 0, symbol},
                                                  {3, 1, unicode},
                                                  {3, 10, Format12(0x10000, 0x10010)}})}}),
                   data),
              1);
    const auto& map = data.GetCharacterMap();
    ASSERT_EQ(map.subtables.size(), 2u);
    EXPECT_TRUE(data.IsSymbolFont());
    EXPECT_EQ(map.subtables[0].encodingID, 0u);
    EXPECT_EQ(map.subtables[0].platformID, 3u);
    EXPECT_EQ(Codes(data, 0), (std::vector<std::uint16_t>{0xF020, 0xF021, 0xF022}));
    EXPECT_EQ(map.subtables[1].encodingID, 1u);
    const auto codes = Codes(data, 1);
    ASSERT_EQ(codes.size(), 95u);
    EXPECT_EQ(codes.front(), 0x20);
    EXPECT_EQ(codes.back(), 0x7E);
}

TEST_F(ReaderTest, SymbolMapOfAnotherFormatStillMarksASymbolFont) {
    COpenTypeData data;
    ASSERT_EQ(Load(BuildFont({{"cmap", CmapTable({{3, 0, Format0()}})}}), data), 1);
    EXPECT_TRUE(data.GetCharacterMap().subtables.empty());
    EXPECT_TRUE(data.IsSymbolFont());
    COpenTypeData mac;
    ASSERT_EQ(Load(BuildFont({{"cmap", CmapTable({{1, 0, Format4({{0x20, 0x21}})}})}}), mac), 1);
    EXPECT_FALSE(mac.IsSymbolFont()) << "a Macintosh Roman map is no symbol map";
}

TEST_F(ReaderTest, CoverageWalkStopsAtTheTerminatorAndSumsIn16Bits) {
    struct Case {
        const char* what;
        std::vector<CSegment> segments;
        std::vector<std::uint16_t> codes;
    };
    const std::vector<Case> cases = {
        {"no terminator: walks to segCount", {{0x41, 0x43}}, {0x41, 0x42, 0x43}},
        {"stops before a segment ending at 0xFFFF",
         {{0x20, 0x21}, {0x30, 0xFFFF}, {0x40, 0x41}},
         {0x20, 0x21}},
        {"stops at a segment starting at 0xFFFF",
         {{0x41, 0x42}, {0xFFFF, 0x50}, {0x60, 0x61}},
         {0x41, 0x42}},
        {"first end code 0xFFFF: nothing", {{0xFFFF, 0xFFFF}, {0x41, 0x42}}, {}},
        {"no segments", {}, {}},
        {"65,535 + 1 wraps to 0", {{0x0000, 0xFFFE}, {0x10, 0x10}, {0xFFFF, 0xFFFF}}, {}},
        {"65,535 + 2 wraps to 1, filled from the first segment",
         {{0x0000, 0xFFFE}, {0x10, 0x11}, {0xFFFF, 0xFFFF}},
         {0x0000}},
        {"glyph ids are not looked at; ranges concatenate in file order",
         {{0x30, 0x31}, {0x10, 0x10}, {0xFFFF, 0xFFFF}},
         {0x30, 0x31, 0x10}},
    };
    for (const auto& c : cases) {
        COpenTypeData data;
        ASSERT_EQ(Load(BuildFont({{"cmap", CmapTable({{3, 1, Format4(c.segments)}})}}), data), 1)
            << c.what;
        ASSERT_EQ(data.GetCharacterMap().subtables.size(), 1u) << c.what;
        EXPECT_EQ(Codes(data), c.codes) << c.what;
    }
    // A segment whose end lies before its start adds 65,521 in 16 bits, and
    // contributes no codes: the list holds that many zeros.
    COpenTypeData data;
    ASSERT_EQ(Load(BuildFont({{"cmap", CmapTable({{3, 1, Format4({{0x50, 0x40}})}})}}), data), 1);
    const auto codes = Codes(data);
    ASSERT_EQ(codes.size(), 65521u);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0), 65521);
}

TEST_F(ReaderTest, WindowsSubtablesMustLieInsideTheFile) {
    const Bytes map = CmapTable({{3, 1, Format4({{0x41, 0x42}, {0xFFFF, 0xFFFF}})}});
    const Bytes font = BuildFont({{"cmap", map}});
    EXPECT_EQ(Load(font), 1);
    // Cut inside idRangeOffset (never read): still fine. Cut inside startCode: corrupt.
    EXPECT_EQ(Load(Bytes(font.begin(), font.end() - 2)), 1);
    EXPECT_EQ(Load(Bytes(font.begin(), font.end() - 9)), 4);
    // An encoding record that is not there.
    Bytes none = BuildFont({{"cmap", CmapTable({})}});
    EXPECT_EQ(Load(none), 1);
    none[12 + 16 + 3] = 1;  // numTables 1
    EXPECT_EQ(Load(none), 4);
    // A Windows subtable offset far past the end is corrupt; a Macintosh one is never read.
    Bytes far = BuildFont({{"cmap", CmapTable({{3, 1, {}}})}});
    far[12 + 16 + 8] = 0x7F;  // subtable offset, high byte
    EXPECT_EQ(Load(far), 4);
    far[12 + 16 + 5] = 1;  // platform 1
    EXPECT_EQ(Load(far), 1);
}

TEST_F(ReaderTest, FilesOfFiftyMebibytesAreRefusedUnopened) {
    const auto path = m_dir / "large.ttf";
    WriteFile(path.string(), {});
    std::filesystem::resize_file(path, COpenTypeData::kMaxFileSize);
    COpenTypeData data;
    EXPECT_EQ(Number(data.Load(path, COpenTypeData::kMaxFileSize)), 5);
    std::uint32_t size = 0;
    EXPECT_EQ(Number(data.LoadFile(path, size)), 5);
    EXPECT_EQ(size, COpenTypeData::kMaxFileSize);
    // One byte less is read (and, all zeros, is corrupt). A file that
    // cannot be opened is not measured, so an unreadable large file is 2.
    std::filesystem::resize_file(path, COpenTypeData::kMaxFileSize - 1);
    EXPECT_EQ(Number(COpenTypeData().Load(path, COpenTypeData::kMaxFileSize - 1)), 4);
    EXPECT_EQ(Number(COpenTypeData().Load(m_dir / "missing.ttf", COpenTypeData::kMaxFileSize)), 5);
}

TEST_F(ReaderTest, FilesThatCannotBeOpenedOrReadWhole) {
    COpenTypeData data;
    EXPECT_EQ(Number(data.Load(m_dir / "missing.ttf", 0)), 2);
    EXPECT_EQ(Number(data.Load(m_dir, 4096)), 2) << "a folder is not a font file";
    const auto path = WriteFile((m_dir / "short.ttf").string(), BuildFont({}));
    EXPECT_EQ(Number(data.Load(path, 13)), 3) << "the file is shorter than measured";
    EXPECT_EQ(Number(COpenTypeData().Load(path, 12)), 1);
    const auto fifo = m_dir / "fifo.ttf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Number(COpenTypeData().Load(fifo, 0)), 2) << "a FIFO must not block the reader";
}
