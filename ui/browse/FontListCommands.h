#pragma once

// The commands of a font list: its row menus, opening a font file, showing
// it in the file manager, installing fonts, deleting font files to the
// Trash, removing fonts from a project, going to a font's folder, a file's
// properties, the help for unreadable files, printing the list; and fonts
// dragged out of the list and files dropped on the main list.
//
// The same commands serve the main list and a search window's results,
// each told which it serves: a search list takes no drops, knows no project
// mode and no fonts folder, and goes to a font's folder in the main window.
//
// Open, Open in File Manager, Properties, Go to containing folder and the
// commands that others add act on one row: the row clicked for the menu,
// or the current row for a key; Font information acts on the first selected
// row. Install, Add to Project, Delete and Remove from project act on every
// selected row, in list order.
//
// Every question and every reach outside the program goes through Hooks,
// so that tests can answer and watch them.

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <boost/signals2/trackable.hpp>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "fontdata/manager/FontManager.h"
#include "platform/desktop/FileTransfer.h"
#include "render/FontBook.h"
#include "ui/browse/FontDrag.h"
#include "ui/browse/FontListMenu.h"

class QAction;
class QKeyEvent;
class QMenu;
class QPagedPaintDevice;
class QPrinter;

namespace Quillmark {

class CFontItem;
class CFontRows;
class CFontRowsView;
class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;

class CFontListCommands : public QObject, public boost::signals2::trackable {
    Q_OBJECT

public:
    struct Hooks {
        // A Yes/No question with the question icon; true for Yes.
        std::function<bool(const QString& title, const QString& question)> ask;
        // "Confirm Font Delete" for this many files, naming the faces of
        // each collection among them; true for Yes.
        std::function<bool(int files, const QStringList& collections)> confirmDelete;
        // The file cannot go to the Trash (why): delete it for good?
        std::function<bool(const QString& path, const QString& why)> askDeleteForGood;
        // A failure to tell the user.
        std::function<void(const QString& title, const QString& text)> tell;
        // Asked for each name clash of one transfer (made once a transfer),
        // with the answer that Enter gives.
        std::function<Platform::ConflictAsker(Platform::ConflictChoice preferred)> conflictAsker;
        // Opens the file with the program set for font files; false when
        // none is set or it cannot be started.
        std::function<bool(const QString& path)> open;
        std::function<bool(const QStringList& paths)> showInFileManager;
        std::function<void(const QString& path, const QList<QPair<QString, QString>>& rows)>
            showProperties;
        std::function<void(int contextId)> showHelp;
        // Tells fontconfig of new files in the folder (runs fc-cache).
        std::function<void(const QString& folder)> refreshFontCache;
        DragRunner runDrag;
        // Shows a row menu at a global position (QMenu::exec by default).
        std::function<void(QMenu& menu, const QPoint& at)> showMenu;
        // The page setup and print dialogs on the printer; true for OK.
        std::function<bool(QPrinter& printer)> pageSetup;
        std::function<bool(QPrinter& printer)> printDialog;
        // The project chosen for "Add to Project..."; empty when cancelled.
        // Unset (or addToProject unset): the command is not offered.
        std::function<QString()> chooseProject;
        // Adds the files to the project; the paths it took.
        // Adds the fonts to the project, then calls `done` with those added
        // (later: the files are read first).
        std::function<void(const QString& project, const QStringList& paths,
                           std::function<void(const QStringList& added)> done)>
            addToProject;
    };

    // The view's rows are the list's; the main list takes drops and knows
    // the project mode and the fonts folder.
    CFontListCommands(CFontRowsView& view, CQuillmarkSignals& hub, CFontManager& manager,
                      CQuillmarkDoc& document, CProgramOptions& options, FontListKind kind,
                      Hooks hooks = {}, QObject* parent = nullptr);
    ~CFontListCommands() override;

    // A command added by the window that provides it (Find similar, Font
    // information): offered in the row menus from then on, for `row`.
    void AddCommand(FontListCommand command, const QString& text, std::function<void(int row)> run);

    // The row menu for a row (null for no row), as the right click shows it.
    std::unique_ptr<QMenu> MenuFor(int row);
    void ShowMenu(const QPoint& viewportPos);

    void Open(int row);
    void OpenInFileManager(int row);
    void Install();
    void AddToProject();
    // Delete files, or Remove from project in project mode.
    void Delete();
    void DeleteFiles();
    void RemoveFromProject();
    void Properties(int row);
    void GoToContainingFolder(int row);
    void WhatsWrong();

    // Printing: the page setup, the print dialog and the preview, on one
    // printer kept for the run, so that the page chosen (size,
    // orientation, margins) is the page printed and previewed.
    void PageSetup();
    void Print();
    void PrintPreview();
    // The printer of the print commands (half-inch margins until set up).
    QPrinter& Printer();
    // The list's pages on a device whose paint area is the whole sheet.
    int PrintTo(QPagedPaintDevice& device);
    std::vector<CFontBookEntry> BookEntries() const;
    // The size and sample lines of the options.
    CFontBookText BookText() const;
    // True while a print preview is open.
    static bool InPrintPreview();

    void StartDrag();
    // What a drop of this data on the list would do now.
    CDropPlan PlanDrop(const QMimeData& data) const;
    // Carries out a drop plan (the transfer in, the project's new files...).
    void CarryOut(const CDropPlan& plan, Qt::DropAction action);

    // The actions of the File menu: "&Print...", "Print Pre&view",
    // "Print Set&up...".
    QList<QAction*> PrintActions() const;
    // The action a command's menu entry runs (null when absent).
    QAction* Action(FontListCommand command) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // "“x.ttc” holds 3 fonts, which go with it: A, B, C".
    QString FacesText(const CFontItem& face) const;
    void MakeActions();
    // Delete and Enter on the list; true when the key was the list's.
    bool HandleKey(QKeyEvent& key);
    QAction* MakeAction(FontListCommand command, const QString& text);
    void Run(FontListCommand command);
    std::vector<int> SelectedRows() const;
    std::vector<CFontHandle> SelectedFonts() const;
    const CFontItem* ItemAt(int row) const;
    bool ProjectMode() const;
    bool MainList() const { return m_kind == FontListKind::MainList; }
    QWidget* Window() const;
    // Open found no program: says so, and offers the font information.
    void TellNoOpener(int row);

    void OnFontsFolderShown(bool shown) { m_fontsFolderShown = shown; }
    // The list's pages on the printer, in its margins.
    void PrintOn(QPrinter& printer);

    CFontRowsView& m_view;
    // The view's viewport, known before the view starts going: events that
    // reach the filter while the view is destroyed must not call into it.
    const QObject* m_viewport = nullptr;
    QPointer<CFontRowsView> m_viewAlive;  // the view may go first
    CFontRows& m_rows;
    CQuillmarkSignals& m_hub;
    CFontManager& m_manager;
    CQuillmarkDoc& m_document;
    CProgramOptions& m_options;
    const FontListKind m_kind;
    Hooks m_hooks;
    bool m_fontsFolderShown = false;
    int m_hotRow = -1;  // the row the menu was opened for
    std::map<FontListCommand, QAction*> m_actions;
    std::map<FontListCommand, std::function<void(int)>> m_added;
    QAction* m_print = nullptr;
    QAction* m_printPreview = nullptr;
    QAction* m_pageSetup = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    CDropPlan m_dragPlan;  // for the drag over the list now
};

}  // namespace Quillmark
