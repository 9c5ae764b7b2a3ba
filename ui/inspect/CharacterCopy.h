#pragma once

// A character put on the clipboard as the font map's "Copy character" puts
// it: as rich text in the font it was shown in, and as plain text.

#include <QByteArray>
#include <QString>
#include <functional>

class QClipboard;
class QMimeData;

namespace Quillmark {

class CFontItem;

// {\rtf1{\fonttbl{\f0\fnil\fcharset0 NAME;}}\pard\f0\fs24 \uCODE?}, CODE
// unsigned decimal. A font name's characters outside ASCII are written as
// \uN? escapes (N its UTF-16 unit, unsigned, as the character is), and its
// \, { and } are escaped, so that any name makes well-formed RTF.
QByteArray CharacterRtf(char32_t code, const QString& fontName);

// text/rtf (the RTF above) and text/plain (the character).
QMimeData* CharacterMimeData(char32_t code, const QString& fontName);

// Puts the character on `clipboard`; false when the clipboard did not take
// it (it does not give it back).
bool CopyCharacter(QClipboard& clipboard, char32_t code, const QString& fontName);

// The character menu's "Copy character": the character in the font's name
// on the application's clipboard; "Cannot open clipboard" told through
// `error` when it did not take it. Nothing without a character or a font.
void CopyCharacterOf(char32_t code, const CFontItem* font,
                     const std::function<void(const QString&)>& error);

}  // namespace Quillmark
