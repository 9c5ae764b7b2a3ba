#pragma once

// The fonts a search found, as the font list shows them in its three
// search modes: 1 find similar (the similarity in words in the second
// column, most similar first), 2 find by name and 3 find by character (by
// name). Each row holds one use of its font. Results arrive in batches and
// go straight to their sorted places, so that tens of thousands of them
// never make the list sort itself again.

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "fontdata/manager/FontManager.h"
#include "ui/common/FontListRoles.h"

namespace Quillmark {

class CSearchResultsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Mode { SimilarResults = 1, NameResults = 2, CharacterResults = 3 };
    enum { DistanceRole = FontList::PathRole + 1 };

    struct CResult {
        CFontHandle font;
        int distance = 0;  // find similar
    };

    explicit CSearchResultsModel(Mode mode, QObject* parent = nullptr);
    ~CSearchResultsModel() override;

    static QString SimilarityWords(int distance);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    Mode GetMode() const { return m_mode; }

    // Adds the results each at its place in the present order.
    void AddResults(std::vector<CResult> results);
    void Clear();
    // Removes the rows of `font`, letting go of it; how many went.
    int RemoveFont(const CFontItem* font);
    const CFontItem* FontAt(int row) const;

    void Sort(int column, bool descending);
    int SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_descending; }

    QString ToolTip(int row) const;

private:
    struct CRow;
    static constexpr std::size_t kInsertOneByOne = 16;  // larger batches are merged
    bool Before(const CRow& a, const CRow& b) const;    // in the present order

    const Mode m_mode;
    std::vector<CRow> m_rows;
    int m_sortColumn;
    bool m_descending;
};

}  // namespace Quillmark
