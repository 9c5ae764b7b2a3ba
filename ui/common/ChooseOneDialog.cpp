#include "ui/common/ChooseOneDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace Quillmark {

CChooseOneDialog::CChooseOneDialog(const QString& title, const QString& listName, QWidget* parent)
    : QDialog(parent),
      m_list(new QTreeWidget(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setWindowTitle(title);
    m_list->setAccessibleName(listName);
    m_list->setHeaderLabels({listName});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
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
}

QString CChooseOneDialog::Chosen() const {
    const QList<QTreeWidgetItem*> rows = m_list->selectedItems();
    return rows.isEmpty() ? QString() : rows.first()->data(0, Qt::UserRole).toString();
}

}  // namespace Quillmark
