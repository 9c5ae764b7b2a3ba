#pragma once

// Tells when the mount table changes: a volume mounted or unmounted.
//
// The kernel's table (/proc/self/mounts) is no file to watch: it tells of a
// change as an exceptional condition (POLLPRI) on the open file, and expects
// whoever it told to read the table to the end. A table given as a file
// ($QUILLMARK_MOUNT_TABLE, for tests) may be rewritten or replaced whole:
// the file and its folder are watched.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace Quillmark::Platform {

class CMountTableWatcher : public QObject {
    Q_OBJECT

public:
    // Watches MountTablePath().
    explicit CMountTableWatcher(QObject* parent = nullptr);
    // Watches `table` (a path under /proc/ is watched as the kernel's).
    CMountTableWatcher(const QString& table, QObject* parent);
    ~CMountTableWatcher() override;

    // The table watched, cleaned.
    const QString& Path() const { return m_table; }
    // Whether changes can be heard at all (the table could be opened or its
    // folder watched).
    bool IsWatching() const;

signals:
    // The table changed; as many times as the system tells, unmerged.
    void Changed();

private:
    void OnChanged();

    QString m_table;
    QFileSystemWatcher m_watcher;           // a table given as a file
    QSocketNotifier* m_notifier = nullptr;  // the kernel's: readiness on a change
    int m_fd = -1;
};

}  // namespace Quillmark::Platform
