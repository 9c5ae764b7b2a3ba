#pragma once

// The Options command: shows "Quillmark Program Options" over the main
// window, writes the pages into the options on OK and Apply and then fires
// OptionsChanged; "Clear Locations Now" fires ClearLocationHistory at once,
// whatever closes the sheet afterwards.

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace Quillmark {

class CFontProjects;
class CHelpWindow;
class COptionsSheet;
class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

class COptionsController {
public:
    COptionsController(CQuillmarkSignals& hub, CProgramOptions& options,
                       const CFontProjects& projects, const CQuillmarkDoc& document);

    // Opens the help at a page's topic (the options page's section of
    // that name); tests replace it. When empty, the sheet has no Help.
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
    void OpenHelp(const QString& topic);

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    const CFontProjects& m_projects;
    const CQuillmarkDoc& m_document;
    QPointer<COptionsSheet> m_sheet;     // the sheet made last
    QPointer<CHelpWindow> m_helpWindow;  // goes with the sheet
};

}  // namespace Quillmark
