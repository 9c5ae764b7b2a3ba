#pragma once

// The Options command: shows "Quillmark Program Options" over the main
// window, writes the pages into the options on OK and Apply and then fires
// OptionsChanged; "Clear Locations Now" fires ClearLocationHistory at once,
// whatever closes the sheet afterwards.

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace Quillmark {

class CFontProjects;
class COptionsSheet;
class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

class COptionsController {
public:
    COptionsController(CQuillmarkSignals& hub, CProgramOptions& options,
                       const CFontProjects& projects, const CQuillmarkDoc& document);

    // Opens the help window at a page's topic; when set, the sheet has a
    // Help button.
    std::function<void(const QString& topic)> showHelp;

    // The sheet, filled from the options and wired to this controller,
    // which must outlive it.
    std::unique_ptr<COptionsSheet> MakeSheet(QWidget* owner);
    // Shows the sheet modally; returns its result.
    int Run(QWidget* owner);

    // Writes every page of `sheet` into the options, shows what was stored,
    // and fires OptionsChanged.
    void Apply(COptionsSheet& sheet);

private:
    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    const CFontProjects& m_projects;
    const CQuillmarkDoc& m_document;
};

}  // namespace Quillmark
