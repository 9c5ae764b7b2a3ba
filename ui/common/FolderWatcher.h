#pragma once

// Watches one folder (and, when asked, every folder below it) for files
// that come, go, are renamed or are written (a file replaced in place), and
// says once that it changed when a burst of changes has settled. It goes on
// watching after each change, and follows subfolders made later; what to
// do about a change is the owner's business.

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>
#include <memory>
#include <utility>

#include "platform/FileWrites.h"

class QSocketNotifier;

namespace Quillmark::Platform {
class CHeldFolder;
}

namespace Quillmark {

class CFolderWatcher : public QObject {
    Q_OBJECT

public:
    // `settleMilliseconds`: how long the folder must stay unchanged before
    // FolderChanged is emitted; a folder that never stays unchanged (a file
    // written on and on) is told of every kMaxBurstSettles settle times.
    explicit CFolderWatcher(QObject* parent = nullptr, int settleMilliseconds = 200);
    ~CFolderWatcher() override;
    static constexpr int kMaxBurstSettles = 10;

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
    void Noticed();
    void OnWrites();

    QFileSystemWatcher m_watcher;
    Platform::CFileWrites m_writes;
    QSocketNotifier* m_writesNotifier = nullptr;  // a child; null without write notices
    QTimer m_settle;
    QElapsedTimer m_burst;  // since the first change not yet told
    QString m_folder;
    bool m_subfolders = false;
    // Folders watched through another name: that name, the folder held
    // open and its own path.
    std::map<QString, std::pair<std::shared_ptr<Platform::CHeldFolder>, QString>> m_held;
};

}  // namespace Quillmark
