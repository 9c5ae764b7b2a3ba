#include "platform/desktop/MountTableWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include "platform/desktop/MountTable.h"

namespace Quillmark::Platform {

CMountTableWatcher::CMountTableWatcher(QObject* parent)
    : CMountTableWatcher(MountTablePath(), parent) {}

CMountTableWatcher::CMountTableWatcher(const QString& table, QObject* parent)
    : QObject(parent), m_table(QDir::cleanPath(table)), m_watcher(this) {
    if (m_table.startsWith(QLatin1String("/proc/"))) {
        m_fd = ::open(QFile::encodeName(m_table).constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd >= 0) {
            m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
            connect(m_notifier, &QSocketNotifier::activated, this, &CMountTableWatcher::OnChanged);
        }
        return;
    }
    m_watcher.addPath(QFileInfo(m_table).absolutePath());
    if (QFileInfo::exists(m_table)) {
        m_watcher.addPath(m_table);
    }
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CMountTableWatcher::OnChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &CMountTableWatcher::OnChanged);
}

CMountTableWatcher::~CMountTableWatcher() {
    if (m_fd >= 0) {
        delete m_notifier;  // before its descriptor closes
        ::close(m_fd);
    }
}

bool CMountTableWatcher::IsWatching() const {
    return m_notifier != nullptr || !m_watcher.directories().isEmpty();
}

void CMountTableWatcher::OnChanged() {
    if (m_fd >= 0) {
        // Read to the end, as the kernel expects of a reader it told.
        char buffer[4096];
        ::lseek(m_fd, 0, SEEK_SET);
        while (::read(m_fd, buffer, sizeof buffer) > 0) {
        }
    } else if (!m_watcher.files().contains(m_table) && QFileInfo::exists(m_table)) {
        // Replaced whole (or made): the new file is watched again.
        m_watcher.addPath(m_table);
    }
    emit Changed();
}

}  // namespace Quillmark::Platform
