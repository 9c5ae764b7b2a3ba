// The bounded cursor every table reads its fields through.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "fontdata/opentype/internal/Cursor.h"

using Varnholt::OpenTypeFontData::CCursor;

namespace {

constexpr std::size_t kHuge = std::numeric_limits<std::size_t>::max();

const std::vector<std::uint8_t> kBytes = {
    0x12,                    // u8
    0x34, 0x56,              // u16 0x3456
    0xFF, 0xFE,              // i16 -2
    0xDE, 0xAD, 0xBE, 0xEF,  // u32 0xDEADBEEF
};

}  // namespace

TEST(CursorTest, ReadsBigEndianFieldsInOrder) {
    CCursor c(kBytes);
    EXPECT_EQ(c.Size(), 9u);
    EXPECT_EQ(c.U8(), 0x12);
    EXPECT_EQ(c.U16(), 0x3456);
    EXPECT_EQ(c.I16(), -2);
    EXPECT_EQ(c.U32(), 0xDEADBEEFu);
    EXPECT_EQ(c.Position(), 9u);
    EXPECT_EQ(c.Left(), 0u);
}

TEST(CursorTest, AReadPastTheEndGivesNothingAndDoesNotMove) {
    CCursor c(kBytes);
    ASSERT_TRUE(c.Skip(6));
    EXPECT_EQ(c.U32(), std::nullopt) << "3 bytes left";
    EXPECT_EQ(c.Position(), 6u);
    EXPECT_EQ(c.U16(), 0xADBE);
    EXPECT_EQ(c.U16(), std::nullopt) << "1 byte left";
    EXPECT_EQ(c.U8(), 0xEF);
    EXPECT_EQ(c.U8(), std::nullopt);
    EXPECT_FALSE(c.Skip(1));
    EXPECT_TRUE(c.Skip(0));
    EXPECT_EQ(c.Position(), 9u);
}

TEST(CursorTest, ReadsAtAnOffsetLeaveThePositionAlone) {
    CCursor c(kBytes);
    EXPECT_EQ(c.U16At(1), 0x3456);
    EXPECT_EQ(c.U32At(5), 0xDEADBEEFu);
    EXPECT_EQ(c.U8At(8), 0xEF);
    EXPECT_EQ(c.Position(), 0u);
    // The last field that fits, one byte short, at the end, past the end,
    // and offsets whose sum with the size wraps around.
    EXPECT_EQ(c.U16At(7), 0xBEEF);
    EXPECT_EQ(c.U32At(6), std::nullopt);
    EXPECT_EQ(c.U8At(9), std::nullopt);
    EXPECT_EQ(c.U16At(100), std::nullopt);
    EXPECT_EQ(c.U16At(kHuge), std::nullopt);
    EXPECT_EQ(c.U32At(kHuge - 1), std::nullopt);
}

TEST(CursorTest, ReadsSeveralFieldsAllOrNone) {
    CCursor c(kBytes);
    std::uint8_t a = 0;
    std::uint16_t b = 0;
    std::int16_t d = 0;
    std::uint32_t e = 0;
    ASSERT_TRUE(c.Read(a, b, d, e));
    EXPECT_EQ(a, 0x12);
    EXPECT_EQ(b, 0x3456);
    EXPECT_EQ(d, -2);
    EXPECT_EQ(e, 0xDEADBEEFu);

    // Nine bytes are there; ten are asked for: nothing is written or moved.
    CCursor truncated(kBytes);
    std::uint32_t x = 7;
    std::uint32_t y = 7;
    std::uint16_t z = 7;
    EXPECT_FALSE(truncated.Read(x, y, z));
    EXPECT_EQ(x, 7u);
    EXPECT_EQ(y, 7u);
    EXPECT_EQ(z, 7u);
    EXPECT_EQ(truncated.Position(), 0u);
}

TEST(CursorTest, ByteArraysAreTakenAsTheyAre) {
    CCursor c(kBytes);
    std::array<std::uint8_t, 3> head{};
    std::array<std::uint8_t, 6> rest{};
    ASSERT_TRUE(c.Read(head, rest));
    EXPECT_EQ(head, (std::array<std::uint8_t, 3>{0x12, 0x34, 0x56}));
    EXPECT_EQ(rest[5], 0xEF);
    std::array<std::uint8_t, 1> more{};
    EXPECT_FALSE(c.Read(more));
}

TEST(CursorTest, ArraysAreReadWholeOrNotAtAll) {
    CCursor c(kBytes);
    ASSERT_TRUE(c.Skip(1));
    std::array<char16_t, 4> units{};
    ASSERT_TRUE(c.ReadArray(std::span<char16_t>(units)));  // 8 bytes: all that is left
    EXPECT_EQ(units, (std::array<char16_t, 4>{0x3456, 0xFFFE, 0xDEAD, 0xBEEF}));
    EXPECT_TRUE(c.ReadArray(std::span<char16_t>()));

    CCursor odd(kBytes);  // 9 bytes: four units fit, five do not
    std::array<std::uint16_t, 5> five{1, 1, 1, 1, 1};
    EXPECT_FALSE(odd.ReadArray(std::span<std::uint16_t>(five)));
    EXPECT_EQ(five[0], 1);
    EXPECT_EQ(odd.Position(), 0u);
    std::array<std::uint32_t, 2> words{};
    ASSERT_TRUE(odd.ReadArray(std::span<std::uint32_t>(words)));
    EXPECT_EQ(words[0], 0x123456FFu);
    EXPECT_EQ(odd.Left(), 1u);
}

TEST(CursorTest, SubRangesLieInsideTheirRange) {
    const CCursor c(kBytes);
    auto inner = c.Sub(5, 4);
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->Size(), 4u);
    EXPECT_EQ(inner->U32(), 0xDEADBEEFu);
    EXPECT_TRUE(c.Sub(9, 0)) << "an empty range at the end";
    EXPECT_FALSE(c.Sub(5, 5));
    EXPECT_FALSE(c.Sub(10, 0));
    EXPECT_FALSE(c.Sub(1, kHuge)) << "offset + length wraps";
    EXPECT_FALSE(c.Sub(kHuge, 2));
    // A sub-range cannot see past its own end, though its parent goes on.
    auto head = c.Sub(0, 2);
    ASSERT_TRUE(head);
    EXPECT_EQ(head->U16(), 0x1234);
    EXPECT_EQ(head->U8(), std::nullopt);
}

TEST(CursorTest, AnEmptyCursorReadsNothing) {
    CCursor c;
    EXPECT_EQ(c.U8(), std::nullopt);
    EXPECT_EQ(c.U16At(0), std::nullopt);
    std::uint16_t v = 0;
    EXPECT_FALSE(c.Read(v));
    EXPECT_TRUE(c.Read()) << "no fields: nothing to fail";
    EXPECT_TRUE(c.Sub(0, 0));
}
