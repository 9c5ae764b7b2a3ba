#pragma once

// What the two palettes show, computed without a window: the basic grid's
// 138 cells and the advanced field's 384 × 256 colours. Colours are
// 0x00BBGGRR.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <array>

#include <Tintora/TintoraExport.h>

namespace Tintora {

constexpr int kCellCount = 138;
constexpr int kCellWidth = 24;
constexpr int kCellHeight = 25;
constexpr int kCellsPerRow = 16;
constexpr int kFieldWidth = 384;
constexpr int kFieldHeight = 256;
// Where the marker goes when no colour of the field is near enough: off
// the field, so that none is drawn.
constexpr QPoint kOffField{65535, 65535};
// How far each channel may lie from the wanted colour when the field is
// searched for it.
constexpr int kFieldTolerance = 6;

struct CBasicCell {
    QRect rect;  // 24 × 25 pixels
    quint32 colour;
};

TINTORA_EXPORT const std::array<CBasicCell, kCellCount>& BasicCells();
// The cell under a point of the grid, or -1.
TINTORA_EXPORT int BasicCellAt(QPoint point);
// The first cell with exactly this colour, or -1.
TINTORA_EXPORT int BasicCellOf(quint32 colour);

// The field's colour at column x (0..383) and row y (0..255).
TINTORA_EXPORT quint32 FieldColour(int x, int y);
// The whole field as an RGB32 image, built once and shared.
TINTORA_EXPORT const QImage& FieldImage();
// The first pixel, column by column, whose channels all lie within ±6 of
// the colour's; kOffField when there is none.
TINTORA_EXPORT QPoint FieldPositionOf(quint32 colour);

constexpr quint32 Colour(int red, int green, int blue) {
    return quint32(red & 0xFF) | quint32(green & 0xFF) << 8 | quint32(blue & 0xFF) << 16;
}
constexpr int Red(quint32 colour) {
    return int(colour & 0xFF);
}
constexpr int Green(quint32 colour) {
    return int(colour >> 8 & 0xFF);
}
constexpr int Blue(quint32 colour) {
    return int(colour >> 16 & 0xFF);
}

}  // namespace Tintora
