#pragma once

// Points HOME and the XDG folders at a fresh temporary folder for the whole
// test process, before anything reads them, and removes it at exit.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace QuillmarkTest {

class CTemporaryHome {
public:
    CTemporaryHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillmark-home-XXXXXX").string();
        m_root = ::mkdtemp(pattern.data());
        ::setenv("HOME", m_root.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_root / ".config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_root / ".local/share").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (m_root / ".cache").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", m_root.c_str(), 1);
        ::unsetenv("XDG_DATA_DIRS");
    }
    ~CTemporaryHome() {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    CTemporaryHome(const CTemporaryHome&) = delete;
    CTemporaryHome& operator=(const CTemporaryHome&) = delete;

    const std::filesystem::path& Root() const { return m_root; }

private:
    std::filesystem::path m_root;
};

// The process's temporary home, made before main runs.
inline CTemporaryHome& TemporaryHome() {
    static CTemporaryHome home;
    return home;
}

}  // namespace QuillmarkTest
