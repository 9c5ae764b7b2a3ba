#include "ui/common/SelectFavoriteFoldersDialog.h"

#include <QFileInfo>
#include <QStyle>
#include <QTreeWidget>

#include "collections/FavoriteFolders.h"

namespace Quillmark {

void AddFavoriteFolderRow(QTreeWidget& list, const QString& path) {
    auto* row = new QTreeWidgetItem(&list, {path});
    row->setIcon(0, QIcon::fromTheme(QStringLiteral("folder"),
                                     list.style()->standardIcon(QStyle::SP_DirIcon)));
    row->setData(0, Qt::UserRole, path);
    row->setToolTip(0, path);
}

void FillFavoriteFolderList(QTreeWidget& list, const CFavoriteFolders& favorites) {
    favorites.ForEach([&](const QString& path) {
        if (QFileInfo(path).isDir()) {
            AddFavoriteFolderRow(list, path);
        }
    });
}

CSelectFavoriteFoldersDialog::CSelectFavoriteFoldersDialog(const CFavoriteFolders& favorites,
                                                           QWidget* parent)
    : CChooseOneDialog(tr("Select Favorite Folder"), tr("Folder"), parent) {
    setObjectName(QStringLiteral("SelectFavoriteFoldersDialog"));
    List()->setObjectName(QStringLiteral("FolderList"));
    FillFavoriteFolderList(*List(), favorites);
    resize(420, 300);
}

}  // namespace Quillmark
