#include "ui/common/SelectFavoriteFoldersDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

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
    : QDialog(parent),
      m_list(new QTreeWidget(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setObjectName(QStringLiteral("SelectFavoriteFoldersDialog"));
    setWindowTitle(tr("Select Favorite Folder"));
    m_list->setObjectName(QStringLiteral("FolderList"));
    m_list->setAccessibleName(tr("Folder"));
    m_list->setHeaderLabels({tr("Folder")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    FillFavoriteFolderList(*m_list, favorites);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (QAbstractButton* button : m_buttons->buttons()) {
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    }
    QPushButton* ok = m_buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            [this, ok] { ok->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_buttons);
    resize(420, 300);
}

QString CSelectFavoriteFoldersDialog::SelectedFolder() const {
    const QList<QTreeWidgetItem*> rows = m_list->selectedItems();
    return rows.isEmpty() ? QString() : rows.first()->data(0, Qt::UserRole).toString();
}

}  // namespace Quillmark
