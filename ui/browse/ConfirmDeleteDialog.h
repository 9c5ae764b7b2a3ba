#pragma once

// "Confirm Font Delete": asks before font files go to the Trash.

#include <QDialog>

class QLabel;

namespace Quillmark {

class CConfirmDeleteDialog : public QDialog {
    Q_OBJECT

public:
    // `files`: how many files the delete concerns (the text is plural for more than one).
    explicit CConfirmDeleteDialog(int files, QWidget* parent = nullptr);

    QString Text() const;
    static QString TextFor(int files);

private:
    QLabel* m_text;
};

}  // namespace Quillmark
