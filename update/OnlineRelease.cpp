#include "update/OnlineRelease.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrlQuery>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

#include "core/PathText.h"

namespace Quillmark {

namespace {

constexpr int kProduct32 = 2;
constexpr int kProduct64 = 3;
constexpr qint64 kChunkBytes = 64 * 1024;
constexpr int kCancelPollMilliseconds = 50;

bool IsExtension(QStringView text) {
    if (text.isEmpty() || text.size() > 16) {
        return false;
    }
    for (QChar c : text) {
        if (!(c.isDigit() || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) {
            return false;
        }
    }
    return true;
}

QNetworkRequest MakeRequest(const QUrl& url) {
    QNetworkRequest request(url);
    // Never from https down to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // Uncompressed, so that the length announced is the length that arrives.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(COnlineRelease::kStallMilliseconds);
    return request;
}

enum class TransferEnd { Done, Failed, Canceled, SinkFailed };

struct TransferHandlers {
    // Called once the answer's headers are in, with the announced length
    // (-1 when none); false refuses the answer.
    std::function<bool(QNetworkReply& reply, qint64 total)> begin;
    // Each piece of the body in order; false stops with SinkFailed.
    std::function<bool(const QByteArray& piece, qint64 received, qint64 total)> sink;
};

// Runs one GET to its end in a local event loop. The answer must be a 200
// without a network or TLS error; when `requireLength` it must announce its
// length, and in every case no more than `maxLength` bytes (-1: no limit)
// and, when announced, exactly the announced length must arrive.
TransferEnd Transfer(const QUrl& url, bool requireLength, qint64 maxLength,
                     const COnlineRelease::CancelTest& cancel, const TransferHandlers& handlers) {
    if (url.scheme() != QLatin1String("https")) {
        return TransferEnd::Failed;
    }
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(MakeRequest(url)));
    // Read as it comes, not gathered in memory first.
    reply->setReadBufferSize(kChunkBytes);
    QEventLoop loop;
    TransferEnd end = TransferEnd::Done;
    bool begun = false;
    qint64 total = -1;
    qint64 received = 0;

    const auto stop = [&](TransferEnd why) {
        if (end == TransferEnd::Done) {
            end = why;
        }
        reply->abort();
        loop.quit();
    };
    const auto pump = [&] {
        if (end != TransferEnd::Done) {
            return;
        }
        if (cancel && cancel()) {
            stop(TransferEnd::Canceled);
            return;
        }
        if (reply->error() != QNetworkReply::NoError) {
            return;  // ends when the reply finishes
        }
        if (!begun) {
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            if (!status.isValid()) {
                return;  // the headers are not in yet
            }
            begun = true;
            const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
            total = length.isValid() ? length.toLongLong() : -1;
            if (status.toInt() != 200 || (requireLength && total < 0) ||
                (maxLength >= 0 && total > maxLength) ||
                (handlers.begin && !handlers.begin(*reply, total))) {
                stop(TransferEnd::Failed);
                return;
            }
        }
        while (reply->bytesAvailable() > 0) {
            const QByteArray piece = reply->read(kChunkBytes);
            received += piece.size();
            if ((total >= 0 && received > total) || (maxLength >= 0 && received > maxLength)) {
                stop(TransferEnd::Failed);
                return;
            }
            if (handlers.sink && !handlers.sink(piece, received, total)) {
                stop(TransferEnd::SinkFailed);
                return;
            }
        }
    };

    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, pump);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, [&] {
        if (reply->error() == QNetworkReply::NoError) {
            pump();
        }
        loop.quit();
    });
    // A stalled transfer is still cancelled at once.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (cancel && cancel()) {
            stop(TransferEnd::Canceled);
        }
    });
    poll.start(kCancelPollMilliseconds);
    if (!reply->isFinished()) {
        loop.exec();
    }
    poll.stop();
    QObject::disconnect(reply.get(), nullptr, &loop, nullptr);

    if (end != TransferEnd::Done) {
        return end;
    }
    if (reply->error() != QNetworkReply::NoError || !begun || (total >= 0 && received != total)) {
        return TransferEnd::Failed;
    }
    return TransferEnd::Done;
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

// The extension the answer names: that of the file name it gives
// (Content-Disposition), else that of the address it was redirected to.
QString AnswerExtension(const QNetworkReply& reply, const QUrl& asked) {
    QString name;
    const QString disposition = reply.header(QNetworkRequest::ContentDispositionHeader).toString();
    for (QString part : disposition.split(u';')) {
        part = part.trimmed();
        if (part.startsWith(QLatin1String("filename="), Qt::CaseInsensitive)) {
            name = part.mid(9).trimmed();
            if (name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"')) {
                name = name.mid(1, name.size() - 2);
            }
        }
    }
    if (name.isEmpty() && reply.url().path() != asked.path()) {
        name = reply.url().fileName();
    }
    const QString extension = QFileInfo(name).suffix();
    return IsExtension(extension) ? extension : QString();
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

QString COnlineRelease::InstallerFileName(int product, const QString& extension) {
    QString name = ProductName(product) + QStringLiteral("_update");
    if (!extension.isEmpty()) {
        name += u'.' + extension;
    }
    return name;
}

bool COnlineRelease::IsDownloadedInstaller(const QString& path) {
    const QFileInfo file(path);
    if (!file.isAbsolute() || file.isDir()) {
        return false;
    }
    const QString name = file.fileName();
    bool named = false;
    for (int product : {kProduct32, kProduct64}) {
        const QString base = InstallerFileName(product, {});
        if (name == base ||
            (name.startsWith(base + u'.') && IsExtension(QStringView(name).mid(base.size() + 1)))) {
            named = true;
        }
    }
    // The folder compared with links resolved; the file itself is not
    // followed (a link of that name is removed, not what it points at).
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return named && !folder.isEmpty() && folder == QFileInfo(DownloadFolder()).canonicalFilePath();
}

COnlineRelease::COnlineRelease(QUrl service) : m_service(std::move(service)) {}

std::optional<CRelease> COnlineRelease::ParseDescription(const QByteArray& xml) {
    QXmlStreamReader reader(xml);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("update")) {
        return std::nullopt;
    }
    CRelease release;
    bool version = false, quickinfo = false, sha256 = false;
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
    if (Transfer(url, true, kMaxPageBytes, cancel, handlers) != TransferEnd::Done) {
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
    if (Transfer(address, false, kMaxPageBytes, cancel, handlers) != TransferEnd::Done) {
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(page);
    return plain ? QStringLiteral("<pre>%1</pre>").arg(text.toHtmlEscaped()) : text;
}

CDownloadResult COnlineRelease::Download(int product, const QString& runningVersion,
                                         const QString& folder, const QByteArray& sha256,
                                         QString& installerPath, const CancelTest& cancel,
                                         const Progress& progress) {
    installerPath.clear();
    if (ProductName(product).isEmpty()) {
        return CDownloadResult::Failed;
    }
    if (!MakePrivateFolder(folder)) {
        return CDownloadResult::NotSaved;
    }
    QUrl url = m_service.resolved(QUrl(QStringLiteral("GetUpdate.aspx")));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("product"), QString::number(product));
    query.addQueryItem(QStringLiteral("currentversion"), runningVersion);
    url.setQuery(query);

    // Written to a temporary file beside the installer's place; it takes
    // the installer's name only when whole and checked. Dropping it without
    // a commit deletes it.
    std::unique_ptr<QSaveFile> file;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    bool notSaved = false;
    TransferHandlers handlers;
    handlers.begin = [&](QNetworkReply& reply, qint64 total) {
        if (total <= 0) {
            return false;  // no length, or nothing to install
        }
        file = std::make_unique<QSaveFile>(
            QDir(folder).filePath(InstallerFileName(product, AnswerExtension(reply, url))));
        file->setDirectWriteFallback(false);
        if (!file->open(QIODevice::WriteOnly)) {
            notSaved = true;
            return false;
        }
        return true;
    };
    handlers.sink = [&](const QByteArray& piece, qint64 received, qint64 total) {
        hash.addData(piece);
        if (file->write(piece) != piece.size()) {
            notSaved = true;
            return false;
        }
        if (progress) {
            progress(received, total);
        }
        return true;
    };
    const TransferEnd end = Transfer(url, true, -1, cancel, handlers);
    if (end == TransferEnd::Canceled) {
        return CDownloadResult::Canceled;
    }
    if (notSaved) {
        return CDownloadResult::NotSaved;
    }
    if (end != TransferEnd::Done || !file) {
        return CDownloadResult::Failed;
    }
    if (!sha256.isEmpty() && hash.result() != sha256) {
        return CDownloadResult::WrongChecksum;
    }
    if (!file->commit()) {
        return CDownloadResult::NotSaved;
    }
    installerPath = file->fileName();
    return CDownloadResult::Completed;
}

}  // namespace Quillmark
