#pragma once

// "Select Favorite Folder": a chooser of one existing favourite folder, for
// the search window.
//
//   CSelectFavoriteFoldersDialog dialog(favorites, parent);
//   if (dialog.exec() == QDialog::Accepted) use(dialog.SelectedFolder());

#include "ui/common/ChooseOneDialog.h"

class QTreeWidget;

namespace Quillmark {

class CFavoriteFolders;

class CSelectFavoriteFoldersDialog : public CChooseOneDialog {
    Q_OBJECT

public:
    CSelectFavoriteFoldersDialog(const CFavoriteFolders& favorites, QWidget* parent = nullptr);

    // The chosen folder's path; empty when none is selected.
    QString SelectedFolder() const { return Chosen(); }
};

// Fills a one-column list with the favourites whose folders exist, each
// with its folder icon; the path is the row's text and its Qt::UserRole.
void FillFavoriteFolderList(QTreeWidget& list, const CFavoriteFolders& favorites);
// Adds one folder's row.
void AddFavoriteFolderRow(QTreeWidget& list, const QString& path);

}  // namespace Quillmark
