#include <Tintora/PaletteData.h>

#include <cstdlib>

namespace Tintora {

namespace {

// In cell order. The first sixteen are the sixteen standard display
// colours; 0xFFF8F8 stands twice, at cells 78 and 111.
constexpr std::array<quint32, kCellCount> kColours = {
    0x008000, 0x00FF00, 0x808000, 0xFFFF00, 0x800000, 0xFF0000, 0x800080, 0xFF00FF, 0x000080,
    0x0000FF, 0x008080, 0x00FFFF, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x2F6B55, 0x006400,
    0x4F4F2F, 0x908070, 0x8B0000, 0x701919, 0x82004B, 0x8B008B, 0x2A2AA5, 0x00008B, 0x2D52A0,
    0x13458B, 0x0B86B8, 0xDCF5F5, 0xF0FFF0, 0x696969, 0x238E6B, 0x228B22, 0x8B8B00, 0x998877,
    0xCD0000, 0x8B3D48, 0xD30094, 0x8515C7, 0x5C5CCD, 0x2222B2, 0x1E69D2, 0x3F85CD, 0x20A5DA,
    0xD2FAFA, 0xFAFFF5, 0xA9A9A9, 0x32CD9A, 0x578B2E, 0xA09E5F, 0xB48246, 0xE16941, 0xE22B8A,
    0xCC3299, 0x9314FF, 0x8F8FBC, 0x3C14DC, 0x008CFF, 0x87B8DE, 0x6BB7BD, 0xE0FFFF, 0xFFFFF0,
    0xD3D3D3, 0x00FC7C, 0x71B33C, 0xAAB220, 0xFFBF00, 0xFF901E, 0xCD5A6A, 0xD355BA, 0x9370DB,
    0x7280FA, 0x0045FF, 0x60A4F4, 0x8CB4D2, 0x00D7FF, 0xF0FFFF, 0xFFF8F8, 0xDCDCDC, 0x00FF7F,
    0x32CD32, 0xAACD66, 0xD1CE00, 0xED9564, 0xEE687B, 0xD670DA, 0xB469FF, 0x8080F0, 0x4763FF,
    0x00A5FF, 0xC4E4FF, 0x8CE6F0, 0xDCF8FF, 0xE6F0FA, 0xF5F5F5, 0x2FFFAD, 0x8BBC8F, 0xD0E040,
    0xCCD148, 0xEBCE87, 0xDB7093, 0xEE82EE, 0xC1B6FF, 0x7A96E9, 0x507FFF, 0xADDEFF, 0xCDEBFF,
    0xAAE8EE, 0xE6F5FD, 0xEEF5FF, 0xFFF8F8, 0x98FB98, 0x7FFF00, 0xD4FF7F, 0xE6E0B0, 0xFACE87,
    0xDEC4B0, 0xDDA0DD, 0xCBC0FF, 0x7AA0FF, 0xB3DEF5, 0xB5E4FF, 0xD7EBFA, 0xCDFAFF, 0xF0FAFF,
    0xFAFAFF, 0xFFF8F0, 0x90EE90, 0x9AFA00, 0xEEEEAF, 0xFFFFE0, 0xE6D8AD, 0xFAE6E6, 0xD8BFD8,
    0xE1E4FF, 0xB9DAFF, 0xD5EFFF,
};

std::array<CBasicCell, kCellCount> MakeCells() {
    std::array<CBasicCell, kCellCount> cells{};
    for (int i = 0; i < kCellCount; ++i) {
        cells[i] = {QRect(kCellWidth * (i % kCellsPerRow), kCellHeight * (i / kCellsPerRow),
                          kCellWidth, kCellHeight),
                    kColours[i]};
    }
    return cells;
}

// The column's hue: six segments of 64 columns, each with a rising and a
// falling ramp truncated from single-precision products.
void BaseColour(int x, int& red, int& green, int& blue) {
    const int segment = x / 64;
    const int k = x % 64;
    const int up = static_cast<int>(static_cast<float>(k) / 64.0f * 255.0f);
    const int down = static_cast<int>(static_cast<float>(64 - k) / 64.0f * 255.0f);
    switch (segment) {
        case 0:
            red = 255, green = up, blue = 0;
            break;
        case 1:
            red = down, green = 255, blue = 0;
            break;
        case 2:
            red = 0, green = 255, blue = up;
            break;
        case 3:
            red = 0, green = down, blue = 255;
            break;
        case 4:
            red = up, green = 0, blue = 255;
            break;
        default:
            red = 255, green = 0, blue = down;
            break;
    }
}

// Row 127 is the hue; rows above blend towards white, rows below darken.
int Lightened(int value, int y) {
    if (y < 127) {
        const float x = static_cast<float>(127 - y) / 127.0f;
        return static_cast<int>(static_cast<float>(value) + x * static_cast<float>(255 - value));
    }
    if (y == 127) {
        return value;
    }
    const float factor = static_cast<float>(255 - 2 * (y - 128)) / 255.0f;
    return static_cast<int>(static_cast<float>(value) * factor);
}

QImage MakeField() {
    QImage image(kFieldWidth, kFieldHeight, QImage::Format_RGB32);
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int y = 0; y < kFieldHeight; ++y) {
            const quint32 c = FieldColour(x, y);
            image.setPixel(x, y, qRgb(Red(c), Green(c), Blue(c)));
        }
    }
    return image;
}

}  // namespace

const std::array<CBasicCell, kCellCount>& BasicCells() {
    static const std::array<CBasicCell, kCellCount> cells = MakeCells();
    return cells;
}

int BasicCellAt(QPoint point) {
    if (point.x() < 0 || point.y() < 0 || point.x() >= kFieldWidth || point.y() >= kFieldHeight) {
        return -1;
    }
    const int index = point.x() / kCellWidth + point.y() / kCellHeight * kCellsPerRow;
    return index < kCellCount ? index : -1;
}

int BasicCellOf(quint32 colour) {
    for (int i = 0; i < kCellCount; ++i) {
        if (kColours[i] == colour) {
            return i;
        }
    }
    return -1;
}

quint32 FieldColour(int x, int y) {
    int red = 0, green = 0, blue = 0;
    BaseColour(x, red, green, blue);
    return Colour(Lightened(red, y), Lightened(green, y), Lightened(blue, y));
}

const QImage& FieldImage() {
    static const QImage image = MakeField();
    return image;
}

QPoint FieldPositionOf(quint32 colour) {
    const auto near = [](int a, int b) { return std::abs(a - b) <= kFieldTolerance; };
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int y = 0; y < kFieldHeight; ++y) {
            const quint32 c = FieldColour(x, y);
            if (near(Red(c), Red(colour)) && near(Green(c), Green(colour)) &&
                near(Blue(c), Blue(colour))) {
                return {x, y};
            }
        }
    }
    return kOffField;
}

}  // namespace Tintora
