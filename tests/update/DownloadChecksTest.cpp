// What the update client refuses to keep, against a local HTTPS server:
// a kind of file it does not choose itself, a length it has no room or
// reason for, a download that drips, an installer without the maker's
// signature; and whom it trusts when SSL_CERT_FILE or SSL_CERT_DIR names
// more certificates.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "tests/support/TemporaryHome.h"
#include "tests/update/ServedTest.h"
#include "tests/update/TestHttpsServer.h"
#include "tests/update/TestSigning.h"
#include "update/OnlineRelease.h"
#include "update/TlsTrust.h"

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace Quillmark;
using QuillmarkTest::CAnswer;
using QuillmarkTest::CTestHttpsServer;
using QuillmarkTest::CTestKeyPair;

namespace {

const auto& g_home = QuillmarkTest::TemporaryHome();

constexpr const char* kDeb = "application/vnd.debian.binary-package";

QByteArray Installer(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i * 13 + i / 509);
    }
    return bytes;
}

QByteArray Description(const QByteArray& version) {
    return "<update><version>" + version + "</version></update>";
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// Sets an environment variable for one scope.
class CEnvironment {
public:
    CEnvironment(const char* name, const QByteArray& value) : m_name(name) { qputenv(name, value); }
    ~CEnvironment() { qunsetenv(m_name); }
    CEnvironment(const CEnvironment&) = delete;
    CEnvironment& operator=(const CEnvironment&) = delete;

private:
    const char* m_name;
};

class DownloadChecksTest : public QuillmarkTest::CServedTest {
protected:
    // A download by a client with `key` and `limits`; counts the progress
    // reports (each follows a piece written).
    CDownloadResult Download(QString& path, const CRelease& release = {},
                             const QByteArray& key = {}, const CDownloadLimits& limits = {}) {
        m_reports = 0;
        COnlineRelease client(m_server.Address(), key, limits);
        return client.Download(COnlineRelease::ThisProduct(), QStringLiteral("3.0.0.1"),
                               COnlineRelease::DownloadFolder(), release, path, {},
                               [this](qint64, qint64) { ++m_reports; });
    }
    bool Downloaded() const { return m_server.Requests().join(' ').contains("GetUpdate"); }
    QString Kept(CPackageType type) const {
        return QDir(COnlineRelease::DownloadFolder())
            .filePath(COnlineRelease::InstallerFileName(COnlineRelease::ThisProduct(), type));
    }

    int m_reports = 0;
};

}  // namespace

TEST(PackageTypeTest, OnlyTheDeclaredTypeOfAnInstallerCounts) {
    EXPECT_EQ(PackageTypeOf("application/vnd.debian.binary-package"), CPackageType::Deb);
    EXPECT_EQ(PackageTypeOf("Application/X-Debian-Package"), CPackageType::Deb);
    EXPECT_EQ(PackageTypeOf("application/x-rpm; charset=binary"), CPackageType::Rpm);
    EXPECT_EQ(PackageTypeOf(" application/x-redhat-package-manager "), CPackageType::Rpm);
    EXPECT_EQ(PackageTypeOf("application/vnd.appimage"), CPackageType::AppImage);
    EXPECT_EQ(PackageTypeOf("application/x-iso9660-appimage"), CPackageType::AppImage);
    EXPECT_EQ(PackageTypeOf("application/vnd.flatpak.ref"), CPackageType::FlatpakRef);
    for (const char* other :
         {"", "application/octet-stream", "application/x-sh", "text/x-shellscript",
          "application/x-desktop", "application/x-msdownload", "application/x-ms-dos-executable",
          "application/java-archive", "application/x-executable", "application/gzip",
          "application/x-rpm-extra", "xapplication/x-rpm", "text/html"}) {
        EXPECT_FALSE(PackageTypeOf(other)) << other;
    }
    EXPECT_EQ(PackageExtension(CPackageType::AppImage), "AppImage");
    EXPECT_EQ(PackageExtensions(), QStringList({"deb", "rpm", "AppImage", "flatpakref"}));
}

// The server's file name, given as Content-Disposition or as the address it
// redirects to, never chooses what is kept or opened: of another declared
// type nothing is written; of a package type it is saved by our own name.
TEST_F(DownloadChecksTest, TheServersFileNameNeverChoosesTheKind) {
    const QByteArray installer = Installer(200000);
    struct Named {
        const char* what;
        QByteArray header;  // Content-Disposition, or empty for a redirect
        QString redirect;   // the path redirected to
        QByteArray type;    // what the answer declares
    };
    const auto disposition = [](const QByteArray& name) {
        return "Content-Disposition: attachment; filename=\"" + name + "\"\r\n";
    };
    for (const Named& named : {
             Named{"x.sh", disposition("x.sh"), {}, "application/x-sh"},
             Named{"x.desktop", disposition("x.desktop"), {}, "application/x-desktop"},
             Named{"../x", disposition("../x"), {}, "application/octet-stream"},
             Named{"x.exe", disposition("x.exe"), {}, "application/x-msdownload"},
             Named{"x.jar", disposition("x.jar"), {}, "application/java-archive"},
             Named{"redirect to x.exe", {}, "/x.exe", "application/x-msdownload"},
             Named{"redirect to x.sh", {}, "/x.sh", "application/octet-stream"},
         }) {
        QDir(COnlineRelease::DownloadFolder()).removeRecursively();
        CAnswer answer{.body = installer, .contentType = named.type, .extraHeaders = named.header};
        if (!named.redirect.isEmpty()) {
            m_server.SetAnswer("/GetUpdate.aspx",
                               {.body = {},
                                .status = 302,
                                .extraHeaders = "Location: " + named.redirect.toUtf8() + "\r\n"});
            m_server.SetAnswer(named.redirect, answer);
        } else {
            m_server.SetAnswer("/GetUpdate.aspx", answer);
        }
        QString path = "stale";
        EXPECT_EQ(Download(path), CDownloadResult::UnsupportedType) << named.what;
        EXPECT_TRUE(path.isEmpty()) << named.what;
        EXPECT_EQ(m_reports, 0) << named.what << ": nothing written";
        EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()), QStringList()) << named.what;

        // The same name on a package: ours, of the kind declared.
        answer.contentType = "application/x-rpm";
        m_server.SetAnswer(
            named.redirect.isEmpty() ? QStringLiteral("/GetUpdate.aspx") : named.redirect, answer);
        EXPECT_EQ(Download(path), CDownloadResult::Completed) << named.what;
        EXPECT_EQ(path, Kept(CPackageType::Rpm)) << named.what;
        EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()),
                  QStringList{QFileInfo(Kept(CPackageType::Rpm)).fileName()})
            << named.what;
        EXPECT_TRUE(COnlineRelease::IsDownloadedInstaller(path)) << named.what;
    }
}

TEST_F(DownloadChecksTest, AnnouncedLengthsBeyondTheBoundOrTheRoomAreRefusedBeforeAnyByte) {
    // Ten gigabytes announced, a little sent, then silence: refused at the
    // headers, not after a stall.
    m_server.SetAnswer("/GetUpdate.aspx", {.body = Installer(300000),
                                           .contentType = kDeb,
                                           .announcedLength = 10'000'000'000,
                                           .stallAfter = 300000});
    QElapsedTimer clock;
    clock.start();
    QString path = "stale";
    EXPECT_EQ(Download(path), CDownloadResult::TooLarge);
    EXPECT_LT(clock.elapsed(), COnlineRelease::kStallMilliseconds);
    EXPECT_TRUE(path.isEmpty());
    EXPECT_EQ(m_reports, 0);
    EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()), QStringList());

    // Just over and at the bound.
    CDownloadLimits small;
    small.maxBytes = 100000;
    m_server.SetAnswer("/GetUpdate.aspx", {.body = Installer(100001), .contentType = kDeb});
    EXPECT_EQ(Download(path, {}, {}, small), CDownloadResult::TooLarge);
    EXPECT_EQ(m_reports, 0);
    m_server.SetAnswer("/GetUpdate.aspx", {.body = Installer(100000), .contentType = kDeb});
    EXPECT_EQ(Download(path, {}, {}, small), CDownloadResult::Completed);
    ASSERT_TRUE(QFile::remove(path));

    // Free space: the installer and the margin must fit.
    CDownloadLimits tight;
    tight.spareBytes = 50000;
    QStringList asked;
    tight.freeBytes = [&](const QString& folder) {
        asked << folder;
        return qint64{149999};
    };
    EXPECT_EQ(Download(path, {}, {}, tight), CDownloadResult::NoRoom);
    EXPECT_EQ(asked, QStringList{COnlineRelease::DownloadFolder()});
    EXPECT_EQ(m_reports, 0);
    EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()), QStringList());
    tight.freeBytes = [](const QString&) { return qint64{150000}; };
    EXPECT_EQ(Download(path, {}, {}, tight), CDownloadResult::Completed);
    tight.freeBytes = [](const QString&) { return qint64{-1}; };
    EXPECT_EQ(Download(path, {}, {}, tight), CDownloadResult::NotSaved) << "room unknown";

    // The real disk: more free than nothing, less than ten gigabytes of
    // cache would be free on most machines but not all, so only the sign.
    EXPECT_GT(COnlineRelease::FreeBytes(COnlineRelease::DownloadFolder()), 0);
    EXPECT_EQ(COnlineRelease::FreeBytes(QDir::home().filePath("no/such/folder")), -1);
}

TEST_F(DownloadChecksTest, ADownloadSlowerThanTheFloorIsStopped) {
    CDownloadLimits floor;
    floor.floorBytesPerSecond = 64 * 1024;
    // Long beside the time a busy machine takes to connect.
    floor.floorWindowMilliseconds = 1500;
    // About 20 KB a second, steadily: not a stall, but under the floor.
    m_server.SetAnswer("/GetUpdate.aspx", {.body = Installer(300000),
                                           .contentType = kDeb,
                                           .dripBytes = 1000,
                                           .dripMilliseconds = 50});
    QElapsedTimer clock;
    clock.start();
    QString path = "stale";
    EXPECT_EQ(Download(path, {}, {}, floor), CDownloadResult::TooSlow);
    EXPECT_LT(clock.elapsed(), COnlineRelease::kStallMilliseconds)
        << "stopped at the floor, before a stall would end it";
    EXPECT_GT(m_reports, 0) << "it was dripping";
    EXPECT_TRUE(path.isEmpty());
    EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()), QStringList());

    // The same drip over a lower floor arrives, for two windows and more.
    floor.floorBytesPerSecond = 4 * 1024;
    m_server.SetAnswer(
        "/GetUpdate.aspx",
        {.body = Installer(70000), .contentType = kDeb, .dripBytes = 1000, .dripMilliseconds = 50});
    EXPECT_EQ(Download(path, {}, {}, floor), CDownloadResult::Completed);

    // The check is held to the same floor.
    floor.floorBytesPerSecond = 64 * 1024;
    m_server.SetAnswer("/CheckUpdate.aspx", {.body = Description("9.0.0.0") + QByteArray(8000, ' '),
                                             .dripBytes = 100,
                                             .dripMilliseconds = 50});
    EXPECT_FALSE(COnlineRelease(m_server.Address(), {}, floor).Check(3));
}

TEST(SignatureTest, PublicKeysInEveryFormAndSignaturesOfEveryByte) {
    const CTestKeyPair maker;
    ASSERT_TRUE(maker.IsReady());
    const QByteArray raw = maker.PublicRaw();
    ASSERT_EQ(raw.size(), 32);
    EXPECT_EQ(ParsePublicKey(maker.PublicPem()), raw);
    EXPECT_EQ(ParsePublicKey(maker.PublicDer().toBase64()), raw);
    EXPECT_EQ(ParsePublicKey(raw.toBase64()), raw);
    EXPECT_EQ(ParsePublicKey("  " + raw.toBase64() + "\n"), raw);
    // A private key, another kind of key, a short key, trailing bytes,
    // text that is no base64: no key.
    EXPECT_TRUE(ParsePublicKey(maker.PrivatePem()).isEmpty());
    EXPECT_TRUE(ParsePublicKey(CTestKeyPair("EC").PublicPem()).isEmpty());
    EXPECT_TRUE(ParsePublicKey(CTestKeyPair("EC").PublicDer().toBase64()).isEmpty());
    EXPECT_TRUE(ParsePublicKey(raw.left(31).toBase64()).isEmpty());
    EXPECT_TRUE(ParsePublicKey((maker.PublicDer() + "x").toBase64()).isEmpty());
    EXPECT_TRUE(ParsePublicKey("not a key!").isEmpty());
    EXPECT_TRUE(ParsePublicKey("").isEmpty());

    const QByteArray data = Installer(100000);
    const QByteArray signature = maker.Sign(data);
    ASSERT_EQ(signature.size(), 64);
    const auto verify = [&](const QByteArray& key, const QByteArray& sig, const QByteArray& of) {
        return VerifySignature(key, sig, reinterpret_cast<const uchar*>(of.constData()), of.size());
    };
    EXPECT_TRUE(verify(raw, signature, data));
    QByteArray changed = data;
    changed[77777] = static_cast<char>(changed[77777] ^ 1);
    EXPECT_FALSE(verify(raw, signature, changed)) << "one bit of the data";
    EXPECT_FALSE(verify(raw, signature, data.left(data.size() - 1))) << "one byte short";
    QByteArray forged = signature;
    forged[5] = static_cast<char>(forged[5] ^ 0x40);
    EXPECT_FALSE(verify(raw, forged, data));
    EXPECT_FALSE(verify(CTestKeyPair().PublicRaw(), signature, data)) << "another maker";
    EXPECT_FALSE(verify(raw, signature.left(63), data));
    EXPECT_FALSE(verify(raw.left(31), signature, data));
    EXPECT_FALSE(verify(QByteArray(), signature, data));

    // The description carries it as base64 of its 64 bytes.
    const auto release =
        COnlineRelease::ParseDescription("<update><version>3.1.0.0</version><signature>\n" +
                                         signature.toBase64() + "\n</signature></update>");
    ASSERT_TRUE(release);
    EXPECT_EQ(release->signature, signature);
    EXPECT_FALSE(COnlineRelease::ParseDescription("<update><version>3.1.0.0</version><signature>" +
                                                  signature.left(63).toBase64() +
                                                  "</signature></update>"));
    EXPECT_FALSE(COnlineRelease::ParseDescription(
        "<update><version>3.1.0.0</version><signature>*not base64*</signature></update>"));
}

// The key configured (QUILLMARK_UPDATE_PUBLIC_KEY, here as CMake passes it
// on) is the one built in, and makes every client ask for a signature.
TEST(SignatureTest, TheKeyBuiltInIsTheOneConfigured) {
    const QByteArray configured(QUILLMARK_TEST_UPDATE_KEY);
    if (configured.isEmpty()) {
        EXPECT_TRUE(BuiltInPublicKey().isEmpty());
        EXPECT_FALSE(COnlineRelease().RequiresSignature());
    } else {
        EXPECT_EQ(BuiltInPublicKey().size(), 32);
        EXPECT_EQ(BuiltInPublicKey(), ParsePublicKey(configured));
        EXPECT_TRUE(COnlineRelease().RequiresSignature());
    }
}

TEST_F(DownloadChecksTest, WithAKeyOnlyARightlySignedInstallerIsKept) {
    const CTestKeyPair maker;
    ASSERT_TRUE(maker.IsReady());
    const QByteArray key = maker.PublicRaw();
    const QByteArray installer = Installer(300000);
    m_server.SetAnswer("/GetUpdate.aspx", {.body = installer, .contentType = kDeb});
    CRelease release;
    release.signature = maker.Sign(installer);

    QString path;
    EXPECT_EQ(Download(path, release, key), CDownloadResult::Completed);
    EXPECT_EQ(path, Kept(CPackageType::Deb));
    QFile kept(path);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), installer);
    kept.close();
    ASSERT_TRUE(QFile::remove(path));

    struct Case {
        const char* what;
        QByteArray signature;
    };
    QByteArray lastByte = installer;
    lastByte[lastByte.size() - 1] = static_cast<char>(lastByte.back() ^ 1);
    for (const Case& c : {Case{"of other bytes", maker.Sign(lastByte)},
                          Case{"by another key", CTestKeyPair().Sign(installer)}}) {
        release.signature = c.signature;
        path = "stale";
        EXPECT_EQ(Download(path, release, key), CDownloadResult::BadSignature) << c.what;
        EXPECT_TRUE(path.isEmpty()) << c.what;
        EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()), QStringList()) << c.what;
    }

    // None at all: not even asked for.
    const qsizetype before = m_server.Requests().size();
    release.signature.clear();
    EXPECT_EQ(Download(path, release, key), CDownloadResult::BadSignature);
    EXPECT_EQ(m_server.Requests().size(), before);
    EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()), QStringList());

    // The checksum still counts beside the signature.
    release.signature = maker.Sign(installer);
    release.sha256 = QByteArray(32, '\x11');
    EXPECT_EQ(Download(path, release, key), CDownloadResult::WrongChecksum);
    release.sha256 = QCryptographicHash::hash(installer, QCryptographicHash::Sha256);
    EXPECT_EQ(Download(path, release, key), CDownloadResult::Completed);

    // Without a key a signature is not asked for, and the sha256 holds.
    EXPECT_FALSE(COnlineRelease(m_server.Address(), {}).RequiresSignature());
    EXPECT_TRUE(COnlineRelease(m_server.Address(), key).RequiresSignature());
    CRelease unsigned_;
    unsigned_.sha256 = QByteArray(32, '\x11');
    EXPECT_EQ(Download(path, unsigned_), CDownloadResult::WrongChecksum);
    unsigned_.sha256.clear();
    EXPECT_EQ(Download(path, unsigned_), CDownloadResult::Completed);
}

// SSL_CERT_FILE and SSL_CERT_DIR add to what is trusted: a server whose
// certificate they name is reached, while the name check stays and a
// certificate they do not name is still refused.
TEST_F(DownloadChecksTest, CertificatesNamedByTheEnvironmentAreAddedToTheSystems) {
    CTestHttpsServer otherName(QStringLiteral("DNS:other.example"));
    CTestHttpsServer stranger;
    ASSERT_TRUE(otherName.IsReady() && stranger.IsReady());
    for (CTestHttpsServer* server : {&m_server, &otherName, &stranger}) {
        server->SetAnswer("/CheckUpdate.aspx", {.body = Description("9.0.0.0")});
    }
    QTemporaryDir certificates;
    QFile bundle(certificates.filePath("bundle.pem"));
    ASSERT_TRUE(bundle.open(QIODevice::WriteOnly));
    for (const QString& file : {m_server.CertificateFile(), otherName.CertificateFile()}) {
        QFile pem(file);
        ASSERT_TRUE(pem.open(QIODevice::ReadOnly));
        bundle.write(pem.readAll());
    }
    bundle.close();
    const auto reached = [](const CTestHttpsServer& server) {
        return COnlineRelease(server.Address(), {}).Check(3).has_value();
    };
    CTestHttpsServer::Distrust();
    EXPECT_FALSE(reached(m_server)) << "trusted by nobody yet";
    {
        const CEnvironment file("SSL_CERT_FILE", QFile::encodeName(bundle.fileName()));
        EXPECT_TRUE(reached(m_server));
        EXPECT_FALSE(reached(otherName)) << "trusted, but made out to another name";
        EXPECT_FALSE(reached(stranger)) << "not named";

        // Added to the system's, which stay; verification is not loosened.
        const QSslConfiguration configuration = UpdateTlsConfiguration();
        const QList<QSslCertificate> trusted = configuration.caCertificates();
        const QSslCertificate ours = QSslCertificate::fromPath(m_server.CertificateFile()).value(0);
        EXPECT_TRUE(trusted.contains(ours));
        for (const QSslCertificate& system : QSslConfiguration::systemCaCertificates()) {
            ASSERT_TRUE(trusted.contains(system)) << system.subjectDisplayName().toStdString();
        }
        EXPECT_EQ(configuration.peerVerifyMode(),
                  QSslConfiguration::defaultConfiguration().peerVerifyMode());
    }
    EXPECT_FALSE(reached(m_server)) << "not once the variable is gone";
    {
        // A folder of certificates; a FIFO among them is passed over unread.
        QTemporaryDir folder;
        ASSERT_TRUE(QFile::copy(m_server.CertificateFile(), folder.filePath("server.pem")));
        ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("fifo.pem")).constData(), 0600), 0);
        const CEnvironment dir("SSL_CERT_DIR",
                               "/no/such/folder:" + QFile::encodeName(folder.path()));
        EXPECT_TRUE(reached(m_server));
        EXPECT_FALSE(reached(stranger));
        EXPECT_EQ(EnvironmentCertificates().size(), 1);
    }
    {
        // A file that is a FIFO, or no certificate: nothing added, nothing
        // hangs, and the system's trust is left as it was.
        ASSERT_EQ(::mkfifo(QFile::encodeName(certificates.filePath("fifo")).constData(), 0600), 0);
        const CEnvironment fifo("SSL_CERT_FILE", QFile::encodeName(certificates.filePath("fifo")));
        EXPECT_TRUE(EnvironmentCertificates().isEmpty());
        EXPECT_FALSE(reached(m_server));
        EXPECT_EQ(UpdateTlsConfiguration().caCertificates(),
                  QSslConfiguration::defaultConfiguration().caCertificates());
    }
    m_server.Trust();
    EXPECT_TRUE(reached(m_server)) << "the tests' own trust is back";
}
