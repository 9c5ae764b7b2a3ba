#pragma once

// The preview line of a font item, drawn from the item's own file with its
// preview font: the one drawing used by the font list and quillmark-cli.

#include <QColor>
#include <QRectF>
#include <QString>

#include "fontdata/item/FontItem.h"

class QPainter;

namespace Quillmark {

// The text a font's preview shows: `text`, or, when the font lacks most of
// its characters (a font for another script), a sample that the font
// covers, so that a row shows the design rather than empty boxes.
QString PreviewTextFor(const CFontItem& item, const QString& text);

// Draws `text` in `rect` (vertically centred, cut with an ellipsis when too
// wide). Returns false, drawing nothing, for a font that could not be read.
bool DrawPreviewLine(QPainter& painter, const QRectF& rect, const CFontItem& item,
                     const QString& text, const QColor& color);

// The width the line needs, uncut; 0 for a font that could not be read.
qreal PreviewLineWidth(const CFontItem& item, const QString& text);

}  // namespace Quillmark
