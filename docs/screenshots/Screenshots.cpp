// Makes the pictures README.md shows, offscreen, in a home of its own:
// the main window listing fonts of several scripts, the same at 48 pixels,
// the font map of a Latin, a symbol and a CJK font, the character detail
// window, the folder load's progress dialog, the three pages of the options,
// and the two dialogs of the online update (against a local test server,
// never the real service).
//
//   screenshots [--fonts=FOLDER] [--out=FOLDER]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/QuillmarkApp.h"
#include "collections/FontProjects.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/TemporaryHome.h"
#include "tests/update/TestHttpsServer.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/MainFrame.h"
#include "ui/common/FolderLoadDialog.h"
#include "ui/inspect/CharDetailWnd.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/FontMapWindow.h"
#include "ui/options/OptionsController.h"
#include "ui/options/OptionsSheet.h"
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

bool Save(const QImage& picture, const QString& path) {
    const bool saved = picture.save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
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
        auto* list = frame->findChild<CFontListController*>();
        RunUntil([&] { return !list->IsLoading(); });
        CFontListView* view = list->View();
        if (list->Model().rowCount() > 1) {
            view->selectionModel()->setCurrentIndex(
                list->Model().index(1, 0),
                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        RunUntil([] { return false; }, 100);  // painted with the selection
        saved &= Save(frame->grab().toImage(), out + "/main-window.png");
        app.Hub().FireFontListPreviewSizeChanged(48);
        RunUntil([] { return false; }, 100);
        saved &= Save(frame->grab().toImage(), out + "/main-window-48px.png");

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
                         {.body = QByteArray(1000000, 'q'), .stallAfter = 420000});

        CUpdateAvailableDialog available((QUrl(QString::fromLatin1(notes))));
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
