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

CSearchResultsModel::CSearchResultsModel(Mode mode, QObject* parent)
    : QAbstractTableModel(parent),
      m_mode(mode),
      // Find similar: most similar first; the others by name.
      m_sortColumn(mode == SimilarResults ? FontList::FileColumn : FontList::NameColumn),
      m_descending(mode == SimilarResults) {}

CSearchResultsModel::~CSearchResultsModel() = default;

QString CSearchResultsModel::SimilarityWords(int distance) {
    if (distance == 0)
        return tr("Identical");
    if (distance <= 15)
        return tr("Very Similar");
    if (distance <= 30)
        return tr("Moderately Similar");
    return tr("Somewhat Similar");
}

int CSearchResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CSearchResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FontList::ColumnCount;
}

QVariant CSearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return FontList::HeaderText(section, m_mode == SimilarResults);
}

QVariant CSearchResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const CRow& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case FontList::NameColumn:
                    return row.displayName;
                case FontList::FileColumn:
                    return m_mode == SimilarResults ? SimilarityWords(row.distance) : row.fileName;
                case FontList::SizeColumn:
                    return row.sizeText;
                default:
                    return {};
            }
        case Qt::ToolTipRole:
            return ToolTip(index.row());
        case FontList::ItemRole:
            return QVariant::fromValue(static_cast<const void*>(row.font.get()));
        case FontList::PathRole:
            return PathText(row.font->GetPath());
        case DistanceRole:
            return row.distance;
        default:
            return {};
    }
}

bool CSearchResultsModel::Before(const CRow& a, const CRow& b) const {
    const auto ascending = [&](const CRow& x, const CRow& y) {
        switch (m_sortColumn) {
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
    return m_descending ? ascending(b, a) : ascending(a, b);
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
        row.fileName = PathText(result.font->GetFileName());
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

void CSearchResultsModel::Clear() {
    if (m_rows.empty()) {
        return;
    }
    beginResetModel();
    std::vector<CRow> rows;
    rows.swap(m_rows);
    endResetModel();
}

int CSearchResultsModel::RemoveFont(const CFontItem* font) {
    int removed = 0;
    for (int i = rowCount() - 1; i >= 0; --i) {
        if (m_rows[static_cast<std::size_t>(i)].font.get() != font) {
            continue;
        }
        beginRemoveRows({}, i, i);
        const CFontHandle held = std::move(m_rows[static_cast<std::size_t>(i)].font);
        m_rows.erase(m_rows.begin() + i);
        endRemoveRows();
        ++removed;
    }
    return removed;
}

const CFontItem* CSearchResultsModel::FontAt(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].font.get()
                                        : nullptr;
}

void CSearchResultsModel::Sort(int column, bool descending) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const CFontItem*> fontsBefore;
    for (const QModelIndex& index : before) fontsBefore.push_back(FontAt(index.row()));
    m_sortColumn = column;
    m_descending = descending;
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [this](const CRow& a, const CRow& b) { return Before(a, b); });
    QModelIndexList after;
    for (std::size_t i = 0; i < fontsBefore.size(); ++i) {
        int row = -1;
        for (int r = 0; r < rowCount(); ++r) {
            if (FontAt(r) == fontsBefore[i]) {
                row = r;
                break;
            }
        }
        after.push_back(index(row, before[static_cast<int>(i)].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString CSearchResultsModel::ToolTip(int row) const {
    const CFontItem* font = FontAt(row);
    if (font == nullptr || font->GetStatus() != CFontItem::Loaded || font->GetName().empty()) {
        return {};
    }
    return tr("Font Name: %1\nFile Name: %2\nLocation: %3\nSize: %4KB")
        .arg(QString::fromStdU16String(font->GetName()), PathText(font->GetFileName()),
             PathText(font->GetPath().parent_path()))
        .arg(static_cast<int>(font->GetFileSize() / 1024));
}

}  // namespace Quillmark
