#include "ui/browse/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>
#include <algorithm>
#include <boost/bind/bind.hpp>
#include <climits>

#include "collections/HistoryList.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "ui/common/HelpWindow.h"

namespace Quillmark {

using namespace boost::placeholders;

CMainFrame::CMainFrame(CQuillmarkSignals& hub, CProgramOptions& options, CQuillmarkDoc& document,
                       QString versionText, QWidget* parent)
    : QMainWindow(parent),
      m_hub(hub),
      m_options(options),
      m_document(document),
      m_versionText(std::move(versionText)),
      m_history(std::make_unique<CHistoryList>()) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("quillmark"),
                                   QIcon(QStringLiteral(":/quillmark/quillmark.svg"))));
    CreateCommands();
    CreateMenus();
    CreateBars();

    // Status bar: the load message stretches; the font count is sized for
    // "88888 fonts displayed".
    for (int i = 0; i < 2; ++i) {
        m_statusPanes[i] = new QLabel(this);
        m_statusPanes[i]->setObjectName(QStringLiteral("StatusPane%1").arg(i));
    }
    m_statusPanes[1]->setMinimumWidth(
        QFontMetrics(m_statusPanes[1]->font()).horizontalAdvance(tr("88888 fonts displayed")) + 8);
    statusBar()->addWidget(m_statusPanes[0], 1);
    statusBar()->addPermanentWidget(m_statusPanes[1]);

    // One row, two columns; each column two rows.
    m_columns = new QSplitter(Qt::Horizontal, this);
    m_left = new QSplitter(Qt::Vertical, m_columns);
    m_right = new QSplitter(Qt::Vertical, m_columns);
    m_columns->setObjectName(QStringLiteral("Columns"));
    m_left->setObjectName(QStringLiteral("LeftColumn"));
    m_right->setObjectName(QStringLiteral("RightColumn"));
    for (QSplitter* splitter : {m_columns, m_left, m_right}) {
        splitter->setChildrenCollapsible(false);
    }
    // The left column and the upper rows keep their sizes; the font list
    // column and the lower rows take what the window gains or loses.
    m_columns->setStretchFactor(0, 0);
    m_columns->setStretchFactor(1, 1);
    setCentralWidget(m_columns);
    UpdatePaneVisibility();

    connect(&m_document, &CQuillmarkDoc::TitleChanged, this, [this](const QString& title) {
        setWindowTitle(title.isEmpty() ? QStringLiteral("Quillmark")
                                       : title + QStringLiteral(" - Quillmark"));
    });
    setWindowTitle(QStringLiteral("Quillmark"));

    hub.ConnectApplicationClosing(boost::bind(&CMainFrame::OnApplicationClosing, this));
    hub.ConnectFolderSelected(boost::bind(&CMainFrame::OnFolderSelected, this, _1));
    hub.ConnectProjectSelected(boost::bind(&CMainFrame::OnProjectSelected, this, _1));
}

CMainFrame::~CMainFrame() = default;

// The menus, in the menu bar's order; each holds commands made by
// CreateCommands. Windows that come later add theirs to these menus.
void CMainFrame::CreateMenus() {
    m_fileMenu = menuBar()->addMenu(tr("&File"));
    m_fileMenu->setObjectName(QStringLiteral("FileMenu"));
    QAction* exit = m_fileMenu->addAction(tr("E&xit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("Exit"));
    m_exitAction = exit;
    exit->setShortcut(QKeySequence::Quit);
    exit->setMenuRole(QAction::QuitRole);

    m_editMenu = menuBar()->addMenu(tr("&Edit"));
    m_editMenu->setObjectName(QStringLiteral("EditMenu"));
    m_editMenu->addAction(Command(QStringLiteral("SelectAll")));

    m_viewMenu = menuBar()->addMenu(tr("&View"));
    m_viewMenu->setObjectName(QStringLiteral("ViewMenu"));
    m_viewMenu->addAction(Command(QStringLiteral("IncludeSubfolders")));
    m_viewMenu->addSeparator();
    m_viewMenu->addAction(Command(QStringLiteral("ManageFavorites")));
    m_viewMenu->addSeparator();
    // The bars' own commands are added by CreateBars.

    m_goMenu = menuBar()->addMenu(tr("&Go"));
    m_goMenu->setObjectName(QStringLiteral("GoMenu"));
    for (const char* name : {"GoBack", "GoForward", "GoUp", "Refresh", "InstalledFonts"}) {
        m_goMenu->addAction(Command(QString::fromLatin1(name)));
    }
    // The favourites menu is added by UseStores, after this one.

    m_toolsMenu = menuBar()->addMenu(tr("&Tools"));
    m_toolsMenu->setObjectName(QStringLiteral("ToolsMenu"));
    m_toolsMenu->addAction(Command(QStringLiteral("ShareFonts")));
    m_toolsMenu->addSeparator();
    QAction* options =
        m_toolsMenu->addAction(tr("&Options..."), this, &CMainFrame::OptionsRequested);
    options->setObjectName(QStringLiteral("Options"));
    options->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O));
    options->setMenuRole(QAction::PreferencesRole);

    m_helpMenu = menuBar()->addMenu(tr("&Help"));
    m_helpMenu->setObjectName(QStringLiteral("HelpMenu"));
    QAction* contents =
        m_helpMenu->addAction(tr("&Contents and Index"), this, [this] { ShowHelp(100, this); });
    contents->setObjectName(QStringLiteral("HelpContents"));
    contents->setShortcut(QKeySequence::HelpContents);
    m_helpMenu->addAction(tr("&Whats New in Quillmark 3?"), this, [this] { ShowHelp(105, this); })
        ->setObjectName(QStringLiteral("WhatsNew"));
    m_helpMenu->addAction(Command(QStringLiteral("SupportOnTheWeb")));
    m_helpMenu->addAction(tr("C&heck for Updates"), this, &CMainFrame::CheckForUpdatesRequested)
        ->setObjectName(QStringLiteral("CheckForUpdates"));
    m_helpMenu->addSeparator();
    QAction* about = m_helpMenu->addAction(tr("&About Quillmark"), this, &CMainFrame::ShowAbout);
    about->setObjectName(QStringLiteral("About"));
    about->setMenuRole(QAction::AboutRole);
}

void CMainFrame::AddFileActions(const QList<QAction*>& actions) {
    m_fileMenu->insertActions(m_exitAction, actions);
    m_fileMenu->insertSeparator(m_exitAction);
    addActions(actions);  // their shortcuts work wherever the focus is
}

QMenu* CMainFrame::AddPreviewMenu(const QList<QAction*>& styleActions) {
    auto* menu = new QMenu(tr("&Preview"), this);
    menu->setObjectName(QStringLiteral("PreviewMenu"));
    const auto palette = [this, menu](const QString& text, bool forText) {
        QAction* action =
            menu->addAction(text, this, [this, forText] { m_hub.FireShowPalette(forText); });
        QString plain = text;
        action->setToolTip(plain.remove(QLatin1Char('&')));
    };
    palette(tr("&Text color"), true);
    palette(tr("Back&ground color"), false);
    menu->addSeparator();
    menu->addActions(styleActions);
    // Before Help, the last menu.
    const QList<QAction*> menus = menuBar()->actions();
    menuBar()->insertMenu(menus.isEmpty() ? nullptr : menus.last(), menu);
    return menu;
}

void CMainFrame::OnFolderSelected(const QString& path) {
    if (!m_navigating) {
        m_history->AddLocation(CLocation::Folder, path);
    }
    ScheduleNavigationUpdate();
}

void CMainFrame::OnProjectSelected(const QString& name) {
    if (!m_navigating) {
        m_history->AddLocation(CLocation::Project, name);
    }
    ScheduleNavigationUpdate();
}

void CMainFrame::ShowAbout() {
    QMessageBox::about(this, tr("About Quillmark"),
                       tr("<h3>Quillmark %1</h3>"
                          "<p>A font manager: every TrueType and OpenType font of a folder, "
                          "each drawn in its own design, without installing anything.</p>"
                          "<p>Copyright &copy; Varnholt, Inc.</p>")
                           .arg(m_versionText.toHtmlEscaped()));
}

QRect CMainFrame::FirstPlacement(const QRect& workArea) {
    const int mx = static_cast<int>(workArea.width() * 0.125);
    const int my = static_cast<int>(workArea.height() * 0.125);
    return {workArea.left() + mx, workArea.top() + my, workArea.width() - 2 * mx,
            workArea.height() - 2 * my};
}

CSplitterSizes CMainFrame::DefaultPaneSizes(const QSize& window) {
    return {static_cast<qint32>(window.width() * (1.0 / 6)),
            static_cast<qint32>(window.height() * 0.5), static_cast<qint32>(window.height() * 0.6)};
}

QRect CMainFrame::KeptInside(const QRect& rect, const QRect& workArea) {
    QRect kept = rect;
    if (kept.right() > workArea.right())
        kept.moveRight(workArea.right());
    if (kept.bottom() > workArea.bottom())
        kept.moveBottom(workArea.bottom());
    if (kept.left() < workArea.left())
        kept.moveLeft(workArea.left());
    if (kept.top() < workArea.top())
        kept.moveTop(workArea.top());
    return kept;
}

QRect CMainFrame::PlacementOn(const CPlacementRect& stored, const QRect& workArea) {
    if (!stored.IsSet() || stored.width <= 0 || stored.height <= 0) {
        return FirstPlacement(workArea);
    }
    const int width = std::min(stored.width, workArea.width());
    const int height = std::min(stored.height, workArea.height());
    // In 64 bits: a stored corner near the ends of the range must not wrap.
    const auto inside = [](qint64 at, int size, int low, int high) {
        return static_cast<int>(std::clamp(at, qint64{low}, qint64{high} + 1 - size));
    };
    return {inside(stored.left, width, workArea.left(), workArea.right()),
            inside(stored.top, height, workArea.top(), workArea.bottom()), width, height};
}

void CMainFrame::ApplyPlacement() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    CWindowMetrics metrics = m_options.GetWindowMetrics();
    // The screen under the stored rectangle's middle, worked out in 64
    // bits; the primary screen when none is there.
    const CPlacementRect& stored = metrics.placement;
    const auto middle = [](qint32 at, qint32 size) {
        return static_cast<int>(
            std::clamp(qint64{at} + size / 2, qint64{INT_MIN}, qint64{INT_MAX}));
    };
    QScreen* at = QGuiApplication::screenAt(
        QPoint(middle(stored.left, stored.width), middle(stored.top, stored.height)));
    const QRect rect = PlacementOn(stored, at != nullptr ? at->availableGeometry() : workArea);
    metrics.placement = CPlacementRect::FromRect(rect);
    // The stored rectangle is the window's inside, as normalGeometry() gives
    // it back at closing: the frame is the desktop's to add.
    setGeometry(rect);

    const CSplitterSizes defaults = DefaultPaneSizes(rect.size());
    CSplitterSizes& sizes = metrics.splitters;
    for (auto [size, fallback] : {std::pair{&sizes.leftColumn, defaults.leftColumn},
                                  std::pair{&sizes.folderTree, defaults.folderTree},
                                  std::pair{&sizes.fontList, defaults.fontList}}) {
        if (*size < 0) {
            *size = fallback;
        }
    }
    m_splitterSizes = sizes;
    m_options.SetWindowMetrics(metrics);
    m_placed = true;
    RestoreBarLayout(CProgramOptions::GetMainRebarLayout());
    if (m_options.GetMainWindowMaximized() == ShowCommand::Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void CMainFrame::ApplySplitterSizes() {
    const QRect rect = normalGeometry();
    const auto rest = [](int whole, int first) { return std::max(1, whole - first); };
    m_columns->setSizes(
        {m_splitterSizes.leftColumn, rest(rect.width(), m_splitterSizes.leftColumn)});
    m_left->setSizes({m_splitterSizes.folderTree, rest(rect.height(), m_splitterSizes.folderTree)});
    m_right->setSizes({m_splitterSizes.fontList, rest(rect.height(), m_splitterSizes.fontList)});
    m_splittersApplied = true;
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_placed && !m_splittersApplied) {
        ApplySplitterSizes();
    }
}

void CMainFrame::SetPane(Pane pane, QWidget* widget) {
    const int index = static_cast<int>(pane);
    QSplitter* column = index < 2 ? m_left : m_right;
    const int row = index % 2;
    if (m_panes[index]) {
        delete m_panes[index];
    }
    m_panes[index] = widget;
    // Keep the row order whichever pane comes first.
    column->insertWidget(row == 0 ? 0 : column->count(), widget);
    column->setStretchFactor(column->indexOf(widget), row);
    UpdatePaneVisibility();
}

QWidget* CMainFrame::GetPane(Pane pane) const {
    return m_panes[static_cast<int>(pane)];
}

void CMainFrame::UpdatePaneVisibility() {
    m_left->setVisible(m_panes[0] || m_panes[1]);
    m_right->setVisible(m_panes[2] || m_panes[3]);
}

void CMainFrame::SetStatusText(int pane, const QString& text) {
    m_statusPanes[pane]->setText(text);
}

QString CMainFrame::GetStatusText(int pane) const {
    return m_statusPanes[pane]->text();
}

void CMainFrame::BringForward() {
    if (isMinimized()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void CMainFrame::TrackPlacement() {
    if (!m_placed || isMinimized() || isMaximized() || isFullScreen()) {
        return;
    }
    StorePlacement();
}

void CMainFrame::StorePlacement() {
    CWindowMetrics metrics = m_options.GetWindowMetrics();
    // The restored rectangle also while maximised, measured as it is applied.
    if (const QRect rect = normalGeometry(); rect.isValid()) {
        metrics.placement = CPlacementRect::FromRect(rect);
    }
    // Sizes the splitters have before the stored ones are applied are not
    // the user's.
    if (m_splittersApplied) {
        const QList<int> columns = m_columns->sizes();
        if (m_left->isVisible() && !columns.isEmpty()) {
            metrics.splitters.leftColumn = columns[0];
        }
        if (m_panes[0] && m_panes[1] && !m_left->sizes().isEmpty()) {
            metrics.splitters.folderTree = m_left->sizes()[0];
        }
        if (m_panes[2] && m_panes[3] && !m_right->sizes().isEmpty()) {
            metrics.splitters.fontList = m_right->sizes()[0];
        }
    }
    m_options.SetWindowMetrics(metrics);
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    TrackPlacement();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    TrackPlacement();
}

void CMainFrame::OnApplicationClosing() {
    CProgramOptions::SetMainRebarLayout(SaveBarLayout());
    StorePlacement();
    m_options.SetMainWindowMaximized(isMaximized() ? ShowCommand::Maximized : ShowCommand::Normal);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_document.OnCloseDocument();
    event->accept();
    emit Closed();
}

}  // namespace Quillmark
