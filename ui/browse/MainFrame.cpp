#include "ui/browse/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>
#include <boost/bind/bind.hpp>

#include "collections/HistoryList.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"

namespace Quillmark {

using namespace boost::placeholders;

namespace {
// WindowMetrics fields after the rectangle.
constexpr int kLeftColumnWidth = 4;
constexpr int kFolderTreeHeight = 5;
constexpr int kFontListHeight = 6;
}  // namespace

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
    CreateMenus();

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
    for (QSplitter* splitter : {m_columns, m_left, m_right}) {
        splitter->setChildrenCollapsible(false);
    }
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

CHistoryList& CMainFrame::History() {
    return *m_history;
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* exit = file->addAction(tr("E&xit"), this, &QWidget::close);
    exit->setShortcut(QKeySequence::Quit);
    exit->setMenuRole(QAction::QuitRole);
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* about = help->addAction(tr("&About Quillmark"), this, &CMainFrame::ShowAbout);
    about->setMenuRole(QAction::AboutRole);
}

void CMainFrame::OnFolderSelected(const QString& path) {
    if (!m_navigating) {
        m_history->AddLocation(CLocation::Folder, path);
    }
}

void CMainFrame::OnProjectSelected(const QString& name) {
    if (!m_navigating) {
        m_history->AddLocation(CLocation::Project, name);
    }
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

std::array<int, 3> CMainFrame::DefaultPaneSizes(const QSize& window) {
    return {static_cast<int>(window.width() * (1.0 / 6)), static_cast<int>(window.height() * 0.5),
            static_cast<int>(window.height() * 0.6)};
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

void CMainFrame::ApplyPlacement() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const CMetrics7 metrics = m_options.GetWindowMetrics();
    QRect rect;
    if (metrics[2] == -1 && metrics[3] == -1) {
        rect = FirstPlacement(workArea);
        m_options.SetWindowPosition(rect.topLeft());
        m_options.SetWindowSize(rect.size());
    } else {
        rect = QRect(metrics[0], metrics[1], metrics[2], metrics[3]);
        if (QScreen* at = QGuiApplication::screenAt(rect.center())) {
            rect = KeptInside(rect, at->availableGeometry());
        } else {
            rect = KeptInside(rect, workArea);
        }
    }
    move(rect.topLeft());
    resize(rect.size());

    const auto defaults = DefaultPaneSizes(rect.size());
    const auto paneSize = [&](int field, int fallback) {
        const qint32 stored = m_options.GetWindowMetricsField(field);
        if (stored >= 0)
            return stored;
        m_options.SetWindowMetricsField(field, fallback);
        return fallback;
    };
    const int leftWidth = paneSize(kLeftColumnWidth, defaults[0]);
    const int treeHeight = paneSize(kFolderTreeHeight, defaults[1]);
    const int listHeight = paneSize(kFontListHeight, defaults[2]);
    m_columns->setSizes({leftWidth, std::max(1, rect.width() - leftWidth)});
    m_left->setSizes({treeHeight, std::max(1, rect.height() - treeHeight)});
    m_right->setSizes({listHeight, std::max(1, rect.height() - listHeight)});
    m_placed = true;
    if (m_options.GetMainWindowMaximized()) {
        setWindowState(windowState() | Qt::WindowMaximized);
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
    const QRect rect = isMaximized() || isMinimized() ? normalGeometry() : QRect(pos(), size());
    if (rect.isValid()) {
        m_options.SetWindowPosition(rect.topLeft());
        m_options.SetWindowSize(rect.size());
    }
    if (m_left->isVisible() || m_right->isVisible()) {
        const QList<int> columns = m_columns->sizes();
        if (m_left->isVisible() && !columns.isEmpty()) {
            m_options.SetWindowMetricsField(kLeftColumnWidth, columns[0]);
        }
        if (m_panes[0] && m_panes[1] && !m_left->sizes().isEmpty()) {
            m_options.SetWindowMetricsField(kFolderTreeHeight, m_left->sizes()[0]);
        }
        if (m_panes[2] && m_panes[3] && !m_right->sizes().isEmpty()) {
            m_options.SetWindowMetricsField(kFontListHeight, m_right->sizes()[0]);
        }
    }
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
    StorePlacement();
    m_options.SetMainWindowMaximized(isMaximized());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_document.OnCloseDocument();
    event->accept();
    emit Closed();
}

}  // namespace Quillmark
