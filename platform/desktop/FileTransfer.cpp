#include "platform/desktop/FileTransfer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Quillmark::Platform {

namespace {

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString Clean(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool Exists(const QString& path) {
    // A dangling symbolic link takes the name too.
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

// Renames from to to; unless replace, an existing to is never overwritten,
// even when it appears between our check and the rename.
int RenameEntry(const QString& from, const QString& to, bool replace) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (replace)
        return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without RENAME_NOREPLACE: a hard link fails when the
    // name is taken.
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    ::unlink(source.constData());
    return 0;
}

class Transfer {
public:
    Transfer(TransferMode mode, const ConflictAsker& ask) : m_mode(mode), m_ask(ask) {}

    TransferResult result;

    // Transfers source into folder; false stops the whole transfer.
    bool Entry(const QString& source, const QString& folder) {
        const QFileInfo info(source);
        if (!Exists(source))
            return Fail(source, ErrnoText(ENOENT));
        if (info.isDir() && !info.isSymLink() && IsSameOrBelow(folder, source))
            return Fail(source, QObject::tr("A folder cannot be put into itself."));
        QString target = folder + QLatin1Char('/') + info.fileName();
        bool replace = false;
        bool merge = false;
        if (Exists(target)) {
            const ConflictChoice choice = m_ask ? m_ask(source, target) : ConflictChoice::Skip;
            switch (choice) {
                case ConflictChoice::Cancel:
                    result.canceled = true;
                    return false;
                case ConflictChoice::Skip:
                    result.skipped << source;
                    return true;
                case ConflictChoice::KeepBoth:
                    target = folder + QLatin1Char('/') + KeepBothName(folder, info.fileName());
                    break;
                case ConflictChoice::Replace: {
                    const QFileInfo existing(target);
                    const bool sourceIsFolder = info.isDir() && !info.isSymLink();
                    const bool targetIsFolder = existing.isDir() && !existing.isSymLink();
                    if (sourceIsFolder && targetIsFolder) {
                        merge = true;
                    } else if (sourceIsFolder != targetIsFolder) {
                        return Fail(source,
                                    QObject::tr("A file and a folder cannot replace each other."));
                    } else {
                        replace = true;
                    }
                    break;
                }
            }
        }
        if (merge)
            return MergeFolder(source, target);
        if (m_mode == TransferMode::Move) {
            const int error = RenameEntry(source, target, replace);
            if (error == 0) {
                result.created << target;
                return true;
            }
            if (error != EXDEV)
                return Fail(source, ErrnoText(error));
        }
        if (!CopyEntry(source, target, replace))
            return false;
        if (m_mode == TransferMode::Move && !RemoveSource(source))
            return false;
        result.created << target;
        return true;
    }

private:
    bool Fail(const QString& source, const QString& why) {
        result.failedSource = source;
        result.failure = why;
        return false;
    }

    bool MergeFolder(const QString& source, const QString& target) {
        const QFileInfoList entries = QDir(source).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (!Entry(entry.absoluteFilePath(), target))
                return false;
        }
        if (m_mode == TransferMode::Move && !RemoveSource(source))
            return false;
        return true;
    }

    bool RemoveSource(const QString& source) {
        const QFileInfo info(source);
        const bool removed = info.isDir() && !info.isSymLink() ? QDir(source).removeRecursively()
                                                               : QFile::remove(source);
        if (!removed)
            return Fail(
                source,
                QObject::tr("The copy is complete, but the original could not be removed."));
        return true;
    }

    bool CopyEntry(const QString& source, const QString& target, bool replace) {
        const QFileInfo info(source);
        if (info.isSymLink()) {
            // A link is copied as the link it is, never as what it points to.
            QByteArray linkTarget(4096, '\0');
            const ssize_t length =
                ::readlink(QFile::encodeName(source).constData(), linkTarget.data(),
                           static_cast<size_t>(linkTarget.size()));
            if (length < 0)
                return Fail(source, ErrnoText(errno));
            linkTarget.truncate(length);
            if (replace)
                QFile::remove(target);
            if (::symlink(linkTarget.constData(), QFile::encodeName(target).constData()) != 0)
                return Fail(source, ErrnoText(errno));
            return true;
        }
        if (info.isDir())
            return CopyFolder(source, target);
        return CopyFile(source, target, replace);
    }

    bool CopyFolder(const QString& source, const QString& target) {
        if (::mkdir(QFile::encodeName(target).constData(), 0777) != 0)
            return Fail(source, ErrnoText(errno));
        QFile::setPermissions(target, QFileInfo(source).permissions());
        const QFileInfoList entries = QDir(source).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (!CopyEntry(entry.absoluteFilePath(), target + QLatin1Char('/') + entry.fileName(),
                           false))
                return false;
        }
        return true;
    }

    // Writes the copy under a temporary name beside the target and renames
    // it into place only when every byte reached the disk.
    bool CopyFile(const QString& source, const QString& target, bool replace) {
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return Fail(source, in.errorString());
        const QFileInfo targetInfo(target);
        QTemporaryFile out(targetInfo.absolutePath() + QStringLiteral("/.") +
                           targetInfo.fileName() + QStringLiteral(".XXXXXX.part"));
        if (!out.open())
            return Fail(source, out.errorString());
        QByteArray buffer(1 << 20, Qt::Uninitialized);
        for (;;) {
            const qint64 read = in.read(buffer.data(), buffer.size());
            if (read < 0)
                return Fail(source, in.errorString());
            if (read == 0)
                break;
            if (out.write(buffer.constData(), read) != read)
                return Fail(source, out.errorString());
        }
        if (!out.flush() || ::fsync(out.handle()) != 0)
            return Fail(source,
                        out.error() != QFileDevice::NoError ? out.errorString() : ErrnoText(errno));
        out.setPermissions(in.permissions());
        out.setFileTime(in.fileTime(QFileDevice::FileModificationTime),
                        QFileDevice::FileModificationTime);
        out.close();
        const int error = RenameEntry(out.fileName(), target, replace);
        if (error != 0)
            return Fail(source, ErrnoText(error));
        out.setAutoRemove(false);
        return true;
    }

    TransferMode m_mode;
    const ConflictAsker& m_ask;
};

}  // namespace

TransferResult TransferFiles(const QStringList& sources, const QString& targetFolder,
                             TransferMode mode, const ConflictAsker& askOnConflict,
                             const TransferProgress& progress) {
    Transfer transfer(mode, askOnConflict);
    const QString folder = Clean(targetFolder);
    if (!QFileInfo(folder).isDir()) {
        transfer.result.failedSource = sources.value(0);
        transfer.result.failure =
            QObject::tr("The folder \"%1\" does not exist.").arg(targetFolder);
        return std::move(transfer.result);
    }
    int done = 0;
    for (const QString& rawSource : sources) {
        const QString source = Clean(rawSource);
        if (QFileInfo(source).absolutePath() == folder) {
            transfer.result.skipped << rawSource;
        } else if (!transfer.Entry(source, folder)) {
            break;
        }
        ++done;
        if (progress && !progress(done, static_cast<int>(sources.size()))) {
            transfer.result.canceled = done < sources.size();
            break;
        }
    }
    return std::move(transfer.result);
}

QString KeepBothName(const QString& folder, const QString& fileName) {
    const QFileInfo info(fileName);
    QString base = info.completeBaseName();
    QString extension = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    if (base.isEmpty()) {  // ".hidden": the whole name is the base
        base = fileName;
        extension.clear();
    }
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(extension);
        if (!Exists(folder + QLatin1Char('/') + candidate))
            return candidate;
    }
}

bool IsSameOrBelow(const QString& child, const QString& folder) {
    const auto canonical = [](const QString& path) {
        const QString resolved = QFileInfo(path).canonicalFilePath();
        return resolved.isEmpty() ? Clean(path) : resolved;
    };
    const QString c = canonical(child);
    const QString f = canonical(folder);
    return c == f || c.startsWith(f.endsWith(QLatin1Char('/')) ? f : f + QLatin1Char('/'));
}

}  // namespace Quillmark::Platform
