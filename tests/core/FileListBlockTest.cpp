#include <gtest/gtest.h>

#include "core/FileListBlock.h"

using Quillmark::DecodeFileListBlock;
using Quillmark::EncodeFileListBlock;

namespace {

QByteArray Header() {
    // offset 20, point (0, 0), non-client 0, wide 1; little-endian.
    return QByteArray::fromHex(
        "14000000"
        "00000000"
        "00000000"
        "00000000"
        "01000000");
}

}  // namespace

TEST(FileListBlockTest, BytesOfTheBlock) {
    EXPECT_EQ(EncodeFileListBlock({}), Header() + QByteArray::fromHex("0000"));
    EXPECT_EQ(EncodeFileListBlock({}).size(), 22);

    const QByteArray one = EncodeFileListBlock({"/a.ttf"});
    EXPECT_EQ(one.size(), 36);
    EXPECT_EQ(one.left(20), Header());
    EXPECT_EQ(one.mid(20), QByteArray::fromHex("2f0061002e00740074006600"
                                               "0000"
                                               "0000"));

    const QByteArray several =
        EncodeFileListBlock({"/x/A.otf", "/y/\u00e9t\u00e9.ttf", "/z/\U0001F600.ttf"});
    // The emoji is two UTF-16 code units; every path ends with a zero, one more zero ends the list.
    EXPECT_EQ(several.size(), 20 + 2 * (8 + 1) + 2 * (10 + 1) + 2 * (9 + 1) + 2);
    EXPECT_EQ(several.mid(36, 6), QByteArray::fromHex("0000"
                                                      "2f00"
                                                      "7900"));
    EXPECT_EQ(several.mid(44, 2), QByteArray::fromHex("e900"));  // é in UTF-16LE
    EXPECT_EQ(DecodeFileListBlock(several),
              QStringList({"/x/A.otf", "/y/\u00e9t\u00e9.ttf", "/z/\U0001F600.ttf"}));
    EXPECT_EQ(DecodeFileListBlock(EncodeFileListBlock({})), QStringList());
}

TEST(FileListBlockTest, MalformedBlocksAreRefused) {
    const QByteArray good = EncodeFileListBlock({"/a.ttf"});
    EXPECT_FALSE(DecodeFileListBlock(good.left(19)).has_value());  // shorter than the header
    EXPECT_FALSE(DecodeFileListBlock(good.left(good.size() - 2)).has_value());  // no closing zero
    EXPECT_FALSE(DecodeFileListBlock(good.left(30)).has_value());  // a path without its zero
    QByteArray narrow = good;
    narrow[16] = 0;  // not wide characters
    EXPECT_FALSE(DecodeFileListBlock(narrow).has_value());
    QByteArray far = good;
    far[0] = 100;  // the list offset points past the end
    EXPECT_FALSE(DecodeFileListBlock(far).has_value());
    QByteArray odd = good;
    odd.chop(1);  // half a code unit at the end
    EXPECT_FALSE(DecodeFileListBlock(odd).has_value());
}
