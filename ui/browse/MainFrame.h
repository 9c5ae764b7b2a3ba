#pragma once

// The main window: the four panes (folder tree and font projects on the
// left, font list above the font detail on the right), the bars (menu bar,
// main toolbar, location bar, preview size, font sharing), the status bar,
// the commands that belong to no pane, the back and forward history, and
// its placement and bar layout, kept in the options.

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <array>
#include <boost/signals2/trackable.hpp>
#include <functional>
#include <optional>

#include "core/OptionTypes.h"

namespace Quillmark {

class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;
class CHistoryList;
struct CLocation;
class CFavoriteFolders;
class CFavorites;
class CFontProjects;
class CFontProjectFrame;
class CLocationCombo;

class CMainFrame : public QMainWindow, public boost::signals2::trackable {
    Q_OBJECT

public:
    enum class Pane { FolderTree = 0, FontProjects = 1, FontList = 2, FontDetail = 3 };

    CMainFrame(CQuillmarkSignals& hub, CProgramOptions& options, CQuillmarkDoc& document,
               QString versionText, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Places the window as the options say: the middle three quarters of
    // the work area on a first start, else the stored rectangle; kept
    // inside the work area; maximised when it was. The splitter sizes
    // (stored, or those of a first start) are applied when the window is
    // first shown, once its panes are in place.
    void ApplyPlacement();
    // The rectangle of a first start on this work area.
    static QRect FirstPlacement(const QRect& workArea);
    // The pane sizes of a first start for a window of this size: left
    // column width, folder-tree row height, font-list row height.
    static CSplitterSizes DefaultPaneSizes(const QSize& window);
    // `rect` moved back inside `workArea` where it extends past an edge.
    static QRect KeptInside(const QRect& rect, const QRect& workArea);
    // The window's rectangle on `workArea` for a stored placement: the
    // first start's when none is stored or its size cannot be right (zero
    // or negative); else no larger than the work area and inside it.
    static QRect PlacementOn(const CPlacementRect& stored, const QRect& workArea);

    // Puts a pane's widget in its place; the frame owns it.
    void SetPane(Pane pane, QWidget* widget);
    QWidget* GetPane(Pane pane) const;

    // Adds the Preview menu: text colour, background colour, then the
    // preview's own commands. The menu is also the preview's context menu.
    QMenu* AddPreviewMenu(const QList<QAction*>& styleActions);

    void SetStatusText(int pane, const QString& text);
    QString GetStatusText(int pane) const;

    // Brings the window to the front, restoring it when minimised.
    void BringForward();

    // Puts commands into the File menu, above Exit (the font list's print
    // commands).
    void AddFileActions(const QList<QAction*>& actions);
    // ---- Bars and commands (MainFrameBars.cpp)

    // Makes what needs the stores: the location bar (reading
    // `locationsFile`), the favourites menu and the project view pane.
    void UseStores(CFontProjects& projects, CFavoriteFolders& favorites,
                   const QString& locationsFile);
    CLocationCombo* LocationBar() const { return m_locationCombo; }
    CFavorites* Favorites() const { return m_favorites; }
    CFontProjectFrame* ProjectView() const { return m_projectFrame; }
    const CHistoryList& History() const { return *m_history; }
    // The command with this object name ("GoBack", "Refresh", ...).
    QAction* Command(const QString& objectName) const;

    void GoBack();
    void GoForward();
    // Back, forgetting where the user was (the project shown was deleted).
    void GoBackAndForget();

    // The preview size a typed text asks for: the number left when the
    // letters "p" and "x" and blanks are taken away, when it lies in 6..300.
    static std::optional<int> ParsePreviewSize(const QString& text);
    void ApplyTypedPreviewSize(const QString& text);
    // Shows why a typed size is refused (caption, text); a message box
    // unless replaced.
    void SetMessageSink(std::function<void(const QString&, const QString&)> sink) {
        m_tell = std::move(sink);
    }

    // The bars' layout as stored in MainRebarLayout, and applying one: a
    // layout that does not restore whole leaves the default one.
    QByteArray SaveBarLayout() const;
    bool RestoreBarLayout(const QByteArray& layout);
    // The preset preview sizes of the size box, in pixels.
    static const std::array<int, 14> kPreviewSizes;

    // The View menu, where the windows above this layer add their commands.
    QMenu* ViewMenu() const { return m_viewMenu; }

signals:
    // The window has closed for good (the document closed with it).
    void Closed();
    // Tools > Options... (Ctrl+Alt+O) and Help > Check for Updates: the
    // application shows their dialogs.
    void OptionsRequested();
    void CheckForUpdatesRequested();
    // View > Include Subfolders was turned on or off (the option is set).
    void IncludeSubfoldersChanged(bool included);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateMenus();
    void StorePlacement();
    void ApplySplitterSizes();
    void TrackPlacement();
    void OnApplicationClosing();
    void OnFolderSelected(const QString& path);
    void OnProjectSelected(const QString& name);
    void UpdatePaneVisibility();
    void ShowAbout();
    // Bars and commands (MainFrameBars.cpp).
    void CreateCommands();
    void CreateBars();
    void UpdateNavigation();
    void ScheduleNavigationUpdate();
    void Navigate(const std::optional<CLocation>& location);
    void OnPreviewSizeChanged(unsigned short pixels);
    void SetToolbarsLocked(bool locked);
    void ShowInstalledFonts();
    void SelectAllFonts();

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    CQuillmarkDoc& m_document;
    const QString m_versionText;
    QAction* m_exitAction = nullptr;
    QSplitter* m_columns = nullptr;
    QSplitter* m_left = nullptr;
    QSplitter* m_right = nullptr;
    std::array<QPointer<QWidget>, 4> m_panes{};
    QLabel* m_statusPanes[2] = {nullptr, nullptr};
    std::unique_ptr<CHistoryList> m_history;
    bool m_navigating = false;
    bool m_placed = false;
    CSplitterSizes m_splitterSizes;  // to apply at the first show
    bool m_splittersApplied = false;

    // Bars and commands (MainFrameBars.cpp).
    QToolBar* m_mainToolBar = nullptr;
    QToolBar* m_locationToolBar = nullptr;
    QToolBar* m_previewSizeToolBar = nullptr;
    QToolBar* m_sharingToolBar = nullptr;
    QToolButton* m_favoritesButton = nullptr;
    QComboBox* m_previewSize = nullptr;
    int m_previewPixels = 0;  // the size the font list uses
    CLocationCombo* m_locationCombo = nullptr;
    CFavorites* m_favorites = nullptr;
    CFontProjectFrame* m_projectFrame = nullptr;
    QMenu* m_goMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_toolsMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_fileMenu = nullptr;
    QByteArray m_defaultBarState;
    bool m_navigationUpdateQueued = false;
    std::function<void(const QString&, const QString&)> m_tell;
};

}  // namespace Quillmark
