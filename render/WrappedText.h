#pragma once

// Text of several lines drawn from a font's own file: broken at spaces (and
// at the text's own line breaks) so that each line fits a width, as the
// exact-font cache shapes it with the look's design. For what a rich text
// editor cannot draw: a variable font at chosen axes, chosen features.

#include <QRectF>
#include <QString>
#include <QStringList>

#include "render/ExactFont.h"

class QPainter;
class QColor;

namespace Quillmark::Platform {

// The lines `text` breaks into at `width` pixels: at its own line breaks,
// then after the last space that lets a line fit; a word wider than the
// width is a line of its own. Empty when the font cannot be opened.
QStringList WrapText(CExactFontCache& fonts, const QString& path, const CTextLook& look,
                     const QString& text, qreal width);

// Draws the lines from the top of `rect`, one cell height apart plus
// `spacing`, left-aligned, clipped to the rectangle. Returns the height the
// lines take; 0, drawing nothing, when the font cannot be opened.
qreal DrawWrappedText(QPainter& painter, CExactFontCache& fonts, const QRectF& rect,
                      const QString& path, const CTextLook& look, const QString& text,
                      const QColor& color, qreal spacing = 0);

}  // namespace Quillmark::Platform
