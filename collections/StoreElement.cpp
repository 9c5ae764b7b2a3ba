#include "collections/StoreElement.h"

#include <QXmlStreamWriter>
#include <algorithm>

namespace Quillmark {

namespace {

const QString kEncoded = QStringLiteral("encoded");
constexpr char16_t kEscape = u'%';

// Whether the code unit at `i` cannot stand in an XML 1.0 document, not even
// as a character reference.
bool Unwritable(const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < 0x20) {
        return c != u'\t' && c != u'\n' && c != u'\r';
    }
    if (c == 0xFFFE || c == 0xFFFF) {
        return true;
    }
    if (QChar::isHighSurrogate(c)) {
        return i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode());
    }
    if (QChar::isLowSurrogate(c)) {
        return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
    }
    return false;
}

bool NeedsEncoding(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Unwritable(text, i)) {
            return true;
        }
    }
    return false;
}

bool NeedsEncoding(const CStoreElement& element) {
    return NeedsEncoding(element.text) ||
           std::any_of(element.attributes.begin(), element.attributes.end(),
                       [](const auto& attribute) { return NeedsEncoding(attribute.second); });
}

QString Encode(const QString& text) {
    QString encoded;
    encoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == kEscape || Unwritable(text, i)) {
            encoded += QLatin1Char('%');
            encoded += QStringLiteral("%1")
                           .arg(static_cast<unsigned>(c), 4, 16, QLatin1Char('0'))
                           .toUpper();
        } else {
            encoded += QChar(c);
        }
    }
    return encoded;
}

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    return -1;
}

// "%" and four hexadecimal digits is one code unit; anything else stays.
QString Decode(const QString& text) {
    if (!text.contains(QChar(kEscape))) {
        return text;
    }
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QChar(kEscape) && i + 4 < text.size()) {
            int unit = 0;
            bool ok = true;
            for (qsizetype k = 1; k <= 4 && ok; ++k) {
                const int digit = HexValue(text[i + k]);
                ok = digit >= 0;
                unit = unit * 16 + digit;
            }
            if (ok) {
                decoded += QChar(static_cast<char16_t>(unit));
                i += 4;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

void DecodeElement(CStoreElement& element) {
    const auto mark =
        std::find_if(element.attributes.begin(), element.attributes.end(),
                     [](const auto& attribute) { return attribute.first == kEncoded; });
    if (mark != element.attributes.end()) {
        const bool encoded = mark->second == QLatin1String("1");
        element.attributes.erase(mark);
        if (encoded) {
            for (auto& attribute : element.attributes) {
                attribute.second = Decode(attribute.second);
            }
            element.text = Decode(element.text);
        }
    }
    for (CStoreElement& child : element.children) {
        DecodeElement(child);
    }
}

// The writer writes a carriage return in text as it is, and every reader
// reads it as a line feed: it goes as a character reference.
void WriteText(QXmlStreamWriter& writer, const QString& text) {
    qsizetype start = 0;
    for (qsizetype i = text.indexOf(QLatin1Char('\r')); i >= 0;
         i = text.indexOf(QLatin1Char('\r'), start)) {
        if (i > start) {
            writer.writeCharacters(text.mid(start, i - start));
        }
        writer.writeEntityReference(QStringLiteral("#13"));
        start = i + 1;
    }
    if (start < text.size()) {
        writer.writeCharacters(text.mid(start));
    }
}

void WriteElement(QXmlStreamWriter& writer, const CStoreElement& element) {
    const bool encode = NeedsEncoding(element);
    writer.writeStartElement(element.name);
    for (const auto& [name, value] : element.attributes) {
        writer.writeAttribute(name, encode ? Encode(value) : value);
    }
    if (encode) {
        writer.writeAttribute(kEncoded, QStringLiteral("1"));
    }
    WriteText(writer, encode ? Encode(element.text) : element.text);
    for (const CStoreElement& child : element.children) {
        WriteElement(writer, child);
    }
    writer.writeEndElement();
}

}  // namespace

const QString* CStoreElement::Attribute(const QString& attributeName) const {
    for (const auto& attribute : attributes) {
        if (attribute.first == attributeName) {
            return &attribute.second;
        }
    }
    return nullptr;
}

CStoreElement& CStoreElement::AddChild(const QString& childName) {
    CStoreElement& child = children.emplace_back();
    child.name = childName;
    return child;
}

void WriteStoreElement(QXmlStreamWriter& writer, const CStoreElement& element) {
    WriteElement(writer, element);
}

void DecodeStoreElement(CStoreElement& element) {
    DecodeElement(element);
}

}  // namespace Quillmark
