#include "ui/common/FolderWatcher.h"

#include <QSet>
#include <QSocketNotifier>

#include "core/PathText.h"
#include "fontdata/manager/FolderLoad.h"
#include "platform/Files.h"

namespace Quillmark {

CFolderWatcher::CFolderWatcher(QObject* parent, int settleMilliseconds)
    : QObject(parent), m_watcher(this), m_settle(this) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &CFolderWatcher::OnSettled);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CFolderWatcher::Noticed);
    if (m_writes.Handle() >= 0) {
        m_writesNotifier = new QSocketNotifier(m_writes.Handle(), QSocketNotifier::Read, this);
        connect(m_writesNotifier, &QSocketNotifier::activated, this, &CFolderWatcher::OnWrites);
    }
}

CFolderWatcher::~CFolderWatcher() {
    delete m_writesNotifier;  // before the handle it listens on closes
}

void CFolderWatcher::Noticed() {
    if (!m_settle.isActive()) {
        m_burst.start();
    } else if (m_burst.elapsed() >= qint64{kMaxBurstSettles} * m_settle.interval()) {
        return;  // told when the timer runs out
    }
    m_settle.start();
}

void CFolderWatcher::OnWrites() {
    if (m_writes.TakeWrites() && !m_folder.isEmpty()) {
        Noticed();
    }
}

void CFolderWatcher::Watch(const QString& folder, bool subfolders) {
    Stop();
    m_folder = folder;
    m_subfolders = subfolders;
    if (!folder.isEmpty() && Platform::IsFolder(FilePath(folder))) {
        m_watcher.addPath(WatchName(folder));
        m_writes.Add(FilePath(folder).native());
        WatchSubfolders();
    }
}

// Qt names a watched folder by UTF-8 text: one whose name is not UTF-8 is
// watched through a name of its open folder, held while watched.
QString CFolderWatcher::WatchName(const QString& folder) {
    const std::filesystem::path path = FilePath(folder);
    if (Platform::IsUtf8(path.native())) {
        return folder;
    }
    auto held = std::make_shared<Platform::CHeldFolder>(path);
    if (!held->IsHeld()) {
        return folder;
    }
    const QString alias = QString::fromStdString(held->Alias());
    m_held[alias] = {std::move(held), folder};
    return alias;
}

QStringList CFolderWatcher::WatchedFolders() const {
    QStringList folders = m_watcher.directories();
    for (QString& folder : folders) {
        const auto it = m_held.find(folder);
        if (it != m_held.end()) {
            folder = it->second.second;
        }
    }
    return folders;
}

// The folders below that are not watched yet: those made since are
// followed from the change that made them on.
void CFolderWatcher::WatchSubfolders() {
    if (!m_subfolders || m_folder.isEmpty()) {
        return;
    }
    const QStringList watched = WatchedFolders();
    const QSet<QString> known(watched.begin(), watched.end());
    QStringList added;
    for (const std::string& path : CFolderLoad::Subfolders(FilePath(m_folder), kMaxSubfolders)) {
        const QString folder = PathText(std::filesystem::path(path));
        if (!known.contains(folder)) {
            added.push_back(WatchName(folder));
        }
    }
    if (!added.isEmpty()) {
        m_watcher.addPaths(added);  // those the system refuses are not watched
        for (const QString& folder : added) {
            m_writes.Add(FilePath(folder).native());
        }
    }
}

void CFolderWatcher::Stop() {
    m_settle.stop();
    m_folder.clear();
    m_subfolders = false;
    if (!m_watcher.directories().isEmpty()) {
        m_watcher.removePaths(m_watcher.directories());
    }
    m_held.clear();
    m_writes.Clear();
}

void CFolderWatcher::OnSettled() {
    // A folder removed and made again is a new folder to the system: watch
    // it again, so that later changes are heard too.
    if (!m_folder.isEmpty() && m_watcher.directories().isEmpty() &&
        Platform::IsFolder(FilePath(m_folder))) {
        m_held.clear();
        m_watcher.addPath(WatchName(m_folder));
        m_writes.Add(FilePath(m_folder).native());
    }
    WatchSubfolders();
    emit FolderChanged();
}

}  // namespace Quillmark
