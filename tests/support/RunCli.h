#pragma once

// Runs quillmark-cli as a user would, in a child process, and gives back
// its exit code and what it wrote: for the tests of the command line.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace QuillmarkTest {

struct CRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    double secondsAfterInterrupt = 0;  // with an interrupt: from Ctrl+C to the end
};

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Runs `cli` with `args`, its output in `work` and `work`/data as its
// XDG_DATA_HOME; with `interruptAfter` set, sends SIGINT that long after
// the start.
inline CRun RunCli(const char* cli, const std::vector<std::string>& args,
                   const std::filesystem::path& work,
                   std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(-1)) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Ctrl+C waits until the program has taken it over, however slowly
        // it starts on a busy machine.
        sigset_t interrupt;
        sigemptyset(&interrupt);
        sigaddset(&interrupt, SIGINT);
        sigprocmask(SIG_BLOCK, &interrupt, nullptr);
        ::setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
        std::freopen((work / "out.txt").c_str(), "w", stdout);
        std::freopen((work / "err.txt").c_str(), "w", stderr);
        std::vector<char*> argv{const_cast<char*>(cli)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(cli, argv.data());
        ::_exit(127);
    }
    CRun run;
    std::chrono::steady_clock::time_point interrupted;
    if (interruptAfter.count() >= 0) {
        std::this_thread::sleep_for(interruptAfter);
        interrupted = std::chrono::steady_clock::now();
        ::kill(pid, SIGINT);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (interruptAfter.count() >= 0) {
        run.secondsAfterInterrupt =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - interrupted).count();
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    run.out = Slurp(work / "out.txt");
    run.err = Slurp(work / "err.txt");
    return run;
}

}  // namespace QuillmarkTest
