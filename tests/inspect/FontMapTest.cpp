// The font map and the character detail window offscreen, with real fonts,
// tied to a hub, options, font manager and document as the program ties
// them.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TemporaryHome.h"
#include "ui/inspect/CharDetailController.h"
#include "ui/inspect/CharDetailWnd.h"
#include "ui/inspect/CharacterCopy.h"
#include "ui/inspect/FontMapController.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/FontMapWindow.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
const std::string kData = QUILLMARK_TEST_DATA;

struct CSelected {
    char16_t code;
    QString name;
};

// The services a window is made with, and a map view with its controller.
struct CMap {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CQuillmarkDoc document{hub, options, manager, QString()};
    QWidget owner;
    CFontMapView* view = new CFontMapView(&owner);
    CFontMapController* controller = nullptr;
    std::vector<CSelected> selected;
    std::vector<char16_t> appended;
    std::vector<QString> errors;

    CMap() {
        owner.resize(400, 300);
        view->resize(400, 300);
        controller = new CFontMapController(hub, options, manager, document, view, &owner);
        controller->SetErrorSink([this](const QString& text) { errors.push_back(text); });
        hub.ConnectCharacterSelected([this](char16_t code, const QString& name) {
            selected.push_back({code, name});
        });
        hub.ConnectAppendCharacterToPreview([this](char16_t code) { appended.push_back(code); });
        owner.show();
        QTest::qWait(20);
    }
    CFontHandle Show(const std::string& path) {
        CFontHandle font = manager.Open(path);
        hub.FireFontSelected(font.get());
        return font;
    }
    QImage Picture() { return view->viewport()->grab().toImage(); }
    void Click(int index, Qt::MouseButton button = Qt::LeftButton) {
        const QRect cell =
            view->Model().CellRect(index).translated(0, -view->verticalScrollBar()->value());
        QTest::mouseClick(view->viewport(), button, {}, cell.center());
    }
};

int CountOf(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

TEST(FontMapView, ShowsTheFontsCellsAndNamesTheSelectedCharacter) {
    CMap map;
    ASSERT_NE(map.controller->Names(), nullptr);  // made when the view was first shown
    ASSERT_NE(map.controller->Detail(), nullptr);
    const QImage empty = map.Picture();
    const CFontHandle font = map.Show(kData + "/twin-a.ttf");
    // 95 codes 0x20..0x7E: 94 cells from "!".
    EXPECT_EQ(map.view->Model().Count(), 95);
    EXPECT_EQ(map.view->Model().Code(1), u'!');
    EXPECT_EQ(map.view->Model().CellHeight(), 24 + 8);  // FontMapSize 24
    EXPECT_NE(map.Picture(), empty);

    map.Click(33);  // 0x41
    ASSERT_EQ(map.selected.size(), 1u);
    EXPECT_EQ(map.selected[0].code, u'A');
    EXPECT_EQ(map.selected[0].name, QStringLiteral("LATIN CAPITAL LETTER A"));
    EXPECT_EQ(map.view->Model().selected, 33);
    EXPECT_EQ(map.view->ToolTipFor(33), QStringLiteral("0041 - LATIN CAPITAL LETTER A"));

    // The keyboard moves the selection and announces it.
    map.view->setFocus();
    QTest::keyClick(map.view, Qt::Key_Right);
    EXPECT_EQ(map.selected.back().code, u'B');
    QTest::keyClick(map.view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(map.selected.back().code, u'~');
    EXPECT_EQ(map.selected.back().name, QStringLiteral("TILDE"));
    // The last cell is scrolled into view.
    const QRect last =
        map.view->Model().CellRect(94).translated(0, -map.view->verticalScrollBar()->value());
    EXPECT_TRUE(map.view->viewport()->rect().contains(last)) << last.y();
    QTest::keyClick(map.view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(map.selected.back().code, u'!');

    // A click off the cells announces the selected character once more and
    // drops the selection.
    const std::size_t before = map.selected.size();
    map.view->verticalScrollBar()->setValue(map.view->verticalScrollBar()->maximum());
    QTest::mouseClick(map.view->viewport(), Qt::LeftButton, {},
                      QPoint(map.view->Model().TotalWidth() + 2, 5));
    ASSERT_EQ(map.selected.size(), before + 1);
    EXPECT_EQ(map.selected.back().code, u'!');
    EXPECT_EQ(map.view->Model().selected, 0);
}

TEST(FontMapView, DrawsEachFileItsOwnGlyphsAndNoFontSelectedWithout) {
    CMap map;
    const CFontHandle a = map.Show(kData + "/twin-a.ttf");
    const QImage pictureA = map.Picture();
    const CFontHandle b = map.Show(kData + "/twin-b.ttf");
    const QImage pictureB = map.Picture();
    // The two files share their full name, "Quillmark Twin".
    EXPECT_EQ(a->GetName(), b->GetName());
    EXPECT_NE(pictureA, pictureB);
    // Cells with their grey edges.
    EXPECT_GT(CountOf(pictureA, 0xC0C0C0), 100);

    map.hub.FireFontSelected(nullptr);
    EXPECT_FALSE(map.view->Model().HasFont());
    const QImage none = map.Picture();
    // No grid (a few edge pixels of the grey text may match its colour).
    EXPECT_LT(CountOf(none, 0xC0C0C0), 40);
    // Grey text on the background.
    EXPECT_GT(CountOf(none, 0x808080), 20);
}

TEST(FontMapView, AFontTheRendererRefusesShowsANoteAndNoCells) {
    std::ifstream in(kData + "/twin-a.ttf", std::ios::binary);
    const QuillmarkTest::Bytes good{std::istreambuf_iterator<char>(in), {}};
    const auto refused = QuillmarkTest::WithEveryTableLength(good, 0xFFFFFFFF);
    const std::string path = (kHome.Root() / "refused-map.ttf").string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(refused.data()),
               static_cast<std::streamsize>(refused.size()));
    CMap map;
    map.hub.FireFontMapSizeChanged(100);  // cells that would need rows past the window
    const CFontHandle font = map.Show(path);
    ASSERT_EQ(font->GetStatus(), CFontItem::Loaded);
    ASSERT_TRUE(map.view->Model().HasFont());
    const QImage picture = map.Picture();
    EXPECT_LT(CountOf(picture, 0xC0C0C0), 40) << "no grid of empty cells";
    EXPECT_GT(CountOf(picture, 0x808080), 20) << "the note";
    EXPECT_EQ(map.view->verticalScrollBar()->maximum(), 0) << "no rows of cells to scroll to";

    // Nor a cell to click, step to with the keys, or ask about.
    map.Click(1);
    map.view->setFocus();
    QTest::keyClick(map.view, Qt::Key_Right);
    QTest::keyClick(map.view, Qt::Key_End, Qt::ControlModifier);
    map.Click(2, Qt::RightButton);
    EXPECT_TRUE(map.selected.empty());
    EXPECT_EQ(map.view->Model().selected, 0);
    EXPECT_FALSE(map.view->IsMenuOpen());
}

TEST(FontMapView, FollowsSizeColoursOptionsAndLetsGoOfTheFont) {
    CMap map;
    const CFontHandle font = map.Show(kData + "/twin-a.ttf");
    const int uses = font->GetUseCount();

    map.hub.FireFontMapSizeChanged(48);
    EXPECT_EQ(map.view->Model().CellHeight(), 48 + 8);

    // Colours change only while the detail pane shows the map (mode 1).
    map.options.SetFontDetailMode(0);
    map.hub.FireColorChanged(0x0000FF, false);  // 0x00BBGGRR: red
    EXPECT_EQ(map.view->BackColor(), QColor(Qt::white));
    EXPECT_EQ(map.options.GetFontMapBackgroundColor(), 0xFFFFFFu);
    map.options.SetFontDetailMode(1);
    map.hub.FireColorChanged(0x0000FF, false);
    EXPECT_EQ(map.view->BackColor(), QColor(255, 0, 0));
    map.hub.FireColorChanged(0xFF0000, true);
    EXPECT_EQ(map.view->TextColor(), QColor(0, 0, 255));
    // Kept in the options, for the swatches, the palette and the next start.
    EXPECT_EQ(map.options.GetFontMapBackgroundColor(), 0x0000FFu);
    EXPECT_EQ(map.options.GetFontMapFontColor(), 0xFF0000u);

    // Another font than the shown one is not let go.
    const CFontHandle other = map.manager.Open(kData + "/twin-b.ttf");
    EXPECT_EQ(map.hub.FireReleaseFont(other.get()), 0);
    EXPECT_EQ(font->GetUseCount(), uses);
    // The shown one is: the map and the detail window both hold it.
    EXPECT_EQ(map.hub.FireReleaseFont(font.get()), 2);
    EXPECT_EQ(font->GetUseCount(), uses - 2);
    EXPECT_FALSE(map.view->Model().HasFont());

    map.hub.FireFontSelected(other.get());
    EXPECT_EQ(map.controller->Font(), other.get());
    map.hub.FireFontRemoved(other.get());
    EXPECT_EQ(map.controller->Font(), nullptr);
    EXPECT_EQ(map.controller->Detail()->Font(), nullptr);
}

TEST(FontMapView, AClickOnTheSelectedCellAnnouncesItAgain) {
    CMap map;
    const CFontHandle font = map.Show(kData + "/twin-a.ttf");
    CCharDetailWnd* window = map.controller->Detail()->Window();
    map.Click(33);
    ASSERT_EQ(map.selected.size(), 1u);
    ASSERT_TRUE(window->isVisible());
    window->close();
    ASSERT_FALSE(window->isVisible());
    // Scrolled away and clicked again once back: selected, scrolled to and
    // told again, so that the closed window comes back.
    map.Click(33);
    ASSERT_EQ(map.selected.size(), 2u);
    EXPECT_EQ(map.selected[1].code, u'A');
    EXPECT_EQ(map.view->Model().selected, 33);
    EXPECT_TRUE(window->isVisible());
}

TEST(FontMapView, TheMapsOfOneWindowShareOneCharacterDetailWindow) {
    CMap map;
    const CFontHandle font = map.Show(kData + "/twin-a.ttf");
    const int uses = font->GetUseCount();
    // View > Font Map beside the lower pane's map.
    CFontMapWindow window(map.hub, map.options, map.manager, map.document, &map.owner);
    window.show();
    QTest::qWait(20);
    ASSERT_NE(window.Controller()->Detail(), nullptr);
    EXPECT_EQ(window.Controller()->Detail(), map.controller->Detail());
    EXPECT_EQ(map.owner.findChildren<CCharDetailWnd*>().size(), 1);
    EXPECT_EQ(window.Controller()->Names(), map.controller->Names());
    // Each map and the one detail window hold the font once.
    EXPECT_EQ(font->GetUseCount(), uses + 1);
    EXPECT_EQ(map.hub.FireReleaseFont(font.get()), 3);
    EXPECT_EQ(font->GetUseCount(), uses - 2);

    // A character chosen in either map shows in the one window.
    map.Show(kData + "/twin-a.ttf");
    const QRect cell = window.View()->Model().CellRect(34);
    QTest::mouseClick(window.View()->viewport(), Qt::LeftButton, {}, cell.center());
    CCharDetailWnd* detail = map.controller->Detail()->Window();
    EXPECT_TRUE(detail->isVisible());
    EXPECT_EQ(detail->Model().Code(), u'B');
}

TEST(FontMapView, ContextMenuCopiesAndAppendsTheCharacter) {
    CMap map;
    const CFontHandle font = map.Show(kData + "/twin-a.ttf");
    map.view->Model().hover = 0;
    const QRect cell = map.view->Model().CellRect(33);
    // The right button down and up over the same cell opens the menu.
    QTest::mouseMove(map.view->viewport(), cell.center());
    QTest::mousePress(map.view->viewport(), Qt::RightButton, {}, cell.center());
    QTest::mouseRelease(map.view->viewport(), Qt::RightButton, {}, cell.center());
    QMenu* menu = map.view->CharacterMenu();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(map.view->Model().contextIndex, 33);
    QList<QAction*> actions;
    for (QAction* action : menu->actions()) {
        if (action->isVisible())
            actions << action;
    }
    ASSERT_EQ(actions.size(), 2);  // no search offered by this map
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&Copy character"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("&Append character to preview text"));

    actions[0]->trigger();
    menu->hide();
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), QStringLiteral("A"));
    EXPECT_EQ(copied->data(QStringLiteral("text/rtf")),
              QByteArray("{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset0 Quillmark "
                         "Twin;}}\\pard\\f0\\fs24 \\u65?}"));
    EXPECT_TRUE(map.errors.empty());

    actions[1]->trigger();
    ASSERT_EQ(map.appended.size(), 1u);
    EXPECT_EQ(map.appended[0], u'A');

    // Down over one cell and up over another opens nothing.
    menu->hide();
    map.view->Model().contextIndex = 0;
    const QRect other = map.view->Model().CellRect(34);
    QTest::mousePress(map.view->viewport(), Qt::RightButton, {}, cell.center());
    QTest::mouseMove(map.view->viewport(), other.center());
    QTest::mouseRelease(map.view->viewport(), Qt::RightButton, {}, other.center());
    EXPECT_EQ(map.view->Model().contextIndex, 0);
}

TEST(CharacterCopy, ClipboardRoundTrip) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    ASSERT_TRUE(CopyCharacter(*clipboard, 0x6C38, QString::fromUtf8("\u6C38 Sans")));
    const QMimeData* held = clipboard->mimeData();
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->text(), QString(QChar(0x6C38)));
    EXPECT_EQ(held->data(QStringLiteral("text/rtf")),
              QByteArray("{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset0 \\u27704? "
                         "Sans;}}\\pard\\f0\\fs24 \\u27704?}"));
    EXPECT_EQ(held->data(QStringLiteral("text/rtf")),
              CharacterRtf(0x6C38, QString::fromUtf8("\u6C38 Sans")));
}

TEST(CharDetail, FirstPlacementIsCentredAndTheStoredOneIsKept) {
    const QRect screen(0, 0, 1000, 800);
    EXPECT_EQ(CCharDetailModel::Placement({-1, -1}, {-1, -1}, screen), QRect(440, 340, 120, 120));
    EXPECT_EQ(CCharDetailModel::Placement({30, 40}, {200, 250}, screen), QRect(30, 40, 200, 250));
    // A stored size without area is placed as the first time.
    EXPECT_EQ(CCharDetailModel::Placement({30, 40}, {0, 250}, screen), QRect(440, 340, 120, 120));

    // A first size of its own: no larger than the screen.
    EXPECT_EQ(CCharDetailModel::Placement({-1, -1}, {-1, -1}, QRect(0, 0, 150, 100), {200, 160}),
              QRect(0, 0, 150, 100));

    // Made by the map: in the middle of the screen, large enough for its
    // title and its character, hidden until a character is selected; at
    // closing its place is stored.
    QRect stored;
    {
        CMap map;
        CCharDetailWnd* window = map.controller->Detail()->Window();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(window->geometry().size(), CCharDetailController::FirstSize(*window));
        EXPECT_GE(window->width(), window->fontMetrics().horizontalAdvance(window->windowTitle()) +
                                       2 * window->fontMetrics().height());
        EXPECT_GE(window->height(), CCharDetailModel::kFirstSide);
        EXPECT_EQ(window->geometry().center(), area.center());
        EXPECT_FALSE(window->isVisible());
        const CFontHandle font = map.Show(kData + "/twin-a.ttf");
        map.Click(33);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->Model().Text(), QStringLiteral("U+0041\nLATIN CAPITAL LETTER A"));

        // Closing hides it; it is still there.
        window->close();
        EXPECT_FALSE(window->isVisible());
        map.Click(34);
        EXPECT_TRUE(window->isVisible());

        window->setGeometry(50, 60, 210, 230);
        map.hub.FireApplicationClosing();
        stored = QRect(
            map.options.GetCharDetailWindowPos()[0], map.options.GetCharDetailWindowPos()[1],
            map.options.GetCharDetailWindowSize()[0], map.options.GetCharDetailWindowSize()[1]);
        EXPECT_EQ(stored, window->geometry());
        EXPECT_EQ(stored.size(), QSize(210, 230));
        EXPECT_FALSE(window->isVisible());
    }
    // The next start puts it there.
    CMap map;
    map.options.SetCharDetailWindowPos({stored.left(), stored.top()});
    map.options.SetCharDetailWindowSize({stored.width(), stored.height()});
    CCharDetailController detail(map.hub, map.options, map.manager, map.document, &map.owner);
    EXPECT_EQ(detail.Window()->geometry(), stored);
}

TEST(CharDetail, FollowsFontAndCharacterAndRedrawsAtTheNewHeight) {
    CMap map;
    CCharDetailWnd* window = map.controller->Detail()->Window();
    const CFontHandle font = map.Show(kData + "/twin-a.ttf");
    map.hub.FireCharacterSelected(u'A', QStringLiteral("LATIN CAPITAL LETTER A"));
    EXPECT_TRUE(window->isVisible());
    window->resize(200, 200);
    const QImage small = window->grab().toImage();
    const int firstHeight = window->Model().GlyphHeight();
    EXPECT_EQ(firstHeight, 200 - window->TextHeight() - CCharDetailModel::kBandPadding);
    window->resize(200, 300);
    const QImage large = window->grab().toImage();
    EXPECT_EQ(window->Model().GlyphHeight(), firstHeight + 100);
    // The glyph is drawn: the glyph area is not all background.
    const QColor base = window->palette().color(QPalette::Base);
    EXPECT_LT(CountOf(large.copy(0, 0, 200, firstHeight + 100), base.rgb()),
              200 * (firstHeight + 100));
    EXPECT_NE(small.size(), large.size());

    // The band under the glyph: the code on one line, the name on the next.
    EXPECT_EQ(CCharDetailModel::BandRect({200, 300}, 40), QRect(0, 250, 200, 50));
    EXPECT_EQ(CCharDetailModel::GlyphRect({200, 300}, 40), QRect(0, 0, 200, 250));

    map.hub.FireCharacterSelected(0, QString());
    EXPECT_FALSE(window->isVisible());
    map.hub.FireCharacterSelected(u'B', QStringLiteral("LATIN CAPITAL LETTER B"));
    EXPECT_TRUE(window->isVisible());
    map.hub.FireFontSelected(nullptr);
    EXPECT_FALSE(window->isVisible());
}
