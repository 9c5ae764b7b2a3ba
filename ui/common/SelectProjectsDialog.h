#pragma once

// "Select Project": a chooser of one font project, for the search window.
//
//   CSelectProjectsDialog dialog(projects, parent);
//   if (dialog.exec() == QDialog::Accepted) use(dialog.SelectedProject());

#include "ui/common/ChooseOneDialog.h"

namespace Quillmark {

class CFontProjects;

class CSelectProjectsDialog : public CChooseOneDialog {
    Q_OBJECT

public:
    CSelectProjectsDialog(const CFontProjects& projects, QWidget* parent = nullptr);

    // The chosen project's name; empty when none is selected.
    QString SelectedProject() const { return Chosen(); }
};

}  // namespace Quillmark
