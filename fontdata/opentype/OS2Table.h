#pragma once

#include <array>

#include "fontdata/opentype/internal/DataStructure.h"

namespace Varnholt::OpenTypeFontData {

// The `OS/2` table. Unlike the other tables it may be parsed again: a second
// `OS/2` record is read over the first.
class COS2Table : public IDataStructure {
public:
    static constexpr std::uint32_t kMinimumAvailable = 100;

    // Returns 80 for version 0 (and 4 or later), 88 for version 1, 98 for
    // versions 2 and 3.
    std::uint32_t Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) override;

    std::uint16_t version = 0;
    std::int16_t xAvgCharWidth = 0;
    std::uint16_t usWeightClass = 0;
    std::uint16_t usWidthClass = 0;
    std::uint16_t fsType = 0;
    std::int16_t ySubscriptXSize = 0;
    std::int16_t ySubscriptYSize = 0;
    std::int16_t ySubscriptXOffset = 0;
    std::int16_t ySubscriptYOffset = 0;
    std::int16_t ySuperscriptXSize = 0;
    std::int16_t ySuperscriptYSize = 0;
    std::int16_t ySuperscriptXOffset = 0;
    std::int16_t ySuperscriptYOffset = 0;
    std::int16_t yStrikeoutSize = 0;
    std::int16_t yStrikeoutPosition = 0;
    std::int16_t sFamilyClass = 0;
    std::array<std::uint8_t, 10> panose{};
    std::uint32_t ulUnicodeRange1 = 0;
    std::uint32_t ulUnicodeRange2 = 0;
    std::uint32_t ulUnicodeRange3 = 0;
    std::uint32_t ulUnicodeRange4 = 0;
    std::array<std::uint8_t, 4> achVendID{};
    std::uint16_t fsSelection = 0;
    std::uint16_t usFirstCharIndex = 0;
    std::uint16_t usLastCharIndex = 0;
    std::int16_t sTypoAscender = 0;
    std::int16_t sTypoDescender = 0;
    std::int16_t sTypoLineGap = 0;
    std::uint16_t usWinAscent = 0;
    std::uint16_t usWinDescent = 0;
    std::uint32_t ulCodePageRange1 = 0;  // version 1 and later
    std::uint32_t ulCodePageRange2 = 0;
    std::int16_t sxHeight = 0;  // versions 2 and 3
    std::int16_t sCapHeight = 0;
    std::uint16_t usDefaultChar = 0;
    std::uint16_t usBreakChar = 0;
    std::uint16_t usMaxContext = 0;
};

}  // namespace Varnholt::OpenTypeFontData
