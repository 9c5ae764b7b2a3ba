#include "ui/browse/FontListModel.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/PathText.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FontManager.h"

namespace Quillmark {

struct CFontListModel::CRow {
    CFontHandle item;  // holds the font while the row is listed
    QString displayName;
    QString fileName;
    QString sizeText;
    // The file name ordering's key, made at the first sort by file name.
    mutable std::u16string fileKey;
    mutable bool fileKeyMade = false;
};

CFontListModel::CRow& CFontListModel::Row(int row) {
    const auto at = static_cast<std::size_t>(row);
    return m_rows[at < m_gapBegin ? at : at + (m_gapEnd - m_gapBegin)];
}

const CFontListModel::CRow& CFontListModel::Row(int row) const {
    const auto at = static_cast<std::size_t>(row);
    return m_rows[at < m_gapBegin ? at : at + (m_gapEnd - m_gapBegin)];
}

void CFontListModel::Changed() {
    m_itemIndexValid = false;
    m_fileNameIndexValid = false;
    m_itemIndex.clear();
    m_fileNameIndex.clear();
}

const std::u16string& CFontListModel::FileSortKey(const CRow& row) const {
    if (!row.fileKeyMade) {
        row.fileKey = CFontItem::FileNameSortKey(row.item.get());
        row.fileKeyMade = true;
    }
    return row.fileKey;
}

CFontListModel::CFontListModel(CFontManager& manager, QObject* parent)
    : CFontRows(parent), m_manager(manager) {}

CFontListModel::~CFontListModel() {
    // Fonts shared with other applications go in one refresh, not one each.
    Platform::CFontSystemBatch batch(m_manager.FontSystem());
    m_rows.clear();
}

int CFontListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size() - (m_gapEnd - m_gapBegin));
}

QString CFontListModel::DisplayName(int row) const {
    return Row(row).displayName;
}

QString CFontListModel::FileText(int row) const {
    return Row(row).fileName;
}

QString CFontListModel::SizeText(int row) const {
    return Row(row).sizeText;
}

void CFontListModel::AppendRows(std::vector<CNewRow> rows) {
    if (rows.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.reserve(m_rows.size() + rows.size());
    for (auto& row : rows) {
        m_rows.push_back(MakeRow(std::move(row)));
    }
    Changed();
    endInsertRows();
}

CFontListModel::CRow CFontListModel::MakeRow(CNewRow row) const {
    CRow made;
    made.displayName = std::move(row.displayName);
    if (row.item->IsVariable()) {
        // One row holds the whole range of the font's designs.
        made.displayName = tr("%1 (variable)").arg(made.displayName);
    }
    const std::string& path = row.item->GetPathText();
    made.fileName =
        !m_namesBelow.empty() && path.size() > m_namesBelow.size() && path.starts_with(m_namesBelow)
            ? PathText(std::filesystem::path(path.substr(m_namesBelow.size())))
            : PathText(row.item->GetFileName());
    made.fileName += QString::fromStdString(row.item->GetFaceSuffix());
    made.sizeText = QString::fromStdString(row.item->GetSizeText());
    made.item = std::move(row.item);
    return made;
}

void CFontListModel::ReplaceRow(int row, CNewRow replacement) {
    if (row < 0 || row >= rowCount() || replacement.item == nullptr) {
        return;
    }
    // The old font goes after the views have heard of its successor.
    CRow old = std::exchange(Row(row), MakeRow(std::move(replacement)));
    Changed();
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void CFontListModel::Clear() {
    if (m_rows.empty()) {
        return;
    }
    beginResetModel();
    std::vector<CRow> rows;
    rows.swap(m_rows);
    Changed();
    endResetModel();
    Platform::CFontSystemBatch batch(m_manager.FontSystem());
    rows.clear();
}

void CFontListModel::AddFonts(std::vector<CFontHandle> fonts) {
    std::vector<CNewRow> rows;
    rows.reserve(fonts.size());
    for (CFontHandle& font : fonts) {
        if (font != nullptr) {
            const QString name = QString::fromStdU16String(font->GetDisplayName());
            rows.push_back({std::move(font), name});
        }
    }
    AppendRows(std::move(rows));
    Sort(SortColumn(), SortDescending());
}

// The rows that stay are moved down over the ones that go, once each: rows
// before m_gapBegin are in place, rows from m_gapEnd on are still to be
// looked at, and each run of rows that goes is taken into the gap between
// them with one beginRemoveRows/endRemoveRows, so that the views see a
// consistent model at every signal. The fonts are let go of at the end,
// when no removal is in progress.
int CFontListModel::RemoveItems(const std::vector<const CFontItem*>& items,
                                std::vector<CFontHandle>* handOver) {
    if (items.empty() || m_rows.empty()) {
        return 0;
    }
    const std::unordered_set<const CFontItem*> going(items.begin(), items.end());
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // [first, end) of m_rows
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (going.count(m_rows[i].item.get()) == 0) {
            continue;
        }
        if (!runs.empty() && runs.back().second == i) {
            ++runs.back().second;
        } else {
            runs.emplace_back(i, i + 1);
        }
    }
    if (runs.empty()) {
        return 0;
    }
    std::vector<CFontHandle> released;
    std::size_t kept = 0;  // rows in place, the gap's start
    std::size_t next = 0;  // the first row not yet looked at, the gap's end
    const auto keepUpTo = [&](std::size_t end) {
        for (; next < end; ++next, ++kept) {
            if (kept != next) {
                m_rows[kept] = std::move(m_rows[next]);
            }
        }
        m_gapBegin = kept;
        m_gapEnd = next;
    };
    int removed = 0;
    for (const auto& [first, end] : runs) {
        keepUpTo(first);
        const int row = static_cast<int>(kept);
        beginRemoveRows({}, row, row + static_cast<int>(end - first) - 1);
        for (std::size_t i = first; i < end; ++i) {
            released.push_back(std::move(m_rows[i].item));
        }
        m_gapEnd = next = end;
        Changed();
        endRemoveRows();
        removed += static_cast<int>(end - first);
    }
    keepUpTo(m_rows.size());
    m_rows.resize(kept);
    m_gapBegin = m_gapEnd = 0;
    // Memory goes back when many rows went.
    if (m_rows.capacity() > 2 * m_rows.size() + 64) {
        m_rows.shrink_to_fit();
    }
    if (handOver != nullptr) {
        handOver->insert(handOver->end(), std::make_move_iterator(released.begin()),
                         std::make_move_iterator(released.end()));
        return removed;
    }
    // Fonts shared with other applications go in one refresh, not one each.
    Platform::CFontSystemBatch batch(m_manager.FontSystem());
    released.clear();
    return removed;
}

const CFontItem* CFontListModel::ItemAt(int row) const {
    return row >= 0 && row < rowCount() ? Row(row).item.get() : nullptr;
}

CFontHandle CFontListModel::FontAt(int row) const {
    return row >= 0 && row < rowCount() ? Row(row).item : nullptr;
}

int CFontListModel::RowOf(const CFontItem* item) const {
    if (!m_itemIndexValid) {
        m_itemIndex.clear();
        m_itemIndex.reserve(static_cast<std::size_t>(rowCount()));
        for (int i = 0; i < rowCount(); ++i) {
            m_itemIndex.emplace_back(Row(i).item.get(), i);
        }
        std::sort(m_itemIndex.begin(), m_itemIndex.end());
        m_itemIndexValid = true;
    }
    const auto it = std::lower_bound(m_itemIndex.begin(), m_itemIndex.end(),
                                     std::pair<const CFontItem*, int>(item, 0));
    return it != m_itemIndex.end() && it->first == item ? it->second : -1;
}

// File names compare without regard to case, as QString::compare with
// Qt::CaseInsensitive does: by their case-folded forms.
int CFontListModel::RowOfFileName(const QString& fileName, int start) const {
    if (!m_fileNameIndexValid) {
        m_fileNameIndex.clear();
        m_fileNameIndex.reserve(static_cast<std::size_t>(rowCount()));
        for (int i = 0; i < rowCount(); ++i) {
            m_fileNameIndex.emplace_back(Row(i).fileName.toCaseFolded(), i);
        }
        std::sort(m_fileNameIndex.begin(), m_fileNameIndex.end());
        m_fileNameIndexValid = true;
    }
    const QString folded = fileName.toCaseFolded();
    const auto it = std::lower_bound(m_fileNameIndex.begin(), m_fileNameIndex.end(),
                                     std::pair<QString, int>(folded, std::max(start, 0)));
    return it != m_fileNameIndex.end() && it->first == folded ? it->second : -1;
}

std::size_t CFontListModel::FileCount() const {
    const int rows = rowCount();
    bool faces = false;
    for (int i = 0; i < rows && !faces; ++i) {
        const CFontItem* item = Row(i).item.get();
        faces = item != nullptr && (item->GetFaceCount() > 1 || item->GetFace() > 0);
    }
    if (!faces) {
        return static_cast<std::size_t>(rows);
    }
    std::unordered_set<std::string_view> files;
    files.reserve(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        if (const CFontItem* item = Row(i).item.get()) {
            files.insert(item->GetPathText());
        }
    }
    return files.size();
}

std::vector<QString> CFontListModel::Paths() const {
    std::vector<QString> paths;
    paths.reserve(static_cast<std::size_t>(rowCount()));
    for (int i = 0; i < rowCount(); ++i) {
        if (const CFontItem* item = Row(i).item.get())
            paths.push_back(PathText(item->GetPath()));
    }
    return paths;
}

// Each row's key for the column is taken once; the rows are ordered as an
// index vector by comparing keys, then moved once each, and the persistent
// indexes follow in one pass. The keys are those of the font item's
// orderings, so the order is theirs; equal keys keep their order.
void CFontListModel::Sort(int column, bool descending) {
    SetSortOrder(column, descending);
    const std::size_t count = m_rows.size();
    std::vector<std::size_t> order(count);  // new row -> old row
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto sortBy = [&](const auto& keys) {
        if (descending) {
            std::stable_sort(order.begin(), order.end(),
                             [&](std::size_t a, std::size_t b) { return keys[b] < keys[a]; });
        } else {
            std::stable_sort(order.begin(), order.end(),
                             [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
        }
    };
    if (column == SizeColumn) {
        std::vector<std::uint32_t> sizes(count);
        for (std::size_t i = 0; i < count; ++i) {
            sizes[i] = m_rows[i].item->GetFileSize();
        }
        sortBy(sizes);
    } else {
        // Fonts that could not be read have no name: they gather at one
        // end, whatever their messages say.
        struct CKey {
            const std::u16string* text;
            bool operator<(const CKey& other) const { return *text < *other.text; }
        };
        std::vector<CKey> keys(count);
        for (std::size_t i = 0; i < count; ++i) {
            keys[i].text =
                column == FileColumn ? &FileSortKey(m_rows[i]) : &m_rows[i].item->GetSortKey();
        }
        sortBy(keys);
    }
    Reorder(m_rows, order, [this] { Changed(); });
}

}  // namespace Quillmark
