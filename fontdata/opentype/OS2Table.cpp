#include "fontdata/opentype/OS2Table.h"

namespace Varnholt::OpenTypeFontData {

namespace {
// Bytes read for each layout, and the sizes the parse reports for them.
constexpr std::uint32_t kVersion0Bytes = 78;
constexpr std::uint32_t kVersion1Bytes = 86;
constexpr std::uint32_t kVersion2Bytes = 96;
constexpr std::uint32_t kVersion0Size = 80;
constexpr std::uint32_t kVersion1Size = 88;
constexpr std::uint32_t kVersion2Size = 98;
}  // namespace

std::uint32_t COS2Table::Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) {
    if (available < kMinimumAvailable) {
        return 0;
    }
    const std::uint8_t* bytes = image.Bytes(offset, kVersion0Bytes);
    if (bytes == nullptr) {
        return 0;
    }
    const CBigEndian be(bytes);
    version = be.U16(0);
    xAvgCharWidth = be.I16(2);
    usWeightClass = be.U16(4);
    usWidthClass = be.U16(6);
    fsType = be.U16(8);
    ySubscriptXSize = be.I16(10);
    ySubscriptYSize = be.I16(12);
    ySubscriptXOffset = be.I16(14);
    ySubscriptYOffset = be.I16(16);
    ySuperscriptXSize = be.I16(18);
    ySuperscriptYSize = be.I16(20);
    ySuperscriptXOffset = be.I16(22);
    ySuperscriptYOffset = be.I16(24);
    yStrikeoutSize = be.I16(26);
    yStrikeoutPosition = be.I16(28);
    sFamilyClass = be.I16(30);
    for (std::uint32_t i = 0; i < panose.size(); ++i) {
        panose[i] = be.U8(32 + i);
    }
    ulUnicodeRange1 = be.U32(42);
    ulUnicodeRange2 = be.U32(46);
    ulUnicodeRange3 = be.U32(50);
    ulUnicodeRange4 = be.U32(54);
    for (std::uint32_t i = 0; i < achVendID.size(); ++i) {
        achVendID[i] = be.U8(58 + i);
    }
    fsSelection = be.U16(62);
    usFirstCharIndex = be.U16(64);
    usLastCharIndex = be.U16(66);
    sTypoAscender = be.I16(68);
    sTypoDescender = be.I16(70);
    sTypoLineGap = be.I16(72);
    usWinAscent = be.U16(74);
    usWinDescent = be.U16(76);

    if (version != 1 && version != 2 && version != 3) {
        return kVersion0Size;
    }
    const std::uint8_t* more = image.Bytes(offset, version == 1 ? kVersion1Bytes : kVersion2Bytes);
    if (more == nullptr) {
        return 0;
    }
    const CBigEndian ext(more);
    ulCodePageRange1 = ext.U32(78);
    ulCodePageRange2 = ext.U32(82);
    if (version == 1) {
        return kVersion1Size;
    }
    sxHeight = ext.I16(86);
    sCapHeight = ext.I16(88);
    usDefaultChar = ext.U16(90);
    usBreakChar = ext.U16(92);
    usMaxContext = ext.U16(94);
    return kVersion2Size;
}

}  // namespace Varnholt::OpenTypeFontData
