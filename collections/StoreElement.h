#pragma once

// An element of a store's XML file, and how its values are written where
// XML 1.0 cannot hold them. Characters XML 1.0 cannot hold (U+0000-U+001F
// other than tab, LF and CR, U+FFFE, U+FFFF, unpaired surrogates) are
// written encoded: such an element carries encoded="1", and in its
// attribute values and text "%" and each of those characters are written as
// "%" and four hexadecimal digits of the UTF-16 code unit. Elements without
// the mark read as they stand.

#include <QString>
#include <utility>
#include <vector>

class QXmlStreamWriter;

namespace Quillmark {

// Its name, its attributes in document order, its text (every character
// inside it, at the deepest level of the store's path only) and the
// children on the store's path.
struct CStoreElement {
    QString name;
    std::vector<std::pair<QString, QString>> attributes;
    QString text;
    std::vector<CStoreElement> children;

    // Null when the element has no such attribute.
    const QString* Attribute(const QString& attributeName) const;
    CStoreElement& AddChild(const QString& childName);
    bool operator==(const CStoreElement&) const = default;
};

// Writes the element and its children, each encoded where it must be.
void WriteStoreElement(QXmlStreamWriter& writer, const CStoreElement& element);
// Removes the mark of every element and decodes the values of the marked ones.
void DecodeStoreElement(CStoreElement& element);

}  // namespace Quillmark
