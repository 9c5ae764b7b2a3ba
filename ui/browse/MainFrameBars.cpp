// The main window's bars and the commands that belong to no pane:
// navigation (back, forward, up, refresh, installed fonts, favourites), the
// preview size, font sharing, the bars themselves and the web support page.

#include <QAction>
#include <QApplication>
#include <QDataStream>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <boost/bind/bind.hpp>

#include "collections/HistoryList.h"
#include "core/OptionTypes.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "ui/browse/Favorites.h"
#include "ui/browse/FontListFrame.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/FontProjectFrame.h"
#include "ui/browse/LocationCombo.h"
#include "ui/browse/MainFrame.h"

namespace Quillmark {

using namespace boost::placeholders;

const std::array<int, 14> CMainFrame::kPreviewSizes = {12, 14, 18,  24,  32,  36,  48,
                                                       64, 70, 100, 120, 150, 200, 240};

namespace {

constexpr int kMinPreviewSize = kSmallestTextSize;
constexpr int kMaxPreviewSize = kLargestTextSize;
const char* const kSupportPage = "https://www.varnholt.com/quillmark/support";

// The stored bar layout: our own mark and version, the status bar's and
// the lock's state, then the window's own state of its tool bars.
constexpr quint32 kLayoutMark = 0x514d424cu;  // "QMBL"
constexpr quint32 kLayoutVersion = 1;
constexpr int kStateVersion = 1;

QIcon ThemeIcon(const QWidget* widget, const char* name, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name), widget->style()->standardIcon(fallback));
}

// A command's accessible name is its text without the mnemonic mark.
QString PlainText(const QString& text) {
    QString plain = text;
    plain.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return plain.section(QLatin1Char('\t'), 0, 0);
}

void NameToolButtons(QToolBar* bar) {
    for (QAction* action : bar->actions()) {
        if (QWidget* button = bar->widgetForAction(action); button && !action->isSeparator()) {
            if (button->accessibleName().isEmpty()) {
                button->setAccessibleName(PlainText(action->text()));
            }
        }
    }
}

}  // namespace

QAction* CMainFrame::Command(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void CMainFrame::CreateCommands() {
    const auto make = [this](const char* name, const QString& text, const QIcon& icon = {}) {
        auto* action = new QAction(icon, text, this);
        action->setObjectName(QString::fromLatin1(name));
        addAction(action);  // its shortcut works wherever the focus is in the window
        return action;
    };

    QAction* back = make("GoBack", tr("Back to previous folder"),
                         ThemeIcon(this, "go-previous", QStyle::SP_ArrowBack));
    back->setIconText(tr("Back"));
    back->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::Key_Back)});
    connect(back, &QAction::triggered, this, &CMainFrame::GoBack);

    QAction* forward =
        make("GoForward", tr("Forward"), ThemeIcon(this, "go-next", QStyle::SP_ArrowForward));
    forward->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Right), QKeySequence(Qt::Key_Forward)});
    connect(forward, &QAction::triggered, this, &CMainFrame::GoForward);

    QAction* up =
        make("GoUp", tr("Go to parent folder"), ThemeIcon(this, "go-up", QStyle::SP_ArrowUp));
    up->setIconText(tr("Up"));
    up->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    connect(up, &QAction::triggered, this, [this] { m_hub.FireGoUp(); });

    QAction* refresh =
        make("Refresh", tr("&Refresh"), ThemeIcon(this, "view-refresh", QStyle::SP_BrowserReload));
    refresh->setShortcut(QKeySequence(Qt::Key_F5));
    connect(refresh, &QAction::triggered, this, [this] { m_hub.FireRefreshRequested(); });

    QAction* installed = make("InstalledFonts", tr("&Installed fonts"),
                              ThemeIcon(this, "preferences-desktop-font", QStyle::SP_DirHomeIcon));
    installed->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(installed, &QAction::triggered, this, &CMainFrame::ShowInstalledFonts);

    QAction* manage = make("ManageFavorites", tr("&Favorites..."));
    manage->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    manage->setEnabled(false);  // until the favourites are there
    connect(manage, &QAction::triggered, this, [this] {
        if (m_favorites)
            m_favorites->ManageFavorites();
    });

    QAction* share = make("ShareFonts", tr("Share fonts with other applications"),
                          ThemeIcon(this, "emblem-shared", QStyle::SP_DriveNetIcon));
    share->setIconText(tr("Share"));
    share->setCheckable(true);
    share->setChecked(m_options.GetAutoInstall());
    connect(share, &QAction::triggered, this, [this](bool checked) {
        m_options.SetAutoInstall(checked);
        m_hub.FireShareFonts(checked);
    });

    QAction* subfolders = make("IncludeSubfolders", tr("Include S&ubfolders"));
    subfolders->setCheckable(true);
    subfolders->setChecked(m_options.GetIncludeSubfolders());
    connect(subfolders, &QAction::toggled, this, [this](bool included) {
        if (included != m_options.GetIncludeSubfolders()) {
            m_options.SetIncludeSubfolders(included);
            emit IncludeSubfoldersChanged(included);
        }
    });

    QAction* selectAll = make("SelectAll", tr("Select &All"));
    selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    selectAll->setShortcutContext(Qt::WindowShortcut);
    connect(selectAll, &QAction::triggered, this, &CMainFrame::SelectAllFonts);

    QAction* support = make("SupportOnTheWeb", tr("&Support on the Web"));
    connect(support, &QAction::triggered, this,
            [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kSupportPage))); });

    for (QAction* action : actions()) {
        action->setToolTip(PlainText(action->text()));
    }
    m_tell = [this](const QString& caption, const QString& text) {
        QMessageBox::warning(this, caption, text);
    };

    // The mouse's back and forward buttons, wherever they are pressed in
    // the window.
    qApp->installEventFilter(this);
    m_hub.ConnectFontListPreviewSizeChanged(
        boost::bind(&CMainFrame::OnPreviewSizeChanged, this, _1));
    UpdateNavigation();
}

void CMainFrame::CreateBars() {
    const auto bar = [this](const char* name, const QString& title) {
        auto* toolBar = new QToolBar(title, this);
        toolBar->setObjectName(QString::fromLatin1(name));
        toolBar->setAccessibleName(title);
        addToolBar(Qt::TopToolBarArea, toolBar);
        return toolBar;
    };

    // The band order: main toolbar; then the location bar with the preview
    // size and the sharing button after it.
    m_mainToolBar = bar("MainToolbar", tr("Main Toolbar"));
    m_mainToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (const char* name : {"GoBack", "GoForward", "GoUp", "Refresh", "InstalledFonts"}) {
        m_mainToolBar->addAction(Command(QString::fromLatin1(name)));
    }
    m_favoritesButton = new QToolButton(m_mainToolBar);
    m_favoritesButton->setObjectName(QStringLiteral("FavoritesButton"));
    m_favoritesButton->setText(tr("Favorites"));
    m_favoritesButton->setAccessibleName(tr("Favorites"));
    m_favoritesButton->setToolTip(tr("Favorites"));
    m_favoritesButton->setIcon(ThemeIcon(this, "starred", QStyle::SP_DirLinkIcon));
    m_favoritesButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_favoritesButton->setPopupMode(QToolButton::InstantPopup);
    m_favoritesButton->setEnabled(false);  // until the favourites are there
    m_mainToolBar->addWidget(m_favoritesButton);
    NameToolButtons(m_mainToolBar);

    addToolBarBreak(Qt::TopToolBarArea);
    m_locationToolBar = bar("LocationBar", tr("Location Bar"));
    m_locationToolBar->toggleViewAction()->setText(tr("&Location Bar"));

    m_previewSizeToolBar = bar("PreviewSizeBar", tr("Font List Preview Size"));
    m_previewSize = new QComboBox(m_previewSizeToolBar);
    m_previewSize->setObjectName(QStringLiteral("PreviewSizeBox"));
    m_previewSize->setAccessibleName(tr("Font List Preview Size"));
    m_previewSize->setToolTip(tr("Font List Preview Size"));
    m_previewSize->setEditable(true);
    m_previewSize->setInsertPolicy(QComboBox::NoInsert);
    for (int size : kPreviewSizes) {
        m_previewSize->addItem(tr("%1 px").arg(size), size);
    }
    m_previewPixels = static_cast<int>(m_options.GetFontListCharSize());
    m_previewSize->setEditText(tr("%1 px").arg(m_previewPixels));
    connect(m_previewSize, &QComboBox::activated, this, [this](int index) {
        m_hub.FireFontListPreviewSizeChanged(
            static_cast<unsigned short>(m_previewSize->itemData(index).toInt()));
    });
    // Enter is taken before the box sees it: it would choose an item itself.
    m_previewSize->lineEdit()->installEventFilter(this);
    m_previewSizeToolBar->addWidget(m_previewSize);

    m_sharingToolBar = bar("SharingBar", tr("Font Sharing Button"));
    m_sharingToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_sharingToolBar->addAction(Command(QStringLiteral("ShareFonts")));
    NameToolButtons(m_sharingToolBar);

    QMenu* bars = m_viewMenu->addMenu(tr("&Toolbars"));
    bars->setObjectName(QStringLiteral("ToolbarsMenu"));
    for (QToolBar* toolBar :
         {m_mainToolBar, m_locationToolBar, m_previewSizeToolBar, m_sharingToolBar}) {
        toolBar->toggleViewAction()->setObjectName(toolBar->objectName() + QStringLiteral("Shown"));
        bars->addAction(toolBar->toggleViewAction());
    }
    bars->addSeparator();
    QAction* lock = bars->addAction(tr("Lock the Toolbars"));
    lock->setObjectName(QStringLiteral("LockToolbars"));
    lock->setCheckable(true);
    connect(lock, &QAction::toggled, this, &CMainFrame::SetToolbarsLocked);

    QAction* status = m_viewMenu->addAction(tr("&Status bar"));
    status->setObjectName(QStringLiteral("StatusBarShown"));
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, statusBar(), &QWidget::setVisible);

    m_defaultBarState = saveState(kStateVersion);
}

void CMainFrame::UseStores(CFontProjects& projects, CFavoriteFolders& favorites,
                           const QString& locationsFile) {
    m_locationCombo = new CLocationCombo(m_hub, m_options, projects, locationsFile, this);
    m_locationToolBar->addWidget(m_locationCombo);

    m_favorites = new CFavorites(m_hub, favorites, m_document, this);
    m_favorites->SetAnchor(m_favoritesButton);
    m_favoritesButton->setMenu(m_favorites->Menu());
    m_favoritesButton->setEnabled(true);
    Command(QStringLiteral("ManageFavorites"))->setEnabled(true);
    menuBar()->insertMenu(m_toolsMenu->menuAction(), m_favorites->Menu());

    m_projectFrame = new CFontProjectFrame(m_hub, projects, m_document);
    connect(m_projectFrame, &CFontProjectFrame::ShownProjectDeleted, this,
            &CMainFrame::GoBackAndForget);
    SetPane(Pane::FontProjects, m_projectFrame);
    m_defaultBarState = saveState(kStateVersion);
}

void CMainFrame::SetToolbarsLocked(bool locked) {
    for (QToolBar* toolBar :
         {m_mainToolBar, m_locationToolBar, m_previewSizeToolBar, m_sharingToolBar}) {
        toolBar->setMovable(!locked);
    }
    if (QAction* lock = Command(QStringLiteral("LockToolbars")); lock->isChecked() != locked) {
        lock->setChecked(locked);
    }
}

// ---------------------------------------------------------------- history

void CMainFrame::Navigate(const std::optional<CLocation>& location) {
    if (location) {
        m_navigating = true;
        if (location->kind == CLocation::Project) {
            m_hub.FireProjectSelected(location->name);
        } else {
            m_hub.FireFolderSelected(location->name, nullptr);
        }
        m_navigating = false;
    }
    UpdateNavigation();
}

void CMainFrame::GoBack() {
    if (m_history->CanGoBack()) {
        Navigate(m_history->GoBack());
    }
}

void CMainFrame::GoForward() {
    if (m_history->CanGoForward()) {
        Navigate(m_history->GoForward());
    }
}

void CMainFrame::GoBackAndForget() {
    Navigate(m_history->GoBackAndForget());
}

void CMainFrame::UpdateNavigation() {
    m_navigationUpdateQueued = false;
    Command(QStringLiteral("GoBack"))->setEnabled(m_history->CanGoBack());
    Command(QStringLiteral("GoForward"))->setEnabled(m_history->CanGoForward());
    Command(QStringLiteral("GoUp"))->setEnabled(m_hub.FireCanGoUp());
}

void CMainFrame::ScheduleNavigationUpdate() {
    Command(QStringLiteral("GoBack"))->setEnabled(m_history->CanGoBack());
    Command(QStringLiteral("GoForward"))->setEnabled(m_history->CanGoForward());
    // Whether there is a parent is known once every window has taken the
    // new location in.
    if (!m_navigationUpdateQueued) {
        m_navigationUpdateQueued = true;
        QTimer::singleShot(0, this, &CMainFrame::UpdateNavigation);
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (m_previewSize && watched == m_previewSize->lineEdit() &&
        event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ApplyTypedPreviewSize(m_previewSize->currentText());
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto button = static_cast<QMouseEvent*>(event)->button();
        if (widget != nullptr && widget->window() == this &&
            (button == Qt::BackButton || button == Qt::ForwardButton)) {
            if (button == Qt::BackButton) {
                GoBack();
            } else {
                GoForward();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- commands

void CMainFrame::ShowInstalledFonts() {
    const QString folder = m_document.GetFontsFolder();
    QDir().mkpath(folder);  // the user's font folder is made when first needed
    m_hub.FireFolderSelected(folder, nullptr);
}

void CMainFrame::SelectAllFonts() {
    if (auto* frame = qobject_cast<CFontListFrame*>(GetPane(Pane::FontList))) {
        frame->List()->selectAll();
    }
}

std::optional<int> CMainFrame::ParsePreviewSize(const QString& text) {
    QString number = text;
    number.remove(QLatin1Char('p'), Qt::CaseInsensitive)
        .remove(QLatin1Char('x'), Qt::CaseInsensitive);
    bool ok = false;
    const int size = number.trimmed().toInt(&ok);
    if (!ok || size < kMinPreviewSize || size > kMaxPreviewSize) {
        return std::nullopt;
    }
    return size;
}

void CMainFrame::ApplyTypedPreviewSize(const QString& text) {
    if (const std::optional<int> size = ParsePreviewSize(text)) {
        m_hub.FireFontListPreviewSizeChanged(static_cast<unsigned short>(*size));
        return;
    }
    m_previewSize->setEditText(tr("%1 px").arg(m_previewPixels));
    m_tell(tr("Invalid Size"),
           tr("Valid sizes for the font list preview text are between 6 and 300 pixels"));
}

void CMainFrame::OnPreviewSizeChanged(unsigned short pixels) {
    m_previewPixels = pixels;
    if (m_previewSize) {
        m_previewSize->setEditText(tr("%1 px").arg(pixels));
    }
}

// ---------------------------------------------------------------- layout

QByteArray CMainFrame::SaveBarLayout() const {
    QByteArray layout;
    QDataStream out(&layout, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << kLayoutMark << kLayoutVersion << !statusBar()->isHidden() << !m_mainToolBar->isMovable()
        << saveState(kStateVersion);
    return layout;
}

bool CMainFrame::RestoreBarLayout(const QByteArray& layout) {
    if (layout.isEmpty()) {
        return false;
    }
    QDataStream in(layout);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 mark = 0;
    quint32 version = 0;
    bool statusShown = true;
    bool locked = false;
    QByteArray state;
    in >> mark >> version >> statusShown >> locked >> state;
    if (in.status() != QDataStream::Ok || !in.atEnd() || mark != kLayoutMark ||
        version != kLayoutVersion) {
        return false;
    }
    if (!restoreState(state, kStateVersion)) {
        // Whatever a half-read state changed goes back to the default order.
        restoreState(m_defaultBarState, kStateVersion);
        return false;
    }
    Command(QStringLiteral("StatusBarShown"))->setChecked(statusShown);
    SetToolbarsLocked(locked);
    return true;
}

}  // namespace Quillmark
