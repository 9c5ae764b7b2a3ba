#include "collections/LeftOut.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>

#include "collections/StoreElement.h"

namespace Quillmark {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CLeftOut", text);
}

}  // namespace

void CLeftOut::Add(const QString& one, const QString& many) {
    const auto kind =
        std::find_if(m_kinds.begin(), m_kinds.end(), [&](const Kind& k) { return k.one == one; });
    if (kind != m_kinds.end()) {
        ++kind->count;
    } else {
        m_kinds.push_back({one, many, 1});
    }
}

void CLeftOut::AddUnknownAttributes(const CStoreElement& element,
                                    std::initializer_list<QStringView> known) {
    for (const auto& attribute : element.attributes) {
        if (std::find(known.begin(), known.end(), QStringView(attribute.first)) == known.end()) {
            Add(Tr("1 attribute Quillmark does not know"),
                Tr("%1 attributes Quillmark does not know"));
        }
    }
}

void CLeftOut::AddUnknownElement() {
    Add(Tr("1 element Quillmark does not know"), Tr("%1 elements Quillmark does not know"));
}

void CLeftOut::AddUnusedText() {
    Add(Tr("1 piece of text outside the elements Quillmark reads"),
        Tr("%1 pieces of text outside the elements Quillmark reads"));
}

int CLeftOut::Count() const {
    int count = 0;
    for (const Kind& kind : m_kinds) {
        count += kind.count;
    }
    return count;
}

QString CLeftOut::Text() const {
    QStringList parts;
    for (const Kind& kind : m_kinds) {
        parts.append(kind.count == 1 ? kind.one : kind.many.arg(kind.count));
    }
    if (parts.size() < 2) {
        return parts.join(QString());
    }
    const QString last = parts.takeLast();
    return Tr("%1 and %2").arg(parts.join(Tr(", ")), last);
}

}  // namespace Quillmark
