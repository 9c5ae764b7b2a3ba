// View > Font Map in the running program: the command opens the map in a
// window of its own, which shows the font chosen in the list, and the
// character detail window keeps its place across a restart.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTest>

#include "app/QuillmarkApp.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/TemporaryHome.h"
#include "ui/browse/MainFrame.h"
#include "ui/inspect/CharDetailWnd.h"
#include "ui/inspect/FontMapController.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/FontMapWindow.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();

}  // namespace

TEST(FontMapCommand, ViewMenuOpensTheMapWhichFollowsTheChosenFont) {
    QRect placed;
    {
        CQuillmarkApp::Hooks hooks;
        hooks.splash = false;
        CQuillmarkApp app({"quillmark", QUILLMARK_TEST_DATA}, hooks);
        ASSERT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
        QAction* command = nullptr;
        for (QAction* action : app.MainFrame()->ViewMenu()->actions()) {
            if (action->objectName() == QStringLiteral("FontMapCommand")) {
                command = action;
            }
        }
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(QString(command->text()).remove(QLatin1Char('&')), QStringLiteral("Font Map"));
        command->trigger();
        auto* window = app.MainFrame()->findChild<CFontMapWindow*>();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Font Map"));

        const CFontHandle font =
            app.FontManager().Open(std::string(QUILLMARK_TEST_DATA) + "/arrows.ttf");
        app.Hub().FireFontSelected(font.get());
        EXPECT_EQ(window->Controller()->Font(), font.get());
        EXPECT_EQ(window->View()->Model().Code(1), u'\u2191');
        window->View()->Select(1);
        auto* detail = app.MainFrame()->findChild<CCharDetailWnd*>();
        ASSERT_NE(detail, nullptr);
        EXPECT_TRUE(detail->isVisible());
        EXPECT_EQ(detail->Model().Text(), QStringLiteral("U+2191\nUPWARDS ARROW"));

        // Closing the map hides it; the command brings the same one back.
        window->close();
        EXPECT_FALSE(window->isVisible());
        command->trigger();
        EXPECT_EQ(app.MainFrame()->findChild<CFontMapWindow*>(), window);
        EXPECT_TRUE(window->isVisible());

        detail->setGeometry(70, 80, 150, 170);
        placed = detail->geometry();
        app.MainFrame()->close();
        EXPECT_TRUE(app.ExitInstance());
    }
    // The stored place is used at the next start.
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    CQuillmarkApp app({"quillmark"}, hooks);
    ASSERT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
    EXPECT_EQ(app.Options().GetCharDetailWindowSize()[0], placed.width());
    app.ShowFontMap();
    auto* detail = app.MainFrame()->findChild<CCharDetailWnd*>();
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->geometry(), placed);
    app.MainFrame()->close();
    app.ExitInstance();
}
