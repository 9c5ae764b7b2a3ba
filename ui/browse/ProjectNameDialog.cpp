#include "ui/browse/ProjectNameDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "collections/FontProjects.h"

namespace Quillmark {

CProjectNameDialog::CProjectNameDialog(const CFontProjects& projects, const QString& initialName,
                                       QWidget* parent)
    : QDialog(parent), m_projects(projects), m_edit(new QLineEdit(this)) {
    setObjectName(QStringLiteral("ProjectNameDialog"));
    setWindowTitle(initialName.isEmpty() ? tr("New Font Project") : tr("Rename Font Project"));
    auto* group = new QGroupBox(tr("Project name"), this);
    auto* row = new QHBoxLayout(group);
    auto* icon = new QLabel(group);
    icon->setPixmap(QIcon::fromTheme(QStringLiteral("folder-documents"),
                                     style()->standardIcon(QStyle::SP_DirIcon))
                        .pixmap(32, 32));
    row->addWidget(icon);
    row->addWidget(m_edit, 1);
    m_edit->setText(initialName);
    m_edit->selectAll();
    m_edit->setAccessibleName(tr("Project name"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    for (QAbstractButton* button : buttons->buttons()) {
        button->setAccessibleName(button->text().remove(QLatin1Char('&')));
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &CProjectNameDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    setMinimumWidth(360);
    m_tell = [this](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    };
}

QString CProjectNameDialog::Name() const {
    return m_edit->text();
}

void CProjectNameDialog::SetName(const QString& name) {
    m_edit->setText(name);
}

std::pair<QString, QString> CProjectNameDialog::Refusal(const CFontProjects& projects,
                                                        const QString& name) {
    if (name.isEmpty()) {
        return {tr("No Name"), tr("A font project needs a name.  Please enter one.")};
    }
    if (projects.ProjectExists(name)) {
        return {tr("Name Already Used"),
                tr("A font project with that name already exists.  Please enter a different "
                   "one.")};
    }
    return {};
}

void CProjectNameDialog::accept() {
    const auto [caption, text] = Refusal(m_projects, Name());
    if (!caption.isEmpty()) {
        m_tell(caption, text);
        m_edit->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace Quillmark
