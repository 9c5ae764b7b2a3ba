// quillmark-cli render [--text T] [--size PX] [--quality 0|1|2] [--face N]
//                      [--variations wght=700,...] [--features +smcp,-liga,...]
//                      -o OUT.png FILE...
//
// Draws each file's preview line as the font list draws it, one line a file,
// black on white, without a display; a variable font at the axes' values
// given, with the layout features turned on or off.

#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <fstream>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "fontdata/design/FontDesign.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "platform/PathBytes.h"
#include "render/PreviewLine.h"

namespace Quillmark::Cli {

namespace {
constexpr int kMargin = 2;  // as the list's left and top margins
}  // namespace

int RunRender(const Arguments& args) {
    CProgramOptions options;
    options.Load();
    QString text = options.GetFontListText();
    int size = static_cast<int>(options.GetFontListCharSize());
    int quality = static_cast<int>(options.GetFontListRenderingOption());
    std::optional<std::string> given;
    std::string output;
    int onlyFace = -1;  // every face
    std::optional<std::string> variationsText;
    std::optional<std::string> featuresText;
    CCommandLine commandLine(
        "render",
        "render [--text T] [--size PX] [--quality 0|1|2] [--face N] [--variations AXES]\n"
        "       [--features FEATURES] -o OUT.png FILE...",
        "Each font's preview line as the font list draws it, one line a font (each face "
        "of a collection), as a PNG.");
    commandLine.Text("text", "T", &given, "the preview text (the font list's unless given)")
        .Number("size", "PX", static_cast<int>(kSmallestTextSize),
                static_cast<int>(kLargestTextSize), &size, "the characters' size in pixels")
        .Number("quality", "0|1|2", 0, 2, &quality,
                "0 as the desktop draws text, 1 grey-scale, 2 subpixel antialiasing")
        .Number("face", "N", 0, 1023, &onlyFace,
                "only face N of each file (0 the first), rather than every face")
        .Text("variations", "AXES", &variationsText,
              "a variable font's design axes set, as wght=700,wdth=80 (others at their "
              "defaults)")
        .Text("features", "FEATURES", &featuresText,
              "layout features turned on or off, as +smcp,-liga (shaping's defaults besides)")
        .Text("output,o", "OUT.png", &output, "the picture to write");
    std::vector<std::string> files;
    if (const auto status = commandLine.Parse(args, &files)) {
        return *status;
    }
    if (output.empty()) {
        return commandLine.Refuse("no picture given (-o OUT.png)");
    }
    if (files.empty()) {
        return commandLine.Refuse("no font file given");
    }
    if (given) {
        text = QString::fromStdString(*given);
    }
    CPreviewLook look(size, static_cast<Rendering>(quality));
    std::string error;
    if (variationsText &&
        !Varnholt::OpenTypeFontData::ParseVariations(*variationsText, look.variations, error)) {
        return commandLine.Refuse("--variations: " + error);
    }
    if (featuresText &&
        !Varnholt::OpenTypeFontData::ParseFeatures(*featuresText, look.features, error)) {
        return commandLine.Refuse("--features: " + error);
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // A private runtime folder, so that Qt need not complain of its lack.
        const QString runtime =
            QDir::tempPath() + QStringLiteral("/quillmark-runtime-%1").arg(::getuid());
        QDir().mkpath(runtime);
        QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(FilePath(runtime).native()));
    }
    int argc = 1;
    char name[] = "quillmark-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);

    const CFontItemSettings settings;
    std::vector<std::unique_ptr<CFontItem>> items;
    std::vector<std::string> names;  // of each line's font, for messages
    qreal width = 1;
    bool allDrawn = true;
    for (const auto& file : files) {
        const auto first = static_cast<std::uint32_t>(std::max(onlyFace, 0));
        auto item = std::make_unique<CFontItem>(file, settings, nullptr, first);
        const std::uint32_t last = onlyFace >= 0 ? first + 1 : item->GetFaceCount();
        for (std::uint32_t face = first; face < last; ++face) {
            if (face != first) {
                item = std::make_unique<CFontItem>(file, settings, nullptr, face);
            }
            names.push_back(Platform::TerminalText(file + item->GetFaceSuffix()));
            if (item->GetStatus() != CFontItem::Loaded) {
                std::cerr << names.back() << ": " << Varnholt::StatusMessage(item->GetStatus())
                          << "\n";
                allDrawn = false;
            }
            width = std::max(width, PreviewLineWidth(*item, look, text));
            items.push_back(std::move(item));
        }
    }
    // One preview line a file, as high as the list's preview line.
    const int lineHeight = size + 4;
    QImage image(static_cast<int>(std::ceil(width)) + 2 * kMargin,
                 lineHeight * static_cast<int>(items.size()), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QRectF rect(kMargin, static_cast<qreal>(i) * lineHeight + kMargin,
                          image.width() - kMargin, lineHeight - kMargin);
        if (!DrawPreviewLine(painter, rect, *items[i], look, text, Qt::black) &&
            items[i]->GetStatus() == CFontItem::Loaded) {
            std::cerr << names[i] << ": cannot be drawn\n";
            allDrawn = false;
        }
    }
    painter.end();
    // Written through the name's own bytes, which need not be UTF-8.
    QByteArray png;
    QBuffer buffer(&png);
    const bool encoded = buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG");
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(png.constData(), png.size());
    out.close();
    if (!encoded || !out) {
        std::cerr << "quillmark-cli render: cannot write " << Platform::TerminalText(output)
                  << "\n";
        return kExitFailed;
    }
    // A line left blank is a failure, not a picture.
    return allDrawn ? kExitDone : kExitFailed;
}

}  // namespace Quillmark::Cli
