#pragma once

// "Quillmark Program Options": the three pages General, Printing and Font
// Viewing, with OK, Cancel, Apply and Help. The sheet shows and collects
// the pages' values (ui/options/OptionsModel.h); what Apply and the
// buttons that act at once do is its controller's.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/DesktopRendering.h"
#include "ui/options/OptionsModel.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace Quillmark {

class COptionsSheet : public QDialog {
    Q_OBJECT

public:
    enum Page { General = 0, Printing = 1, FontViewing = 2 };

    // What the pages offer besides the options.
    struct Context {
        QStringList projects;    // the font projects, for the default project
        QString currentFolder;   // the folder shown; empty when none
        QString currentProject;  // the project shown; empty when none
        Platform::DesktopTextRendering desktopRendering = Platform::DesktopTextRendering::Standard;
        bool help = false;  // a Help button, for HelpRequested
    };

    explicit COptionsSheet(const Context& context, QWidget* parent = nullptr);

    void SetPages(const CGeneralPage& general, const CPrintingPage& printing,
                  const CFontViewingPage& fontViewing);
    CGeneralPage GeneralValues() const;
    CPrintingPage PrintingValues() const;
    CFontViewingPage FontViewingValues() const;

    Page CurrentPage() const;
    void SetCurrentPage(Page page);
    // The pages changed since they were filled (or last applied).
    bool IsModified() const { return m_modified; }

    // The folder picker behind "Browse..."; tests replace it. Returns the
    // folder chosen, or nothing when the user cancelled.
    std::function<QString(QWidget* parent, const QString& title, const QString& start)>
        chooseFolder;

signals:
    // OK or Apply: the controller writes the pages.
    void ApplyRequested();
    void ClearLocationsRequested();
    void HelpRequested(Page page);

private:
    QWidget* MakeGeneralPage(const Context& context);
    QWidget* MakePrintingPage();
    QWidget* MakeFontViewingPage(const Context& context);
    void SetModified(bool modified);
    void UpdateLimitWarning();
    void OnBrowse();

    QTabWidget* m_tabs = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    bool m_modified = false;
    bool m_filling = false;

    // General
    QLineEdit* m_defaultFolder = nullptr;
    QComboBox* m_defaultProject = nullptr;
    QCheckBox* m_fullPath = nullptr;
    QComboBox* m_startup = nullptr;
    QCheckBox* m_clearOnExit = nullptr;
    QCheckBox* m_limit = nullptr;
    QLineEdit* m_limitCount = nullptr;
    QWidget* m_limitBalloon = nullptr;
    // Printing
    QLineEdit* m_printSize = nullptr;
    QLineEdit* m_sampleLine1 = nullptr;
    QLineEdit* m_sampleLine2 = nullptr;
    // Font Viewing
    QLineEdit* m_previewText = nullptr;
    QComboBox* m_renderings[3] = {nullptr, nullptr, nullptr};
    QButtonGroup* m_dropOption = nullptr;
};

}  // namespace Quillmark
