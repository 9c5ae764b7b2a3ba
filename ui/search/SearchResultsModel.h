#pragma once

// The fonts a search found, as the font list shows them in its three
// search modes: 1 find similar (the similarity in words in the second
// column, most similar first), 2 find by name and 3 find by character (by
// name). Each row holds one use of its font. Results arrive in batches and
// go straight to their sorted places, so that tens of thousands of them
// never make the list sort itself again.

#include <QString>
#include <vector>

#include "fontdata/manager/FontManager.h"
#include "ui/common/FontRows.h"

namespace Quillmark {

class CSearchResultsModel : public CFontRows {
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

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    Mode GetMode() const { return m_mode; }
    // Find similar: the reference font's path, under which each font found
    // keeps its distance (AddFonts reads it there).
    void SetSimilaritySource(const QString& path) { m_similaritySource = path.toStdU16String(); }
    bool ShowsSimilarity() const override { return m_mode == SimilarResults; }
    bool ShowsLocation() const override { return true; }

    // Adds the results each at its place in the present order.
    void AddResults(std::vector<CResult> results);
    // The same, the distances as the fonts keep them for the reference.
    void AddFonts(std::vector<CFontHandle> fonts) override;
    void Clear() override;
    int RemoveFonts(const std::vector<const CFontItem*>& fonts) override;
    const CFontItem* ItemAt(int row) const override;
    CFontHandle FontAt(int row) const override;
    int RowOf(const CFontItem* font) const override;

    void Sort(int column, bool descending) override;

protected:
    QString DisplayName(int row) const override;
    QString FileText(int row) const override;
    QString SizeText(int row) const override;

private:
    struct CRow;
    static constexpr std::size_t kInsertOneByOne = 16;  // larger batches are merged
    bool Before(const CRow& a, const CRow& b) const;    // in the present order
    const CRow& Row(int row) const;

    const Mode m_mode;
    std::u16string m_similaritySource;
    std::vector<CRow> m_rows;
};

}  // namespace Quillmark
