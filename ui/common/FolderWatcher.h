#pragma once

// Watches one folder for files that come, go or are renamed, and says once
// that it changed when a burst of changes has settled. It goes on watching
// after each change; what to do about one is the owner's business.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace Quillmark {

class CFolderWatcher : public QObject {
    Q_OBJECT

public:
    // `settleMilliseconds`: how long the folder must stay unchanged before
    // FolderChanged is emitted.
    explicit CFolderWatcher(QObject* parent = nullptr, int settleMilliseconds = 200);

    // Watches `folder` instead of any other; a folder that cannot be
    // watched (missing, unreadable) is simply not watched.
    void Watch(const QString& folder);
    // Stops watching; a change noticed but not yet told is dropped.
    void Stop();
    bool IsWatching() const { return !m_watcher.directories().isEmpty(); }
    const QString& Folder() const { return m_folder; }

signals:
    // The folder's files changed (once for a burst of changes).
    void FolderChanged();

private:
    void OnSettled();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_folder;
};

}  // namespace Quillmark
