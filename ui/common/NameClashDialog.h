#pragma once

// The question asked when a file is copied or moved into a folder that
// already has a file of its name: replace it, keep both (the new one
// named "NAME (2).ext"), skip this file, or stop. "Do this for the
// remaining names" gives the same answer to every later clash of the same
// transfer. Enter gives the answer the caller prefers: keeping both for a
// copy into a folder, skipping for an install (a second copy of a font
// installed is a duplicate).

#include <QDialog>

#include "platform/desktop/FileTransfer.h"

class QCheckBox;
class QLabel;

namespace Quillmark {

class CNameClashDialog : public QDialog {
    Q_OBJECT

public:
    CNameClashDialog(const QString& source, const QString& existing, bool showApplyToAll,
                     QWidget* parent = nullptr,
                     Platform::ConflictChoice preferred = Platform::ConflictChoice::KeepBoth);

    Platform::ConflictChoice Choice() const { return m_choice; }
    bool ApplyToAll() const;
    // The question as shown, for tests and the accessible description.
    QString Text() const;

private:
    void Choose(Platform::ConflictChoice choice);

    Platform::ConflictChoice m_choice = Platform::ConflictChoice::Cancel;
    QLabel* m_text;
    QCheckBox* m_applyToAll = nullptr;
};

// An asker for TransferFiles that shows the dialog over `parent` for each
// clash, remembering an answer given for all. A file that would replace
// itself (the same file) is always skipped.
Platform::ConflictAsker NameClashAsker(
    QWidget* parent, Platform::ConflictChoice preferred = Platform::ConflictChoice::KeepBoth);

}  // namespace Quillmark
