#pragma once

// Watches one folder (and, when asked, every folder below it) for files
// that come, go or are renamed, and says once that it changed when a burst
// of changes has settled. It goes on watching after each change, and
// follows subfolders made later; what to do about a change is the owner's
// business.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>
#include <utility>

namespace Quillmark::Platform {
class CHeldFolder;
}

namespace Quillmark {

class CFolderWatcher : public QObject {
    Q_OBJECT

public:
    // `settleMilliseconds`: how long the folder must stay unchanged before
    // FolderChanged is emitted.
    explicit CFolderWatcher(QObject* parent = nullptr, int settleMilliseconds = 200);

    // Watches `folder` instead of any other, with `subfolders` the folders
    // below it too (as many as the system lets one program watch, at most
    // kMaxSubfolders); a folder that cannot be watched (missing,
    // unreadable) is simply not watched.
    void Watch(const QString& folder, bool subfolders = false);
    static constexpr std::size_t kMaxSubfolders = 4000;
    // Stops watching; a change noticed but not yet told is dropped.
    void Stop();
    bool IsWatching() const { return !m_watcher.directories().isEmpty(); }
    // The folders watched now (the folder first when it is watched).
    QStringList WatchedFolders() const;
    const QString& Folder() const { return m_folder; }

signals:
    // The folder's files changed (once for a burst of changes).
    void FolderChanged();

private:
    void OnSettled();
    void WatchSubfolders();
    QString WatchName(const QString& folder);

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_folder;
    bool m_subfolders = false;
    // Folders watched through another name: that name, the folder held
    // open and its own path.
    std::map<QString, std::pair<std::shared_ptr<Platform::CHeldFolder>, QString>> m_held;
};

}  // namespace Quillmark
