#include "app/QuillmarkApp.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLinearGradient>
#include <QPainter>
#include <QSplashScreen>
#include <QSvgRenderer>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <utility>

#include "collections/FontProjects.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "palette/PaletteLoader.h"
#include "palette/PaletteWnd.h"
#include "ui/browse/FolderTreeController.h"
#include "ui/browse/FolderTreeView.h"
#include "ui/browse/FontListCommands.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/FontProjectFrame.h"
#include "ui/browse/FontProjectModel.h"
#include "ui/browse/MainFrame.h"
#include "ui/common/SelectFavoriteFoldersDialog.h"
#include "ui/common/SelectProjectsDialog.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontInfoDlg.h"
#include "ui/inspect/FontMapWindow.h"
#include "ui/options/OptionsController.h"
#include "ui/search/SearchWindows.h"
#include "update/UpdateCheckDlg.h"

namespace Quillmark {

namespace {

constexpr int kSplashMilliseconds = 750;

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
    // View > Find Fonts for a Language...: the fonts whose characters write it.
    QAction* findLanguage = m_mainFrame->ViewMenu()->addAction(tr("Find Fonts for a &Language..."));
    findLanguage->setObjectName(QStringLiteral("FindForLanguage"));
    connect(findLanguage, &QAction::triggered, windows, [windows] { windows->FindForLanguage(); });
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
        hooks.addToProject = [frame = m_mainFrame](const QString& project, const QStringList& paths,
                                                   std::function<void(const QStringList&)> done) {
            if (frame && frame->ProjectView() != nullptr) {
                frame->ProjectView()->Model().AddFiles(project, paths, std::move(done));
            }
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

}  // namespace Quillmark
