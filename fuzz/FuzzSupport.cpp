#include "fuzz/FuzzSupport.h"

#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <fstream>
#include <string>
#include <system_error>

namespace FuzzSupport {

namespace {

// The arguments the application object keeps a reference to.
int g_argc = 1;
char g_name[] = "fuzzer";
char* g_argv[] = {g_name, nullptr};

std::filesystem::path MakeFolder() {
    const std::filesystem::path base =
        ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / "quillmark-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    return pattern;
}

}  // namespace

void StartQt(Application kind) {
    // Never destroyed: at exit, after main, Qt's own statics may be gone.
    static QCoreApplication* application = nullptr;
    if (application != nullptr) {
        return;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt's warnings about what an input holds ("invalid type", "not
    // well-formed") would fill the log a line an input.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    switch (kind) {
        case Application::Core:
            application = new QCoreApplication(g_argc, g_argv);
            break;
        case Application::Gui:
            application = new QGuiApplication(g_argc, g_argv);
            break;
        case Application::Widgets:
            application = new QApplication(g_argc, g_argv);
            break;
    }
}

const std::filesystem::path& PrivateFolder() {
    struct Folder {
        std::filesystem::path path = MakeFolder();
        ~Folder() {
            std::error_code error;
            std::filesystem::remove_all(path, error);
        }
    };
    static const Folder folder;
    return folder.path;
}

void EmptyFolder(const std::filesystem::path& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::filesystem::remove_all(entry.path(), error);
    }
}

bool WriteFile(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace FuzzSupport
