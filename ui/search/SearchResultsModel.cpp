#include "ui/search/SearchResultsModel.h"

#include <algorithm>

#include "core/PathText.h"
#include "fontdata/item/FontItem.h"

namespace Quillmark {

struct CSearchResultsModel::CRow {
    CFontHandle font;
    // The keys of the name and file name orderings, taken once: a merge
    // compares every row.
    const std::u16string* nameKey = nullptr;
    std::u16string fileKey;
    int distance = 0;
    QString displayName;
    QString fileName;
    QString sizeText;
};

const CSearchResultsModel::CRow& CSearchResultsModel::Row(int row) const {
    return m_rows[static_cast<std::size_t>(row)];
}

CSearchResultsModel::CSearchResultsModel(Mode mode, QObject* parent)
    : CFontRows(parent), m_mode(mode) {
    // Find similar: most similar first; the others by name.
    SetSortOrder(mode == SimilarResults ? FontList::FileColumn : FontList::NameColumn,
                 mode == SimilarResults);
}

CSearchResultsModel::~CSearchResultsModel() = default;

int CSearchResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant CSearchResultsModel::data(const QModelIndex& index, int role) const {
    if (role == DistanceRole && index.isValid() && index.row() < rowCount()) {
        return Row(index.row()).distance;
    }
    return CFontRows::data(index, role);
}

QString CSearchResultsModel::DisplayName(int row) const {
    return Row(row).displayName;
}

QString CSearchResultsModel::FileText(int row) const {
    return m_mode == SimilarResults ? SimilarityWords(Row(row).distance) : Row(row).fileName;
}

QString CSearchResultsModel::SizeText(int row) const {
    return Row(row).sizeText;
}

bool CSearchResultsModel::Before(const CRow& a, const CRow& b) const {
    const auto ascending = [&](const CRow& x, const CRow& y) {
        switch (SortColumn()) {
            case FontList::FileColumn:
                if (m_mode == SimilarResults) {
                    // Ascending similarity: the largest distance first.
                    return x.distance > y.distance;
                }
                return x.fileKey < y.fileKey;  // as CFontItem::CompareByFileName
            case FontList::SizeColumn:
                return CFontItem::CompareBySize(x.font.get(), y.font.get()) > 0;
            default:
                return *x.nameKey < *y.nameKey;  // as CFontItem::CompareByName
        }
    };
    return SortDescending() ? ascending(b, a) : ascending(a, b);
}

void CSearchResultsModel::AddResults(std::vector<CResult> results) {
    std::vector<CRow> rows;
    rows.reserve(results.size());
    for (auto& result : results) {
        if (result.font == nullptr) {
            continue;
        }
        CRow row;
        row.displayName = QString::fromStdU16String(result.font->GetDisplayName());
        if (result.font->IsVariable()) {
            row.displayName = tr("%1 (variable)").arg(row.displayName);
        }
        row.fileName = PathText(result.font->GetFileName()) +
                       QString::fromStdString(result.font->GetFaceSuffix());
        row.sizeText = QString::fromStdString(result.font->GetSizeText());
        row.distance = result.distance;
        row.nameKey = &result.font->GetSortKey();
        row.fileKey = LowerCase(row.fileName.toStdU16String());
        row.font = std::move(result.font);
        rows.push_back(std::move(row));
    }
    const auto before = [this](const CRow& a, const CRow& b) { return Before(a, b); };
    std::stable_sort(rows.begin(), rows.end(), before);
    if (rows.size() <= kInsertOneByOne) {
        // Each new row after the rows it does not come before, so that equal
        // rows keep the order they were found in. Inserted from the last,
        // each insertion leaves the places of the ones still to come as
        // they are.
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            const auto place = std::upper_bound(m_rows.begin(), m_rows.end(), *it, before);
            const int at = static_cast<int>(place - m_rows.begin());
            beginInsertRows({}, at, at);
            m_rows.insert(place, std::move(*it));
            endInsertRows();
        }
        return;
    }
    // Many at once: one merge, the rows already shown keeping their order.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<CRow> merged;
    merged.reserve(m_rows.size() + rows.size());
    std::vector<int> newPlace(m_rows.size());
    std::size_t old = 0;
    std::size_t added = 0;
    while (old < m_rows.size() || added < rows.size()) {
        if (added < rows.size() && (old == m_rows.size() || before(rows[added], m_rows[old]))) {
            merged.push_back(std::move(rows[added++]));
        } else {
            newPlace[old] = static_cast<int>(merged.size());
            merged.push_back(std::move(m_rows[old++]));
        }
    }
    m_rows.swap(merged);
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList moved;
    for (const QModelIndex& index : persistent) {
        moved.push_back(
            this->index(newPlace[static_cast<std::size_t>(index.row())], index.column()));
    }
    changePersistentIndexList(persistent, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CSearchResultsModel::AddFonts(std::vector<CFontHandle> fonts) {
    std::vector<CResult> results;
    results.reserve(fonts.size());
    for (CFontHandle& font : fonts) {
        if (font != nullptr) {
            const int distance =
                m_mode == SimilarResults ? font->GetSimilarity(m_similaritySource) : 0;
            results.push_back({std::move(font), distance});
        }
    }
    AddResults(std::move(results));
}

void CSearchResultsModel::Clear() {
    if (m_rows.empty()) {
        return;
    }
    beginResetModel();
    std::vector<CRow> rows;
    rows.swap(m_rows);
    endResetModel();
}

// From the last row up, one removal for each run of neighbouring rows.
int CSearchResultsModel::RemoveFonts(const std::vector<const CFontItem*>& fonts) {
    const auto going = [&fonts](const CRow& row) {
        return std::find(fonts.begin(), fonts.end(), row.font.get()) != fonts.end();
    };
    int removed = 0;
    for (int end = rowCount(); end > 0;) {
        if (!going(Row(end - 1))) {
            --end;
            continue;
        }
        int first = end - 1;
        while (first > 0 && going(Row(first - 1))) {
            --first;
        }
        beginRemoveRows({}, first, end - 1);
        std::vector<CRow> gone(std::make_move_iterator(m_rows.begin() + first),
                               std::make_move_iterator(m_rows.begin() + end));
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + end);
        endRemoveRows();
        removed += end - first;
        end = first;
    }
    return removed;
}

const CFontItem* CSearchResultsModel::ItemAt(int row) const {
    return row >= 0 && row < rowCount() ? Row(row).font.get() : nullptr;
}

CFontHandle CSearchResultsModel::FontAt(int row) const {
    return row >= 0 && row < rowCount() ? Row(row).font : nullptr;
}

int CSearchResultsModel::RowOf(const CFontItem* font) const {
    for (int row = 0; row < rowCount(); ++row) {
        if (Row(row).font.get() == font) {
            return row;
        }
    }
    return -1;
}

void CSearchResultsModel::Sort(int column, bool descending) {
    SetSortOrder(column, descending);
    std::vector<std::size_t> order(m_rows.size());  // new row -> old row
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return Before(m_rows[a], m_rows[b]); });
    Reorder(m_rows, order);
}

}  // namespace Quillmark
