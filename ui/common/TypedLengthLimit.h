#pragma once

// Limits what the user types into a line edit to a number of characters,
// as an edit box's text limit does: the program may still put a longer
// text in ("24 px"), and the user may shorten it, but a key or a paste
// never makes the text longer than the limit.

#include <QObject>

class QLineEdit;

namespace Quillmark {

class CTypedLengthLimit : public QObject {
    Q_OBJECT

public:
    // Watches `edit`, whose child it becomes.
    CTypedLengthLimit(QLineEdit* edit, int limit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether putting `typed` in place of the selection keeps to the limit.
    bool Allows(const QString& typed) const;

    QLineEdit* m_edit;
    int m_limit;
};

}  // namespace Quillmark
