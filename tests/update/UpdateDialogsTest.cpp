// "Check for Updates" and "Update Available" against a local HTTPS server:
// what the dialog shows for each answer of the service, and that a
// download that is not complete, not what was published, or cancelled
// leaves no file and nothing to start at exit.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <QTextBrowser>

#include "tests/support/TemporaryHome.h"
#include "tests/update/TestHttpsServer.h"
#include "tests/update/TestSigning.h"
#include "update/UpdateAvailableDialog.h"
#include "update/UpdateCheckDlg.h"
#include "update/UpdateCheckModel.h"

using namespace Quillmark;
using QuillmarkTest::CAnswer;
using QuillmarkTest::CTestHttpsServer;

namespace {

const auto& g_home = QuillmarkTest::TemporaryHome();

using Phase = CUpdateCheckModel::Phase;

// A download answer of a kind the program keeps.
constexpr const char* kDeb = "application/vnd.debian.binary-package";

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

QByteArray Installer() {
    QByteArray bytes(400000, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 31) ^ (i >> 9));
    }
    return bytes;
}

class UpdateDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.IsReady()) << "openssl could not make the test certificate";
        m_server.Trust();
        qputenv("QUILLMARK_UPDATE_URL", m_server.Address().toEncoded());
        QDir(COnlineRelease::DownloadFolder()).removeRecursively();
        m_server.SetAnswer("/notes.html", {.body = "<h1>Quillmark 3.1</h1><p>Faster folders.</p>"
                                                   "<img src=\"file:///etc/hostname\">",
                                           .contentType = "text/html"});
    }
    void TearDown() override {
        m_server.CloseAll();
        qunsetenv("QUILLMARK_UPDATE_URL");
    }

    void Describe(const QByteArray& version, const QByteArray& more = {}) {
        m_server.SetAnswer("/CheckUpdate.aspx",
                           {.body = "<update><version>" + version + "</version><quickinfo>" +
                                    m_server.Address("/notes.html").toEncoded() + "</quickinfo>" +
                                    more + "</update>"});
    }

    std::unique_ptr<CUpdateCheckDlg> MakeDialog(const QByteArray& key = {},
                                                const CDownloadLimits& limits = {}) {
        CUpdateCheckDlg::Hooks hooks;
        hooks.runningVersion = "3.0.0.1";
        hooks.publicKey = key;
        hooks.limits = limits;
        hooks.installAtExit = [this](const QString& path) { m_installAtExit = path; };
        hooks.closeProgram = [this] { ++m_closeProgram; };
        auto dialog = std::make_unique<CUpdateCheckDlg>(hooks);
        dialog->show();
        return dialog;
    }

    // Presses "Check For Update" and waits until the check has an answer;
    // a newer release's notes get `download` (true: Download Update).
    void Check(CUpdateCheckDlg& dialog, bool download = true) {
        QObject::connect(
            &dialog, &CUpdateCheckDlg::NotesShown, &dialog,
            [this, download](CUpdateAvailableDialog* notes) {
                EXPECT_TRUE(QTest::qWaitFor([notes] { return notes->NotesLoaded(); }, 10000));
                m_notesText = notes->findChild<QTextBrowser*>()->toPlainText();
                auto* button = notes->findChild<QPushButton*>("DownloadUpdate");
                EXPECT_TRUE(button->isEnabled());
                if (download) {
                    button->click();
                } else {
                    notes->reject();
                }
            });
        Button(dialog, "CheckForUpdate")->click();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return dialog.Model().CurrentPhase() != Phase::Checking; }, 10000));
    }

    static QPushButton* Button(QWidget& dialog, const char* name) {
        return dialog.findChild<QPushButton*>(name);
    }
    static QString Status(QWidget& dialog) {
        return dialog.findChild<QLabel*>("UpdateStatus")->text();
    }
    static bool WaitClosed(QWidget& dialog) {
        return QTest::qWaitFor([&] { return !dialog.isVisible(); }, 10000);
    }
    void ExpectNothingLeft(const char* what) {
        EXPECT_TRUE(m_installAtExit.isEmpty()) << what;
        EXPECT_EQ(m_closeProgram, 0) << what;
        EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()), QStringList()) << what;
    }

    CTestHttpsServer m_server;
    QString m_installAtExit;
    int m_closeProgram = 0;
    QString m_notesText;
};

}  // namespace

TEST(UpdateCheckModelTest, EveryStepShowsItsTextAndButtons) {
    CUpdateCheckModel model;
    EXPECT_EQ(model.Current().status, CUpdateCheckModel::IntroText());
    EXPECT_EQ(model.Current().checkCaption, "Check For Update");
    EXPECT_EQ(model.Current().cancelCaption, "Cancel");
    EXPECT_FALSE(model.Current().progressVisible);

    model.StartCheck();
    EXPECT_EQ(model.Current().status, "Checking for an updated version of the software...");
    EXPECT_FALSE(model.Current().checkEnabled);
    EXPECT_TRUE(model.Current().waitCursor);
    const CVersion running = CVersion::Parse("3.2.3.157");
    EXPECT_EQ(model.CheckFinished(std::nullopt, running), CUpdateCheckModel::Next::Stay);
    EXPECT_EQ(model.Current().checkCaption, "Try Again");
    EXPECT_TRUE(model.Current().checkEnabled);
    EXPECT_FALSE(model.Current().waitCursor);

    model.StartCheck();
    EXPECT_EQ(model.CheckFinished(CRelease{"3.2.3.157", {}, {}}, running),
              CUpdateCheckModel::Next::Stay);
    EXPECT_EQ(model.Current().status,
              "There is no newer version available.  You are using the latest release.");
    EXPECT_EQ(model.Current().cancelCaption, "Close");

    CUpdateCheckModel newer;
    newer.StartCheck();
    EXPECT_EQ(newer.CheckFinished(CRelease{"3.2.10.0", {}, {}}, CVersion::Parse("3.2.9.999")),
              CUpdateCheckModel::Next::ShowNotes);
    EXPECT_EQ(newer.NotesClosed(true), CUpdateCheckModel::Next::Stay);
    EXPECT_EQ(newer.Current().status, "Downloading update...");
    newer.Progress(50, 200);
    EXPECT_TRUE(newer.Current().progressVisible);
    EXPECT_EQ(newer.Current().progressValue, 50);
    // Each failure says what went wrong and offers another try.
    for (auto [result, text] :
         {std::pair{CDownloadResult::Failed, CUpdateCheckModel::NoConnectionText()},
          std::pair{CDownloadResult::NotSaved, CUpdateCheckModel::NotSavedText()},
          std::pair{CDownloadResult::WrongChecksum, CUpdateCheckModel::WrongChecksumText()},
          std::pair{CDownloadResult::UnsupportedType, CUpdateCheckModel::UnsupportedTypeText()},
          std::pair{CDownloadResult::TooLarge, CUpdateCheckModel::TooLargeText()},
          std::pair{CDownloadResult::NoRoom, CUpdateCheckModel::NoRoomText()},
          std::pair{CDownloadResult::TooSlow, CUpdateCheckModel::TooSlowText()},
          std::pair{CDownloadResult::BadSignature, CUpdateCheckModel::BadSignatureText()}}) {
        CUpdateCheckModel failing = newer;
        EXPECT_EQ(failing.DownloadFinished(result), CUpdateCheckModel::Next::Stay);
        EXPECT_EQ(failing.Current().status, text);
        EXPECT_EQ(failing.Current().checkCaption, "Try Again");
        EXPECT_TRUE(failing.Current().checkEnabled);
        EXPECT_FALSE(failing.Current().progressVisible);
    }
    // Cancel waits for the download to stop, then closes; a download that
    // completed after Cancel is not installed.
    EXPECT_EQ(newer.CancelPressed(), CUpdateCheckModel::Next::Stay);
    EXPECT_FALSE(newer.Current().cancelEnabled);
    EXPECT_EQ(newer.DownloadFinished(CDownloadResult::Completed),
              CUpdateCheckModel::Next::CloseDialog);

    // Closed while the check was on its way: its answer shows nothing.
    CUpdateCheckModel closed;
    closed.StartCheck();
    EXPECT_EQ(closed.CancelPressed(), CUpdateCheckModel::Next::CloseDialog);
    EXPECT_EQ(closed.CheckFinished(CRelease{"9.0.0.0", {}, {}}, running),
              CUpdateCheckModel::Next::Stay);
    EXPECT_EQ(closed.CurrentPhase(), Phase::Closed);
}

TEST_F(UpdateDialogsTest, NoNewerVersion) {
    Describe("3.0.0.1");
    auto dialog = MakeDialog();
    EXPECT_EQ(Status(*dialog), CUpdateCheckModel::IntroText());
    Check(*dialog);
    EXPECT_EQ(Status(*dialog),
              "There is no newer version available.  You are using the latest release.");
    EXPECT_EQ(Button(*dialog, "UpdateCancel")->text(), "Close");
    EXPECT_EQ(Button(*dialog, "UpdateCancel")->accessibleName(), "Close");
    EXPECT_FALSE(Button(*dialog, "CheckForUpdate")->isEnabled());
    EXPECT_EQ(m_server.Requests().value(0),
              QStringLiteral("/CheckUpdate.aspx?product=%1").arg(COnlineRelease::ThisProduct()));
    Button(*dialog, "UpdateCancel")->click();
    EXPECT_FALSE(dialog->isVisible());
    ExpectNothingLeft("no newer version");
}

TEST_F(UpdateDialogsTest, ServerDownOrMalformedDescriptionOffersTryAgain) {
    auto dialog = MakeDialog();
    m_server.SetAnswer("/CheckUpdate.aspx", {.body = "<update><version>9.0.0.0</vers"});
    Check(*dialog);
    EXPECT_EQ(Status(*dialog), CUpdateCheckModel::NoConnectionText());
    EXPECT_EQ(Button(*dialog, "CheckForUpdate")->text(), "Try Again");
    EXPECT_TRUE(Button(*dialog, "CheckForUpdate")->isEnabled());

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    qputenv("QUILLMARK_UPDATE_URL", QStringLiteral("https://127.0.0.1:%1/").arg(port).toUtf8());
    Check(*dialog);
    EXPECT_EQ(Status(*dialog), CUpdateCheckModel::NoConnectionText());
    EXPECT_EQ(Button(*dialog, "CheckForUpdate")->text(), "Try Again");
    EXPECT_TRUE(Button(*dialog, "UpdateCancel")->isEnabled());
    ExpectNothingLeft("server down");
}

TEST_F(UpdateDialogsTest, NewerVersionWithNotesDownloadsAndInstallsAtExit) {
    const QByteArray installer = Installer();
    Describe("v3.1.0.0 beta",
             "<sha256>" + QCryptographicHash::hash(installer, QCryptographicHash::Sha256).toHex() +
                 "</sha256>");
    // The name the server gives is not what it is kept or opened as.
    m_server.SetAnswer("/GetUpdate.aspx",
                       {.body = installer,
                        .contentType = kDeb,
                        .extraHeaders = "Content-Disposition: attachment; filename=setup.run\r\n"});
    auto dialog = MakeDialog();
    Check(*dialog);
    EXPECT_TRUE(m_notesText.contains("Faster folders.")) << m_notesText.toStdString();
    ASSERT_TRUE(WaitClosed(*dialog));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_installAtExit, QDir(COnlineRelease::DownloadFolder())
                                   .filePath(COnlineRelease::InstallerFileName(
                                       COnlineRelease::ThisProduct(), CPackageType::Deb)));
    EXPECT_EQ(m_closeProgram, 1);
    QFile file(m_installAtExit);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), installer);
    EXPECT_EQ(Entries(COnlineRelease::DownloadFolder()).size(), 1);
}

TEST_F(UpdateDialogsTest, DecliningTheNotesClosesWithoutDownloading) {
    Describe("v1.2.3.4 beta");
    auto dialog = MakeDialog();
    // Read as 1.2.3.4, older than 3.0.0.1: nothing to show.
    Check(*dialog);
    EXPECT_EQ(Status(*dialog), CUpdateCheckModel::NotNewerText());
    Describe("v4.2.3.4 beta");
    auto second = MakeDialog();
    Check(*second, false);
    ASSERT_TRUE(WaitClosed(*second));
    EXPECT_EQ(second->result(), QDialog::Rejected);
    EXPECT_FALSE(m_server.Requests().join(' ').contains("GetUpdate"));
    ExpectNothingLeft("notes declined");
}

TEST_F(UpdateDialogsTest, FailedDownloadsShowTryAgainAndLeaveNothing) {
    const QByteArray installer = Installer();
    struct Case {
        const char* what;
        CAnswer answer;
        QByteArray sha256;
        QString status;
    };
    for (const Case& c : {
             Case{"cut short midway",
                  {.body = installer, .contentType = kDeb, .cutAfter = 200000},
                  {},
                  CUpdateCheckModel::NoConnectionText()},
             Case{"no length",
                  {.body = installer, .contentType = kDeb, .announceLength = false},
                  {},
                  CUpdateCheckModel::NoConnectionText()},
             Case{"wrong sha256",
                  {.body = installer, .contentType = kDeb},
                  QByteArray(64, 'b'),
                  CUpdateCheckModel::WrongChecksumText()},
         }) {
        Describe("3.1.0.0",
                 c.sha256.isEmpty() ? QByteArray() : "<sha256>" + c.sha256 + "</sha256>");
        m_server.SetAnswer("/GetUpdate.aspx", c.answer);
        auto dialog = MakeDialog();
        Check(*dialog);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return dialog->Model().CurrentPhase() == Phase::Idle; }, 10000))
            << c.what;
        EXPECT_TRUE(dialog->isVisible()) << c.what;
        EXPECT_EQ(Status(*dialog), c.status) << c.what;
        EXPECT_EQ(Button(*dialog, "CheckForUpdate")->text(), "Try Again") << c.what;
        EXPECT_TRUE(Button(*dialog, "CheckForUpdate")->isEnabled()) << c.what;
        EXPECT_TRUE(Button(*dialog, "UpdateCancel")->isEnabled()) << c.what;
        ExpectNothingLeft(c.what);
    }
}

TEST_F(UpdateDialogsTest, CancelDuringDownloadClosesAndLeavesNothing) {
    Describe("3.1.0.0");
    m_server.SetAnswer("/GetUpdate.aspx",
                       {.body = Installer(), .contentType = kDeb, .stallAfter = 150000});
    auto dialog = MakeDialog();
    Check(*dialog);
    auto* bar = dialog->findChild<QProgressBar*>("UpdateProgress");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->isVisible(); }, 10000));
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(Status(*dialog), "Downloading update...");
    Button(*dialog, "UpdateCancel")->click();
    ASSERT_TRUE(WaitClosed(*dialog));
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    ExpectNothingLeft("cancel during download");
}

// Each refusal says what it was, offers another try, and leaves no file
// and nothing to open at exit.
TEST_F(UpdateDialogsTest, RefusedDownloadsSayWhyAndLeaveNothing) {
    const QByteArray installer = Installer();
    const QuillmarkTest::CTestKeyPair maker;
    ASSERT_TRUE(maker.IsReady());
    CDownloadLimits noRoom;
    noRoom.freeBytes = [](const QString&) { return qint64{100000}; };
    CDownloadLimits floor;
    floor.floorBytesPerSecond = 64 * 1024;
    floor.floorWindowMilliseconds = 400;
    struct Case {
        const char* what;
        CAnswer answer;
        QByteArray signature;  // base64 in the description; empty: none
        QByteArray key;
        CDownloadLimits limits;
        QString status;
    };
    for (const Case& c : {
             Case{"a script named by the server",
                  {.body = installer,
                  .extraHeaders = "Content-Disposition: attachment; filename=x.sh\r\n"},
                  {},
                  {},
                  {},
                  CUpdateCheckModel::UnsupportedTypeText()},
             Case{"ten gigabytes",
                  {.body = installer,
                  .contentType = kDeb,
                  .announcedLength = 10'000'000'000,
                  .stallAfter = 1000},
                  {},
                  {},
                  {},
                  CUpdateCheckModel::TooLargeText()},
             Case{"no room",
                  {.body = installer, .contentType = kDeb},
                  {},
                  {},
                  noRoom,
                  CUpdateCheckModel::NoRoomText()},
             Case{
                 "dripping",
                 {.body = installer, .contentType = kDeb, .dripBytes = 500, .dripMilliseconds = 50},
                 {},
                 {},
                 floor,
                 CUpdateCheckModel::TooSlowText()},
             Case{"not signed",
                  {.body = installer, .contentType = kDeb},
                  {},
                  maker.PublicRaw(),
                  {},
                  CUpdateCheckModel::BadSignatureText()},
             Case{"signed by another",
                  {.body = installer, .contentType = kDeb},
                  QuillmarkTest::CTestKeyPair().Sign(installer).toBase64(),
                  maker.PublicRaw(),
                  {},
                  CUpdateCheckModel::BadSignatureText()},
         }) {
        Describe("3.1.0.0", c.signature.isEmpty() ? QByteArray()
                                                  : "<signature>" + c.signature + "</signature>");
        m_server.SetAnswer("/GetUpdate.aspx", c.answer);
        auto dialog = MakeDialog(c.key, c.limits);
        Check(*dialog);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return dialog->Model().CurrentPhase() == Phase::Idle; }, 10000))
            << c.what;
        EXPECT_EQ(Status(*dialog), c.status) << c.what;
        EXPECT_EQ(dialog->findChild<QLabel*>("UpdateStatus")->accessibleName(), c.status) << c.what;
        EXPECT_EQ(Button(*dialog, "CheckForUpdate")->text(), "Try Again") << c.what;
        EXPECT_TRUE(Button(*dialog, "CheckForUpdate")->isEnabled()) << c.what;
        ExpectNothingLeft(c.what);
        m_server.CloseAll();
    }
    // A rightly signed one is kept and handed on.
    Describe("3.1.0.0", "<signature>" + maker.Sign(installer).toBase64() + "</signature>");
    m_server.SetAnswer("/GetUpdate.aspx", {.body = installer, .contentType = kDeb});
    auto dialog = MakeDialog(maker.PublicRaw());
    Check(*dialog);
    ASSERT_TRUE(WaitClosed(*dialog));
    EXPECT_EQ(m_installAtExit, QDir(COnlineRelease::DownloadFolder())
                                   .filePath(COnlineRelease::InstallerFileName(
                                       COnlineRelease::ThisProduct(), CPackageType::Deb)));
}

TEST_F(UpdateDialogsTest, FullDiskShowsTryAgainAndLeavesNothing) {
    const QString folder = COnlineRelease::DownloadFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    if (::geteuid() != 0 || ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                                    "size=64k,mode=0700") != 0) {
        GTEST_SKIP() << "a small tmpfs needs root; the full-disk case is not tried";
    }
    Describe("3.1.0.0");
    m_server.SetAnswer("/GetUpdate.aspx", {.body = Installer(), .contentType = kDeb});
    // Told there is room, so that the writes themselves fail.
    CDownloadLimits roomy;
    roomy.freeBytes = [](const QString&) { return qint64{1} << 40; };
    auto dialog = MakeDialog({}, roomy);
    Check(*dialog);
    const bool idle =
        QTest::qWaitFor([&] { return dialog->Model().CurrentPhase() == Phase::Idle; }, 10000);
    const QStringList left = Entries(folder);
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    ASSERT_TRUE(idle);
    EXPECT_EQ(Status(*dialog), CUpdateCheckModel::NotSavedText());
    EXPECT_EQ(Button(*dialog, "CheckForUpdate")->text(), "Try Again");
    EXPECT_EQ(left, QStringList());
    ExpectNothingLeft("disk full");
}

TEST_F(UpdateDialogsTest, NotesLoadNothingElseAndLinkOnlyToTheWeb) {
    CUpdateAvailableDialog notes(m_server.Address("/notes.html"), false);
    EXPECT_EQ(notes.windowTitle(), "Update Available");
    auto* signing = notes.findChild<QLabel*>("DownloadSigning");
    EXPECT_EQ(signing->text(), CUpdateCheckModel::UnsignedText());
    EXPECT_EQ(signing->accessibleName(), signing->text());
    EXPECT_TRUE(signing->text().startsWith("This update is not signed"));
    EXPECT_EQ(notes.findChild<QLabel*>("NotesLoading")->text(), "Loading update notes...");
    EXPECT_FALSE(notes.findChild<QPushButton*>("DownloadUpdate")->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return notes.NotesLoaded(); }, 10000));
    EXPECT_TRUE(notes.findChild<QPushButton*>("DownloadUpdate")->isEnabled());
    auto* browser = notes.findChild<CNotesBrowser*>();
    EXPECT_EQ(browser->loadResource(QTextDocument::HtmlResource, QUrl("file:///etc/hostname")),
              QVariant(QByteArray()));
    EXPECT_FALSE(CNotesBrowser::OpenInBrowser(QUrl("file:///etc/passwd")));
    EXPECT_FALSE(CNotesBrowser::OpenInBrowser(QUrl("javascript:alert(1)")));

    // Notes that cannot be fetched still let the user go on.
    CUpdateAvailableDialog missing(m_server.Address("/gone.html"), true);
    EXPECT_EQ(missing.findChild<QLabel*>("DownloadSigning")->text(),
              CUpdateCheckModel::SignedText());
    ASSERT_TRUE(QTest::qWaitFor([&] { return missing.NotesLoaded(); }, 10000));
    EXPECT_TRUE(missing.findChild<QTextBrowser*>()->toPlainText().contains("could not be loaded"));
    EXPECT_TRUE(missing.findChild<QPushButton*>("DownloadUpdate")->isEnabled());
}
