#pragma once

// "Confirm Font Delete": asks before font files go to the Trash.

#include <QDialog>
#include <QStringList>

class QLabel;

namespace Quillmark {

class CConfirmDeleteDialog : public QDialog {
    Q_OBJECT

public:
    // `files`: how many files the delete concerns (the text is plural for more than one).
    // `collections`: a line for each collection among them, naming the
    // faces that go with it.
    explicit CConfirmDeleteDialog(int files, const QStringList& collections = {},
                                  QWidget* parent = nullptr);

    QString Text() const;
    static QString TextFor(int files, const QStringList& collections = {});

private:
    QLabel* m_text;
};

}  // namespace Quillmark
