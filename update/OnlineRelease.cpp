#include "update/OnlineRelease.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrlQuery>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>
#include <string>

#include "core/PathText.h"
#include "platform/Files.h"
#include "update/Transfer.h"

namespace Quillmark {

namespace {

constexpr int kProduct32 = 2;
constexpr int kProduct64 = 3;

// The bounds and floor every request of the client keeps.
TransferRules Rules(const CDownloadLimits& limits, bool requireLength, qint64 maxLength) {
    TransferRules rules;
    rules.requireLength = requireLength;
    rules.maxLength = maxLength;
    rules.floorBytesPerSecond = limits.floorBytesPerSecond;
    rules.floorWindowMilliseconds = limits.floorWindowMilliseconds;
    rules.stallMilliseconds = COnlineRelease::kStallMilliseconds;
    return rules;
}

// The folder with mode 0700, owned by this user, a real folder (not a
// link); parents are made as needed.
bool MakePrivateFolder(const QString& folder) {
    if (!QDir().mkpath(QFileInfo(folder).absolutePath())) {
        return false;
    }
    const std::string path = FilePath(folder).native();
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return false;
    }
    return (status.st_mode & 07777) == 0700 || ::chmod(path.c_str(), 0700) == 0;
}

}  // namespace

int COnlineRelease::ThisProduct() {
    return sizeof(void*) == 8 ? kProduct64 : kProduct32;
}

QString COnlineRelease::ProductName(int product) {
    switch (product) {
        case kProduct32:
            return QStringLiteral("quillmark32");
        case kProduct64:
            return QStringLiteral("quillmark64");
        default:
            return {};
    }
}

QUrl COnlineRelease::ServiceAddress() {
    QString address = qEnvironmentVariable("QUILLMARK_UPDATE_URL");
    if (address.isEmpty()) {
        address = QStringLiteral(QUILLMARK_UPDATE_SERVICE);
    }
    if (!address.endsWith(u'/')) {
        address += u'/';
    }
    return QUrl(address);
}

QString COnlineRelease::DownloadFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Varnholt/Quillmark/update");
}

QString COnlineRelease::InstallerFileName(int product, CPackageType type) {
    return ProductName(product) + QStringLiteral("_update.") + PackageExtension(type);
}

bool COnlineRelease::IsDownloadedInstaller(const QString& path) {
    const QFileInfo file(path);
    if (!file.isAbsolute() || file.isDir()) {
        return false;
    }
    const QString name = file.fileName();
    bool named = false;
    for (int product : {kProduct32, kProduct64}) {
        for (CPackageType type : {CPackageType::Deb, CPackageType::Rpm, CPackageType::AppImage,
                                  CPackageType::FlatpakRef}) {
            named = named || name == InstallerFileName(product, type);
        }
    }
    // The folder compared with links resolved; the file itself is not
    // followed (a link of that name is removed, not what it points at).
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return named && !folder.isEmpty() && folder == QFileInfo(DownloadFolder()).canonicalFilePath();
}

qint64 COnlineRelease::FreeBytes(const QString& folder) {
    struct statvfs status {};
    if (::statvfs(FilePath(folder).c_str(), &status) != 0) {
        return -1;
    }
    const auto free = static_cast<unsigned long long>(status.f_bavail) * status.f_frsize;
    return free > static_cast<unsigned long long>(std::numeric_limits<qint64>::max())
               ? std::numeric_limits<qint64>::max()
               : static_cast<qint64>(free);
}

COnlineRelease::COnlineRelease(QUrl service, QByteArray publicKey, CDownloadLimits limits)
    : m_service(std::move(service)),
      m_publicKey(std::move(publicKey)),
      m_limits(std::move(limits)) {}

std::optional<CRelease> COnlineRelease::ParseDescription(const QByteArray& xml) {
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("update")) {
        return std::nullopt;
    }
    CRelease release;
    bool version = false, quickinfo = false, sha256 = false, signature = false;
    while (reader.readNextStartElement()) {
        const QString name = reader.name().toString();
        const QString text =
            reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        if (name == QLatin1String("version") && !version) {
            version = true;
            release.version = text;
        } else if (name == QLatin1String("quickinfo") && !quickinfo) {
            quickinfo = true;
            release.quickinfo = text;
        } else if (name == QLatin1String("sha256") && !sha256) {
            sha256 = true;
            const bool hex =
                text.size() == 64 && std::all_of(text.begin(), text.end(), [](QChar c) {
                    return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f');
                });
            if (!hex) {
                return std::nullopt;  // a checksum we cannot check is no checksum
            }
            release.sha256 = QByteArray::fromHex(text.toLatin1());
        } else if (name == QLatin1String("signature") && !signature) {
            signature = true;
            const auto decoded = QByteArray::fromBase64Encoding(
                text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded || decoded.decoded.size() != kEd25519SignatureBytes) {
                return std::nullopt;  // the same for a signature
            }
            release.signature = decoded.decoded;
        }
    }
    // The whole document must be well-formed, not only what was read.
    while (!reader.atEnd()) {
        reader.readNext();
    }
    if (reader.hasError()) {
        return std::nullopt;
    }
    return release;
}

std::optional<CRelease> COnlineRelease::Check(int product, const CancelTest& cancel) {
    QUrl url = m_service.resolved(QUrl(QStringLiteral("CheckUpdate.aspx")));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("product"), QString::number(product));
    url.setQuery(query);
    QByteArray answer;
    TransferHandlers handlers;
    handlers.sink = [&](const QByteArray& piece, qint64, qint64) {
        answer += piece;
        return true;
    };
    if (Transfer(url, Rules(m_limits, true, kMaxPageBytes), cancel, handlers) !=
        TransferEnd::Done) {
        return std::nullopt;
    }
    std::optional<CRelease> release = ParseDescription(answer);
    if (!release || release->version.isEmpty()) {
        return std::nullopt;
    }
    return release;
}

std::optional<QString> COnlineRelease::FetchNotes(const QUrl& address, const CancelTest& cancel) {
    QByteArray page;
    bool plain = false;
    TransferHandlers handlers;
    handlers.begin = [&](QNetworkReply& reply, qint64) {
        plain = reply.header(QNetworkRequest::ContentTypeHeader)
                    .toString()
                    .startsWith(QLatin1String("text/plain"), Qt::CaseInsensitive);
        return true;
    };
    handlers.sink = [&](const QByteArray& piece, qint64, qint64) {
        page += piece;
        return true;
    };
    if (Transfer(address, Rules(m_limits, false, kMaxPageBytes), cancel, handlers) !=
        TransferEnd::Done) {
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(page);
    return plain ? QStringLiteral("<pre>%1</pre>").arg(text.toHtmlEscaped()) : text;
}

CDownloadResult COnlineRelease::Download(int product, const QString& runningVersion,
                                         const QString& folder, const CRelease& release,
                                         QString& installerPath, const CancelTest& cancel,
                                         const Progress& progress) {
    installerPath.clear();
    if (ProductName(product).isEmpty()) {
        return CDownloadResult::Failed;
    }
    if (RequiresSignature() && release.signature.isEmpty()) {
        return CDownloadResult::BadSignature;  // nothing could be kept: not asked for
    }
    QUrl url = m_service.resolved(QUrl(QStringLiteral("GetUpdate.aspx")));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("product"), QString::number(product));
    query.addQueryItem(QStringLiteral("currentversion"), runningVersion);
    url.setQuery(query);

    // Written to a temporary file beside the installer's place (its name
    // begins with a dot, so it is never taken for an installer); it takes
    // the installer's name only when whole and checked. Dropped without
    // that, it is deleted.
    std::unique_ptr<QTemporaryFile> file;
    QString target;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::optional<CDownloadResult> refused;
    TransferHandlers handlers;
    handlers.begin = [&](QNetworkReply& reply, qint64 total) {
        if (total <= 0) {
            return false;  // no length, or nothing to install
        }
        const std::optional<CPackageType> type = PackageTypeOf(reply.rawHeader("Content-Type"));
        if (!type) {
            refused = CDownloadResult::UnsupportedType;
            return false;
        }
        if (total > m_limits.maxBytes) {
            refused = CDownloadResult::TooLarge;
            return false;
        }
        if (!MakePrivateFolder(folder)) {
            refused = CDownloadResult::NotSaved;
            return false;
        }
        const qint64 free = m_limits.freeBytes ? m_limits.freeBytes(folder) : FreeBytes(folder);
        if (free < 0) {
            refused = CDownloadResult::NotSaved;
            return false;
        }
        if (free - total < m_limits.spareBytes) {
            refused = CDownloadResult::NoRoom;
            return false;
        }
        const QString name = InstallerFileName(product, *type);
        target = QDir(folder).filePath(name);
        file = std::make_unique<QTemporaryFile>(
            QDir(folder).filePath(u'.' + name + QStringLiteral(".XXXXXX")));
        if (!file->open()) {
            refused = CDownloadResult::NotSaved;
            return false;
        }
        return true;
    };
    handlers.sink = [&](const QByteArray& piece, qint64 received, qint64 total) {
        hash.addData(piece);
        if (file->write(piece) != piece.size()) {
            refused = CDownloadResult::NotSaved;
            return false;
        }
        if (progress) {
            progress(received, total);
        }
        return true;
    };
    // The length is bounded when it is announced (begin), to say why.
    const TransferEnd end = Transfer(url, Rules(m_limits, true, -1), cancel, handlers);
    if (end == TransferEnd::Canceled) {
        return CDownloadResult::Canceled;
    }
    if (refused) {
        return *refused;
    }
    if (end == TransferEnd::TooSlow) {
        return CDownloadResult::TooSlow;
    }
    if (end != TransferEnd::Done || !file) {
        return CDownloadResult::Failed;
    }
    // On the disk before it is checked and named.
    if (!file->flush() || ::fsync(file->handle()) != 0) {
        return CDownloadResult::NotSaved;
    }
    if (!release.sha256.isEmpty() && hash.result() != release.sha256) {
        return CDownloadResult::WrongChecksum;
    }
    if (RequiresSignature()) {
        // The whole file at once, as Ed25519 signs it, read through a map
        // rather than into memory.
        const qint64 size = file->size();
        uchar* bytes = file->map(0, size);
        if (bytes == nullptr) {
            return CDownloadResult::NotSaved;
        }
        const bool valid = VerifySignature(m_publicKey, release.signature, bytes, size);
        file->unmap(bytes);
        if (!valid) {
            return CDownloadResult::BadSignature;
        }
    }
    file->close();
    if (Platform::RenameReplacing(FilePath(file->fileName()), FilePath(target))) {
        return CDownloadResult::NotSaved;
    }
    file->setAutoRemove(false);
    installerPath = target;
    return CDownloadResult::Completed;
}

}  // namespace Quillmark
