#include "render/WrappedText.h"

#include <QColor>
#include <QPainter>

namespace Quillmark::Platform {

QStringList WrapText(CExactFontCache& fonts, const QString& path, const CTextLook& look,
                     const QString& text, qreal width) {
    QStringList lines;
    if (!fonts.Shape(path, look, QString()).IsValid()) {
        return lines;
    }
    QString paragraphs = text;
    paragraphs.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    paragraphs.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    paragraphs.replace(QChar::LineSeparator, QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs.split(QLatin1Char('\n'))) {
        const QStringList words = paragraph.split(QLatin1Char(' '));
        QString line;
        for (const QString& word : words) {
            const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && fonts.Shape(path, look, longer).width > width) {
                lines << line;
                line = word;
            } else {
                line = longer;
            }
        }
        lines << line;
    }
    return lines;
}

qreal DrawWrappedText(QPainter& painter, CExactFontCache& fonts, const QRectF& rect,
                      const QString& path, const CTextLook& look, const QString& text,
                      const QColor& color, qreal spacing) {
    const QStringList lines = WrapText(fonts, path, look, text, rect.width());
    if (lines.isEmpty()) {
        return 0;
    }
    const qreal step = look.cellHeight + spacing;
    qreal top = rect.top();
    for (const QString& line : lines) {
        if (top > rect.bottom()) {
            break;
        }
        const CShapedLine shaped = fonts.Shape(path, look, line);
        const QPointF origin(rect.left(), top + shaped.ascent);
        CExactFontCache::DrawShaped(painter, rect, origin, shaped, look, color);
        top += step;
    }
    return static_cast<qreal>(lines.size()) * step;
}

}  // namespace Quillmark::Platform
