#pragma once

// "Select Project": a chooser of one font project, for the search window.
//
//   CSelectProjectsDialog dialog(projects, parent);
//   if (dialog.exec() == QDialog::Accepted) use(dialog.SelectedProject());

#include <QDialog>

class QDialogButtonBox;
class QTreeWidget;

namespace Quillmark {

class CFontProjects;

class CSelectProjectsDialog : public QDialog {
    Q_OBJECT

public:
    CSelectProjectsDialog(const CFontProjects& projects, QWidget* parent = nullptr);

    // The chosen project's name; empty when none is selected.
    QString SelectedProject() const;
    QTreeWidget* List() const { return m_list; }

private:
    QTreeWidget* m_list;
    QDialogButtonBox* m_buttons;
};

}  // namespace Quillmark
