#pragma once

// The plain store the store-file tests use: <store><item name="...">text</item></store>.

#include <QString>
#include <utility>
#include <vector>

#include "collections/XmlStoreFile.h"

namespace QuillmarkTest {

inline Quillmark::CXmlStoreFile ItemStore() {
    return Quillmark::CXmlStoreFile(QStringLiteral("store"), {QStringLiteral("item")});
}

inline Quillmark::CStoreElement Items(const std::vector<std::pair<QString, QString>>& items) {
    Quillmark::CStoreElement root;
    root.name = "store";
    for (const auto& [name, text] : items) {
        Quillmark::CStoreElement& item = root.AddChild("item");
        item.attributes.emplace_back("name", name);
        item.text = text;
    }
    return root;
}

}  // namespace QuillmarkTest
