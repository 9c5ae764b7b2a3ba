#pragma once

// The main window: the four panes (folder tree and font projects on the
// left, font list above the font detail on the right), the status bar, and
// its placement, kept in the options.

#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QSplitter>
#include <array>
#include <boost/signals2/trackable.hpp>

#include "core/OptionTypes.h"

namespace Quillmark {

class CProgramOptions;
class CQuillmarkDoc;
class CQuillmarkSignals;
class CHistoryList;

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

    // The View menu, where the windows above this layer add their commands.
    QMenu* ViewMenu() const { return m_viewMenu; }

signals:
    // The window has closed for good (the document closed with it).
    void Closed();

protected:
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

    CQuillmarkSignals& m_hub;
    CProgramOptions& m_options;
    CQuillmarkDoc& m_document;
    const QString m_versionText;
    QMenu* m_viewMenu = nullptr;
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
};

}  // namespace Quillmark
