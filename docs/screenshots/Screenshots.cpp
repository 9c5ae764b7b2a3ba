// Makes the pictures README.md shows, offscreen, in a home of its own:
// the main window listing fonts of several scripts, the same at 48 pixels
// and with the lower pane's map, its favourites menu and its location
// bar's drop-down, the main window started on /usr/share/fonts/truetype
// with a subfolder opened in the folder tree, the font list's two row
// menus, the delete confirmation, a printed page (the list printed to a
// PDF, the page rendered from it by pdftoppm), the three search windows
// over this machine's fonts, the font map of a Latin, a symbol and a CJK
// font, the character detail window, the font information dialog, the
// folder load's progress dialog, the colour pop-up on both tabs, the three
// pages of the options, and the dialogs of the online update (against a
// local test server, never the real service).
//
//   screenshots [--fonts=FOLDER] [--out=FOLDER]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTextEdit>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <QAbstractItemView>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include "app/QuillmarkApp.h"
#include "collections/FavoriteFolders.h"
#include "collections/FontProjects.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/TemporaryHome.h"
#include "tests/update/TestHttpsServer.h"
#include "ui/browse/ConfirmDeleteDialog.h"
#include "ui/browse/Favorites.h"
#include "ui/browse/FolderTreeController.h"
#include "ui/browse/FolderTreeModel.h"
#include "ui/browse/FolderTreeView.h"
#include "ui/browse/FontListCommands.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/FontProjectFrame.h"
#include "ui/browse/FontProjectModel.h"
#include "ui/browse/LocationCombo.h"
#include "ui/browse/MainFrame.h"
#include "ui/common/FolderLoadDialog.h"
#include "ui/inspect/CharDetailWnd.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontInfoDlg.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/FontMapWindow.h"
#include "ui/inspect/RichTextPreviewView.h"
#include "ui/options/OptionsController.h"
#include "ui/options/OptionsSheet.h"
#include "ui/search/FindController.h"
#include "ui/search/FindFrame.h"
#include "ui/search/SearchWindows.h"
#include "update/UpdateAvailableDialog.h"
#include "update/UpdateCheckDlg.h"

using namespace Quillmark;

namespace {

// Latin, CJK, Arabic, Devanagari and symbol fonts, where the machine has
// them (Debian: fonts-dejavu, fonts-droid-fallback, fonts-lato,
// fonts-liberation2, fonts-noto-core, tex-gyre), and a file that is no font.
const char* const kCandidates[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
    "/usr/share/fonts/truetype/lato/Lato-Light.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf",
    "/usr/share/fonts/truetype/noto/NotoSansDevanagari-Regular.ttf",
    "/usr/share/texmf/fonts/opentype/public/tex-gyre/texgyrechorus-mediumitalic.otf",
    QUILLMARK_TEST_DATA "/symbol.ttf",
};

QString Argument(const QStringList& arguments, const QString& name, const QString& fallback) {
    for (const QString& argument : arguments) {
        if (argument.startsWith(name + '=')) {
            return argument.mid(name.size() + 1);
        }
    }
    return fallback;
}

void RunUntil(const std::function<bool()>& done, int milliseconds = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// The window with a row's menu open over it, as the user sees it.
QImage WindowWithMenu(CMainFrame& frame, CFontListCommands& commands, CFontListView& view,
                      int row) {
    std::unique_ptr<QMenu> menu = commands.MenuFor(row);
    const QRect rect = view.visualRect(view.model()->index(row, 0));
    const QPoint at = view.viewport()->mapToGlobal(QPoint(rect.left() + 120, rect.center().y()));
    menu->popup(at);
    QApplication::processEvents();
    QImage picture = frame.grab().toImage();
    QPainter painter(&picture);
    painter.drawPixmap(frame.mapFromGlobal(menu->pos()), menu->grab());
    painter.end();
    menu->hide();
    return picture;
}

// The window with a pop-up painted over it where it stands on the screen.
QImage WithPopup(QWidget* window, QWidget* popup) {
    QImage picture = window->grab().toImage();
    QPainter painter(&picture);
    painter.drawPixmap(popup->mapToGlobal(QPoint(0, 0)) - window->mapToGlobal(QPoint(0, 0)),
                       popup->grab());
    return picture;
}

bool Save(const QImage& picture, const QString& path) {
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

// The offscreen screen is small: the folder tree gets what a desktop gives it.
void WidenLeftColumn(CMainFrame* frame) {
    if (auto* columns = frame->findChild<QSplitter*>(QStringLiteral("Columns"))) {
        columns->setSizes({260, frame->width() - 260});
    }
}

// Each search window after a search of this machine's fonts.
bool SearchWindows(CQuillmarkApp& app, const QString& out) {
    auto* windows = app.MainFrame()->findChild<CSearchWindows*>();
    if (windows == nullptr) {
        return false;
    }
    const auto shoot = [&](CFindController* window, const QString& file) {
        window->Frame().resize(960, 620);
        window->Search();
        RunUntil([&] { return !window->IsSearching(); }, 120000);
        if (window->Model().rowCount() > 2) {
            window->Frame().Results()->selectionModel()->setCurrentIndex(
                window->Model().index(1, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        RunUntil([] { return false; }, 150);
        const bool saved = Save(window->Frame().grab().toImage(), out + "/" + file);
        window->Frame().close();
        RunUntil([] { return false; }, 50);
        return saved;
    };
    bool saved = true;
    const QString truetype = QStringLiteral("/usr/share/fonts/truetype");
    CFindNameController* byName = windows->FindByName(truetype, false);
    byName->Text()->setText(QStringLiteral("sans bold"));
    saved &= shoot(byName, "find-by-name.png");

    CFontManager& manager = app.FontManager();
    const CFontHandle serif = manager.Open("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf");
    if (serif != nullptr) {
        saved &= shoot(CFindSimilarController::Open(windows->Services(), app.MainFrame(), serif,
                                                    truetype, false),
                       "find-similar.png");
    }
    const CFontHandle arabic =
        manager.Open("/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf");
    if (arabic != nullptr) {
        saved &= shoot(CFindCharacterController::Open(
                           windows->Services(), app.MainFrame(), u'\u0628',
                           QStringLiteral("ARABIC LETTER BEH"), arabic, truetype, false),
                       "find-character.png");
    }
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    const auto& home = QuillmarkTest::TemporaryHome();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setOrganizationName(QStringLiteral("Varnholt, Inc"));
    const QStringList arguments = QApplication::arguments();
    const QString out = Argument(arguments, "--out", QStringLiteral(QUILLMARK_SCREENSHOTS_DIR));
    QString fonts = Argument(arguments, "--fonts", {});
    if (fonts.isEmpty()) {
        fonts = QString::fromStdString((home.Root() / "Fonts of many scripts").string());
        QDir().mkpath(fonts);
        for (const char* candidate : kCandidates) {
            QFile::copy(candidate, fonts + '/' + QFileInfo(candidate).fileName());
        }
        QFile broken(fonts + "/Broken.ttf");
        if (broken.open(QIODevice::WriteOnly)) {
            broken.close();
        }
    }

    bool saved = true;
    {
        CQuillmarkApp::Hooks hooks;
        hooks.splash = false;
        CQuillmarkApp app({"quillmark", fonts}, hooks);
        if (app.InitInstance() != CQuillmarkApp::StartResult::Started) {
            std::fprintf(stderr, "Quillmark did not start\n");
            return 1;
        }
        CMainFrame* frame = app.MainFrame();
        frame->resize(1100, 720);
        WidenLeftColumn(frame);
        auto* list = frame->findChild<CFontListController*>();
        RunUntil([&] { return !list->IsLoading(); });

        // A few projects, favourites and places visited.
        CFontProjectModel& projects = frame->ProjectView()->Model();
        QStringList files;
        for (const QFileInfo& file : QDir(fonts).entryInfoList(QDir::Files, QDir::Name)) {
            files.append(file.absoluteFilePath());
        }
        for (const char* name : {"Posters", "Wedding Invitations", "Book & Cover"}) {
            projects.AddProject(QString::fromUtf8(name));
        }
        projects.AddFiles("Posters", files.mid(0, 5));
        projects.AddFiles("Wedding Invitations", files.mid(2, 2));
        projects.AddFiles("Book & Cover", files.mid(4, 3));
        RunUntil([&] { return projects.PendingAdds() == 0; });
        const QString favourites = QString::fromStdString((home.Root() / "Type").string());
        for (const char* folder : {"Display", "Scripts/Arabic", "Scripts/Devanagari",
                                   "Clients/Harbour & Finch/Brand fonts"}) {
            QDir().mkpath(favourites + '/' + folder);
            app.Favorites().Add(favourites + '/' + folder);
        }
        app.Favorites().Add(fonts);
        app.Hub().FireFolderSelected(favourites + "/Display", nullptr);
        app.Hub().FireProjectSelected("Posters");
        app.Hub().FireFolderSelected(favourites + "/Scripts/Arabic", nullptr);
        app.Hub().FireFolderSelected(fonts, nullptr);
        RunUntil([&] { return !list->IsLoading(); });
        CFontListView* view = list->View();
        if (list->Model().rowCount() > 1) {
            view->selectionModel()->setCurrentIndex(
                list->Model().index(1, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        // The preview below, with a text of the user's, part of it bold.
        auto* lowerPane = frame->findChild<CFontDetailFrame*>();
        const int size36 = lowerPane->SizeBox()->findText(QStringLiteral("36 px"));
        lowerPane->SizeBox()->setCurrentIndex(size36);
        emit lowerPane->SizeBox()->activated(size36);
        if (QTextEdit* edit = lowerPane->Preview()->Editor()) {
            edit->setPlainText(QStringLiteral("Sphinx of black quartz, judge my vow"));
            emit lowerPane->SizeBox()->activated(size36);
            QTextCursor cursor(edit->document());
            cursor.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
            edit->setTextCursor(cursor);
            lowerPane->Preview()->BoldAction()->trigger();
            cursor.clearSelection();
            edit->setTextCursor(cursor);
        }
        RunUntil([] { return false; }, 100);  // painted with the selection
        saved &= Save(frame->grab().toImage(), out + "/main-window.png");
        auto* commands = list->findChild<CFontListCommands*>();
        saved &= Save(WindowWithMenu(*frame, *commands, *view, 1), out + "/font-menu.png");
        const int broken = list->Model().RowOfFileName(QStringLiteral("Broken.ttf"));
        if (broken >= 0) {
            view->selectionModel()->setCurrentIndex(
                list->Model().index(broken, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            RunUntil([] { return false; }, 100);
            saved &= Save(WindowWithMenu(*frame, *commands, *view, broken),
                          out + "/unreadable-font-menu.png");
        }
        {
            CConfirmDeleteDialog confirm(3, {}, frame);
            confirm.show();
            RunUntil([] { return false; }, 100);
            saved &= Save(confirm.grab().toImage(), out + "/confirm-delete.png");
        }
        {
            // The list printed to a PDF, its first page rendered by pdftoppm.
            const QString pdf = QString::fromStdString((home.Root() / "printed.pdf").string());
            {
                QPdfWriter writer(pdf);
                writer.setResolution(300);
                writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                 QMarginsF(0, 0, 0, 0)));
                commands->PrintTo(writer);
            }
            const QString prefix = QString::fromStdString((home.Root() / "printed").string());
            const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
            if (pdftoppm.isEmpty()) {
                std::fprintf(stderr, "pdftoppm is missing (Debian: poppler-utils)\n");
                saved = false;
            } else {
                QProcess::execute(
                    pdftoppm, {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-png"),
                               QStringLiteral("-singlefile"), pdf, prefix});
                saved &= Save(QImage(prefix + QStringLiteral(".png")), out + "/printed-page.png");
            }
        }
        view->selectionModel()->setCurrentIndex(
            list->Model().index(1, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

        QMenu* menu = frame->Favorites()->Menu();
        menu->popup(frame->findChild<QWidget*>("FavoritesButton")->mapToGlobal(QPoint(0, 28)));
        RunUntil([] { return false; }, 100);
        saved &= Save(WithPopup(frame, menu), out + "/favorites-menu.png");
        menu->hide();

        CLocationCombo* bar = frame->LocationBar();
        bar->showPopup();
        RunUntil([] { return false; }, 100);
        saved &= Save(WithPopup(frame, bar->view()->window()), out + "/location-bar.png");
        bar->hidePopup();
        RunUntil([] { return false; }, 50);

        // The colour pop-up for the text colour, gold, on each tab.
        app.Options().SetPreviewFontColor(0x00D7FF);
        app.Hub().FireShowPalette(true);
        auto* popup = frame->findChild<QWidget*>(QStringLiteral("PaletteWnd"));
        auto* tabs = popup != nullptr ? popup->findChild<QTabWidget*>() : nullptr;
        if (tabs != nullptr) {
            RunUntil([] { return false; }, 100);
            saved &= Save(popup->grab().toImage(), out + "/palette-basic.png");
            tabs->setCurrentIndex(1);
            RunUntil([] { return false; }, 100);
            saved &= Save(popup->grab().toImage(), out + "/palette-advanced.png");
        } else {
            std::fprintf(stderr, "the colour palette was not loaded\n");
            saved = false;
        }
        app.Hub().FireShowPalette(true);

        // The font information of the selected font.
        if (const CFontItem* font = app.Document()->GetCurrentFont()) {
            CFontInfoDlg info(*font, frame);
            info.show();
            RunUntil([] { return false; }, 100);
            saved &= Save(info.grab().toImage(), out + "/font-info.png");
        }

        // The lower pane's other mode: the map of the same font.
        lowerPane->SetMode(DetailMode::FontMap);
        RunUntil([] { return false; }, 200);
        saved &= Save(frame->grab().toImage(), out + "/main-window-map.png");
        lowerPane->SetMode(DetailMode::Preview);

        app.Hub().FireFontListPreviewSizeChanged(48);
        RunUntil([] { return false; }, 100);
        saved &= Save(frame->grab().toImage(), out + "/main-window-48px.png");
        app.Hub().FireFontListPreviewSizeChanged(24);
        saved &= SearchWindows(app, out);

        // The font map of a Latin, a CJK and a symbol font, and the
        // character detail of the CJK font's selected character.
        CFontMapWindow* map = app.ShowFontMap();
        map->resize(760, 520);
        const struct {
            const char* path;
            const char* picture;
            int selected;
        } maps[] = {
            {"/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf", "/font-map-latin.png", 33},
            {"/usr/share/fonts/truetype/noto/NotoSansSymbols2-Regular.ttf", "/font-map-symbol.png",
             560},
            {"/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf", "/font-map-cjk.png", 0},
        };
        for (const auto& shown : maps) {
            if (!QFile::exists(shown.path)) {
                std::printf("not found: %s\n", shown.path);
                continue;
            }
            const CFontHandle font = app.FontManager().Open(shown.path);
            app.Hub().FireFontSelected(font.get());
            CFontMapView* mapView = map->View();
            int selected = shown.selected;
            if (selected == 0) {
                // Scrolled to the first CJK ideograph.
                for (int i = 1; i < mapView->Model().Count(); ++i) {
                    if (mapView->Model().Code(i) == u'\u6C38') {
                        selected = i;
                        break;
                    }
                }
            }
            mapView->Select(selected);
            // The pointer over the cell after the selected one.
            mapView->Model().hover = selected + 1;
            RunUntil([] { return false; }, 200);
            saved &= Save(map->grab().toImage(), out + shown.picture);
        }
        if (auto* detail = app.MainFrame()->findChild<CCharDetailWnd*>()) {
            detail->resize(220, 260);
            RunUntil([] { return false; }, 200);
            saved &= Save(detail->grab().toImage(), out + "/character-detail.png");
        }
    }

    {
        // A new user's start on a folder whose fonts lie in its subfolders:
        // the tree leads to them.
        const QString start = QStringLiteral("/usr/share/fonts/truetype");
        const QString subfolder = start + QStringLiteral("/dejavu");
        CQuillmarkApp::Hooks hooks;
        hooks.splash = false;
        CQuillmarkApp app({"quillmark", start}, hooks);
        if (QFileInfo(subfolder).isDir() &&
            app.InitInstance() == CQuillmarkApp::StartResult::Started) {
            CMainFrame* frame = app.MainFrame();
            frame->resize(1100, 720);
            WidenLeftColumn(frame);
            auto* list = frame->findChild<CFontListController*>();
            auto* tree = frame->findChild<CFolderTreeController*>();
            RunUntil([&] { return !list->IsLoading(); });
            CFolderTreeView* view = tree->View();
            const QModelIndex index = tree->Model().IndexForPath(subfolder);
            view->scrollTo(index);
            RunUntil([] { return false; }, 100);
            // Chosen as a user does, with a click.
            QMouseEvent press(QEvent::MouseButtonPress, view->visualRect(index).center(),
                              view->viewport()->mapToGlobal(view->visualRect(index).center()),
                              Qt::LeftButton, Qt::LeftButton, {});
            QApplication::sendEvent(view->viewport(), &press);
            view->expand(index);
            RunUntil([&] { return !list->IsLoading(); });
            // The way down from /usr/share/fonts in sight.
            view->scrollTo(index.parent().parent(), QAbstractItemView::PositionAtTop);
            RunUntil([] { return false; }, 200);
            saved &= Save(frame->grab().toImage(), out + "/folder-tree.png");
        } else {
            std::fprintf(stderr, "no %s: the folder tree is not pictured\n", qPrintable(subfolder));
        }
    }

    {
        // A load held after its twelfth font, as a big folder is seen.
        CFontManager manager(nullptr, nullptr);
        std::vector<std::filesystem::path> paths;
        for (int i = 0; i < 40; ++i) {
            paths.push_back(std::filesystem::path(QUILLMARK_TEST_DATA) / "twin-a.ttf");
        }
        CFolderLoad load(manager, paths, nullptr, 1);
        load.SetAcquirer([&](const std::filesystem::path& path) {
            while (load.Done() >= 12 && !load.IsCanceled()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return manager.Open(path);
        });
        load.Start();
        RunUntil([&] { return load.Done() >= 12; });
        CFolderLoadDialog dialog(load);
        dialog.show();
        dialog.Update();
        RunUntil([] { return false; }, 100);
        saved &= Save(dialog.grab().toImage(), out + "/progress-dialog.png");
        load.Cancel();
    }

    {
        // The options as a user with two projects, looking at a folder, sees them.
        CQuillmarkSignals hub;
        CProgramOptions options;
        options.SetDefaultFolder(QStringLiteral("/usr/share/fonts"));
        options.SetLimitLocations(true);
        options.SetDefaultProject(QStringLiteral("Book faces"));
        CFontManager manager(nullptr, nullptr);
        CFontProjects projects;
        projects.AddProject(QStringLiteral("Book faces"));
        projects.AddProject(QStringLiteral("Posters"));
        CQuillmarkDoc document(hub, options, manager, QStringLiteral("/fonts"));
        document.SetFolder(fonts);
        COptionsController controller(hub, options, projects, document);
        const auto sheet = controller.MakeSheet(nullptr);
        sheet->show();
        const char* names[] = {"general", "printing", "font-viewing"};
        for (int page = 0; page < 3; ++page) {
            sheet->SetCurrentPage(static_cast<COptionsSheet::Page>(page));
            RunUntil([] { return false; }, 100);
            saved &= Save(sheet->grab().toImage(),
                          out + QStringLiteral("/options-%1.png").arg(names[page]));
        }
        sheet->SetCurrentPage(COptionsSheet::General);
        sheet->findChild<QLineEdit*>(QStringLiteral("LocationsLimit"))
            ->setText(QStringLiteral("0"));
        RunUntil([] { return false; }, 100);
        saved &= Save(sheet->grab().toImage(), out + "/options-general-limit.png");
    }

    {
        QuillmarkTest::CTestHttpsServer server;
        if (!server.IsReady()) {
            std::fprintf(stderr, "no local HTTPS server (openssl?): no update pictures\n");
            return 1;
        }
        server.Trust();
        qputenv("QUILLMARK_UPDATE_URL", server.Address().toEncoded());
        server.SetAnswer(QStringLiteral("/notes.html"),
                         {.body = "<h2>Quillmark 3.1</h2><ul>"
                                  "<li>Folders of thousands of fonts open twice as fast.</li>"
                                  "<li>Font projects can be exported as a folder of links.</li>"
                                  "<li>The font map shows the Unicode block of each row.</li>"
                                  "</ul><p>This release also mends the print preview of "
                                  "symbol fonts.</p>",
                          .contentType = "text/html"});
        const QByteArray notes = server.Address(QStringLiteral("/notes.html")).toEncoded();
        server.SetAnswer(QStringLiteral("/CheckUpdate.aspx"),
                         {.body = "<update><version>3.1.0.0</version><quickinfo>" + notes +
                                  "</quickinfo></update>"});
        server.SetAnswer(QStringLiteral("/GetUpdate.aspx"),
                         {.body = QByteArray(1000000, 'q'),
                          .contentType = "application/vnd.debian.binary-package",
                          .stallAfter = 420000});

        CUpdateAvailableDialog available(QUrl(QString::fromLatin1(notes)),
                                         !BuiltInPublicKey().isEmpty());
        available.show();
        RunUntil([&] { return available.NotesLoaded(); });
        RunUntil([] { return false; }, 100);
        saved &= Save(available.grab().toImage(), out + "/update-available.png");
        available.close();

        CUpdateCheckDlg::Hooks hooks;
        hooks.runningVersion = CQuillmarkApp::ProgramVersionText();
        CUpdateCheckDlg check(hooks);
        check.show();
        RunUntil([] { return false; }, 100);
        saved &= Save(check.grab().toImage(), out + "/update-check.png");
        QObject::connect(&check, &CUpdateCheckDlg::NotesShown, &check,
                         [](CUpdateAvailableDialog* shown) {
                             RunUntil([shown] { return shown->NotesLoaded(); });
                             shown->accept();
                         });
        check.findChild<QPushButton*>(QStringLiteral("CheckForUpdate"))->click();
        auto* bar = check.findChild<QProgressBar*>(QStringLiteral("UpdateProgress"));
        RunUntil([&] { return bar->isVisible() && bar->value() > 0; });
        RunUntil([] { return false; }, 200);
        saved &= Save(check.grab().toImage(), out + "/update-downloading.png");
        check.reject();
        RunUntil([&] { return !check.isVisible(); });
        server.CloseAll();
    }
    return saved ? 0 : 1;
}
