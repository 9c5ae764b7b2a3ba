// Where the program opens its search windows: Ctrl+F in the main window
// opens find by name at the folder shown, owned by the main window.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <memory>

#include "app/QuillmarkApp.h"
#include "core/PathText.h"
#include "core/QuillmarkSignals.h"
#include "fontdata/manager/FontManager.h"
#include "tests/search/SearchFonts.h"
#include "tests/support/TemporaryHome.h"
#include "ui/browse/MainFrame.h"
#include "ui/inspect/FontMapController.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/FontMapWindow.h"
#include "ui/search/FindFrame.h"
#include "ui/search/SearchWindows.h"

using namespace Quillmark;
namespace fs = std::filesystem;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();

std::vector<CFindFrame*> FindWindows() {
    std::vector<CFindFrame*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* frame = qobject_cast<CFindFrame*>(widget); frame != nullptr && frame->isVisible())
            windows.push_back(frame);
    }
    return windows;
}

// The program started at a folder holding one test font, without a splash.
std::unique_ptr<CQuillmarkApp> StartAt(const fs::path& font) {
    QuillmarkTest::WriteSearchFont(font);
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    auto app = std::make_unique<CQuillmarkApp>(
        QStringList{"quillmark", PathText(font.parent_path())}, hooks);
    return app->InitInstance() == CQuillmarkApp::StartResult::Started ? std::move(app) : nullptr;
}

}  // namespace

TEST(SearchEntryTest, CtrlFOpensFindByNameAtTheFolderShown) {
    const fs::path folder = kHome.Root() / "Shown Fonts";
    const auto started = StartAt(folder / "a.ttf");
    ASSERT_NE(started, nullptr);
    CQuillmarkApp& app = *started;
    CMainFrame* frame = app.MainFrame();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    EXPECT_TRUE(FindWindows().empty());
    QTest::keyClick(frame, Qt::Key_F, Qt::ControlModifier);
    const auto windows = FindWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->windowTitle(), "Find font by name...");
    EXPECT_EQ(windows[0]->parentWidget(), frame);  // a tool window of the main window
    EXPECT_EQ(windows[0]->LookIn()->currentText(), "Shown Fonts");

    // The opener the list, the tree and the font map call.
    auto* opener = frame->findChild<CSearchWindows*>();
    ASSERT_NE(opener, nullptr);
    CFontHandle font = app.FontManager().Open(folder / "a.ttf");
    CFindSimilarController* similar = opener->FindSimilar(font.get());
    ASSERT_NE(similar, nullptr);
    EXPECT_EQ(similar->Frame().windowTitle(), "Find fonts similar to Test Regular");
    EXPECT_EQ(FindWindows().size(), 2u);
    app.ExitInstance();
}

TEST(SearchEntryTest, TheFontMapsFindOtherFontsWithTheirCharacter) {
    const fs::path folder = kHome.Root() / "Mapped Fonts";
    const auto started = StartAt(folder / "b.ttf");
    ASSERT_NE(started, nullptr);
    CQuillmarkApp& app = *started;
    const CFontHandle font = app.FontManager().Open(folder / "b.ttf");
    app.Hub().FireFontSelected(font.get());

    CFontMapWindow* map = app.ShowFontMap();
    CFontMapView* view = map->View();
    ASSERT_GT(view->Model().Count(), 1);
    view->Model().contextIndex = 1;
    auto* find = view->findChild<QAction*>("FindOtherFonts");
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    const auto before = FindWindows().size();
    find->trigger();
    const auto windows = FindWindows();
    ASSERT_EQ(windows.size(), before + 1);
    // The window is titled with the character's Unicode name, as the map names it.
    const QString name = map->Controller()->NameOf(view->Model().Code(1));
    EXPECT_EQ(windows.back()->windowTitle(), QStringLiteral("Find fonts containing %1").arg(name));

    // The character detail window offers the same command.
    auto* detail = map->Controller()->Detail();
    ASSERT_NE(detail, nullptr);
    auto* detailFind = detail->Window()->findChild<QAction*>("FindOtherFonts");
    ASSERT_NE(detailFind, nullptr);
    EXPECT_TRUE(detailFind->isVisible());
    app.ExitInstance();
}
