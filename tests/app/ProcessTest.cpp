// Quillmark as a process: one copy a user, and an orderly end on SIGTERM.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLocalSocket>
#include <QSettings>
#include <QThread>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/QuillmarkApp.h"
#include "app/SingleInstance.h"
#include "tests/support/TemporaryHome.h"

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();

pid_t Launch() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::freopen("/dev/null", "w", stderr);
        ::execl(QUILLMARK_EXE, "quillmark", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

// Waits for a child; -1 when it has not ended in time.
int WaitFor(pid_t pid, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        QThread::msleep(20);
    }
    return -1;
}

// Quillmark as main() runs it, held in its start (after the stores, before
// the window shows) until a byte comes on `release`.
pid_t LaunchHeldInStart(int release) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::freopen("/dev/null", "w", stderr);
        int argc = 1;
        char name[] = "quillmark";
        char* argv[] = {name, nullptr};
        QApplication application(argc, argv);
        Quillmark::CQuillmarkApp::Hooks hooks;
        hooks.splash = false;
        hooks.addPanes = [release](Quillmark::CQuillmarkApp&) {
            char byte = 0;
            [[maybe_unused]] const ssize_t got = ::read(release, &byte, 1);
        };
        Quillmark::CQuillmarkApp app({QStringLiteral("quillmark")}, hooks);
        ::_exit(app.Run());
    }
    return pid;
}

void Stop(pid_t pid) {
    if (::kill(pid, 0) == 0) {
        ::kill(pid, SIGKILL);
        WaitFor(pid, std::chrono::seconds(10));
    }
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

bool Listening() {
    QLocalSocket socket;
    socket.setServerName(Quillmark::CSingleInstance::ServerName());
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer();
    return socket.waitForConnected(100);
}

}  // namespace

TEST(ProcessTest, SecondCopyExitsFirstStaysAndSigtermSavesEverything) {
    const pid_t first = Launch();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Listening() && std::chrono::steady_clock::now() < deadline) {
        QThread::msleep(50);
    }
    ASSERT_TRUE(Listening()) << "the first copy never started";

    const pid_t second = Launch();
    EXPECT_EQ(WaitFor(second, std::chrono::seconds(30)), 0);
    EXPECT_EQ(::kill(first, 0), 0) << "the first copy must stay";

    ASSERT_EQ(::kill(first, SIGTERM), 0);
    EXPECT_EQ(WaitFor(first, std::chrono::seconds(30)), 0);

    const auto data = kHome.Root() / ".local/share/Varnholt/Quillmark";
    EXPECT_TRUE(std::filesystem::exists(data / "favorites.xml"));
    EXPECT_TRUE(std::filesystem::exists(data / "fontprojects.xml"));
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Varnholt, Inc", "Quillmark");
    settings.beginGroup("3.0");
    // The 50 options; the layout of the main window's bars is kept beside
    // them once the window has been closed as a window.
    QStringList keys = settings.childKeys();
    keys.removeAll(QStringLiteral("MainRebarLayout"));
    EXPECT_EQ(keys.size(), 50);
}

TEST(ProcessTest, AFirstCopyStillStartingAnswersAndTheSecondNeverRuns) {
    int release[2];
    ASSERT_EQ(::pipe(release), 0);
    const pid_t first = LaunchHeldInStart(release[0]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Listening() && std::chrono::steady_clock::now() < deadline) {
        QThread::msleep(50);
    }
    ASSERT_TRUE(Listening()) << "the first copy never claimed its name";

    // The first copy is held in its start: it must answer all the same, and
    // the second copy must end without starting (it would save over the
    // first copy's stores at its exit).
    const pid_t second = Launch();
    EXPECT_EQ(WaitFor(second, std::chrono::seconds(20)), 0) << "the second copy runs as well";
    Stop(second);

    // A stopped first copy answers nothing; the second still never runs.
    ASSERT_EQ(::kill(first, SIGSTOP), 0);
    const pid_t third = Launch();
    EXPECT_EQ(WaitFor(third, std::chrono::seconds(30)), 0) << "the third copy runs as well";
    Stop(third);
    ASSERT_EQ(::kill(first, SIGCONT), 0);

    // A SIGTERM while the start is held ends it in order once it goes on.
    EXPECT_EQ(::kill(first, SIGTERM), 0);
    ASSERT_EQ(::write(release[1], "g", 1), 1);
    EXPECT_EQ(WaitFor(first, std::chrono::seconds(30)), 0);
    Stop(first);
    ::close(release[0]);
    ::close(release[1]);
}

TEST(ProcessTest, ATerminationSignalDuringTheImportQuestionEndsTheProgram) {
    const auto data = kHome.Root() / ".local/share/Varnholt";
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        // Favourites of both editions: the start asks which to keep.
        WriteFile(data / "Quillmark/favorites.xml",
                  "<favorites><folder>/ours</folder></favorites>");
        WriteFile(data / "Quillmark Pro/favorites.xml",
                  "<favorites><folder>/earlier</folder></favorites>");
        std::filesystem::remove(data / "Quillmark Pro/favorites.xml.old");

        const pid_t copy = Launch();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!Listening() && std::chrono::steady_clock::now() < deadline) {
            QThread::msleep(50);
        }
        ASSERT_TRUE(Listening()) << "the copy never started";
        // Mostly the question is up by now, sometimes about to be: either
        // way nobody answers it, and the program must end.
        QThread::msleep(500);
        ASSERT_EQ(::kill(copy, signal), 0);
        EXPECT_EQ(WaitFor(copy, std::chrono::seconds(30)), 0) << "signal " << signal;
        Stop(copy);

        std::ifstream ours(data / "Quillmark/favorites.xml");
        const std::string kept((std::istreambuf_iterator<char>(ours)), {});
        EXPECT_NE(kept.find("/ours"), std::string::npos) << "an unanswered question keeps ours";
        EXPECT_TRUE(std::filesystem::exists(data / "Quillmark Pro/favorites.xml") ||
                    std::filesystem::exists(data / "Quillmark Pro/favorites.xml.old"));
    }
}

TEST(ProcessTest, SettingsThatCannotBeSavedKeepTheOldFileAndFailTheRun) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a small tmpfs needs root; the full-disk exit is not tried";
    }
    // No earlier edition's favourites: the start asks nothing.
    std::filesystem::remove(kHome.Root() / ".local/share/Varnholt/Quillmark Pro/favorites.xml");
    const auto folder = kHome.Root() / ".config/Varnholt, Inc";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k"), 0);
    const std::string settings = "[3.0]\nFontListText=mine\n";
    WriteFile(folder / "Quillmark.conf", settings);
    {
        // The rest of the disk, filled to the last byte.
        std::ofstream filler(folder / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size()) && filler.flush()) {
        }
    }

    const pid_t copy = Launch();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Listening() && std::chrono::steady_clock::now() < deadline) {
        QThread::msleep(50);
    }
    ASSERT_EQ(::kill(copy, SIGTERM), 0);
    EXPECT_EQ(WaitFor(copy, std::chrono::seconds(30)), 1)
        << "a run that lost its settings succeeded";
    Stop(copy);
    std::ifstream kept(folder / "Quillmark.conf");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), {}), settings);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              2)
        << "no temporary file is left behind";
    ::umount2(folder.c_str(), MNT_DETACH);
}
