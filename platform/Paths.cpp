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

std::filesystem::path DataHome() {
    return XdgOr("XDG_DATA_HOME", ".local/share");
}

}  // namespace

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

}  // namespace Quillmark::Platform
