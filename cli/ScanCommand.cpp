// quillmark-cli scan [--json] [--recursive] DIR
//
// Reads the fonts of a folder as the font list does: the same enumeration,
// worker threads and font manager; a progress bar on a terminal; Ctrl+C
// cancels and keeps what was read. With --recursive, the fonts of the
// folders below it too, as the list's "Include Subfolders" reads them; each
// file name is then its path below the folder.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Json.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "platform/PathBytes.h"

namespace Quillmark::Cli {

namespace {

void ShowProgress(std::size_t done, std::size_t total) {
    constexpr int kWidth = 30;
    const int filled = total == 0 ? kWidth : static_cast<int>(kWidth * done / total);
    std::fprintf(stderr, "\r[%.*s%*s] Reading font %zu of %zu.", filled,
                 "##############################", kWidth - filled, "", done, total);
    std::fflush(stderr);
}

}  // namespace

int RunScan(const Arguments& args) {
    bool json = false;
    bool recursive = false;
    CCommandLine commandLine(
        "scan", "scan [--json] [--recursive] DIR",
        "Reads the fonts of a folder as the font list does; Ctrl+C stops and keeps\n"
        "what was read.");
    commandLine.Flag("json", &json, "one JSON object a font; the status texts on standard error")
        .Flag("recursive,r", &recursive, "the fonts of the folders below it too");
    std::vector<std::string> operands;
    if (const auto status = commandLine.Parse(args, &operands)) {
        return *status;
    }
    // Ctrl+C from here on cancels the scan the way the dialog's Cancel does.
    TakeInterrupts();

    if (operands.size() != 1) {
        return commandLine.Refuse(operands.empty() ? "no folder given" : "give one folder");
    }
    const std::string& folder = operands.front();
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        return commandLine.Refuse(folder + " is not a folder");
    }

    // A scan only reads: nothing is shared with other applications.
    CFontManager manager(nullptr, nullptr);
    CFolderLoad::Listing listing = CFolderLoad::List(folder, recursive);
    if (listing.error != 0) {
        std::cerr << "quillmark-cli scan: " << Platform::TerminalText(folder)
                  << " cannot be read: " << std::strerror(listing.error) << "\n";
        return kExitFailed;
    }
    CFolderLoad load(manager, std::move(listing.paths));
    // The file names below the folder when its subfolders were read.
    std::string prefix = recursive ? folder : std::string();
    if (!prefix.empty() && prefix.back() != '/') {
        prefix += '/';
    }
    const auto fileName = [&prefix](const CFontItem& item) -> std::string {
        const std::string& path = item.GetPathText();
        if (!prefix.empty() && path.size() > prefix.size() && path.starts_with(prefix)) {
            return path.substr(prefix.size());
        }
        return item.GetFileName().native();
    };
    std::FILE* statusOut = json ? stderr : stdout;
    if (load.Total() == 0) {
        std::fprintf(statusOut, "%s\n%s\n", CFolderLoad::NoFontsText().c_str(),
                     CFolderLoad::DisplayedText(0).c_str());
        return kExitDone;
    }

    const bool progress = ::isatty(STDERR_FILENO) != 0;
    {
        const CStopOnInterrupt stopper(
            &load, [](void* job) noexcept { static_cast<CFolderLoad*>(job)->Cancel(); });
        WithoutInterrupts([&load] { load.Start(); });
        while (!load.WaitFor(std::chrono::milliseconds(50))) {
            if (progress) {
                ShowProgress(load.Done(), load.Total());
            }
        }
        load.Wait();
    }
    if (progress) {
        ShowProgress(load.Done(), load.Total());
        std::fputc('\n', stderr);
    }

    const std::vector<CFolderLoadRow> rows = load.TakeRows();
    std::string out;
    for (const auto& row : rows) {
        const CFontItem& item = *row.item;
        if (json) {
            CJsonLine line;
            line.Begin()
                .Key("path")
                .Path(item.GetPath().native())
                .Key("fileName")
                .Path(fileName(item))
                .Key("faceIndex")
                .Number(item.GetFace())
                .Key("faceCount")
                .Number(item.GetFaceCount())
                .Key("status")
                .Number(static_cast<int>(item.GetStatus()))
                .Key("displayName")
                .String(std::u16string_view(row.displayName))
                .Key("sizeText")
                .String(std::string_view(item.GetSizeText()))
                .End();
            out += line.Text();
        } else {
            // Names from files and fonts never reach the terminal raw.
            out += Platform::TerminalText(Varnholt::ToUtf8(row.displayName)) + "\t" +
                   Platform::TerminalText(fileName(item) + item.GetFaceSuffix()) + "\t" +
                   item.GetSizeText();
        }
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    // A file's faces are consecutive rows.
    std::size_t files = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        files += i == 0 || rows[i].item->GetPathText() != rows[i - 1].item->GetPathText() ? 1 : 0;
    }
    std::fprintf(
        statusOut, "%s\n%s\n",
        CFolderLoad::ReadText(rows.size(), load.ElapsedSeconds(), load.IsCanceled(), files).c_str(),
        CFolderLoad::DisplayedText(rows.size(), files).c_str());
    std::fflush(stdout);
    std::fflush(stderr);
    // The items die with the process: giving back thousands of uses one by
    // one would only cost time.
    std::_Exit(std::ferror(stdout) ? kExitFailed : kExitDone);
}

}  // namespace Quillmark::Cli
