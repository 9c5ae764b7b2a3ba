#include "collections/StoreFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "core/PathText.h"
#include "platform/Files.h"

namespace Quillmark {

namespace {

constexpr const char* kPendingSuffix = ".quillmark-new";

// Where a save to `path` lands: a symbolic link is followed (a loop is not).
QString FinalPath(const QString& path) {
    return PathText(Platform::FollowLinks(FilePath(path)));
}

}  // namespace

bool WriteAll(QIODevice& file, const QByteArray& bytes) {
    return file.write(bytes) == bytes.size();
}

CResult<QByteArray> ReadStoreBytes(const QString& path) {
    std::string bytes;
    if (const std::error_code error = Platform::ReadFileWhole(
            FilePath(path), static_cast<std::size_t>(kMaxStoreFileBytes), bytes)) {
        return CFailure(error);
    }
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString PendingFilePath(const QString& path) {
    return FinalPath(path) + QLatin1String(kPendingSuffix);
}

void RemoveLeftovers(const QString& path) {
    const std::filesystem::path pending = FilePath(PendingFilePath(path));
    const std::string pendingName = pending.filename().native();
    std::vector<std::filesystem::path> leftovers{pending};
    // A save of an earlier version wrote to a named file beside that one:
    // "<pending>.XXXXXX".
    const std::filesystem::path folder = pending.parent_path();
    Platform::ListFolder(folder, [&](const Platform::CFolderEntry& entry) {
        const std::string_view name = entry.Name();
        if (name.size() == pendingName.size() + 7 &&
            name.substr(0, pendingName.size()) == pendingName && name[pendingName.size()] == '.' &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(pendingName.size()) + 1,
                        name.end(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)); })) {
            leftovers.push_back(folder / std::string(name));
        }
        return true;
    });
    for (const std::filesystem::path& leftover : leftovers) {
        struct stat info {};
        if (::lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            ::unlink(leftover.c_str());
        }
    }
}

CResult<> WriteWholeFile(const QString& path, const QByteArray& bytes, const CFileWriter& writer) {
    // A link is written through. The new file is named
    // "<file>.quillmark-new", which never exists here, before it is renamed
    // over the file: a kill in between leaves only that name, which the next
    // start or save removes.
    const QString final = FinalPath(path);
    RemoveLeftovers(final);
    Platform::WholeFileOptions options;
    options.pending = FilePath(final + QLatin1String(kPendingSuffix));
    options.verify = true;
    QString writeFailure;
    options.write = [&](int fd, std::string_view) -> std::error_code {
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
            writeFailure = file.errorString();
            return std::error_code(EIO, std::system_category());
        }
        // A full disk must be seen here, at the flush, too.
        if (!writer(file, bytes) || !file.flush() || file.error() != QFileDevice::NoError) {
            writeFailure = file.error() != QFileDevice::NoError
                               ? file.errorString()
                               : QStringLiteral("the write failed");
            return std::error_code(EIO, std::system_category());
        }
        return {};
    };
    const std::error_code error = Platform::WriteFileWhole(
        FilePath(final),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), options);
    if (!error) {
        return {};
    }
    if (!writeFailure.isEmpty()) {
        return CFailure(error, writeFailure.toStdString());
    }
    if (error == Platform::FileError::NotARegularFile) {
        return CFailure(error,
                        QStringLiteral("%1 is not a regular file, and only a regular file is "
                                       "replaced")
                            .arg(final)
                            .toStdString());
    }
    if (error.value() == EISDIR || error.value() == EACCES || error.value() == EPERM) {
        return CFailure(error,
                        QStringLiteral("the file %1 cannot be written").arg(final).toStdString());
    }
    if (error.value() == EIO) {
        return CFailure(error, "the file does not hold what was written");
    }
    return CFailure(error);
}

}  // namespace Quillmark
