#include "ui/options/OptionsController.h"

#include "collections/FontProjects.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "platform/DesktopRendering.h"
#include "ui/common/HelpPages.h"
#include "ui/common/HelpWindow.h"
#include "ui/options/OptionsModel.h"
#include "ui/options/OptionsSheet.h"

namespace Quillmark {

COptionsController::COptionsController(CQuillmarkSignals& hub, CProgramOptions& options,
                                       const CFontProjects& projects, const CQuillmarkDoc& document)
    : m_hub(hub), m_options(options), m_projects(projects), m_document(document) {
    showHelp = [this](const QString& topic) { OpenHelp(topic); };
}

void COptionsController::OpenHelp(const QString& topic) {
    // A window of the sheet's own: the program's help window is blocked
    // while the sheet is modal.
    const CHelpPages pages = CHelpPages::Installed();
    if (!m_helpWindow) {
        m_helpWindow = new CHelpWindow(pages, m_sheet);
    }
    QUrl page = QUrl::fromLocalFile(pages.Folder() + QStringLiteral("/options.html"));
    page.setFragment(topic);
    m_helpWindow->ShowPage(page);
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

std::unique_ptr<COptionsSheet> COptionsController::MakeSheet(QWidget* owner) {
    COptionsSheet::Context context;
    for (const auto& [name, fonts] : m_projects) {
        context.projects << name;
    }
    const QString folder = m_document.GetFolderPath();
    if (!m_document.IsProjectMode() && !folder.isEmpty() &&
        !folder.startsWith(QLatin1String("::"))) {
        context.currentFolder = folder;
    }
    if (m_document.IsProjectMode()) {
        context.currentProject = m_document.GetProjectName();
    }
    context.desktopRendering = Platform::DefaultTextRendering();
    context.help = static_cast<bool>(showHelp);

    auto sheet = std::make_unique<COptionsSheet>(context, owner);
    m_sheet = sheet.get();
    sheet->SetPages(OptionsModel::ReadGeneral(m_options), OptionsModel::ReadPrinting(m_options),
                    OptionsModel::ReadFontViewing(m_options));
    COptionsSheet* shown = sheet.get();
    QObject::connect(shown, &COptionsSheet::ApplyRequested, shown,
                     [this, shown] { Apply(*shown); });
    QObject::connect(shown, &COptionsSheet::ClearLocationsRequested, shown,
                     [this] { m_hub.FireClearLocationHistory(); });
    QObject::connect(shown, &COptionsSheet::HelpRequested, shown, [this](COptionsSheet::Page page) {
        if (showHelp) {
            showHelp(QString::fromLatin1(OptionsModel::kPageTopics[page]));
        }
    });
    return sheet;
}

int COptionsController::Run(QWidget* owner) {
    const std::unique_ptr<COptionsSheet> sheet = MakeSheet(owner);
    return sheet->exec();
}

void COptionsController::Apply(COptionsSheet& sheet) {
    CGeneralPage general = sheet.GeneralValues();
    CPrintingPage printing = sheet.PrintingValues();
    const CFontViewingPage fontViewing = sheet.FontViewingValues();
    OptionsModel::WriteGeneral(general, m_options);
    OptionsModel::WritePrinting(printing, m_options);
    OptionsModel::WriteFontViewing(fontViewing, m_options);
    // The sheet shows what was stored (a limit of 0 as 1).
    sheet.SetPages(OptionsModel::ReadGeneral(m_options), OptionsModel::ReadPrinting(m_options),
                   OptionsModel::ReadFontViewing(m_options));
    m_hub.FireOptionsChanged();
}

}  // namespace Quillmark
