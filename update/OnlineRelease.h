#pragma once

// The client of the update service: asks for the newest release of this
// build, and downloads its installer.
//
// Every request goes over HTTPS with the system's certificate checks (and
// the certificates SSL_CERT_FILE and SSL_CERT_DIR add, update/TlsTrust.h);
// the service's address is built in, or QUILLMARK_UPDATE_URL for a private
// mirror or a test server (an address that is not https is refused).
//
//   Check:    <address>CheckUpdate.aspx?product=N
//             -> <update><version/><quickinfo/>[<sha256/>][<signature/>]</update>
//   Download: <address>GetUpdate.aspx?product=N&currentversion=V
//             -> the installer's bytes
//
// Every answer must announce its length and deliver exactly that many
// bytes; anything else is a failure. A transfer slower than a floor (1 KiB
// a second over a minute) is stopped.
//
// What is kept of a download, and how:
// - Its kind is Quillmark's choice, from the Content-Type the download
//   answer declares (update/PackageType.h: .deb, .rpm, .AppImage,
//   .flatpakref); a file name the server gives (Content-Disposition, the
//   address it redirects to) is never used. An answer of any other type is
//   refused before a byte of it is written (UnsupportedType).
// - An announced length over 512 MiB is refused (TooLarge), and
//   so is one that would leave less than a margin free on the download
//   folder's disk (NoRoom), both before a byte is written.
// - A build with a public key (configured with QUILLMARK_UPDATE_PUBLIC_KEY,
//   update/Signature.h) keeps only an installer whose bytes carry a valid
//   Ed25519 signature by that key; the signature comes in the release
//   description, <signature> holding base64 of its 64 bytes. A missing or
//   wrong signature is refused (BadSignature), a missing one before the
//   download is asked for. Without a key the download is not signed, and
//   only the description's sha256, when there is one, vouches for it.
// - It is written under a private folder of the user's cache through a
//   temporary file that becomes the installer only when it is complete and
//   checked: a failed, short, refused or cancelled download leaves nothing.
//
// The calls are synchronous: each runs a local event loop on the thread
// that calls it, so the dialogs call them from a worker thread.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QtGlobal>
#include <functional>
#include <optional>

#include "update/PackageType.h"
#include "update/Signature.h"

namespace Quillmark {

// What the service says of the newest release.
struct CRelease {
    QString version;       // "3.2.3.157"; may carry other words around it
    QString quickinfo;     // the address of the release notes
    QByteArray sha256;     // the installer's SHA-256 (32 bytes), empty when not given
    QByteArray signature;  // its Ed25519 signature (64 bytes), empty when not given
};

enum class CDownloadResult {
    Completed,      // the whole installer is in place
    Failed,         // network or TLS error, an error page, a short or unannounced length
    WrongChecksum,  // all of it arrived, but not what the description's sha256 says
    NotSaved,       // the file could not be written (full disk, no permission)
    Canceled,
    UnsupportedType,  // the answer declared no kind of installer Quillmark keeps
    TooLarge,         // the announced length is over the bound
    NoRoom,           // the download folder's disk has not room enough for it
    TooSlow,          // it arrived slower than the floor
    BadSignature,     // a key is built in, and the signature is missing or wrong
};

// The bounds of the transfers. The defaults are the program's; tests make
// them small.
struct CDownloadLimits {
    // A longer announced download is refused.
    qint64 maxBytes = qint64{512} * 1024 * 1024;
    // Kept free on the download folder's disk beside the installer.
    qint64 spareBytes = qint64{32} * 1024 * 1024;
    // A transfer that receives fewer bytes a second than this, averaged
    // over this many milliseconds, is stopped.
    qint64 floorBytesPerSecond = 1024;
    int floorWindowMilliseconds = 60000;
    // The bytes free to this user on the folder's file system, -1 when it
    // cannot be told; empty: asked of the system (statvfs).
    std::function<qint64(const QString& folder)> freeBytes;
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
    // "<product name>_update.<extension of its kind>".
    static QString DownloadFolder();
    static QString InstallerFileName(int product, CPackageType type);
    // True for a file of that form, of one of the kinds kept, directly in
    // DownloadFolder(): the only files the program may delete or open on
    // the word of a setting.
    static bool IsDownloadedInstaller(const QString& path);

    // Cancel test, polled while a transfer runs; may be empty.
    using CancelTest = std::function<bool()>;
    // Bytes received so far, and the whole length announced.
    using Progress = std::function<void(qint64 received, qint64 total)>;

    // `publicKey`: the raw 32 bytes downloads must be signed with; empty:
    // downloads are not signed.
    explicit COnlineRelease(QUrl service = ServiceAddress(),
                            QByteArray publicKey = BuiltInPublicKey(), CDownloadLimits limits = {});

    // Whether downloads must carry a signature.
    bool RequiresSignature() const { return !m_publicKey.isEmpty(); }

    // The newest release of `product`; nothing when the service cannot be
    // reached, answers badly, or names no version.
    std::optional<CRelease> Check(int product, const CancelTest& cancel = {});

    // The release notes at `address` (https only) as HTML or plain text;
    // nothing when they cannot be fetched.
    std::optional<QString> FetchNotes(const QUrl& address, const CancelTest& cancel = {});

    // Downloads the installer of `release` into `folder`: its sha256, when
    // not empty, is what the file must hash to, and its signature what it
    // must be signed with when this client has a key. On Completed,
    // `installerPath` names it.
    CDownloadResult Download(int product, const QString& runningVersion, const QString& folder,
                             const CRelease& release, QString& installerPath,
                             const CancelTest& cancel = {}, const Progress& progress = {});

    // The largest description or notes page accepted.
    static constexpr qint64 kMaxPageBytes = 1 << 20;
    // A transfer that stalls this long fails.
    static constexpr int kStallMilliseconds = 30000;

    // Reads a release description; nothing when it is not well-formed XML,
    // its root is not <update>, its sha256 is not 64 hex digits, or its
    // signature is not base64 of 64 bytes.
    static std::optional<CRelease> ParseDescription(const QByteArray& xml);

    // The bytes free to this user on the file system of `folder` (statvfs);
    // -1 when that cannot be told.
    static qint64 FreeBytes(const QString& folder);

private:
    QUrl m_service;
    QByteArray m_publicKey;
    CDownloadLimits m_limits;
};

}  // namespace Quillmark
