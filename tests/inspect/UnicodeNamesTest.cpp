// The character name table: made by the build's generator from small
// hand-made inputs, read back by CUnicodeCharDescriptions, refused when
// damaged; and the table the build made from the Unicode database.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fontdata/unicode/UnicodeCharDescriptions.h"
#include "platform/QuillmarkException.h"

using Quillmark::CFileNotFoundException;
using Quillmark::CUnicodeCharDescriptions;

namespace {

namespace fs = std::filesystem;

fs::path TempFolder() {
    const fs::path folder =
        fs::temp_directory_path() /
        ("quillmark-names-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
    return folder;
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the generator; its exit status.
int Generate(const fs::path& data, const fs::path& aliases, const fs::path& out) {
    const std::string command = std::string(QUILLMARK_PYTHON) + " " + QUILLMARK_NAMES_GENERATOR +
                                " '" + data.string() + "' '" + aliases.string() + "' '" +
                                out.string() + "' >/dev/null";
    return std::system(command.c_str());
}

std::u16string Name(const CUnicodeCharDescriptions& names, std::uint32_t code) {
    return std::u16string(names.Name(code));
}

const char* const kData =
    "0000;<control>;Cc;0;BN;;;;;N;NULL;;;;\n"
    "0009;<control>;Cc;0;S;;;;;N;CHARACTER TABULATION;;;;\n"
    "0041;LATIN CAPITAL LETTER A;Lu;0;L;;;;;N;;;;0061;\n"
    "0080;<control>;Cc;0;BN;;;;;N;;;;;\n"
    "3400;<CJK Ideograph Extension A, First>;Lo;0;L;;;;;N;;;;;\n"
    "3405;<CJK Ideograph Extension A, Last>;Lo;0;L;;;;;N;;;;;\n"
    "AC00;<Hangul Syllable, First>;Lo;0;L;;;;;N;;;;;\n"
    "AC03;<Hangul Syllable, Last>;Lo;0;L;;;;;N;;;;;\n"
    "D800;<Non Private Use High Surrogate, First>;Cs;0;L;;;;;N;;;;;\n"
    "DB7F;<Non Private Use High Surrogate, Last>;Cs;0;L;;;;;N;;;;;\n"
    "E000;<Private Use, First>;Co;0;L;;;;;N;;;;;\n"
    "F8FF;<Private Use, Last>;Co;0;L;;;;;N;;;;;\n"
    "FFFD;REPLACEMENT CHARACTER;So;0;ON;;;;;N;;;;;\n"
    "1F600;GRINNING FACE;So;0;ON;;;;;N;;;;;\n"
    "20000;<CJK Ideograph Extension B, First>;Lo;0;L;;;;;N;;;;;\n"
    "20005;<CJK Ideograph Extension B, Last>;Lo;0;L;;;;;N;;;;;\n"
    "F0000;<Plane 15 Private Use, First>;Co;0;L;;;;;N;;;;;\n"
    "FFFFD;<Plane 15 Private Use, Last>;Co;0;L;;;;;N;;;;;\n";

const char* const kAliases =
    "# comment line\n"
    "0000;NULL;control\n"
    "0000;NUL;abbreviation\n"
    "0009;CHARACTER TABULATION;control\n"
    "0009;HORIZONTAL TABULATION;control\n"
    "0009;TAB;abbreviation\n"
    "0080;PADDING CHARACTER;figment\n"
    "0041;LATIN LETTER A;correction\n";

}  // namespace

TEST(UnicodeNamesGenerator, SpellsRangesTakesControlAliasesAndSkipsWhatHasNoName) {
    const fs::path folder = TempFolder();
    Write(folder / "UnicodeData.txt", kData);
    Write(folder / "NameAliases.txt", kAliases);
    ASSERT_EQ(Generate(folder / "UnicodeData.txt", folder / "NameAliases.txt", folder / "out.bin"),
              0);

    // 0000, 0009, 0041, 3400..3405, AC00..AC03, FFFD: 0080 has no control
    // alias, surrogates and private use have no names; 1F600 and the range
    // 20000..20005 come after, where a reader of the plane's records alone
    // does not look.
    const std::string bytes = Read(folder / "out.bin");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1]) << 8, 14);
    // The first record, byte for byte: U+0000, 5 units, "NULL" and a zero.
    const std::string first("\x00\x00\x05\x00N\0U\0L\0L\0\0\0", 14);
    EXPECT_EQ(bytes.substr(2, 14), first);

    const CUnicodeCharDescriptions names(folder / "out.bin");
    EXPECT_EQ(names.Count(), 15u);
    EXPECT_EQ(names.RangeCount(), 6u);
    EXPECT_EQ(Name(names, 0x1F600), u"GRINNING FACE");
    EXPECT_EQ(Name(names, 0x20000), u"CJK UNIFIED IDEOGRAPH-20000");
    EXPECT_EQ(Name(names, 0x20005), u"CJK UNIFIED IDEOGRAPH-20005");
    EXPECT_EQ(names.Lookup(0x20006), nullptr);
    EXPECT_EQ(names.Lookup(0x1FFFF), nullptr);
    EXPECT_EQ(names.Lookup(0xF0000), nullptr);  // private use
    // A range's name is spelled once and stays where it was handed out.
    EXPECT_EQ(names.Lookup(0x20003), names.Lookup(0x20003));
    EXPECT_EQ(Name(names, 0x0000), u"NULL");
    EXPECT_EQ(Name(names, 0x0009), u"CHARACTER TABULATION");    // the first control alias
    EXPECT_EQ(Name(names, 0x0041), u"LATIN CAPITAL LETTER A");  // a correction does not rename
    EXPECT_EQ(names.Lookup(0x0080), nullptr);
    EXPECT_EQ(Name(names, 0x3400), u"CJK UNIFIED IDEOGRAPH-3400");
    EXPECT_EQ(Name(names, 0x3405), u"CJK UNIFIED IDEOGRAPH-3405");
    EXPECT_EQ(names.Lookup(0x3406), nullptr);
    EXPECT_EQ(Name(names, 0xAC00), u"HANGUL SYLLABLE GA");
    EXPECT_EQ(Name(names, 0xAC01), u"HANGUL SYLLABLE GAG");
    EXPECT_EQ(Name(names, 0xAC03), u"HANGUL SYLLABLE GAGS");
    EXPECT_EQ(names.Lookup(0xD800), nullptr);
    EXPECT_EQ(names.Lookup(0xE000), nullptr);
    EXPECT_EQ(names.Lookup(0xF8FF), nullptr);
    EXPECT_EQ(Name(names, 0xFFFD), u"REPLACEMENT CHARACTER");
    EXPECT_EQ(names.Lookup(0xF600), nullptr);  // 1F600 is not cut to 16 bits
    // Lookup gives the name in place, zero-terminated.
    const char16_t* tab = names.Lookup(0x0009);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(std::u16string(tab), u"CHARACTER TABULATION");
    fs::remove_all(folder);
}

TEST(UnicodeNamesGenerator, RefusesARangeWithoutItsEnd) {
    const fs::path folder = TempFolder();
    Write(folder / "UnicodeData.txt", "4E00;<CJK Ideograph, First>;Lo;0;L;;;;;N;;;;;\n");
    Write(folder / "NameAliases.txt", "");
    EXPECT_NE(Generate(folder / "UnicodeData.txt", folder / "NameAliases.txt", folder / "out.bin"),
              0);
    EXPECT_FALSE(fs::exists(folder / "out.bin"));
    fs::remove_all(folder);
}

TEST(UnicodeNameTable, RefusesMissingTruncatedAndCorruptFilesNamingThem) {
    const fs::path folder = TempFolder();
    // One record for U+0041 "A": count, code, length 2, 'A', 0.
    const std::string good(
        "\x01\x00"
        "\x41\x00"
        "\x02\x00"
        "A\0"
        "\0\0",
        10);
    Write(folder / "good.bin", good);
    EXPECT_EQ(Name(CUnicodeCharDescriptions(folder / "good.bin"), 0x41), u"A");

    const auto refused = [&](const std::string& bytes) {
        Write(folder / "bad.bin", bytes);
        try {
            CUnicodeCharDescriptions names(folder / "bad.bin");
            return std::string("read");
        } catch (const CFileNotFoundException& error) {
            EXPECT_EQ(error.GetCode(), 1);
            return error.GetPath();
        }
    };
    const std::string bad = (folder / "bad.bin").string();
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        EXPECT_EQ(refused(good.substr(0, cut)), bad) << "cut at " << cut;
    }
    // A count of two with one record; a length that runs past the end; a
    // name without its zero; a length of 0.
    EXPECT_EQ(refused(std::string("\x02\x00", 2) + good.substr(2)), bad);
    EXPECT_EQ(refused(std::string("\x01\x00\x41\x00\xFF\xFF"
                                  "A\0\0\0",
                                  10)),
              bad);
    EXPECT_EQ(refused(std::string("\x01\x00\x41\x00\x02\x00"
                                  "A\0B\0",
                                  10)),
              bad);
    EXPECT_EQ(refused(std::string("\x01\x00\x41\x00\x00\x00", 6)), bad);
    // An empty table is a table.
    EXPECT_EQ(refused(std::string("\x00\x00", 2)), "read");

    // The other planes: one record for U+1F600 "G", one range 20000..20001 "C-".
    const std::string planes = good + std::string(
                                          "\x01\x00\x00\x00"
                                          "\x00\xF6\x01\x00"
                                          "\x02\x00"
                                          "G\0\0\0"
                                          "\x01\x00"
                                          "\x00\x00\x02\x00"
                                          "\x01\x00\x02\x00"
                                          "\x03\x00"
                                          "C\0-\0\0\0",
                                          32);
    Write(folder / "planes.bin", planes);
    {
        const CUnicodeCharDescriptions names(folder / "planes.bin");
        EXPECT_EQ(Name(names, 0x41), u"A");
        EXPECT_EQ(Name(names, 0x1F600), u"G");
        EXPECT_EQ(Name(names, 0x20001), u"C-20001");
        EXPECT_EQ(names.Lookup(0x20002), nullptr);
    }
    for (std::size_t cut = good.size() + 1; cut < planes.size(); ++cut) {
        EXPECT_EQ(refused(planes.substr(0, cut)), bad) << "cut at " << cut;
    }
    EXPECT_EQ(refused(planes + std::string("\0\0", 2)), bad) << "junk after the ranges";
    std::string low = planes;
    low[good.size() + 6] = 0;  // the record's code becomes U+F600
    EXPECT_EQ(refused(low), bad);
    std::string backwards = planes;
    backwards[good.size() + 18] = 0x03;  // first 30000, past its last 20001
    EXPECT_EQ(refused(backwards), bad);

    try {
        CUnicodeCharDescriptions names(folder / "missing.bin");
        ADD_FAILURE() << "a missing file was read";
    } catch (const CFileNotFoundException& error) {
        EXPECT_EQ(error.GetPath(), (folder / "missing.bin").string());
    }
    fs::remove_all(folder);
}

// The table the build made, found beside this test as the program finds
// it: names of each kind.
TEST(UnicodeNameTable, BuildsTableNamesEveryKindOfCharacter) {
    const CUnicodeCharDescriptions names;
    EXPECT_GT(names.Count(), 50000u);
    EXPECT_EQ(Name(names, 0x0000), u"NULL");
    EXPECT_EQ(Name(names, 0x000A), u"LINE FEED");
    EXPECT_EQ(Name(names, 0x0085), u"NEXT LINE");
    EXPECT_EQ(Name(names, 0x007F), u"DELETE");
    EXPECT_EQ(Name(names, 0x0041), u"LATIN CAPITAL LETTER A");
    EXPECT_EQ(Name(names, 0x00E9), u"LATIN SMALL LETTER E WITH ACUTE");
    EXPECT_EQ(Name(names, 0x4E00), u"CJK UNIFIED IDEOGRAPH-4E00");
    EXPECT_EQ(Name(names, 0x9FFF), u"CJK UNIFIED IDEOGRAPH-9FFF");
    EXPECT_EQ(Name(names, 0x4DBF), u"CJK UNIFIED IDEOGRAPH-4DBF");
    EXPECT_EQ(Name(names, 0xF900), u"CJK COMPATIBILITY IDEOGRAPH-F900");
    EXPECT_EQ(Name(names, 0xD4DB), u"HANGUL SYLLABLE PWILH");
    EXPECT_EQ(Name(names, 0xD7A3), u"HANGUL SYLLABLE HIH");
    EXPECT_EQ(Name(names, 0xFFFD), u"REPLACEMENT CHARACTER");
    for (std::uint32_t code = 0xD800; code <= 0xF8FF; code += 7) {
        EXPECT_EQ(names.Lookup(static_cast<std::uint16_t>(code)), nullptr) << code;
    }
    EXPECT_EQ(names.Lookup(0xFFFF), nullptr);  // a noncharacter
    // The other planes: named, and ranges of ideographs.
    EXPECT_EQ(Name(names, 0x1F600), u"GRINNING FACE");
    EXPECT_EQ(Name(names, 0x10000), u"LINEAR B SYLLABLE B008 A");
    EXPECT_EQ(Name(names, 0x20000), u"CJK UNIFIED IDEOGRAPH-20000");
    EXPECT_EQ(Name(names, 0x2A6DF), u"CJK UNIFIED IDEOGRAPH-2A6DF");
    EXPECT_EQ(Name(names, 0x17000), u"TANGUT IDEOGRAPH-17000");
    EXPECT_EQ(Name(names, 0x2F800), u"CJK COMPATIBILITY IDEOGRAPH-2F800");
    EXPECT_EQ(names.Lookup(0x10FFFD), nullptr);  // private use
    EXPECT_EQ(names.Lookup(0x110000), nullptr);  // past the last code point
    EXPECT_GT(names.RangeCount(), 70000u);
}
