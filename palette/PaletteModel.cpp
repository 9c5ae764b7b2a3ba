#include "palette/PaletteModel.h"

namespace Quillmark {

namespace {

int Shift(Channel channel) {
    return 8 * static_cast<int>(channel);
}

}  // namespace

QString HtmlColourText(quint32 colour) {
    return QStringLiteral("#%1%2%3")
        .arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(colour >> 8 & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(colour >> 16 & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

std::optional<quint32> ParseHtmlColour(const QString& text) {
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1Char('#'))) {
        digits.remove(0, 1);
    }
    if (digits.size() != 6) {
        return std::nullopt;
    }
    const QLatin1String hex("0123456789abcdefABCDEF");
    for (const QChar c : digits) {
        if (!hex.contains(c)) {
            return std::nullopt;
        }
    }
    const uint rgb = digits.toUInt(nullptr, 16);
    // #RRGGBB to 0x00BBGGRR.
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

CPaletteModel::CPaletteModel(QObject* parent) : QObject(parent) {}

int CPaletteModel::Value(Channel channel) const {
    return static_cast<int>(m_colour >> Shift(channel) & 0xFF);
}

void CPaletteModel::Reset(const QString& caption, quint32 colour, bool isTextColour) {
    m_caption = caption;
    m_colour = colour & 0xFFFFFF;
    m_isTextColour = isTextColour;
}

void CPaletteModel::Pick(quint32 colour) {
    m_colour = colour & 0xFFFFFF;
    emit Picked(m_colour, m_isTextColour);
}

QString CPaletteModel::ChannelEdited(Channel channel, const QString& text) {
    QString shown = text;
    uint value = 0;
    if (text.trimmed().isEmpty()) {
        shown = QStringLiteral("0");
    } else {
        bool ok = false;
        value = text.trimmed().toUInt(&ok);
        if (!ok) {
            return QString::number(Value(channel));
        }
        if (value > 255) {
            value = 255;
            shown = QStringLiteral("255");
        }
    }
    const quint32 colour = (m_colour & ~(0xFFu << Shift(channel))) | quint32(value)
                                                                         << Shift(channel);
    if (colour != m_colour) {
        Pick(colour);
    }
    return shown;
}

bool CPaletteModel::HtmlEdited(const QString& text) {
    const std::optional<quint32> colour = ParseHtmlColour(text);
    if (!colour) {
        return false;
    }
    if (*colour != m_colour) {
        Pick(*colour);
    }
    return true;
}

}  // namespace Quillmark
