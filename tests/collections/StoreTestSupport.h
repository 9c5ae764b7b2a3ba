#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <csignal>
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

}  // namespace QuillmarkTest
