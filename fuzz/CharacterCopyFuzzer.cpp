// Copies a character as the font map's "Copy character" does, the first two
// bytes its code and the rest its font's name (UTF-16LE), and reads the
// clipboard back: its text must be the character, and its RTF, read as an
// RTF reader reads it, must name the font and hold the character. RTF ends
// a font's name at a ';' and has no escape for one, so a name that holds one
// reads up to it.

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "fuzz/FuzzSupport.h"
#include "ui/inspect/CharacterCopy.h"

using namespace Quillmark;

namespace {

// What an RTF reader takes from a document of one font and some text.
struct CRtfRead {
    QString fontName;  // the first font's name, without its ';'
    QString text;      // the body's characters
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
int HexDigit(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Groups, control words with their number and delimiting space, control
// symbols (\\ \{ \} \'hh), \uN with one fallback character skipped (the
// default \uc1), and raw line breaks ignored; the font table's first entry
// ends at its ';'. Nothing when the document is not well-formed.
std::optional<CRtfRead> ReadRtf(const QByteArray& rtf) {
    CRtfRead read;
    int depth = 0;
    int fontTableDepth = -1;  // the depth of the \fonttbl group, while in it
    bool fontNameEnded = false;
    bool skipNext = false;
    const auto take = [&](QChar c) {
        if (skipNext) {
            skipNext = false;
            return;
        }
        if (fontTableDepth < 0) {
            read.text += c;
        } else if (!fontNameEnded) {
            if (c == u';') {
                fontNameEnded = true;
            } else {
                read.fontName += c;
            }
        }
    };
    for (qsizetype i = 0; i < rtf.size();) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            if (depth == fontTableDepth) {
                fontTableDepth = -1;
            }
            if (--depth < 0) {
                return std::nullopt;
            }
            ++i;
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else if (c != '\\') {
            take(QChar(static_cast<uchar>(c)));
            ++i;
        } else if (i + 1 >= rtf.size()) {
            return std::nullopt;
        } else if (IsLetter(rtf[i + 1])) {
            qsizetype end = i + 1;
            while (end < rtf.size() && IsLetter(rtf[end])) {
                ++end;
            }
            const QByteArray word = rtf.mid(i + 1, end - i - 1);
            const qsizetype numberStart = end;
            if (end < rtf.size() && rtf[end] == '-') {
                ++end;
            }
            while (end < rtf.size() && IsDigit(rtf[end])) {
                ++end;
            }
            const long long number = rtf.mid(numberStart, end - numberStart).toLongLong();
            if (end < rtf.size() && rtf[end] == ' ') {
                ++end;
            }
            if (word == "fonttbl") {
                fontTableDepth = depth;
            } else if (word == "u") {
                take(QChar(static_cast<char16_t>(number & 0xFFFF)));
                skipNext = true;
            } else if (skipNext) {
                skipNext = false;  // a control word is a fallback character too
            }
            i = end;
        } else if (rtf[i + 1] == '\'') {
            if (i + 3 >= rtf.size() || HexDigit(rtf[i + 2]) < 0 || HexDigit(rtf[i + 3]) < 0) {
                return std::nullopt;
            }
            // \fcharset0: Windows-1252, the same as Latin-1 for ASCII.
            take(QChar(static_cast<char16_t>(HexDigit(rtf[i + 2]) * 16 + HexDigit(rtf[i + 3]))));
            i += 4;
        } else {
            take(QChar(static_cast<uchar>(rtf[i + 1])));
            i += 2;
        }
    }
    if (depth != 0) {
        return std::nullopt;
    }
    return read;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSupport::StartQt(FuzzSupport::Application::Gui);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const auto code = static_cast<char16_t>(data[0] | (data[1] << 8));
    QString fontName;
    for (std::size_t i = 2; i + 1 < size; i += 2) {
        fontName += QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    }
    QClipboard& clipboard = *QGuiApplication::clipboard();
    if (!CopyCharacter(clipboard, code, fontName)) {
        std::abort();
    }
    const QMimeData* held = clipboard.mimeData();
    if (held == nullptr || held->text() != QString(QChar(code))) {
        std::abort();
    }
    const std::optional<CRtfRead> read = ReadRtf(held->data(QStringLiteral("text/rtf")));
    const qsizetype semicolon = fontName.indexOf(u';');
    if (!read || read->fontName != (semicolon < 0 ? fontName : fontName.left(semicolon)) ||
        read->text != QString(QChar(code))) {
        std::abort();
    }
    return 0;
}
