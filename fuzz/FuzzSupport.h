#pragma once

// What the fuzz targets on Qt share: the application object, made once on
// the offscreen platform, and a folder of the process's own for the files a
// target writes, as the program writes them.

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace FuzzSupport {

enum class Application {
    Core,     // QCoreApplication
    Gui,      // QGuiApplication: fonts, text documents, the clipboard
    Widgets,  // QApplication
};

// Makes the application object once (later calls change nothing), with
// QT_QPA_PLATFORM=offscreen. Called from LLVMFuzzerInitialize.
void StartQt(Application kind);

// An empty folder of this process's own, on tmpfs when there is one (a save
// syncs its file: on a disk that costs a millisecond an input); removed with
// everything in it when the process exits.
const std::filesystem::path& PrivateFolder();
// Removes everything inside `folder`, leaving it empty.
void EmptyFolder(const std::filesystem::path& folder);
// Writes the bytes as the whole file; false when the file could not be written.
bool WriteFile(const std::filesystem::path& file, const std::uint8_t* data, std::size_t size);

}  // namespace FuzzSupport
