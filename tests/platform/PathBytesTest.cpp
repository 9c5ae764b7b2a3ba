// File names that are not UTF-8, kept byte for byte through text.

#include <gtest/gtest.h>

#include <string>

#include "core/PathText.h"
#include "platform/PathBytes.h"

using namespace Quillmark;
using namespace Quillmark::Platform;

TEST(PathBytesTest, EveryNameSurvivesTheRoundTripThroughText) {
    const std::string names[] = {
        "plain.ttf",
        "caf\xe9.ttf",             // Latin-1
        "\xc3\xa9t\xc3\xa9.otf",   // valid UTF-8
        "\xf0\x9f\x98\x80.ttf",    // beyond the BMP
        "\xc0\x80 overlong",       // an overlong NUL
        "\xed\xa0\x80 surrogate",  // an encoded surrogate
        "\xe2\x82 cut",
        "cut \xe2\x82",               // a sequence cut short
        "\xf5\x80\x80\x80 too high",  // beyond U+10FFFF
        "\xff\xfe\x80\xbf",           // stray bytes
    };
    for (const auto& name : names) {
        EXPECT_EQ(PathTextToBytes(PathBytesToText(name)), name) << name;
        EXPECT_EQ(FilePath(PathText(name)).native(), name) << name;
    }
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string name(1, static_cast<char>(byte));
        EXPECT_EQ(PathBytesToText(name), std::u16string(1, static_cast<char16_t>(0xDC00 + byte)));
        EXPECT_EQ(FilePath(PathText(name)).native(), name);
    }
    EXPECT_EQ(PathBytesToText("caf\xc3\xa9\xe9"), u"caf\u00e9\xdce9");
    EXPECT_EQ(PathBytesToText("\xf0\x9f\x98\x80"), u"\U0001F600");
}

TEST(PathBytesTest, ShownNamesReplaceWhatDoesNotDecodeAndShowControlCharacters) {
    EXPECT_EQ(PathDisplayText("caf\xe9.ttf"), "caf\xef\xbf\xbd.ttf");
    EXPECT_EQ(PathDisplayText("\xc3\xa9"), "\xc3\xa9");
    EXPECT_EQ(PathDisplayText(FilePath(PathText("caf\xe9")).native()), "caf\xef\xbf\xbd");
    EXPECT_EQ(PathDisplayText("caf\xe9").size(), PathDisplayText("caf\xff").size());
    EXPECT_EQ(PathDisplayText("x\xe9").find("\xe9"), std::string::npos);

    EXPECT_EQ(TerminalText("red\x1b[31m.ttf"), "red\\x1b[31m.ttf");
    EXPECT_EQ(TerminalText(std::string("a\0b\x7f", 4)), "a\\x00b\\x7f");
    EXPECT_EQ(TerminalText("csi\xc2\x9b"
                           "31m"),
              "csi\\u009b31m");  // C1 control
    EXPECT_EQ(TerminalText("tab\there\n"), "tab\\x09here\\x0a");
    EXPECT_EQ(TerminalText("\xe9t\xc3\xa9"), "\xef\xbf\xbdt\xc3\xa9");
}
