#pragma once

// The system calls the file layer's own files share (Files.cpp and the
// files beside it): for platform/ alone, never included above it.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace Quillmark::Platform::FileCalls {

inline std::error_code Errno(int error) {
    return {error != 0 ? error : EIO, std::system_category()};
}
inline std::error_code LastError() {
    return Errno(errno);
}

// Closes a descriptor when it goes.
class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }
    void Reset(int fd) {
        Close();
        m_fd = fd;
    }
    // Closes now; the close's own error (a write the disk refused late).
    std::error_code Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd >= 0 && ::close(fd) != 0 ? LastError() : std::error_code();
    }

private:
    int m_fd;
};

// Writes every byte (a write that takes none is a full disk).
std::error_code WriteAllBytes(int fd, std::string_view bytes);
// fsync where the file system has it (some answer EINVAL: nothing to do).
std::error_code Sync(int fd);
void SyncFolderOf(const std::filesystem::path& path);
// Creates a new file named after `target`'s folder and name
// (".NAME.XXXXXX.part"); its path in `made`.
int MakeTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& made);

}  // namespace Quillmark::Platform::FileCalls
