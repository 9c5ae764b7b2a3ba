#pragma once

// What the three pages of the options dialog edit, read from the options
// when a page opens and written back on Apply, with the rules the pages
// keep. No widgets: the sheet shows these values.

#include <QString>
#include <QStringList>
#include <optional>

#include "core/OptionTypes.h"
#include "platform/DesktopRendering.h"

namespace Quillmark {

class CProgramOptions;

struct CGeneralPage {
    QString defaultFolder;
    // Written only when an entry of the projects box is chosen.
    std::optional<QString> defaultProject;
    bool showFullPath = false;
    StartupLocation startup = StartupLocation::LastLocation;
    bool clearLocationsOnExit = false;
    bool limitLocations = false;
    QString locationsLimit;  // the edit's text
};

struct CPrintingPage {
    QString charSize;  // the edit's text, in points
    QString sampleLine1;
    QString sampleLine2;
};

struct CFontViewingPage {
    QString previewText;
    Rendering fontList = Rendering::Default;
    Rendering fontMap = Rendering::Default;
    Rendering charDetail = Rendering::Default;
    quint32 dropOption = 0;  // FontListDropOption
};

namespace OptionsModel {

CGeneralPage ReadGeneral(const CProgramOptions& options);
// A limit of 0 (or none) is stored as 1; `page` then shows that 1.
void WriteGeneral(CGeneralPage& page, CProgramOptions& options);

CPrintingPage ReadPrinting(const CProgramOptions& options);
// A size that is no number keeps the stored size.
void WritePrinting(CPrintingPage& page, CProgramOptions& options);
// The two sample lines a fresh install has.
CPrintingPage DefaultSampleLines();

CFontViewingPage ReadFontViewing(const CProgramOptions& options);
void WriteFontViewing(const CFontViewingPage& page, CProgramOptions& options);

// The lower limit's warning shows while the limit edit holds 0.
bool LimitWarningShown(const QString& limitText);
inline constexpr const char* kLimitWarningTitle = "The lower limit for this value is 1";
inline constexpr const char* kLimitWarningText =
    "Setting the location bar limit to 1 ensures that only the current location is available "
    "in the location history dropdown.";

// The start-up choices in their order (values 0, 1, 2), and the rendering
// choices (values 0, 1, 2).
QStringList StartupChoices();
QStringList RenderingChoices();
// "No Font Smoothing", "Standard Font Smoothing", "Subpixel Rendering".
QString DesktopRenderingName(Platform::DesktopTextRendering rendering);

// The help topics of the pages, in page order: sections of the options'
// help page.
inline constexpr const char* kPageTopics[] = {"general", "printing", "font-viewing"};

}  // namespace OptionsModel

}  // namespace Quillmark
