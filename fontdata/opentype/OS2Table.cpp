#include "fontdata/opentype/OS2Table.h"

#include "fontdata/opentype/internal/Cursor.h"

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
    auto cursor = BeginParse(image, offset, available, kMinimumAvailable, kVersion0Bytes);
    if (!cursor ||
        !cursor->Read(version, xAvgCharWidth, usWeightClass, usWidthClass, fsType, ySubscriptXSize,
                      ySubscriptYSize, ySubscriptXOffset, ySubscriptYOffset, ySuperscriptXSize,
                      ySuperscriptYSize, ySuperscriptXOffset, ySuperscriptYOffset, yStrikeoutSize,
                      yStrikeoutPosition, sFamilyClass, panose, ulUnicodeRange1, ulUnicodeRange2,
                      ulUnicodeRange3, ulUnicodeRange4, achVendID, fsSelection, usFirstCharIndex,
                      usLastCharIndex, sTypoAscender, sTypoDescender, sTypoLineGap, usWinAscent,
                      usWinDescent)) {
        return 0;
    }
    if (version != 1 && version != 2 && version != 3) {
        return kVersion0Size;
    }
    // The later fields follow at table offset 78; the image is asked for the
    // whole of the longer layout, from the table's start.
    auto more = CursorAt(image, offset, version == 1 ? kVersion1Bytes : kVersion2Bytes);
    if (!more || !more->Skip(kVersion0Bytes) || !more->Read(ulCodePageRange1, ulCodePageRange2)) {
        return 0;
    }
    if (version == 1) {
        return kVersion1Size;
    }
    if (!more->Read(sxHeight, sCapHeight, usDefaultChar, usBreakChar, usMaxContext)) {
        return 0;
    }
    return kVersion2Size;
}

}  // namespace Varnholt::OpenTypeFontData
