#include "ui/inspect/DetailFrameState.h"

#include <QCoreApplication>

#include "core/ProgramOptions.h"

namespace Quillmark {

namespace {

QString WithoutUnit(QString text) {
    text.remove(QLatin1Char('p'));
    text.remove(QLatin1Char('x'));
    return text.trimmed();
}

}  // namespace

CDetailFrameState::CDetailFrameState(CProgramOptions& options) : m_options(options) {}

DetailMode CDetailFrameState::Mode() const {
    switch (m_options.GetFontDetailMode()) {
        case 1:
            return DetailMode::FontMap;
        case 2:
            return DetailMode::Waterfall;
        default:
            return DetailMode::Preview;
    }
}

bool CDetailFrameState::SetMode(DetailMode mode) {
    if (mode == Mode() && m_options.GetFontDetailMode() <= 2) {
        return false;
    }
    m_options.SetFontDetailMode(static_cast<quint32>(mode));
    return true;
}

QString CDetailFrameState::SizeText() const {
    return SizeText(Mode() == DetailMode::FontMap ? m_options.GetFontMapSize()
                                                  : m_options.GetPreviewFontSize());
}

quint32 CDetailFrameState::TextColour() const {
    return Mode() == DetailMode::FontMap ? m_options.GetFontMapFontColor()
                                         : m_options.GetPreviewFontColor();
}

quint32 CDetailFrameState::BackgroundColour() const {
    return Mode() == DetailMode::FontMap ? m_options.GetFontMapBackgroundColor()
                                         : m_options.GetPreviewBackgroundColor();
}

QString CDetailFrameState::SizeText(unsigned int pixels) {
    return QCoreApplication::translate("Quillmark", "%1 px").arg(pixels);
}

QStringList CDetailFrameState::StandardSizeTexts() {
    QStringList texts;
    for (const unsigned short size : kStandardSizes) {
        texts << SizeText(size);
    }
    return texts;
}

std::optional<unsigned short> CDetailFrameState::ChosenSize(const QString& text) {
    bool ok = false;
    const int size = WithoutUnit(text).toInt(&ok);
    if (!ok || size < kSmallestSize || size > kLargestSize) {
        return std::nullopt;
    }
    return static_cast<unsigned short>(size);
}

std::optional<unsigned short> CDetailFrameState::TypedSize(const QString& text) {
    const QString rest = WithoutUnit(text);
    // Digits alone: no sign, no blanks inside, no other letters.
    if (rest.isEmpty() || rest.size() > 5 ||
        !std::all_of(rest.begin(), rest.end(), [](QChar c) { return c.isDigit(); })) {
        return std::nullopt;
    }
    bool ok = false;
    const unsigned short size = rest.toUShort(&ok);
    if (!ok || size < kSmallestSize || size > kLargestSize) {
        return std::nullopt;
    }
    return size;
}

}  // namespace Quillmark
