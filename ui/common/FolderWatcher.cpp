#include "ui/common/FolderWatcher.h"

#include <QFileInfo>

namespace Quillmark {

CFolderWatcher::CFolderWatcher(QObject* parent, int settleMilliseconds)
    : QObject(parent), m_watcher(this), m_settle(this) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &CFolderWatcher::OnSettled);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { m_settle.start(); });
}

void CFolderWatcher::Watch(const QString& folder) {
    Stop();
    m_folder = folder;
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
        m_watcher.addPath(folder);
    }
}

void CFolderWatcher::Stop() {
    m_settle.stop();
    m_folder.clear();
    if (!m_watcher.directories().isEmpty()) {
        m_watcher.removePaths(m_watcher.directories());
    }
}

void CFolderWatcher::OnSettled() {
    // A folder removed and made again is a new folder to the system: watch
    // it again, so that later changes are heard too.
    if (!m_folder.isEmpty() && m_watcher.directories().isEmpty() && QFileInfo(m_folder).isDir()) {
        m_watcher.addPath(m_folder);
    }
    emit FolderChanged();
}

}  // namespace Quillmark
