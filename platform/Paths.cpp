#include "platform/Paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace Quillmark::Platform {

namespace {

std::filesystem::path Home() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

// An XDG variable counts only when it holds an absolute path.
std::filesystem::path XdgOr(const char* variable, const char* fallback) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        return value;
    }
    return Home() / fallback;
}

}  // namespace

std::filesystem::path DataHome() {
    return XdgOr("XDG_DATA_HOME", ".local/share");
}

std::filesystem::path ConfigHome() {
    return XdgOr("XDG_CONFIG_HOME", ".config");
}
std::filesystem::path UserFontsFolder() {
    return DataHome() / "fonts";
}
std::filesystem::path DataFolder() {
    return DataHome() / "Varnholt" / "Quillmark";
}
std::filesystem::path EarlierEditionDataFolder() {
    return DataHome() / "Varnholt" / "Quillmark Pro";
}

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

std::vector<std::filesystem::path> ProgramDataCandidates(const std::string& name) {
    std::vector<std::filesystem::path> candidates;
    const std::filesystem::path folder = ProgramFolder();
    if (folder.empty()) {
        return candidates;
    }
    candidates.push_back(folder / name);
    // bin/ -> share/quillmark; libexec/quillmark/ -> ../../share/quillmark.
    candidates.push_back(folder.parent_path() / "share" / "quillmark" / name);
    candidates.push_back(folder.parent_path().parent_path() / "share" / "quillmark" / name);
    return candidates;
}

}  // namespace Quillmark::Platform
