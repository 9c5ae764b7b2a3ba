#include "ui/common/SelectProjectsDialog.h"

#include <QStyle>
#include <QTreeWidget>

#include "collections/FontProjects.h"

namespace Quillmark {

CSelectProjectsDialog::CSelectProjectsDialog(const CFontProjects& projects, QWidget* parent)
    : CChooseOneDialog(tr("Select Project"), tr("Project"), parent) {
    setObjectName(QStringLiteral("SelectProjectsDialog"));
    List()->setObjectName(QStringLiteral("ProjectList"));
    const QIcon icon = QIcon::fromTheme(QStringLiteral("folder-documents"),
                                        style()->standardIcon(QStyle::SP_DirIcon));
    for (const auto& [name, fonts] : projects) {
        auto* row = new QTreeWidgetItem(List(), {tr("%1 (%2 fonts)").arg(name).arg(fonts->size())});
        row->setIcon(0, icon);
        row->setData(0, Qt::UserRole, name);
    }
    resize(360, 300);
}

}  // namespace Quillmark
