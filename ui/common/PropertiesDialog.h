#pragma once

// A read-only properties dialog for a file or folder: its name, location,
// kind, size (a folder's contents counted), dates and permissions, followed
// by any rows the caller adds (a font's names, for example). Text can be
// selected and copied; Close or Escape ends it.

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

class QFormLayout;

namespace Quillmark {

class CPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    using Rows = QList<QPair<QString, QString>>;  // label, value

    CPropertiesDialog(const QString& path, const Rows& extraRows, QWidget* parent = nullptr);

    // The rows shown, in order, label and value: for tests and copying.
    Rows ShownRows() const;

private:
    void AddRow(const QString& label, const QString& value);

    QFormLayout* m_form = nullptr;
    Rows m_rows;
};

}  // namespace Quillmark
