#pragma once

// A dialog that asks for one row of a one-column list: OK is enabled while
// a row is selected, a double click chooses the row, and each row carries
// the text it stands for (Qt::UserRole). The choosers of a font project
// and of a favourite folder are made of it.

#include <QDialog>

class QDialogButtonBox;
class QTreeWidget;

namespace Quillmark {

class CChooseOneDialog : public QDialog {
    Q_OBJECT

public:
    // The list, empty, is named `listName` for the screen reader and headed
    // `listName`; the rows are added by the derived dialog.
    CChooseOneDialog(const QString& title, const QString& listName, QWidget* parent);

    QTreeWidget* List() const { return m_list; }

protected:
    // The chosen row's text; empty when no row is selected.
    QString Chosen() const;

private:
    QTreeWidget* m_list;
    QDialogButtonBox* m_buttons;
};

}  // namespace Quillmark
