#pragma once

// "Select Favorite Folder": a chooser of one existing favourite folder, for
// the search window.
//
//   CSelectFavoriteFoldersDialog dialog(favorites, parent);
//   if (dialog.exec() == QDialog::Accepted) use(dialog.SelectedFolder());

#include <QDialog>

class QDialogButtonBox;
class QTreeWidget;

namespace Quillmark {

class CFavoriteFolders;

class CSelectFavoriteFoldersDialog : public QDialog {
    Q_OBJECT

public:
    CSelectFavoriteFoldersDialog(const CFavoriteFolders& favorites, QWidget* parent = nullptr);

    // The chosen folder's path; empty when none is selected.
    QString SelectedFolder() const;
    QTreeWidget* List() const { return m_list; }

private:
    QTreeWidget* m_list;
    QDialogButtonBox* m_buttons;
};

// Fills a one-column list with the favourites whose folders exist, each
// with its folder icon; the path is the row's text and its Qt::UserRole.
void FillFavoriteFolderList(QTreeWidget& list, const CFavoriteFolders& favorites);
// Adds one folder's row.
void AddFavoriteFolderRow(QTreeWidget& list, const QString& path);

}  // namespace Quillmark
