#pragma once

// The preview line of a font item, drawn from the item's own file: the one
// drawing used by the font list and quillmark-cli.

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <vector>

#include "core/OptionTypes.h"
#include "fontdata/design/FontDesign.h"
#include "fontdata/item/FontItem.h"

class QPainter;

namespace Quillmark {

// How preview lines are drawn: a cell height (ascent plus descent, pixels)
// and a quality, as FontListCharSize and FontListRenderingOption give them.
// The drawer holds it, not the font: a new look is one value for every row,
// and the exact-font cache keeps each font open at the looks being drawn.
struct CPreviewLook {
    CPreviewLook() = default;
    CPreviewLook(int cellHeight, Rendering rendering) : height(cellHeight), quality(rendering) {}

    int height = 24;
    Rendering quality = Rendering::Default;
    // A variable font's axes and the layout features, as the exact-font
    // cache draws them (none: the font's default design and features).
    std::vector<Varnholt::OpenTypeFontData::CAxisValue> variations;
    std::vector<Varnholt::OpenTypeFontData::CFeatureChoice> features;
    bool operator==(const CPreviewLook&) const = default;
};

// The text a font's preview shows, so that a row shows the design rather
// than empty boxes: `text` when the font maps all of it; otherwise a line of
// the script most of the font's characters belong to (the Latin pangram for
// a Latin font); for a font of symbols alone, or of a script without a line
// here, the font's own first characters.
QString PreviewTextFor(const CFontItem& item, const QString& text, const CPreviewLook& look = {});

// Draws `text` in `rect` (vertically centred, cut with an ellipsis when too
// wide). Returns false, drawing nothing, for a font that could not be read.
bool DrawPreviewLine(QPainter& painter, const QRectF& rect, const CFontItem& item,
                     const CPreviewLook& look, const QString& text, const QColor& color);

// What stands where a font that was read cannot be drawn from its own file
// (the renderer refuses the file): never another font's drawing of the text.
QString UndrawableFontText();
// Draws that text in `font` (the user interface's), in `color`, aligned as
// `alignment` says and cut with an ellipsis when too wide.
void DrawUndrawableNote(QPainter& painter, const QRectF& rect, const QFont& font,
                        const QColor& color,
                        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);

// Whether drawing the line costs no reading: the font is open already, or
// it is not drawn at all.
bool PreviewLineReady(const CFontItem& item, const CPreviewLook& look);

// The width the line needs, uncut; 0 for a font that could not be read.
qreal PreviewLineWidth(const CFontItem& item, const CPreviewLook& look, const QString& text);

}  // namespace Quillmark
