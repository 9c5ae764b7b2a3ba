// quillmark-cli print [--size PT] [--page a4|letter] -o OUT.pdf DIR|FILE...
//
// The pages that Quillmark prints for its font list, as a PDF, without a
// display: a folder's fonts sorted by name as the list shows them, files
// in the order given.

#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "platform/PathBytes.h"
#include "render/FontBook.h"

namespace Quillmark::Cli {

namespace {

constexpr int kResolution = 300;

void UsePrivateRuntimeFolder() {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        return;
    }
    const QString runtime =
        QDir::tempPath() + QStringLiteral("/quillmark-runtime-%1").arg(::getuid());
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(FilePath(runtime).native()));
}

}  // namespace

int RunPrint(const Arguments& args) {
    CProgramOptions options;
    options.Load();
    CFontBookText text;
    text.pointSize = static_cast<int>(options.GetPrintCharSize());
    text.line1 = options.GetPrintSampleTextLine1();
    text.line2 = options.GetPrintSampleTextLine2();
    std::string pageName = "a4";
    std::string output;
    CCommandLine commandLine(
        "print", "print [--size PT] [--page a4|letter] -o OUT.pdf DIR|FILE...",
        "The pages Quillmark prints for a font list, as a PDF: a folder's fonts\n"
        "sorted by name as the list shows them, files in the order given.");
    commandLine
        .Number("size", "PT", static_cast<int>(kSmallestPrintSize),
                static_cast<int>(kLargestPrintSize), &text.pointSize,
                "the sample lines' size in points (the Print option's unless given)")
        .Text("page", "a4|letter", &pageName, "the paper size")
        .Text("output,o", "OUT.pdf", &output, "the PDF to write");
    std::vector<std::string> sources;
    if (const auto status = commandLine.Parse(args, &sources)) {
        return *status;
    }
    QPageSize page(QPageSize::A4);
    if (pageName == "letter" || pageName == "Letter") {
        page = QPageSize(QPageSize::Letter);
    } else if (pageName != "a4" && pageName != "A4") {
        return commandLine.Refuse("--page must be a4 or letter, not '" + pageName + "'");
    }
    if (output.empty()) {
        return commandLine.Refuse("no PDF given (-o OUT.pdf)");
    }
    if (sources.empty()) {
        return commandLine.Refuse("no folder or font file given");
    }

    // The fonts in the order the book prints them.
    const CFontItemSettings settings;
    std::vector<std::unique_ptr<CFontItem>> items;
    for (const std::string& source : sources) {
        std::error_code ec;
        const std::filesystem::path path(source);
        if (std::filesystem::is_directory(path, ec)) {
            std::vector<std::unique_ptr<CFontItem>> folder;
            for (const auto& file : CFolderLoad::Enumerate(path)) {
                folder.push_back(std::make_unique<CFontItem>(file, settings, nullptr));
            }
            std::stable_sort(folder.begin(), folder.end(), [](const auto& a, const auto& b) {
                return CFontItem::CompareByName(a.get(), b.get()) > 0;
            });
            std::move(folder.begin(), folder.end(), std::back_inserter(items));
        } else if (std::filesystem::exists(path, ec)) {
            items.push_back(std::make_unique<CFontItem>(path, settings, nullptr));
        } else {
            std::cerr << "quillmark-cli print: " << Platform::TerminalText(source)
                      << ": no such file or folder\n";
            return kExitFailed;
        }
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    UsePrivateRuntimeFolder();
    int argc = 1;
    char name[] = "quillmark-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    std::vector<CFontBookEntry> fonts;
    fonts.reserve(items.size());
    for (const auto& item : items) {
        if (item->GetStatus() != CFontItem::Loaded) {
            std::cerr << Platform::TerminalText(item->GetPath().native()) << ": "
                      << Varnholt::StatusMessage(item->GetStatus()) << "\n";
        }
        fonts.push_back(FontBookEntryOf(*item, text));
    }

    // Written through the name's own bytes, which need not be UTF-8.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolution);
        writer.setTitle(QStringLiteral("Quillmark font book"));
        writer.setCreator(QStringLiteral("quillmark-cli"));
        // The book keeps its own margins.
        writer.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter(&writer);
        pages = PaintFontBook(painter, writer, fonts, text);
        painter.end();
    }
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(pdf.constData(), pdf.size());
    out.close();
    if (pdf.isEmpty() || !out) {
        std::cerr << "quillmark-cli print: cannot write " << Platform::TerminalText(output) << "\n";
        return kExitFailed;
    }
    std::cerr << fonts.size() << (fonts.size() == 1 ? " font, " : " fonts, ") << pages
              << (pages == 1 ? " page\n" : " pages\n");
    return kExitDone;
}

}  // namespace Quillmark::Cli
