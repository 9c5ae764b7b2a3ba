#include "ui/browse/FontListModel.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "core/PathText.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FontManager.h"

namespace Quillmark {

struct CFontListModel::CRow {
    CFontHandle item;  // holds the font while the row is listed
    QString displayName;
    QString fileName;
    QString sizeText;
};

QString CFontListModel::SimilarityWords(int distance) {
    if (distance == 0)
        return tr("Identical");
    if (distance <= 15)
        return tr("Very Similar");
    if (distance <= 30)
        return tr("Moderately Similar");
    return tr("Somewhat Similar");
}

CFontListModel::CFontListModel(CFontManager& manager, QObject* parent)
    : QAbstractTableModel(parent), m_manager(manager) {}

CFontListModel::~CFontListModel() {
    // Fonts shared with other applications go in one refresh, not one each.
    Platform::CFontSystemBatch batch(m_manager.FontSystem());
    m_rows.clear();
}

int CFontListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CFontListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CFontListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case NameColumn:
            return tr("Font Name");
        case FileColumn:
            return m_mode == SimilarResults ? tr("Similarity") : tr("File Name");
        case SizeColumn:
            return tr("Size");
        default:
            return {};
    }
}

QVariant CFontListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const CRow& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case NameColumn:
                    return row.displayName;
                case FileColumn:
                    if (m_mode == SimilarResults && row.item != nullptr) {
                        return SimilarityWords(
                            row.item->GetSimilarity(m_similaritySource.toStdU16String()));
                    }
                    return row.fileName;
                case SizeColumn:
                    return row.sizeText;
                default:
                    return {};
            }
        case Qt::ToolTipRole:
            return ToolTip(index.row());
        case ItemRole:
            return QVariant::fromValue(static_cast<const void*>(row.item.get()));
        case PathRole:
            return row.item != nullptr ? PathText(row.item->GetPath()) : QString();
        default:
            return {};
    }
}

void CFontListModel::AppendRows(std::vector<CNewRow> rows) {
    if (rows.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.reserve(m_rows.size() + rows.size());
    for (auto& row : rows) {
        CRow added;
        added.item = row.item;
        added.displayName = std::move(row.displayName);
        added.fileName = PathText(row.item->GetFileName());
        added.sizeText = QString::fromStdString(row.item->GetSizeText());
        m_rows.push_back(std::move(added));
    }
    endInsertRows();
}

void CFontListModel::Clear() {
    if (m_rows.empty()) {
        return;
    }
    beginResetModel();
    std::vector<CRow> rows;
    rows.swap(m_rows);
    endResetModel();
    Platform::CFontSystemBatch batch(m_manager.FontSystem());
    rows.clear();
}

int CFontListModel::RemoveItem(const CFontItem* item) {
    int removed = 0;
    for (int i = rowCount() - 1; i >= 0; --i) {
        if (m_rows[static_cast<std::size_t>(i)].item.get() != item) {
            continue;
        }
        beginRemoveRows({}, i, i);
        const CFontHandle held = std::move(m_rows[static_cast<std::size_t>(i)].item);
        m_rows.erase(m_rows.begin() + i);
        endRemoveRows();
        ++removed;
    }
    return removed;
}

const CFontItem* CFontListModel::ItemAt(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].item.get()
                                        : nullptr;
}

int CFontListModel::RowOf(const CFontItem* item) const {
    for (int i = 0; i < rowCount(); ++i) {
        if (m_rows[static_cast<std::size_t>(i)].item.get() == item)
            return i;
    }
    return -1;
}

int CFontListModel::RowOfFileName(const QString& fileName, int start) const {
    for (int i = start; i < rowCount(); ++i) {
        if (m_rows[static_cast<std::size_t>(i)].fileName.compare(fileName, Qt::CaseInsensitive) ==
            0)
            return i;
    }
    return -1;
}

std::vector<QString> CFontListModel::Paths() const {
    std::vector<QString> paths;
    paths.reserve(m_rows.size());
    for (const CRow& row : m_rows) {
        if (row.item != nullptr)
            paths.push_back(PathText(row.item->GetPath()));
    }
    return paths;
}

void CFontListModel::Sort(int column, bool descending) {
    const std::u16string source = m_similaritySource.toStdU16String();
    // Each ordering says "positive: the first comes first" in ascending order.
    const auto ascending = [&](const CRow& a, const CRow& b) {
        if (m_mode == SimilarResults && column == FileColumn) {
            // Ascending similarity: the largest distance first.
            return a.item->GetSimilarity(source) > b.item->GetSimilarity(source);
        }
        switch (column) {
            case FileColumn:
                return CFontItem::CompareByFileName(a.item.get(), b.item.get()) > 0;
            case SizeColumn:
                return CFontItem::CompareBySize(a.item.get(), b.item.get()) > 0;
            default:
                // Fonts that could not be read have no name: they gather
                // at one end, whatever their messages say.
                return CFontItem::CompareByName(a.item.get(), b.item.get()) > 0;
        }
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<const CFontItem*> itemsBefore;
    for (const QModelIndex& index : before) itemsBefore.push_back(ItemAt(index.row()));
    if (descending) {
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [&](const CRow& a, const CRow& b) { return ascending(b, a); });
    } else {
        std::stable_sort(m_rows.begin(), m_rows.end(), ascending);
    }
    QModelIndexList after;
    for (std::size_t i = 0; i < itemsBefore.size(); ++i) {
        after.push_back(index(RowOf(itemsBefore[i]), before[static_cast<int>(i)].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString CFontListModel::ToolTip(int row) const {
    const CFontItem* item = ItemAt(row);
    if (item == nullptr || item->GetStatus() != CFontItem::Loaded || item->GetName().empty()) {
        return {};
    }
    const QString name = QString::fromStdU16String(item->GetName());
    const QString file = PathText(item->GetFileName());
    const int kilobytes = static_cast<int>(item->GetFileSize() / 1024);
    if (m_mode == MainList && !m_showsLocation) {
        return tr("Font Name: %1\nFile Name: %2\nSize: %3KB").arg(name, file).arg(kilobytes);
    }
    const QString location = PathText(item->GetPath().parent_path());
    return tr("Font Name: %1\nFile Name: %2\nLocation: %3\nSize: %4KB")
        .arg(name, file, location)
        .arg(kilobytes);
}

Qt::ItemFlags CFontListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid()) {
        flags |= Qt::ItemIsDragEnabled;
    }
    return flags;
}

}  // namespace Quillmark
