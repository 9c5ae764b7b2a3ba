#pragma once

// The client of the update service: asks for the newest release of this
// build, and downloads its installer.
//
// Both requests go over HTTPS with the system's certificate checks; the
// service's address is built in, or QUILLMARK_UPDATE_URL for a private
// mirror or a test server (an address that is not https is refused).
//
//   Check:    <address>CheckUpdate.aspx?product=N
//             -> <update><version/><quickinfo/>[<sha256/>]</update>
//   Download: <address>GetUpdate.aspx?product=N&currentversion=V
//             -> the installer's bytes
//
// Every answer must announce its length and deliver exactly that many
// bytes; anything else is a failure. A download is written under a private
// folder of the user's cache through a temporary file that becomes the
// installer only when it is complete (and matches the description's sha256
// when there is one): a failed, short or cancelled download leaves nothing.
//
// The calls are synchronous: each runs a local event loop on the thread
// that calls it, so the dialogs call them from a worker thread.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace Quillmark {

// What the service says of the newest release.
struct CRelease {
    QString version;    // "3.2.3.157"; may carry other words around it
    QString quickinfo;  // the address of the release notes
    QByteArray sha256;  // the installer's SHA-256 (32 bytes), empty when not given
};

enum class CDownloadResult {
    Completed,      // the whole installer is in place
    Failed,         // network or TLS error, an error page, a short or unannounced length
    WrongChecksum,  // all of it arrived, but not what the description's sha256 says
    NotSaved,       // the file could not be written (full disk, no permission)
    Canceled,
};

class COnlineRelease {
public:
    // 3 "quillmark64" for a 64-bit build, 2 "quillmark32" for a 32-bit one.
    static int ThisProduct();
    // The product's name; empty for an unknown product.
    static QString ProductName(int product);

    // The built-in address, or QUILLMARK_UPDATE_URL when it is set; ends
    // with "/".
    static QUrl ServiceAddress();

    // The private folder downloads go to (created with mode 0700 when a
    // download needs it), and the name an installer gets there:
    // "<product name>_update", with the extension the server named.
    static QString DownloadFolder();
    static QString InstallerFileName(int product, const QString& extension);
    // True for a file of that form directly in DownloadFolder(): the only
    // files the program may delete or start on the word of a setting.
    static bool IsDownloadedInstaller(const QString& path);

    // Cancel test, polled while a transfer runs; may be empty.
    using CancelTest = std::function<bool()>;
    // Bytes received so far, and the whole length announced.
    using Progress = std::function<void(qint64 received, qint64 total)>;

    explicit COnlineRelease(QUrl service = ServiceAddress());

    // The newest release of `product`; nothing when the service cannot be
    // reached, answers badly, or names no version.
    std::optional<CRelease> Check(int product, const CancelTest& cancel = {});

    // The release notes at `address` (https only) as HTML or plain text;
    // nothing when they cannot be fetched.
    std::optional<QString> FetchNotes(const QUrl& address, const CancelTest& cancel = {});

    // Downloads the installer into `folder`. `sha256`, when not empty, is
    // what the file must hash to. On Completed, `installerPath` names it.
    CDownloadResult Download(int product, const QString& runningVersion, const QString& folder,
                             const QByteArray& sha256, QString& installerPath,
                             const CancelTest& cancel = {}, const Progress& progress = {});

    // The largest description or notes page accepted.
    static constexpr qint64 kMaxPageBytes = 1 << 20;
    // A transfer that stalls this long fails.
    static constexpr int kStallMilliseconds = 30000;

    // Reads a release description; nothing when it is not well-formed XML,
    // its root is not <update>, or its sha256 is not 64 hex digits.
    static std::optional<CRelease> ParseDescription(const QByteArray& xml);

private:
    QUrl m_service;
};

}  // namespace Quillmark
