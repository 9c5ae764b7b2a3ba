#include "platform/desktop/FileTransfer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/PathBytes.h"

namespace Quillmark::Platform {

namespace {

namespace fs = std::filesystem;

// The windows hand paths as text that keeps every byte of a name (see
// platform/PathBytes.h); the file system gets those bytes.
fs::path Bytes(const QString& path) {
    return fs::path(PathTextToBytes(std::u16string_view(
        reinterpret_cast<const char16_t*>(path.utf16()), static_cast<std::size_t>(path.size()))));
}

QString Text(const fs::path& path) {
    const std::u16string text = PathBytesToText(path.native());
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString ErrorText(const std::error_code& error) {
    return QString::fromStdString(error.message());
}

QString Clean(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString FileName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

bool Exists(const QString& path) {
    // A dangling symbolic link takes the name too.
    return EntryExists(Bytes(path));
}

bool IsRealFolder(const QString& path) {
    const fs::path bytes = Bytes(path);
    return IsFolder(bytes) && !fs::is_symlink(fs::symlink_status(bytes));
}

class Transfer {
public:
    Transfer(TransferMode mode, const ConflictAsker& ask) : m_mode(mode), m_ask(ask) {}

    TransferResult result;

    // Transfers source into folder; false stops the whole transfer.
    bool Entry(const QString& source, const QString& folder) {
        if (!Exists(source))
            return Fail(source, ErrorText(std::error_code(ENOENT, std::system_category())));
        const bool sourceIsFolder = IsRealFolder(source);
        if (sourceIsFolder && IsSameOrBelow(folder, source))
            return Fail(source, QObject::tr("A folder cannot be put into itself."));
        const QString name = FileName(source);
        QString target = folder + QLatin1Char('/') + name;
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
                    target = folder + QLatin1Char('/') + KeepBothName(folder, name);
                    break;
                case ConflictChoice::Replace: {
                    const bool targetIsFolder = IsRealFolder(target);
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
        std::error_code error;
        if (m_mode == TransferMode::Move) {
            bool copiedButKept = false;
            error = MoveEntry(Bytes(source), Bytes(target), replace, &copiedButKept);
            if (copiedButKept)
                return Fail(
                    source,
                    QObject::tr("The copy is complete, but the original could not be removed."));
        } else if (sourceIsFolder || !IsRegularFile(Bytes(source)) ||
                   fs::is_symlink(fs::symlink_status(Bytes(source)))) {
            if (replace)
                RemoveEntry(Bytes(target));
            error = CopyEntry(Bytes(source), Bytes(target));
        } else {
            error = CopyFileWhole(Bytes(source), Bytes(target), replace);
        }
        if (error)
            return Fail(source, ErrorText(error));
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
        std::vector<std::string> names;
        ListFolder(Bytes(source), [&](const CFolderEntry& entry) {
            names.emplace_back(entry.Name());
            return true;
        });
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            if (!Entry(Text(Bytes(source) / name), target))
                return false;
        }
        if (m_mode == TransferMode::Move && RemoveEntry(Bytes(source)))
            return Fail(
                source,
                QObject::tr("The copy is complete, but the original could not be removed."));
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
    if (!IsFolder(Bytes(folder))) {
        transfer.result.failedSource = sources.value(0);
        transfer.result.failure =
            QObject::tr("The folder \"%1\" does not exist.").arg(targetFolder);
        return std::move(transfer.result);
    }
    int done = 0;
    for (const QString& rawSource : sources) {
        const QString source = Clean(rawSource);
        if (source.left(source.lastIndexOf(QLatin1Char('/'))) == folder ||
            (folder == QLatin1String("/") && source.lastIndexOf(QLatin1Char('/')) == 0)) {
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
        std::error_code error;
        const fs::path resolved = fs::canonical(Bytes(path), error);
        return error ? Clean(path) : Text(resolved);
    };
    const QString c = canonical(child);
    const QString f = canonical(folder);
    return c == f || c.startsWith(f.endsWith(QLatin1Char('/')) ? f : f + QLatin1Char('/'));
}

}  // namespace Quillmark::Platform
