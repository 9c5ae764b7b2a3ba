// The update service's client against a local HTTPS server: the release
// description, the version rule, and downloads that must either complete
// whole or leave nothing behind.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QUrlQuery>

#include "tests/support/TemporaryHome.h"
#include "tests/update/ServedTest.h"
#include "tests/update/TestHttpsServer.h"
#include "update/OnlineRelease.h"
#include "update/Version.h"

using namespace Quillmark;
using QuillmarkTest::CAnswer;
using QuillmarkTest::CTestHttpsServer;

namespace {

const auto& g_home = QuillmarkTest::TemporaryHome();

QByteArray Installer(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    }
    return bytes;
}

// A download answer of a kind the program keeps.
constexpr const char* kDeb = "application/vnd.debian.binary-package";

QByteArray Description(const QByteArray& version, const QByteArray& more = {}) {
    return "<?xml version=\"1.0\"?>\n<update><version>" + version +
           "</version><quickinfo>https://example.invalid/notes.html</quickinfo>" + more +
           "</update>";
}

// Every entry of the folder, hidden temporary files included.
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

class OnlineReleaseTest : public QuillmarkTest::CServedTest {
protected:
    CDownloadResult Download(QString& path, const QByteArray& sha256 = {},
                             const COnlineRelease::CancelTest& cancel = {},
                             const COnlineRelease::Progress& progress = {}) {
        CRelease release;
        release.sha256 = sha256;
        return m_release.Download(COnlineRelease::ThisProduct(), QStringLiteral("3.0.0.1"),
                                  COnlineRelease::DownloadFolder(), release, path, cancel,
                                  progress);
    }

    // Unsigned downloads, whatever key the build has.
    COnlineRelease m_release{m_server.Address(), {}};
};

}  // namespace

TEST(VersionTest, FirstFourDottedNumbersCompareAsNumbers) {
    EXPECT_EQ(CVersion::Parse("v1.2.3.4 beta").ToString(), "1.2.3.4");
    EXPECT_EQ(CVersion::Parse("release 3.2.3.157 (3.2.3.158)").ToString(), "3.2.3.157");
    EXPECT_TRUE(CVersion::Parse("3.2").IsZero());
    EXPECT_TRUE(CVersion::Parse("").IsZero());
    EXPECT_TRUE(CVersion::Parse("4294967296.0.0.1").IsZero()) << "a field past 32 bits";
    EXPECT_EQ(CVersion::Parse("4294967295.0.0.1").fields[0], 4294967295u);

    EXPECT_FALSE(IsNewer(CVersion::Parse("3.2.3.157"), CVersion::Parse("3.2.3.157")));
    EXPECT_TRUE(IsNewer(CVersion::Parse("3.2.10.0"), CVersion::Parse("3.2.9.999")));
    EXPECT_FALSE(IsNewer(CVersion::Parse("3.2.9.999"), CVersion::Parse("3.2.10.0")));
    EXPECT_TRUE(IsNewer(CVersion::Parse("4.0.0.0"), CVersion::Parse("3.99.99.99")));
    EXPECT_FALSE(IsNewer(CVersion::Parse("3.2"), CVersion::Parse("0.0.0.1")));
}

TEST(VersionTest, ProductsAndInstallerNames) {
    EXPECT_EQ(COnlineRelease::ProductName(2), "quillmark32");
    EXPECT_EQ(COnlineRelease::ProductName(3), "quillmark64");
    EXPECT_EQ(COnlineRelease::ProductName(4), "");
    EXPECT_EQ(COnlineRelease::ThisProduct(), sizeof(void*) == 8 ? 3 : 2);
    EXPECT_EQ(COnlineRelease::InstallerFileName(3, CPackageType::Deb), "quillmark64_update.deb");
    EXPECT_EQ(COnlineRelease::InstallerFileName(2, CPackageType::AppImage),
              "quillmark32_update.AppImage");
}

TEST(VersionTest, DescriptionIsReadWithAnXmlReader) {
    auto release = COnlineRelease::ParseDescription(
        "<!-- comment --><update><other/><version>3.1.0.7</version><version>9.9.9.9</version>"
        "<quickinfo> https://x.example/n </quickinfo></update>");
    ASSERT_TRUE(release);
    EXPECT_EQ(release->version, "3.1.0.7") << "the first version element";
    EXPECT_EQ(release->quickinfo, "https://x.example/n");
    EXPECT_TRUE(release->sha256.isEmpty());

    const QByteArray sum(64, 'a');
    release =
        COnlineRelease::ParseDescription(Description("1.0.0.0", "<sha256>" + sum + "</sha256>"));
    ASSERT_TRUE(release);
    EXPECT_EQ(release->sha256, QByteArray::fromHex(sum));

    // Not well-formed anywhere, another root, a checksum that cannot be
    // checked: refused. Names compare case-sensitively.
    EXPECT_FALSE(COnlineRelease::ParseDescription("<update><version>1.0.0.0</version>"));
    EXPECT_FALSE(COnlineRelease::ParseDescription(Description("1.0.0.0") + "<junk>"));
    EXPECT_FALSE(COnlineRelease::ParseDescription("<release><version>1</version></release>"));
    EXPECT_FALSE(COnlineRelease::ParseDescription(Description("1.0.0.0", "<sha256>abc</sha256>")));
    release = COnlineRelease::ParseDescription("<update><Version>1.0.0.0</Version></update>");
    ASSERT_TRUE(release);
    EXPECT_TRUE(release->version.isEmpty());
}

TEST_F(OnlineReleaseTest, CheckReadsTheDescriptionOverHttps) {
    m_server.SetAnswer("/CheckUpdate.aspx",
                       {.body = Description("v1.2.3.4 beta"), .contentType = "text/xml"});
    const auto release = m_release.Check(3);
    ASSERT_TRUE(release);
    EXPECT_EQ(release->version, "v1.2.3.4 beta");
    EXPECT_EQ(CVersion::Parse(release->version).ToString(), "1.2.3.4");
    EXPECT_EQ(release->quickinfo, "https://example.invalid/notes.html");
    EXPECT_EQ(m_server.Requests().value(0), "/CheckUpdate.aspx?product=3");
}

TEST_F(OnlineReleaseTest, CheckFailsOnEveryBadAnswer) {
    // Malformed XML, no version, no length, more than a page, an error page.
    for (const CAnswer& answer :
         {CAnswer{.body = "<update><version>1.0.0.0</version"},
          CAnswer{.body = "<update><quickinfo>x</quickinfo></update>"},
          CAnswer{.body = Description("9.0.0.0"), .announceLength = false},
          CAnswer{.body = Description("9.0.0.0"), .announcedLength = 900},
          CAnswer{.body = QByteArray(COnlineRelease::kMaxPageBytes + 1, ' ')},
          CAnswer{.body = Description("9.0.0.0"), .status = 500}}) {
        m_server.SetAnswer("/CheckUpdate.aspx", answer);
        EXPECT_FALSE(m_release.Check(3)) << answer.body.left(40).toStdString();
    }
}

TEST_F(OnlineReleaseTest, CheckFailsWithoutServerPlainHttpOrUntrustedCertificate) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    EXPECT_FALSE(COnlineRelease(QUrl(QStringLiteral("https://127.0.0.1:%1/").arg(port))).Check(3));

    m_server.SetAnswer("/CheckUpdate.aspx", {.body = Description("9.0.0.0")});
    QUrl plain = m_server.Address();
    plain.setScheme("http");
    EXPECT_FALSE(COnlineRelease(plain).Check(3));
    EXPECT_TRUE(m_server.Requests().isEmpty()) << "plain http is never asked";

    CTestHttpsServer::Distrust();
    EXPECT_FALSE(m_release.Check(3)) << "a certificate nobody vouches for";
    m_server.Trust();
    EXPECT_TRUE(m_release.Check(3));
}

TEST_F(OnlineReleaseTest, ServiceAddressComesFromTheEnvironment) {
    qputenv("QUILLMARK_UPDATE_URL", "https://mirror.example/updates");
    EXPECT_EQ(COnlineRelease::ServiceAddress().toString(), "https://mirror.example/updates/");
    qunsetenv("QUILLMARK_UPDATE_URL");
    EXPECT_EQ(COnlineRelease::ServiceAddress().scheme(), "https");
}

TEST_F(OnlineReleaseTest, CompleteDownloadIsNamedForTheProductInAPrivateFolder) {
    const QByteArray installer = Installer(300000);
    m_server.SetAnswer("/GetUpdate.aspx", {.body = installer, .contentType = kDeb});
    std::vector<std::pair<qint64, qint64>> reports;
    QString path;
    EXPECT_EQ(Download(path, QCryptographicHash::hash(installer, QCryptographicHash::Sha256), {},
                       [&](qint64 got, qint64 total) { reports.emplace_back(got, total); }),
              CDownloadResult::Completed);
    const QString folder = COnlineRelease::DownloadFolder();
    EXPECT_EQ(path, QDir(folder).filePath(COnlineRelease::InstallerFileName(
                        COnlineRelease::ThisProduct(), CPackageType::Deb)));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), installer);
    EXPECT_EQ(Entries(folder), QStringList{QFileInfo(path).fileName()});
    EXPECT_TRUE(COnlineRelease::IsDownloadedInstaller(path));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);

    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), std::make_pair(qint64{300000}, qint64{300000}));
    for (std::size_t i = 1; i < reports.size(); ++i) {
        EXPECT_GT(reports[i].first, reports[i - 1].first);
    }
    const QUrlQuery query(QUrl(m_server.Requests().value(0)));
    EXPECT_EQ(query.queryItemValue("product").toInt(), COnlineRelease::ThisProduct());
    EXPECT_EQ(query.queryItemValue("currentversion"), "3.0.0.1");
}

TEST_F(OnlineReleaseTest, FailedDownloadsLeaveNothing) {
    const QByteArray installer = Installer(300000);
    const QByteArray wrongSum(32, '\x5a');
    struct Case {
        const char* what;
        CAnswer answer;
        QByteArray sha256;
        CDownloadResult result = CDownloadResult::Failed;
    };
    for (const Case& c : {
             Case{"cut short midway",
                  {.body = installer, .contentType = kDeb, .cutAfter = 150000},
                  {}},
             Case{"no length",
                  {.body = installer, .contentType = kDeb, .announceLength = false},
                  {}},
             Case{"empty", {.body = {}, .contentType = kDeb}, {}},
             Case{"wrong sha256",
                  {.body = installer, .contentType = kDeb},
                  wrongSum,
                  CDownloadResult::WrongChecksum},
             Case{"error page", {.body = installer, .contentType = kDeb, .status = 404}, {}},
         }) {
        m_server.SetAnswer("/GetUpdate.aspx", c.answer);
        QString path = "stale";
        EXPECT_EQ(Download(path, c.sha256), c.result) << c.what;
        EXPECT_TRUE(path.isEmpty()) << c.what;
        EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()), QStringList()) << c.what;
    }
}

TEST_F(OnlineReleaseTest, CancelDuringDownloadLeavesNothing) {
    m_server.SetAnswer("/GetUpdate.aspx",
                       {.body = Installer(300000), .contentType = kDeb, .stallAfter = 100000});
    bool canceled = false;
    QString path;
    EXPECT_EQ(Download(
                  path, {}, [&] { return canceled; }, [&](qint64, qint64) { canceled = true; }),
              CDownloadResult::Canceled);
    EXPECT_TRUE(path.isEmpty());
    EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()), QStringList());
}

TEST_F(OnlineReleaseTest, FullDiskLeavesNothing) {
    const QString folder = COnlineRelease::DownloadFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    if (::geteuid() != 0 || ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                                    "size=64k,mode=0700") != 0) {
        GTEST_SKIP() << "a small tmpfs needs root; the full-disk case is not tried";
    }
    m_server.SetAnswer("/GetUpdate.aspx", {.body = Installer(300000), .contentType = kDeb});
    // Told there is room, so that the writes themselves fail.
    CDownloadLimits roomy;
    roomy.freeBytes = [](const QString&) { return qint64{1} << 40; };
    QString path;
    const CDownloadResult result =
        COnlineRelease(m_server.Address(), {}, roomy)
            .Download(COnlineRelease::ThisProduct(), "3.0.0.1", folder, {}, path);
    // The disk itself says there is no room: refused before a byte.
    QString refusedPath;
    const CDownloadResult refused = Download(refusedPath);
    const QStringList left = Entries(folder);
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    EXPECT_EQ(result, CDownloadResult::NotSaved);
    EXPECT_TRUE(path.isEmpty());
    EXPECT_EQ(refused, CDownloadResult::NoRoom);
    EXPECT_TRUE(refusedPath.isEmpty());
    EXPECT_EQ(left, QStringList());
}

TEST_F(OnlineReleaseTest, OnlyOwnInstallersAreRecognised) {
    const QString folder = COnlineRelease::DownloadFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* kept : {"deb", "rpm", "AppImage", "flatpakref"}) {
        EXPECT_TRUE(COnlineRelease::IsDownloadedInstaller(folder + "/quillmark64_update." + kept));
        EXPECT_TRUE(COnlineRelease::IsDownloadedInstaller(folder + "/quillmark32_update." + kept));
    }
    // Our name, but no kind that is ever kept: never opened, never deleted.
    for (const char* never :
         {"", ".sh", ".desktop", ".exe", ".jar", ".run", ".appimage", ".deb.sh", ".tar.gz"}) {
        EXPECT_FALSE(COnlineRelease::IsDownloadedInstaller(folder + "/quillmark64_update" + never))
            << never;
    }
    EXPECT_FALSE(COnlineRelease::IsDownloadedInstaller(folder + "/quillmark64_update.a b"));
    EXPECT_FALSE(COnlineRelease::IsDownloadedInstaller(folder + "/notes.txt"));
    EXPECT_FALSE(
        COnlineRelease::IsDownloadedInstaller(QDir::homePath() + "/quillmark64_update.deb"));
    EXPECT_FALSE(COnlineRelease::IsDownloadedInstaller("quillmark64_update.deb"));
}
