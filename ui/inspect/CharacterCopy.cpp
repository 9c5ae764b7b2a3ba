#include "ui/inspect/CharacterCopy.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>

#include "fontdata/item/FontItem.h"

namespace Quillmark {

namespace {

const QString kRtfType = QStringLiteral("text/rtf");

}  // namespace

QByteArray CharacterRtf(char32_t code, const QString& fontName) {
    QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset0 ";
    for (const QChar c : fontName) {
        const char16_t unit = c.unicode();
        if (unit == u'\\' || unit == u'{' || unit == u'}') {
            rtf += '\\';
            rtf += static_cast<char>(unit);
        } else if (unit >= 0x20 && unit < 0x7F) {
            rtf += static_cast<char>(unit);
        } else {
            rtf += "\\u" + QByteArray::number(static_cast<uint>(unit)) + '?';
        }
    }
    rtf += ";}}\\pard\\f0\\fs24 ";
    // A character past U+FFFF is written as RTF writers write it: its two
    // UTF-16 units, each a Unicode escape of its own.
    for (const QChar unit : QString::fromUcs4(&code, 1)) {
        rtf += "\\u" + QByteArray::number(static_cast<uint>(unit.unicode())) + '?';
    }
    rtf += '}';
    return rtf;
}

QMimeData* CharacterMimeData(char32_t code, const QString& fontName) {
    auto* data = new QMimeData;
    data->setData(kRtfType, CharacterRtf(code, fontName));
    data->setText(QString::fromUcs4(&code, 1));
    return data;
}

bool CopyCharacter(QClipboard& clipboard, char32_t code, const QString& fontName) {
    const QByteArray rtf = CharacterRtf(code, fontName);
    clipboard.setMimeData(CharacterMimeData(code, fontName));
    const QMimeData* held = clipboard.mimeData();
    return held != nullptr && held->data(kRtfType) == rtf;
}

void CopyCharacterOf(char32_t code, const CFontItem* font,
                     const std::function<void(const QString&)>& error) {
    if (code == 0 || font == nullptr) {
        return;
    }
    if (!CopyCharacter(*QGuiApplication::clipboard(), code,
                       QString::fromStdU16String(font->GetName())) &&
        error) {
        error(QCoreApplication::translate("Quillmark", "Cannot open clipboard"));
    }
}

}  // namespace Quillmark
