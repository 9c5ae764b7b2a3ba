// The inspection windows as they open on the screen: the font map window,
// the help window and the character detail window inside the work area at
// the scale factor the test runs at (ctest runs it at 1, 1.5 and 2); the
// character detail window large enough for its title and character; and
// one character detail window, with a missing name table told once, for
// all the maps of a main window. This program has no UnicodeData.bin
// beside it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>

#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/TemporaryHome.h"
#include "ui/common/ColourPopup.h"
#include "ui/common/HelpWindow.h"
#include "ui/common/WindowPlacement.h"
#include "ui/inspect/CharDetailController.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontMapController.h"
#include "ui/inspect/FontMapWindow.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
const std::string kData = QUILLMARK_TEST_DATA;

struct CServices {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CQuillmarkDoc document{hub, options, manager, QString()};
    QWidget owner;

    CServices() {
        owner.resize(300, 200);
        owner.show();
    }
    QRect WorkArea() const { return owner.screen()->availableGeometry(); }
    // The window and the frame the desktop will put round it.
    bool OnScreen(const QWidget& window) const {
        const QSize frame = FrameAllowance(window);
        const int side = frame.width() / 2;
        return WorkArea().contains(
            window.geometry().adjusted(-side, -(frame.height() - side), side, side));
    }
};

std::string Scale() {
    return qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toStdString();
}

}  // namespace

TEST(InspectWindows, TheFontMapAndTheHelpOpenInsideTheWorkArea) {
    CServices s;
    CFontMapWindow map(s.hub, s.options, s.manager, s.document, &s.owner);
    map.Controller()->SetErrorSink([](const QString&) {});  // no name table here
    map.show();
    EXPECT_TRUE(s.OnScreen(map)) << "scale " << Scale() << ": " << map.geometry().width() << "x"
                                 << map.geometry().height() << " in " << s.WorkArea().width() << "x"
                                 << s.WorkArea().height();
    EXPECT_GT(map.width(), 100);

    CHelpWindow* help = ShowHelp(0, &s.owner);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(s.OnScreen(*help)) << "scale " << Scale() << ": " << help->geometry().width() << "x"
                                   << help->geometry().height();
    help->close();
}

TEST(InspectWindows, TheCharacterDetailShowsItsTitleAndCharacterOnTheScreen) {
    CServices s;
    CCharDetailController detail(s.hub, s.options, s.manager, s.document, &s.owner);
    CCharDetailWnd* window = detail.Window();
    const CFontHandle font = s.manager.Open(kData + "/twin-a.ttf");
    s.hub.FireFontSelected(font.get());
    s.hub.FireCharacterSelected(u'A', QStringLiteral("LATIN CAPITAL LETTER A"));
    ASSERT_TRUE(window->isVisible());
    EXPECT_TRUE(s.OnScreen(*window)) << "scale " << Scale();
    const QFontMetrics metrics = window->fontMetrics();
    EXPECT_GE(window->width(),
              metrics.horizontalAdvance(window->windowTitle()) + 2 * metrics.height())
        << "room for the title";

    const QImage picture = window->grab().toImage();
    const QString out = qEnvironmentVariable("QUILLMARK_SCREENSHOTS", QDir::tempPath());
    EXPECT_TRUE(picture.save(
        out + QStringLiteral("/char-detail-scale-%1.png").arg(QString::fromStdString(Scale()))));
    // The glyph: dark pixels in the glyph area, over several rows.
    const int band = window->TextHeight() + CCharDetailModel::kBandPadding;
    const int glyphHeight =
        static_cast<int>((window->height() - band) * picture.devicePixelRatio());
    int inkRows = 0;
    for (int y = 0; y < glyphHeight; ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (qGray(picture.pixel(x, y)) < 100) {
                ++inkRows;
                break;
            }
        }
    }
    EXPECT_GT(inkRows, glyphHeight / 3) << "a character as large as the window allows";
    // Both lines of the band fit: the code and the name.
    EXPECT_GE(window->height(), band + 3 * metrics.height());
}

TEST(InspectWindows, AllMapsShareOneDetailWindowAndAMissingNameTableIsToldOnce) {
    CServices s;
    QStringList told;
    const auto tell = [&told](const QString& text) { told << text; };
    // The lower pane in map mode and View > Font Map.
    s.options.SetFontDetailMode(1);
    CFontDetailFrame frame(s.hub, s.options, s.manager, s.document, nullptr, &s.owner);
    ASSERT_NE(frame.FontMapController(), nullptr);
    frame.FontMapController()->SetErrorSink(tell);
    CFontMapWindow map(s.hub, s.options, s.manager, s.document, &s.owner);
    map.Controller()->SetErrorSink(tell);
    frame.show();
    map.show();
    QTest::qWait(20);

    ASSERT_EQ(told.size(), 1) << told.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(told[0].contains(QStringLiteral("UnicodeData.bin"))) << told[0].toStdString();
    EXPECT_EQ(s.owner.findChildren<CCharDetailWnd*>().size(), 1);
    EXPECT_EQ(frame.FontMapController()->Detail(), map.Controller()->Detail());
    EXPECT_EQ(map.Controller()->Names(), nullptr);
    EXPECT_TRUE(map.Controller()->NameOf(u'A').isEmpty());
}
