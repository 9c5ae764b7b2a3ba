#pragma once

// What a store found in its file and could not use, by kind, so that the
// user can be told in plain words ("1 project without a name and 2
// elements Quillmark does not know") instead of losing it at the next save.

#include <QString>
#include <QStringView>
#include <initializer_list>
#include <vector>

namespace Quillmark {

struct CStoreElement;

class CLeftOut {
public:
    // One more thing of a kind: `one` says it for a single one ("1 project
    // without a name"), `many` for any other number, given as %1.
    void Add(const QString& one, const QString& many);
    // Each attribute of `element` not named in `known`.
    void AddUnknownAttributes(const CStoreElement& element,
                              std::initializer_list<QStringView> known);
    // The kinds the store file reads for every store.
    void AddUnknownElement();
    void AddUnusedText();

    int Count() const;
    bool IsEmpty() const { return Count() == 0; }
    // Every kind with its number, in the order first met.
    QString Text() const;
    void Clear() { m_kinds.clear(); }

private:
    struct Kind {
        QString one;
        QString many;
        int count = 0;
    };
    std::vector<Kind> m_kinds;
};

}  // namespace Quillmark
