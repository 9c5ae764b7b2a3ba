#pragma once

// What the detail frame shows above its view, without widgets: the mode
// (0 preview, 1 font map, 2 waterfall), the size and the two colours of that mode as the
// options hold them, and the rules of the size box.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "core/OptionTypes.h"

namespace Quillmark {

class CProgramOptions;

enum class DetailMode { Preview = 0, FontMap = 1, Waterfall = 2 };

class CDetailFrameState {
public:
    // The sizes the size box offers, in pixels, in this order.
    static constexpr std::array<unsigned short, 14> kStandardSizes = {
        12, 14, 18, 24, 32, 36, 48, 64, 70, 100, 120, 150, 200, 240};
    static constexpr unsigned short kSmallestSize = kSmallestTextSize;
    static constexpr unsigned short kLargestSize = kLargestTextSize;

    explicit CDetailFrameState(CProgramOptions& options);

    DetailMode Mode() const;
    // Stores the mode in FontDetailMode; false when it was the mode already.
    bool SetMode(DetailMode mode);

    // The current mode's size, as "%d px".
    QString SizeText() const;
    // The current mode's colours, 0x00BBGGRR.
    quint32 TextColour() const;
    quint32 BackgroundColour() const;

    static QString SizeText(unsigned int pixels);
    static QStringList StandardSizeTexts();
    // The size of a chosen entry: its text without "p" and "x", trimmed.
    static std::optional<unsigned short> ChosenSize(const QString& text);
    // The size of typed text: the same, but the whole rest must be a number
    // from 6 to 300; nothing otherwise.
    static std::optional<unsigned short> TypedSize(const QString& text);

private:
    CProgramOptions& m_options;
};

}  // namespace Quillmark
