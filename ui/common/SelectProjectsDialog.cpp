#include "ui/common/SelectProjectsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "collections/FontProjects.h"

namespace Quillmark {

CSelectProjectsDialog::CSelectProjectsDialog(const CFontProjects& projects, QWidget* parent)
    : QDialog(parent),
      m_list(new QTreeWidget(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)) {
    setObjectName(QStringLiteral("SelectProjectsDialog"));
    setWindowTitle(tr("Select Project"));
    m_list->setObjectName(QStringLiteral("ProjectList"));
    m_list->setAccessibleName(tr("Project"));
    m_list->setHeaderLabels({tr("Project")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    const QIcon icon = QIcon::fromTheme(QStringLiteral("folder-documents"),
                                        style()->standardIcon(QStyle::SP_DirIcon));
    for (const auto& [name, fonts] : projects) {
        auto* row = new QTreeWidgetItem(m_list, {tr("%1 (%2 fonts)").arg(name).arg(fonts->size())});
        row->setIcon(0, icon);
        row->setData(0, Qt::UserRole, name);
    }
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    for (QAbstractButton* button : m_buttons->buttons()) {
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    }
    QPushButton* ok = m_buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    // OK is enabled while a row is selected, as in the favourite chooser.
    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            [this, ok] { ok->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_buttons);
    resize(360, 300);
}

QString CSelectProjectsDialog::SelectedProject() const {
    const QList<QTreeWidgetItem*> rows = m_list->selectedItems();
    return rows.isEmpty() ? QString() : rows.first()->data(0, Qt::UserRole).toString();
}

}  // namespace Quillmark
