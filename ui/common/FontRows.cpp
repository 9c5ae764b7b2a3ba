#include "ui/common/FontRows.h"

#include "core/PathText.h"
#include "fontdata/item/FontItem.h"

namespace Quillmark {

QString CFontRows::SimilarityWords(int distance) {
    if (distance == 0)
        return tr("Identical");
    if (distance <= 15)
        return tr("Very Similar");
    if (distance <= 30)
        return tr("Moderately Similar");
    return tr("Somewhat Similar");
}

int CFontRows::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FontList::ColumnCount;
}

QVariant CFontRows::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return FontList::HeaderText(section, ShowsSimilarity());
}

Qt::ItemFlags CFontRows::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid()) {
        flags |= Qt::ItemIsDragEnabled;
    }
    return flags;
}

QVariant CFontRows::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const int row = index.row();
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case FontList::NameColumn:
                    return DisplayName(row);
                case FontList::FileColumn:
                    return FileText(row);
                case FontList::SizeColumn:
                    return SizeText(row);
                default:
                    return {};
            }
        case Qt::ToolTipRole:
            return ToolTip(row);
        case FontList::ItemRole:
            return QVariant::fromValue(static_cast<const void*>(ItemAt(row)));
        case FontList::PathRole: {
            const CFontItem* item = ItemAt(row);
            return item != nullptr ? PathText(item->GetPath()) : QString();
        }
        default:
            return {};
    }
}

QString CFontRows::ToolTip(int row) const {
    const CFontItem* item = ItemAt(row);
    if (item == nullptr || item->GetStatus() != CFontItem::Loaded || item->GetName().empty()) {
        return {};
    }
    const QString name = QString::fromStdU16String(item->GetName());
    const QString file =
        PathText(item->GetFileName()) + QString::fromStdString(item->GetFaceSuffix());
    const int kilobytes = static_cast<int>(item->GetFileSize() / 1024);
    if (!ShowsLocation()) {
        return tr("Font Name: %1\nFile Name: %2\nSize: %3KB").arg(name, file).arg(kilobytes);
    }
    const QString location = PathText(item->GetPath().parent_path());
    return tr("Font Name: %1\nFile Name: %2\nLocation: %3\nSize: %4KB")
        .arg(name, file, location)
        .arg(kilobytes);
}

}  // namespace Quillmark
