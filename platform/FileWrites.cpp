#include "platform/FileWrites.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace Quillmark::Platform {

CFileWrites::CFileWrites() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

CFileWrites::~CFileWrites() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool CFileWrites::Add(const std::string& folder) {
    if (m_fd < 0) {
        return false;
    }
    // IN_ONLYDIR: a file put where the folder was is not watched instead.
    const int watch =
        ::inotify_add_watch(m_fd, folder.c_str(), IN_MODIFY | IN_CLOSE_WRITE | IN_ONLYDIR);
    if (watch < 0) {
        return false;
    }
    m_watches.push_back(watch);  // the same folder twice is the same watch
    return true;
}

void CFileWrites::Clear() {
    for (const int watch : m_watches) {
        ::inotify_rm_watch(m_fd, watch);
    }
    m_watches.clear();
    TakeWrites();
}

bool CFileWrites::TakeWrites() {
    if (m_fd < 0) {
        return false;
    }
    bool written = false;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR) {
            continue;
        }
        if (length <= 0) {
            return written;
        }
        for (std::size_t at = 0; at < static_cast<std::size_t>(length);) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // A notice about a file (it has a name), not about the folder.
            written |= (event->mask & (IN_MODIFY | IN_CLOSE_WRITE)) != 0 && event->len > 0;
            at += sizeof(inotify_event) + event->len;
        }
    }
}

}  // namespace Quillmark::Platform
