#include "ui/common/TypedLengthLimit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace Quillmark {

CTypedLengthLimit::CTypedLengthLimit(QLineEdit* edit, int limit)
    : QObject(edit), m_edit(edit), m_limit(limit) {
    edit->installEventFilter(this);
}

bool CTypedLengthLimit::Allows(const QString& typed) const {
    const qsizetype after = m_edit->text().size() - m_edit->selectedText().size() + typed.size();
    // Shortening a text the program made longer is always allowed.
    return after <= m_limit || after <= m_edit->text().size();
}

bool CTypedLengthLimit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            const QClipboard* clipboard = QGuiApplication::clipboard();
            const QString text = clipboard != nullptr ? clipboard->text() : QString();
            if (!Allows(text)) {
                return true;
            }
        } else if (!key->text().isEmpty() && key->text().front().isPrint() &&
                   !Allows(key->text())) {
            return true;  // the key is swallowed, as a full edit box does
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace Quillmark
