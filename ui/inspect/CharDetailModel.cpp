#include "ui/inspect/CharDetailModel.h"

#include <algorithm>

namespace Quillmark {

void CCharDetailModel::SetCharacter(char32_t code, const QString& name) {
    m_code = code;
    m_name = name;
}

QString CCharDetailModel::Text() const {
    const QString hex = QString::number(static_cast<uint>(m_code), 16).toUpper();
    return QStringLiteral("U+") + hex.rightJustified(4, QLatin1Char('0')) + QLatin1Char('\n') +
           m_name;
}

QRect CCharDetailModel::BandRect(QSize client, int textHeight) {
    const int band = std::min(client.height(), std::max(0, textHeight) + kBandPadding);
    return {0, client.height() - band, client.width(), band};
}

QRect CCharDetailModel::GlyphRect(QSize client, int textHeight) {
    const QRect band = BandRect(client, textHeight);
    return {0, 0, client.width(), band.top()};
}

void CCharDetailModel::GlyphMade(int glyphHeight) {
    m_glyphHeight = glyphHeight;
    m_stale = false;
}

QRect CCharDetailModel::Placement(const CPair& position, const CPair& size, const QRect& screen,
                                  QSize first) {
    const bool never = position[0] == -1 && position[1] == -1 && size[0] == -1 && size[1] == -1;
    // A stored size without area would make the window unreachable: it is
    // placed as the first time.
    if (never || size[0] <= 0 || size[1] <= 0) {
        QRect rect(QPoint(0, 0), first.boundedTo(screen.size()));
        rect.moveCenter(screen.center());
        return rect;
    }
    return {position[0], position[1], size[0], size[1]};
}

}  // namespace Quillmark
