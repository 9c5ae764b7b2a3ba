// Quillmark as a process: one copy a user, and an orderly end on SIGTERM.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLocalSocket>
#include <QSettings>
#include <QThread>
#include <chrono>
#include <filesystem>

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
    EXPECT_EQ(settings.childKeys().size(), 49);
}
