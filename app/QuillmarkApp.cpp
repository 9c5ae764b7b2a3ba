#include "app/QuillmarkApp.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QSocketNotifier>
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

CFontItemSettings ItemSettings(const CProgramOptions& options) {
    return {options.GetAutoInstall()};
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
    m_findCharacter = [searches](char32_t code, const QString& name, const CFontItem* font) {
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
