#pragma once

// A FIFO that tells whether anything opened it for reading, without ever
// leaving that reader blocked: a thread keeps opening its writing end (which
// succeeds only when a reader opens the other) and closes it at once, so the
// reader sees an empty file and goes on, and the open is counted.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

namespace QuillmarkTest {

class CFifoWatch {
public:
    explicit CFifoWatch(std::string path) : m_path(std::move(path)) {
        m_ready = ::mkfifo(m_path.c_str(), 0600) == 0;
        if (m_ready) {
            m_writer = std::thread([this] {
                for (;;) {
                    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CLOEXEC);
                    if (m_released) {
                        if (fd >= 0) {
                            ::close(fd);
                        }
                        return;
                    }
                    if (fd >= 0) {
                        ++m_opens;
                        ::close(fd);
                    }
                }
            });
        }
    }
    ~CFifoWatch() {
        if (m_ready) {
            // Our own reader lets the writer's last open through.
            m_released = true;
            const int fd = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            m_writer.join();
            if (fd >= 0) {
                ::close(fd);
            }
            ::unlink(m_path.c_str());
        }
    }
    CFifoWatch(const CFifoWatch&) = delete;
    CFifoWatch& operator=(const CFifoWatch&) = delete;

    bool IsReady() const { return m_ready; }
    const std::string& Path() const { return m_path; }
    // How often something opened it to read.
    int Opens() const { return m_opens; }

private:
    std::string m_path;
    bool m_ready = false;
    std::atomic<bool> m_released{false};
    std::atomic<int> m_opens{0};
    std::thread m_writer;
};

}  // namespace QuillmarkTest
