#include "app/QuillmarkApp.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <QSplashScreen>
#include <QSvgRenderer>
#include <QTimer>
#include <QUrl>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <new>
#include <utility>

#include "app/SingleInstance.h"
#include "collections/DataFiles.h"
#include "collections/FavoriteFolders.h"
#include "collections/FontProjects.h"
#include "collections/LocationList.h"
#include "core/FontManagerHub.h"
#include "core/Key.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "palette/PaletteLoader.h"
#include "palette/PaletteWnd.h"
#include "platform/FontconfigFontSystem.h"
#include "platform/Paths.h"
#include "ui/browse/FolderTreeController.h"
#include "ui/browse/FolderTreeView.h"
#include "ui/browse/FontListCommands.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListFrame.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/FontProjectFrame.h"
#include "ui/browse/FontProjectModel.h"
#include "ui/browse/LocationCombo.h"
#include "ui/browse/MainFrame.h"
#include "ui/common/SelectFavoriteFoldersDialog.h"
#include "ui/common/SelectProjectsDialog.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontInfoDlg.h"
#include "ui/inspect/FontMapWindow.h"
#include "ui/options/OptionsController.h"
#include "ui/search/SearchWindows.h"
#include "update/OnlineRelease.h"
#include "update/UpdateCheckDlg.h"

// Resources of a static library are brought in by hand.
static void InitResources() {
    Q_INIT_RESOURCE(quillmark);
}

namespace Quillmark {

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void OnTerminate(int) {
    const char byte = 1;
    // Nothing else is safe in a signal handler; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

constexpr int kSplashMilliseconds = 750;

CFontItemSettings ItemSettings(const CProgramOptions& options) {
    return {options.GetAutoInstall()};
}

QPixmap SplashPicture(const QString& version) {
    QPixmap picture(480, 280);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, picture.height());
    background.setColorAt(0, QColor(0x24, 0x36, 0x5c));
    background.setColorAt(1, QColor(0x12, 0x1c, 0x31));
    painter.fillRect(picture.rect(), background);
    QSvgRenderer(QStringLiteral(":/quillmark/quillmark.svg"))
        .render(&painter, QRectF(40, 76, 128, 128));
    QFont title = painter.font();
    title.setPixelSize(44);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(QColor(0xfd, 0xfa, 0xf3));
    painter.drawText(QRect(190, 96, 270, 56), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Quillmark"));
    QFont small = painter.font();
    small.setPixelSize(15);
    small.setBold(false);
    painter.setFont(small);
    painter.setPen(QColor(0xc9, 0xd4, 0xe8));
    painter.drawText(QRect(192, 152, 270, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QObject::tr("Every font, in its own design"));
    painter.drawText(QRect(192, 236, 270, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QObject::tr("Version %1").arg(version));
    return picture;
}

}  // namespace

CQuillmarkApp::CQuillmarkApp(QStringList arguments)
    : CQuillmarkApp(std::move(arguments), Hooks{}) {}

CMainFrame* CQuillmarkApp::MainFrame() {
    return m_mainFrame.data();
}

CQuillmarkApp::CQuillmarkApp(QStringList arguments, Hooks hooks)
    : m_arguments(std::move(arguments)), m_hooks(std::move(hooks)) {
    InitResources();
    if (!m_hooks.ask) {
        m_hooks.ask = [](const QString& question) {
            return QMessageBox::question(nullptr, QStringLiteral("Quillmark"), question,
                                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
        };
    }
    if (!m_hooks.open) {
        m_hooks.open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    }
    if (!m_hooks.tell) {
        m_hooks.tell = [](const QString& message) {
            QMessageBox::warning(nullptr, QStringLiteral("Quillmark"), message);
        };
    }
}

CQuillmarkApp::~CQuillmarkApp() {
    // Windows go before the services they hold on to. A splash whose time
    // was not up (the program was asked to end) goes too.
    delete m_splash.data();
    delete m_mainFrame.data();
    m_document.reset();
}

QString CQuillmarkApp::ProgramVersionText() {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(QUILLMARK_VERSION_MAJOR)
        .arg(QUILLMARK_VERSION_MINOR)
        .arg(QUILLMARK_VERSION_PATCH)
        .arg(QUILLMARK_VERSION_TWEAK);
}

QString CQuillmarkApp::UpdaterFolder() {
    return COnlineRelease::DownloadFolder();
}

bool CQuillmarkApp::IsOwnUpdater(const QString& path) {
    return COnlineRelease::IsDownloadedInstaller(path);
}

void CQuillmarkApp::ShowOptions() {
    COptionsController controller(*m_hub, *m_options, *m_projects, *m_document);
    controller.Run(m_mainFrame);
}

void CQuillmarkApp::CheckForUpdates() {
    CUpdateCheckDlg::Hooks hooks;
    hooks.runningVersion = ProgramVersionText();
    hooks.installAtExit = [this](const QString& path) { SetPendingUpdater(path); };
    hooks.closeProgram = [frame = m_mainFrame] {
        if (frame) {
            QMetaObject::invokeMethod(frame, &QWidget::close, Qt::QueuedConnection);
        }
    };
    CUpdateCheckDlg dialog(hooks, m_mainFrame);
    dialog.exec();
}

bool CQuillmarkApp::CreateServices() {
    try {
        m_options = std::make_unique<CProgramOptions>();
        if (!m_options->Load()) {
            // Nothing was ever saved: a first start shows the desktop's own
            // fonts, which lie in subfolders of the system's font folder.
            if (const QString system = SystemFontsFolder(); !system.isEmpty()) {
                m_options->SetLastFolder(system);
                m_options->SetIncludeSubfolders(true);
            }
        }
        if (const QString updater = m_options->GetUpdaterLocation(); !updater.isEmpty()) {
            // The updater started at the last exit has done its work. Only
            // our own download goes: the setting may name any file.
            if (IsOwnUpdater(updater)) {
                QFile::remove(updater);
            }
            m_options->SetUpdaterLocation(QString());
        }

        m_hub = std::make_unique<CQuillmarkSignals>();
        m_hub->ConnectFontListPreviewSizeChanged(
            [this](unsigned short pixels) { m_options->SetPreviewFontSize(pixels); });

        CFontProjects::ImportEarlierEdition();
        m_projects = std::make_unique<CFontProjects>();
        m_projects->Load(DataFilePath(QString::fromLatin1(CFontProjects::kFileName), false));

        CFavoriteFolders::ImportEarlierEdition(
            [this] { return m_hooks.ask(CFavoriteFolders::ImportQuestion()); });
        if (TerminationRequested()) {
            return false;
        }
        m_favorites = std::make_unique<CFavoriteFolders>();
        try {
            m_favorites->Load(
                DataFilePath(QString::fromLatin1(CFavoriteFolders::kFileName), false));
        } catch (const CFavoriteFoldersException&) {
            // No favourites; the file was set aside and the user is told.
        }
        for (const QString& notice :
             {m_projects->TakeKeptFileNotice(), m_favorites->TakeKeptFileNotice()}) {
            if (!notice.isEmpty()) {
                m_hooks.tell(notice);
            }
        }

        m_fontSystem = std::make_unique<Platform::CFontconfigFontSystem>();
        m_managerHub = std::make_unique<CFontManagerHub>(*m_hub);
        m_fontManager = std::make_unique<CFontManager>(m_managerHub.get(), m_fontSystem.get(),
                                                       ItemSettings(*m_options));
        m_hub->ConnectOptionsChanged(
            [this] { m_fontManager->SetItemSettings(ItemSettings(*m_options)); });
        return true;
    } catch (const CFontProjectException&) {
    } catch (const CFavoriteFoldersException&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

CQuillmarkApp::StartResult CQuillmarkApp::InitInstance() {
    m_singleInstance = std::make_unique<CSingleInstance>();
    const std::filesystem::path given = CommandLinePath();
    const auto activate = [this](const QByteArray& path) {
        if (m_mainFrame) {
            m_mainFrame->BringForward();
        }
        if (path.isEmpty()) {
            return;
        }
        // A path asked for while this copy still starts is shown after the
        // first location.
        m_requestedPath = path.toStdString();
        if (m_started) {
            OpenPath(std::exchange(m_requestedPath, {}));
        }
    };
    switch (m_singleInstance->Claim(activate, QByteArray::fromStdString(given.native()))) {
        case CSingleInstance::Claimed::Alone:
            break;
        case CSingleInstance::Claimed::OtherCopyRuns:
            return StartResult::OtherCopyRuns;
        case CSingleInstance::Claimed::OtherCopySilent:
            qWarning(
                "Quillmark: another copy is running but does not answer; this copy ends "
                "without starting.");
            return StartResult::OtherCopyRuns;
    }
    if (TerminationRequested()) {
        return StartResult::Ended;
    }

    m_regularFont = QApplication::font();
    m_fontsFolder = PathText(Platform::UserFontsFolder());

    if (!CreateServices()) {
        return TerminationRequested() ? StartResult::Ended : StartResult::Failed;
    }

    if (m_hooks.splash) {
        ShowSplash();
    }
    m_document = std::make_unique<CQuillmarkDoc>(*m_hub, *m_options, *m_fontManager, m_fontsFolder);
    m_mainFrame = new CMainFrame(*m_hub, *m_options, *m_document, ProgramVersionText());
    m_mainFrame->UseStores(*m_projects, *m_favorites,
                           DataFilePath(QString::fromLatin1(CLocationList::kFileName), false));
    if (const QString notice = m_mainFrame->LocationBar()->TakeKeptFileNotice();
        !notice.isEmpty()) {
        m_hooks.tell(notice);
    }
    m_mainFrame->ApplyPlacement();
    connect(m_mainFrame, &CMainFrame::Closed, this, [this] {
        m_closed = true;
        QCoreApplication::quit();
    });
    connect(m_mainFrame, &CMainFrame::OptionsRequested, this, &CQuillmarkApp::ShowOptions);
    connect(m_mainFrame, &CMainFrame::CheckForUpdatesRequested, this,
            &CQuillmarkApp::CheckForUpdates);
    auto* list = new CFontListController(*m_hub, *m_options, *m_fontManager, *m_projects,
                                         *m_document, m_regularFont, m_mainFrame);
    list->SetStatusSink([frame = m_mainFrame](int pane, const QString& text) {
        if (frame)
            frame->SetStatusText(pane, text);
    });
    auto* listFrame = new CFontListFrame(*m_hub, list->View());
    m_mainFrame->SetPane(CMainFrame::Pane::FontList, listFrame);
    connect(list, &CFontListController::EmptyTextChanged, listFrame, &CFontListFrame::SetEmptyText);
    listFrame->SetEmptyText(list->EmptyText(), list->OffersSubfolders());
    connect(listFrame, &CFontListFrame::IncludeSubfoldersRequested, m_mainFrame,
            [frame = m_mainFrame] {
                frame->Command(QStringLiteral("IncludeSubfolders"))->setChecked(true);
            });
    connect(m_mainFrame, &CMainFrame::IncludeSubfoldersChanged, list,
            &CFontListController::OnIncludeSubfoldersChanged);
    CSearchWindows* searches = CreateSearchWindows();
    auto* commands = AttachListCommands(*list->View(), FontListKind::MainList, list);
    m_mainFrame->AddFileActions(commands->PrintActions());
    auto* detail =
        new CFontDetailFrame(*m_hub, *m_options, *m_fontManager, *m_document, nullptr, m_mainFrame);
    // The palette is looked for once; without it Qt's colour dialog stands in.
    detail->SetPalette(std::make_unique<CPaletteWnd>(
        *m_hub, std::make_shared<const CPaletteLoader>(),
        [frame = m_mainFrame](const QString& text) {
            if (frame)
                frame->SetStatusText(0, text);
        },
        detail));
    m_mainFrame->SetPane(CMainFrame::Pane::FontDetail, detail);
    m_findCharacter = [searches](char16_t code, const QString& name, const CFontItem* font) {
        searches->FindCharacter(code, name, font);
    };
    detail->SetFindCharacter(m_findCharacter);
    detail->SetPreviewMenu(m_mainFrame->AddPreviewMenu(detail->StyleActions()));
    AddFontMapCommand();
    auto* tree = new CFolderTreeController(*m_hub, *m_document, *m_fontManager, m_mainFrame);
    tree->SetStatusSink([frame = m_mainFrame](int pane, const QString& text) {
        if (frame)
            frame->SetStatusText(pane, text);
    });
    tree->SetStartedTest([this] { return m_started; });
    m_mainFrame->SetPane(CMainFrame::Pane::FolderTree, tree->View());
    tree->View()->SetSearchCommand(
        [searches](const QString& folder) { searches->FindByName(folder, false); });
    if (m_hooks.addPanes) {
        m_hooks.addPanes(*this);
    }
    if (TerminationRequested()) {
        return StartResult::Ended;
    }
    m_mainFrame->show();
    if (m_splash) {
        m_splash->raise();
    }
    m_started = true;
    ChooseFirstLocation();
    if (!m_requestedPath.empty()) {
        OpenPath(std::exchange(m_requestedPath, {}));
    }
    return StartResult::Started;
}

CSearchWindows* CQuillmarkApp::CreateSearchWindows() {
    CSearchServices services{
        *m_hub, *m_options, *m_fontManager, *m_projects, m_regularFont, {}, {}, {}, {}, {}, {}, {}};
    services.UseStandardDialogs();
    services.chooseFavorite = [favorites = m_favorites.get()](QWidget* parent) {
        CSelectFavoriteFoldersDialog chooser(*favorites, parent);
        return chooser.exec() == QDialog::Accepted ? chooser.SelectedFolder() : QString();
    };
    services.chooseProject = [projects = m_projects.get()](QWidget* parent) {
        CSelectProjectsDialog chooser(*projects, parent);
        return chooser.exec() == QDialog::Accepted ? chooser.SelectedProject() : QString();
    };
    // A search window's results have the commands of the main list's fonts.
    services.attachCommands = [this](CFontRowsView& results) {
        AttachListCommands(results, FontListKind::SearchResults, results.window());
    };
    auto* windows = new CSearchWindows(services, m_mainFrame, [document = m_document.get()] {
        return document->IsProjectMode() ? std::pair(document->GetProjectName(), true)
                                         : std::pair(document->GetFolderPath(), false);
    });
    m_searches = windows;
    // View > Search... (Ctrl+F): find fonts by name at the current location.
    QAction* find = m_mainFrame->ViewMenu()->addAction(tr("&Search..."));
    find->setObjectName(QStringLiteral("FindByName"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, windows, [windows] { windows->FindByName(); });
    return windows;
}

CFontListCommands* CQuillmarkApp::AttachListCommands(CFontRowsView& view, FontListKind kind,
                                                     QObject* parent) {
    CFontListCommands::Hooks hooks = m_hooks.fontLists;
    if (!hooks.open && m_hooks.open) {
        hooks.open = [open = m_hooks.open](const QString& path) {
            return open(QUrl::fromLocalFile(path));
        };
    }
    if (!hooks.chooseProject) {
        hooks.chooseProject = [projects = m_projects.get(), &view] {
            CSelectProjectsDialog chooser(*projects, view.window());
            return chooser.exec() == QDialog::Accepted ? chooser.SelectedProject() : QString();
        };
    }
    if (!hooks.addToProject) {
        hooks.addToProject = [frame = m_mainFrame](const QString& project,
                                                   const QStringList& paths) {
            return frame && frame->ProjectView() != nullptr
                       ? frame->ProjectView()->Model().AddFiles(project, paths)
                       : QStringList();
        };
    }
    auto* commands = new CFontListCommands(view, *m_hub, *m_fontManager, *m_document, *m_options,
                                           kind, std::move(hooks), parent);
    CFontRows& rows = view.Rows();
    commands->AddCommand(FontListCommand::FindSimilar, tr("Find similar fonts..."),
                         [searches = m_searches, &rows](int row) {
                             if (searches) {
                                 searches->FindSimilar(rows.ItemAt(row));
                             }
                         });
    commands->AddCommand(FontListCommand::FontInformation, tr("Font information"),
                         [&rows, &view](int row) { CFontInfoDlg::Show(rows.ItemAt(row), &view); });
    return commands;
}

void CQuillmarkApp::AddFontMapCommand() {
    QAction* command = m_mainFrame->ViewMenu()->addAction(tr("Font &Map"));
    command->setObjectName(QStringLiteral("FontMapCommand"));
    command->setToolTip(tr("Font Map"));
    connect(command, &QAction::triggered, this, [this] { ShowFontMap(); });
}

CFontMapWindow* CQuillmarkApp::ShowFontMap() {
    if (!m_fontMap) {
        m_fontMap =
            new CFontMapWindow(*m_hub, *m_options, *m_fontManager, *m_document, m_mainFrame);
        m_fontMap->Controller()->SetFindCharacter(m_findCharacter);
    }
    m_fontMap->show();
    m_fontMap->raise();
    m_fontMap->activateWindow();
    return m_fontMap;
}

void CQuillmarkApp::ShowSplash() {
    auto* splash = new QSplashScreen(SplashPicture(ProgramVersionText()), Qt::WindowStaysOnTopHint);
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    m_splash = splash;
    qApp->installEventFilter(this);
    // Every event of the program passes the filter: only while the splash is there.
    connect(splash, &QObject::destroyed, this, [this] { qApp->removeEventFilter(this); });
    QTimer::singleShot(kSplashMilliseconds, m_splash, &QWidget::close);
}

bool CQuillmarkApp::eventFilter(QObject* watched, QEvent* event) {
    if (m_splash && m_splash->isVisible()) {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::MouseButtonPress:
            case QEvent::NonClientAreaMouseButtonPress:
                m_splash->close();
                return true;  // the press only hides the splash
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

namespace {

// The bytes of a command-line argument as given: Qt's arguments replace
// what is not UTF-8, so a file name that is not is read from the kernel's
// copy of the command line. The argument as Qt has it when none matches.
std::filesystem::path ArgumentPath(const QString& argument) {
    if (argument.contains(QChar::ReplacementCharacter)) {
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::string raw;
        while (std::getline(in, raw, '\0')) {
            if (QString::fromLocal8Bit(raw) == argument) {
                return raw;
            }
        }
    }
    return FilePath(argument);
}

// A path without "." and "..", and without a trailing separator.
std::filesystem::path Cleaned(const std::filesystem::path& path) {
    const std::filesystem::path normal = path.lexically_normal();
    return normal.has_filename() || normal == normal.root_path() ? normal : normal.parent_path();
}

}  // namespace

std::filesystem::path CQuillmarkApp::CommandLinePath() const {
    QString argument;
    for (const QString& arg : m_arguments.mid(1)) {
        if (!arg.startsWith(QLatin1Char('-'))) {
            argument = arg;
            break;
        }
    }
    std::error_code ec;
    return argument.isEmpty() ? std::filesystem::path()
                              : Cleaned(std::filesystem::absolute(ArgumentPath(argument), ec));
}

bool CQuillmarkApp::OpenPath(const std::filesystem::path& given) {
    std::error_code ec;
    if (given.empty() || !std::filesystem::exists(given, ec)) {
        return false;
    }
    // Opened by its own bytes, which need not be UTF-8.
    if (std::filesystem::is_directory(given, ec)) {
        m_hub->FireFolderSelected(PathText(given), nullptr);
        return true;
    }
    const std::filesystem::path folder = given.parent_path();
    if (std::filesystem::is_directory(folder, ec)) {
        m_hub->FireFolderSelected(PathText(folder), nullptr);
    }
    CFontItem* item = m_fontManager->Acquire(given);
    if (item->GetStatus() == CFontItem::Loaded) {
        m_hub->FireFontSelected(item);
    }
    m_fontManager->Release(item);
    return true;
}

QString CQuillmarkApp::SystemFontsFolder() {
    QString dirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dirs.isEmpty()) {
        dirs = QStringLiteral("/usr/local/share:/usr/share");
    }
    QString first;
    for (const QString& dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString folder = QDir::cleanPath(dir + QStringLiteral("/fonts"));
        if (!QFileInfo(folder).isDir()) {
            continue;
        }
        // The first that holds fonts: /usr/local/share/fonts is often there
        // and empty.
        const std::filesystem::path path = FilePath(folder);
        if (!CFolderLoad::EnumerateTexts(path).empty() || CFolderLoad::HasFontsInSubfolders(path)) {
            return folder;
        }
        if (first.isEmpty()) {
            first = folder;
        }
    }
    return first;
}

void CQuillmarkApp::ChooseFirstLocation() {
    if (OpenPath(CommandLinePath())) {
        return;
    }

    const auto isFolder = [](const QString& path) {
        return !path.isEmpty() && QFileInfo(path).isDir();
    };
    switch (m_options->GetStartupOption()) {
        case StartupLocation::DefaultFolder:
            if (isFolder(m_options->GetDefaultFolder())) {
                m_hub->FireFolderSelected(m_options->GetDefaultFolder(), nullptr);
            }
            break;
        case StartupLocation::DefaultProject:
            if (isFolder(m_options->GetDefaultFolder())) {
                m_hub->FireExpandFolderInTree(m_options->GetDefaultFolder());
            }
            if (m_projects->ProjectExists(m_options->GetDefaultProject())) {
                m_hub->FireProjectSelected(m_options->GetDefaultProject());
            }
            break;
        case StartupLocation::LastLocation:
            if (m_options->GetUseFontProject()) {
                if (isFolder(m_options->GetDefaultFolder())) {
                    m_hub->FireExpandFolderInTree(m_options->GetDefaultFolder());
                }
                if (m_projects->ProjectExists(m_options->GetLastProject())) {
                    m_hub->FireProjectSelected(m_options->GetLastProject());
                }
            } else if (isFolder(m_options->GetLastFolder())) {
                m_hub->FireFolderSelected(m_options->GetLastFolder(), nullptr);
            }
            break;
        default:
            break;
    }
}

int CQuillmarkApp::Run() {
    HandleTerminationSignals();
    const StartResult result = InitInstance();
    int code = result == StartResult::Failed ? 1 : 0;
    if (result == StartResult::Started && !IsClosed() && !TerminationRequested()) {
        code = QApplication::exec();
    }
    // Something not saved is a failure of the run, whatever came before.
    if (!ExitInstance()) {
        code = 1;
    }
    return code;
}

bool CQuillmarkApp::ExitInstance() {
    bool saved = true;
    if (m_mainFrame && m_mainFrame->LocationBar() && !m_mainFrame->LocationBar()->SaveAtExit()) {
        qWarning(
            "Quillmark: the recent locations could not be saved; the file there is kept as it "
            "was.");
        saved = false;
    }
    if (m_favorites) {
        try {
            m_favorites->Save(DataFilePath(QString::fromLatin1(CFavoriteFolders::kFileName), true));
        } catch (const CFavoriteFoldersException& e) {
            // The previous file stays whole; the projects and options are
            // still saved.
            qWarning(
                "Quillmark: the favourite folders could not be saved (%s); the file there is "
                "kept as it was.",
                qPrintable(e.reason));
            saved = false;
        }
    }
    if (m_projects) {
        const CResult<> written =
            m_projects->Save(DataFilePath(QString::fromLatin1(CFontProjects::kFileName), true));
        if (!written) {
            qWarning(
                "Quillmark: the font projects could not be saved (%s); the file there is kept "
                "as it was.",
                written.Failure().Reason().c_str());
            saved = false;
        }
    }
    // A completed download the user chose to install; only our own.
    if (!m_pendingUpdater.isEmpty() && IsOwnUpdater(m_pendingUpdater) &&
        QFileInfo(m_pendingUpdater).isFile()) {
        m_hooks.open(QUrl::fromLocalFile(m_pendingUpdater));
        if (m_options) {
            // The next start deletes it: it has done its work by then.
            m_options->SetUpdaterLocation(m_pendingUpdater);
        }
    }
    if (m_options && !m_options->Save()) {
        qWarning(
            "Quillmark: the settings could not be saved to %s; the file there is kept as it "
            "was.",
            qUtf8Printable(CKey::FileName()));
        saved = false;
    }
    return saved;
}

void CQuillmarkApp::HandleTerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return;
    }
    m_signalNotifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this,
            &CQuillmarkApp::OnTerminationSignal);
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

bool CQuillmarkApp::TerminationRequested() {
    char byte = 0;
    if (!m_terminationRequested && g_signalPipe[0] >= 0 &&
        ::recv(g_signalPipe[0], &byte, 1, MSG_DONTWAIT) == 1) {
        m_terminationRequested = true;
    }
    return m_terminationRequested;
}

void CQuillmarkApp::OnTerminationSignal() {
    char byte = 0;
    if (::recv(g_signalPipe[0], &byte, 1, MSG_DONTWAIT) == 1) {
        m_terminationRequested = true;
    }
    if (!m_terminationRequested) {
        return;
    }
    // The same path as closing the window: modal loops end (a question
    // counts as unanswered), the window stores its layout, the event loop
    // returns and ExitInstance saves. During the start, the start stops at
    // its next step.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
    if (m_mainFrame) {
        m_mainFrame->close();
    } else {
        QCoreApplication::quit();
    }
}

}  // namespace Quillmark
