#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>

#include "tests/support/TemporaryHome.h"

namespace QuillmarkTest {

inline QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

// A fresh folder under the temporary home for each test.
inline QString TestFolder(const char* name) {
    const QString folder =
        QString::fromStdString((TemporaryHome().Root() / "stores" / name).string());
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

// Runs `work` in a child process; returns its exit code (or -signal).
inline int InChild(const std::function<int()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// In the child: a process that may not write more than `bytes` to any file,
// as on a full disk (root is not exempt).
inline void LimitFileSize(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// In the child: drop root, so that a read-only folder is read-only.
inline void BecomeNobody() {
    if (::geteuid() == 0) {
        (void)::setgid(65534);
        (void)::setuid(65534);
    }
}

// The names in a folder, hidden ones included (a temporary file left by a
// save would show here).
inline QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A real small file system: a tmpfs of `size` mounted on `folder` while the
// object lives. Only root may mount one; Skipped() then says why not.
class CSmallDisk {
public:
    CSmallDisk(const QString& folder, const char* size) : m_folder(folder) {
        QDir().mkpath(folder);
        if (::geteuid() != 0) {
            m_skipped = "a small tmpfs needs root to mount; run the tests as root (CI does)";
            return;
        }
        const std::string options = std::string("size=") + size;
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.c_str()) !=
            0) {
            m_skipped = std::string("mounting a small tmpfs failed: ") + std::strerror(errno);
            return;
        }
        m_mounted = true;
    }
    ~CSmallDisk() {
        if (m_mounted) {
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
        }
    }
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;

    const std::string& Skipped() const { return m_skipped; }

    // Writes a filler file until the disk is full; returns its name.
    QString Fill() const {
        const QString filler = m_folder + "/filler";
        const int fd = ::open(QFile::encodeName(filler).constData(),
                              O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        char block[512] = {};
        while (::write(fd, block, sizeof block) > 0) {
        }
        // The last bytes of a block.
        while (::write(fd, block, 1) > 0) {
        }
        ::close(fd);
        return filler;
    }

private:
    QString m_folder;
    std::string m_skipped;
    bool m_mounted = false;
};

}  // namespace QuillmarkTest
