// Makes the pictures README.md shows, offscreen, in a home of its own:
// the main window listing fonts of several scripts, the same at 48 pixels,
// the colour pop-up on both tabs, the font information dialog, the font map
// of a Latin, a symbol and a CJK font, the character detail window, and
// the folder load's progress dialog.
//
//   screenshots [--fonts=FOLDER] [--out=FOLDER]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTabWidget>
#include <QTextEdit>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/QuillmarkApp.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/TemporaryHome.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/MainFrame.h"
#include "ui/common/FolderLoadDialog.h"
#include "ui/inspect/CharDetailWnd.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontInfoDlg.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/FontMapWindow.h"
#include "ui/inspect/RichTextPreviewView.h"

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
    return saved ? 0 : 1;
}
