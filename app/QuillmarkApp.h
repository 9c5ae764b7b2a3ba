#pragma once

// The application object: one copy a user, the long-lived services (options,
// signals hub, font projects, favourites, font manager), the main window,
// the first location, and the orderly exit that saves everything.

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>

#include "ui/browse/FontListCommands.h"

class QSocketNotifier;
class QUrl;
class QWidget;

namespace Quillmark {

class CFavoriteFolders;
class CFontItem;
class CFontManager;
class CFontManagerHub;
class CFontMapWindow;
class CFontProjects;
class CMainFrame;
class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;
class CSearchWindows;
class CSingleInstance;
namespace Platform {
class CFontconfigFontSystem;
}

class CQuillmarkApp : public QObject {
    Q_OBJECT

public:
    // Ended: a termination signal came during the start, which stopped
    // there; ExitInstance saves what was loaded.
    enum class StartResult { Started, OtherCopyRuns, Failed, Ended };

    // How the start talks to the user; tests replace these.
    struct Hooks {
        // A Yes/No question; true for Yes.
        std::function<bool(const QString& question)> ask;
        // A message for the user to read (a store file kept aside).
        std::function<void(const QString& message)> tell;
        bool splash = true;
        // Made after the main window, before the first location is chosen:
        // the place to add panes.
        std::function<void(CQuillmarkApp&)> addPanes;
        // Opens a file with the desktop's "open" (the updater at exit, a
        // font of a list).
        std::function<bool(const QUrl&)> open;
        // What the font lists' commands ask and reach (those set here are
        // used instead of the desktop's).
        CFontListCommands::Hooks fontLists;
    };

    explicit CQuillmarkApp(QStringList arguments);
    CQuillmarkApp(QStringList arguments, Hooks hooks);
    ~CQuillmarkApp() override;

    StartResult InitInstance();
    // The whole run: start, the event loop while the window is open, exit.
    // Returns the program's exit status: 1 when the start failed or
    // something could not be saved.
    int Run();
    // Saves favourites, then projects, then the options. Runs whatever
    // InitInstance returned. False when something could not be saved (it
    // says so on stderr; the earlier file stays).
    bool ExitInstance();
    // SIGTERM, SIGINT and SIGHUP close the main window the orderly way; one
    // that comes during the start ends the start at its next step, also
    // while a question is shown.
    void HandleTerminationSignals();
    // A termination signal has come (also one the event loop has not yet
    // seen).
    bool TerminationRequested();

    CProgramOptions& Options() { return *m_options; }
    CQuillmarkSignals& Hub() { return *m_hub; }
    CFavoriteFolders& Favorites() { return *m_favorites; }
    CFontProjects& Projects() { return *m_projects; }
    CFontManager& FontManager() { return *m_fontManager; }
    CMainFrame* MainFrame();
    CQuillmarkDoc* Document() { return m_document.get(); }

    const QString& FontsFolder() const { return m_fontsFolder; }
    bool IsStarted() const { return m_started; }
    // The main window closed (it may close while the start still reads the
    // first folder); the event loop then must not run.
    bool IsClosed() const { return m_closed; }

    // The font map in its own window (made the first time), shown.
    CFontMapWindow* ShowFontMap();

    // The first location, from the command line or the start-up option.
    void ChooseFirstLocation();
    // Shows a folder, or a font file's folder with the font selected; false
    // when the path does not exist.
    bool OpenPath(const std::filesystem::path& path);
    // The system's font folder: the first "fonts" folder of the desktop's
    // data folders (XDG_DATA_DIRS) that holds fonts, else the first there
    // is; empty when there is none.
    static QString SystemFontsFolder();

    // "%d.%d.%d.%d" of the program's version.
    static QString ProgramVersionText();

    // Where a downloaded updater is kept: the only files that the start
    // deletes, and the exit opens, on the word of UpdaterLocation.
    static QString UpdaterFolder();
    // True for an updater that Quillmark downloaded itself.
    static bool IsOwnUpdater(const QString& path);

    // A completed download to open at exit (the online update sets it);
    // empty for none.
    void SetPendingUpdater(const QString& path) { m_pendingUpdater = path; }
    const QString& PendingUpdater() const { return m_pendingUpdater; }

    // The Options command and Help > Check for Updates, modal over the main
    // window.
    void ShowOptions();
    void CheckForUpdates();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool CreateServices();
    // The command line's path, absolute; empty when it names none.
    std::filesystem::path CommandLinePath() const;
    // The search windows' opener and Ctrl+F.
    CSearchWindows* CreateSearchWindows();
    // The commands of a font list, the main one or a search window's.
    CFontListCommands* AttachListCommands(CFontRowsView& view, FontListKind kind, QObject* parent);
    void ShowSplash();
    void AddFontMapCommand();
    void OnTerminationSignal();

    const QStringList m_arguments;
    Hooks m_hooks;
    QString m_pendingUpdater;
    std::filesystem::path m_requestedPath;  // from a second copy, during the start

    QString m_fontsFolder;
    bool m_started = false;
    bool m_closed = false;
    bool m_terminationRequested = false;
    std::unique_ptr<CSingleInstance> m_singleInstance;
    QFont m_regularFont;

    // Destroyed in the reverse order: font manager first, projects last.
    std::unique_ptr<CFontProjects> m_projects;
    std::unique_ptr<CQuillmarkSignals> m_hub;
    std::unique_ptr<CFontManagerHub> m_managerHub;  // the font manager's calls, forwarded to m_hub
    std::unique_ptr<CFavoriteFolders> m_favorites;
    std::unique_ptr<CProgramOptions> m_options;
    std::unique_ptr<Platform::CFontconfigFontSystem> m_fontSystem;
    std::unique_ptr<CFontManager> m_fontManager;

    std::unique_ptr<CQuillmarkDoc> m_document;
    QPointer<CMainFrame> m_mainFrame;
    QPointer<CFontMapWindow> m_fontMap;   // a child of the main window
    QPointer<CSearchWindows> m_searches;  // a child of the main window
    // "Find other fonts that contain this character..." of the font maps.
    std::function<void(char32_t, const QString&, const CFontItem*)> m_findCharacter;
    // A QWidget pointer: events still pass the filter while the splash is
    // being destroyed, when it is no longer a QSplashScreen.
    QPointer<QWidget> m_splash;
    QSocketNotifier* m_signalNotifier = nullptr;
};

}  // namespace Quillmark
