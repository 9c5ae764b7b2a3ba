#include "ui/options/OptionsModel.h"

#include <QCoreApplication>
#include <algorithm>

#include "core/ProgramOptions.h"

namespace Quillmark::OptionsModel {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("OptionsModel", text);
}

// The number an edit holds; nothing for an empty edit or one that is no
// number of 32 bits.
std::optional<quint32> Number(const QString& text) {
    bool ok = false;
    const quint32 value = text.trimmed().toUInt(&ok);
    return ok ? std::optional<quint32>(value) : std::nullopt;
}

}  // namespace

CGeneralPage ReadGeneral(const CProgramOptions& options) {
    CGeneralPage page;
    page.defaultFolder = options.GetDefaultFolder();
    page.defaultProject = options.GetDefaultProject();
    page.showFullPath = options.GetShowFullPathInTitleBar();
    page.startup = options.GetStartupOption();
    page.clearLocationsOnExit = options.GetClearLocationsOnExit();
    page.limitLocations = options.GetLimitLocations();
    page.locationsLimit = QString::number(options.GetLocationsLimit());
    return page;
}

void WriteGeneral(CGeneralPage& page, CProgramOptions& options) {
    options.SetDefaultFolder(page.defaultFolder);
    if (page.defaultProject) {
        options.SetDefaultProject(*page.defaultProject);
    }
    options.SetShowFullPathInTitleBar(page.showFullPath);
    options.SetStartupOption(page.startup);
    options.SetClearLocationsOnExit(page.clearLocationsOnExit);
    options.SetLimitLocations(page.limitLocations);
    const quint32 limit = std::max<quint32>(1, Number(page.locationsLimit).value_or(0));
    page.locationsLimit = QString::number(limit);
    options.SetLocationsLimit(limit);
}

CPrintingPage ReadPrinting(const CProgramOptions& options) {
    return {QString::number(options.GetPrintCharSize()), options.GetPrintSampleTextLine1(),
            options.GetPrintSampleTextLine2()};
}

void WritePrinting(CPrintingPage& page, CProgramOptions& options) {
    if (const std::optional<quint32> size = Number(page.charSize)) {
        // As quillmark-cli print takes it: 1 to 500 points.
        options.SetPrintCharSize(std::clamp(*size, kSmallestPrintSize, kLargestPrintSize));
    }
    page.charSize = QString::number(options.GetPrintCharSize());
    options.SetPrintSampleTextLine1(page.sampleLine1);
    options.SetPrintSampleTextLine2(page.sampleLine2);
}

CPrintingPage DefaultSampleLines() {
    const CProgramOptions defaults;
    return ReadPrinting(defaults);
}

CFontViewingPage ReadFontViewing(const CProgramOptions& options) {
    return {options.GetFontListText(), options.GetFontListRenderingOption(),
            options.GetFontMapRenderingOption(), options.GetCharDetailRenderingOption(),
            options.GetFontListDropOption()};
}

void WriteFontViewing(const CFontViewingPage& page, CProgramOptions& options) {
    options.SetFontListText(page.previewText);
    options.SetFontListRenderingOption(page.fontList);
    options.SetFontMapRenderingOption(page.fontMap);
    options.SetCharDetailRenderingOption(page.charDetail);
    options.SetFontListDropOption(page.dropOption);
}

bool LimitWarningShown(const QString& limitText) {
    return Number(limitText) == quint32{0};
}

QStringList StartupChoices() {
    return {Tr("default folder set above"), Tr("default project set above"),
            Tr("last folder or project from previous session")};
}

QStringList RenderingChoices() {
    return {Tr("default text rendering setting"), Tr("standard font smoothing"),
            Tr("subpixel text rendering")};
}

QString DesktopRenderingName(Platform::DesktopTextRendering rendering) {
    switch (rendering) {
        case Platform::DesktopTextRendering::NoSmoothing:
            return Tr("No Font Smoothing");
        case Platform::DesktopTextRendering::Standard:
            return Tr("Standard Font Smoothing");
        case Platform::DesktopTextRendering::Subpixel:
            return Tr("Subpixel Rendering");
    }
    return {};
}

}  // namespace Quillmark::OptionsModel
