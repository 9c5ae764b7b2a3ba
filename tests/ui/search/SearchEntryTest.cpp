// Where the program opens its search windows: Ctrl+F in the main window
// opens find by name at the folder shown, owned by the main window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "app/QuillmarkApp.h"
#include "core/PathText.h"
#include "fontdata/manager/FontManager.h"
#include "tests/search/SearchFonts.h"
#include "tests/support/TemporaryHome.h"
#include "ui/browse/MainFrame.h"
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

}  // namespace

TEST(SearchEntryTest, CtrlFOpensFindByNameAtTheFolderShown) {
    const fs::path folder = kHome.Root() / "Shown Fonts";
    QuillmarkTest::WriteSearchFont(folder / "a.ttf");
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    CQuillmarkApp app({"quillmark", PathText(folder)}, hooks);
    ASSERT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
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
