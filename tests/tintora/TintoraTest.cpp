// The Tintora palette: its data, its events, what it draws, and the plugin
// as a host loads it.

#include <gtest/gtest.h>

#include <Tintora/PaletteCtrl.h>
#include <Tintora/PaletteData.h>
#include <Tintora/PaletteFactory.h>
#include <QApplication>
#include <QPluginLoader>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace Tintora;

namespace {

struct CRgb {
    int r, g, b;
};

void ExpectField(int x, int y, CRgb want) {
    const quint32 c = FieldColour(x, y);
    EXPECT_EQ(Red(c), want.r) << "column " << x << " row " << y;
    EXPECT_EQ(Green(c), want.g) << "column " << x << " row " << y;
    EXPECT_EQ(Blue(c), want.b) << "column " << x << " row " << y;
    // The image the control draws holds the same colour.
    EXPECT_EQ(FieldImage().pixel(x, y), qRgb(want.r, want.g, want.b)) << x << "," << y;
}

}  // namespace

TEST(TintoraData, EveryCellHasItsColourAndRectangle) {
    const quint32 colours[kCellCount] = {
        0x008000, 0x00FF00, 0x808000, 0xFFFF00, 0x800000, 0xFF0000, 0x800080, 0xFF00FF, 0x000080,
        0x0000FF, 0x008080, 0x00FFFF, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x2F6B55, 0x006400,
        0x4F4F2F, 0x908070, 0x8B0000, 0x701919, 0x82004B, 0x8B008B, 0x2A2AA5, 0x00008B, 0x2D52A0,
        0x13458B, 0x0B86B8, 0xDCF5F5, 0xF0FFF0, 0x696969, 0x238E6B, 0x228B22, 0x8B8B00, 0x998877,
        0xCD0000, 0x8B3D48, 0xD30094, 0x8515C7, 0x5C5CCD, 0x2222B2, 0x1E69D2, 0x3F85CD, 0x20A5DA,
        0xD2FAFA, 0xFAFFF5, 0xA9A9A9, 0x32CD9A, 0x578B2E, 0xA09E5F, 0xB48246, 0xE16941, 0xE22B8A,
        0xCC3299, 0x9314FF, 0x8F8FBC, 0x3C14DC, 0x008CFF, 0x87B8DE, 0x6BB7BD, 0xE0FFFF, 0xFFFFF0,
        0xD3D3D3, 0x00FC7C, 0x71B33C, 0xAAB220, 0xFFBF00, 0xFF901E, 0xCD5A6A, 0xD355BA, 0x9370DB,
        0x7280FA, 0x0045FF, 0x60A4F4, 0x8CB4D2, 0x00D7FF, 0xF0FFFF, 0xFFF8F8, 0xDCDCDC, 0x00FF7F,
        0x32CD32, 0xAACD66, 0xD1CE00, 0xED9564, 0xEE687B, 0xD670DA, 0xB469FF, 0x8080F0, 0x4763FF,
        0x00A5FF, 0xC4E4FF, 0x8CE6F0, 0xDCF8FF, 0xE6F0FA, 0xF5F5F5, 0x2FFFAD, 0x8BBC8F, 0xD0E040,
        0xCCD148, 0xEBCE87, 0xDB7093, 0xEE82EE, 0xC1B6FF, 0x7A96E9, 0x507FFF, 0xADDEFF, 0xCDEBFF,
        0xAAE8EE, 0xE6F5FD, 0xEEF5FF, 0xFFF8F8, 0x98FB98, 0x7FFF00, 0xD4FF7F, 0xE6E0B0, 0xFACE87,
        0xDEC4B0, 0xDDA0DD, 0xCBC0FF, 0x7AA0FF, 0xB3DEF5, 0xB5E4FF, 0xD7EBFA, 0xCDFAFF, 0xF0FAFF,
        0xFAFAFF, 0xFFF8F0, 0x90EE90, 0x9AFA00, 0xEEEEAF, 0xFFFFE0, 0xE6D8AD, 0xFAE6E6, 0xD8BFD8,
        0xE1E4FF, 0xB9DAFF, 0xD5EFFF};
    for (int i = 0; i < kCellCount; ++i) {
        const CBasicCell& cell = BasicCells()[i];
        EXPECT_EQ(cell.colour, colours[i]) << "cell " << i;
        EXPECT_EQ(cell.rect, QRect(24 * (i % 16), 25 * (i / 16), 24, 25)) << "cell " << i;
        // Every pixel of the cell maps back to it; the corners are enough.
        EXPECT_EQ(BasicCellAt(cell.rect.topLeft()), i);
        EXPECT_EQ(BasicCellAt(cell.rect.bottomRight()), i);
    }
    // Below the last cell, and outside the window, there is none.
    EXPECT_EQ(BasicCellAt({10 * 24, 8 * 25}), -1);
    EXPECT_EQ(BasicCellAt({0, 255}), -1);
    EXPECT_EQ(BasicCellAt({-1, 0}), -1);
    EXPECT_EQ(BasicCellAt({384, 0}), -1);
    // The colour that stands twice selects its first cell.
    EXPECT_EQ(BasicCellOf(0xFFF8F8), 78);
    EXPECT_EQ(BasicCellOf(0x123456), -1);
}

TEST(TintoraData, FieldFollowsTheHueSegmentsAndLightnessRows) {
    // Both ends of each 64-column segment on the hue row 127, and on row 128
    // (full darkening factor 255/255).
    const std::pair<int, CRgb> hues[] = {
        {0, {255, 0, 0}},   {63, {255, 251, 0}},  {64, {255, 255, 0}},  {127, {3, 255, 0}},
        {128, {0, 255, 0}}, {191, {0, 255, 251}}, {192, {0, 255, 255}}, {255, {0, 3, 255}},
        {256, {0, 0, 255}}, {319, {251, 0, 255}}, {320, {255, 0, 255}}, {383, {255, 0, 3}},
    };
    for (const auto& [x, rgb] : hues) {
        ExpectField(x, 127, rgb);
        ExpectField(x, 128, rgb);
        ExpectField(x, 0, {255, 255, 255});
    }
    // Towards white above, towards black below; the last row is nearly black.
    ExpectField(0, 126, {255, 2, 2});
    ExpectField(63, 1, {255, 254, 252});
    ExpectField(63, 129, {253, 249, 0});
    ExpectField(10, 200, {111, 16, 0});
    ExpectField(0, 255, {1, 0, 0});
    ExpectField(192, 255, {0, 1, 1});
    ExpectField(63, 255, {1, 0, 0});
    ExpectField(200, 254, {0, 2, 3});
    // Single-precision factors: in double these pixels would be one less green.
    ExpectField(13, 178, {155, 31, 0});
    ExpectField(19, 162, {187, 55, 0});
}

TEST(TintoraData, PositionByColourSearchesColumnsWithinSix) {
    // A cell colour: the first pixel within ±6 of pure red is in column 0,
    // three rows above the hue row.
    EXPECT_EQ(FieldPositionOf(0x0000FF), QPoint(0, 124));
    EXPECT_EQ(FieldPositionOf(0x008000), QPoint(125, 189));
    EXPECT_EQ(FieldPositionOf(0xFFFFFF), QPoint(0, 0));
    // Within ±6 though no pixel has it exactly: (255, 239, 8) at (60, 123).
    EXPECT_EQ(FieldPositionOf(Colour(250, 245, 3)), QPoint(60, 123));
    // Greys are not on the field.
    EXPECT_EQ(FieldPositionOf(0x808080), kOffField);
    EXPECT_EQ(FieldPositionOf(Colour(100, 200, 50)), kOffField);
}

TEST(TintoraCtrl, TabsAndTheSelectedColourPropertyFireNothing) {
    CPaletteCtrl ctrl;
    auto* tabs = ctrl.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Basic"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Advanced"));
    EXPECT_EQ(ctrl.CurrentTab(), 0);

    QSignalSpy changes(&ctrl, &CPaletteCtrl::ColorChange);
    QSignalSpy overs(&ctrl, &CPaletteCtrl::ColorOver);
    // Through the property, as a host that only has the meta-object sets it.
    ASSERT_TRUE(ctrl.setProperty("SelectedColor", QVariant::fromValue(uint(0xFFF8F8))));
    EXPECT_EQ(ctrl.property("SelectedColor").toUInt(), 0xFFF8F8u);
    EXPECT_EQ(ctrl.BasicPalette()->SelectedCell(), 78);
    EXPECT_NE(ctrl.Field()->Marker(), kOffField);
    ctrl.SetSelectedColor(0x808080);
    EXPECT_EQ(ctrl.BasicPalette()->SelectedCell(), 14);
    EXPECT_EQ(ctrl.Field()->Marker(), kOffField);
    ctrl.SetColor(QColor(1, 2, 3));
    EXPECT_EQ(ctrl.GetSelectedColor(), Colour(1, 2, 3));
    EXPECT_EQ(ctrl.GetColor(), QColor(1, 2, 3));
    EXPECT_EQ(ctrl.BasicPalette()->SelectedCell(), -1);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(overs.count(), 0);
}

TEST(TintoraCtrl, BasicGridPicksOnPressAndReportsHover) {
    CPaletteCtrl ctrl;
    ctrl.show();
    CBasicPaletteWinCtrl* grid = ctrl.BasicPalette();
    QSignalSpy changes(&ctrl, &CPaletteCtrl::ColorChange);
    QSignalSpy overs(&ctrl, &CPaletteCtrl::ColorOver);

    // Hovering cell 17 reports its colour and picks nothing.
    QTest::mouseMove(grid, QPoint(24 + 5, 25 + 5));
    ASSERT_EQ(overs.count(), 1);
    EXPECT_EQ(overs[0][0].toUInt(), 0x006400u);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(ctrl.GetSelectedColor(), 0u);

    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(5 * 24 + 3, 3));
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toUInt(), 0xFF0000u);
    EXPECT_EQ(ctrl.GetSelectedColor(), 0xFF0000u);
    EXPECT_EQ(grid->SelectedCell(), 5);
    // Below the last cell nothing changes.
    QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(300, 240));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(grid->SelectedCell(), 5);

    // The selected cell: black frame, white frame inside, its colour within;
    // other cells keep a 1-pixel gap of the background.
    const QImage image = grid->grab().toImage();
    const QRect cell = BasicCells()[5].rect;
    EXPECT_EQ(image.pixel(cell.topLeft()), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(cell.bottomRight()), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(cell.topLeft() + QPoint(1, 1)), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(cell.bottomRight() - QPoint(1, 1)), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(cell.center()), qRgb(0, 0, 255));
    const QRect other = BasicCells()[17].rect;
    EXPECT_EQ(image.pixel(other.center()), qRgb(0, 0x64, 0));
    EXPECT_EQ(image.pixel(other.topLeft() + QPoint(1, 1)), qRgb(0, 0x64, 0));
    EXPECT_NE(image.pixel(other.topLeft()), qRgb(0, 0x64, 0));
}

TEST(TintoraCtrl, FieldDragStaysOnTheFieldWhileTheButtonIsDown) {
    CPaletteCtrl ctrl;
    ctrl.SetCurrentTab(1);
    ctrl.show();
    CPaletteWinCtrl* field = ctrl.Field();
    QSignalSpy changes(&ctrl, &CPaletteCtrl::ColorChange);
    QSignalSpy overs(&ctrl, &CPaletteCtrl::ColorOver);

    QTest::mousePress(field, Qt::LeftButton, {}, QPoint(13, 178));
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toUInt(), Colour(155, 31, 0));
    EXPECT_EQ(field->Marker(), QPoint(13, 178));
    EXPECT_TRUE(field->IsDragging());

    // Dragged past the top-right corner: the marker follows the edge.
    QMouseEvent away(QEvent::MouseMove, QPointF(500, -40), field->mapToGlobal(QPointF(500, -40)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &away);
    EXPECT_EQ(field->Marker(), QPoint(383, 0));
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes[1][0].toUInt(), FieldColour(383, 0));
    EXPECT_EQ(overs.count(), 1);

    QTest::mouseRelease(field, Qt::LeftButton, {}, QPoint(383, 0));
    EXPECT_FALSE(field->IsDragging());
    // Without the button, a point outside the field is ignored and a point
    // on it is only hovered.
    QApplication::sendEvent(field, &away);
    QTest::mouseMove(field, QPoint(256, 127));
    EXPECT_EQ(changes.count(), 2);
    ASSERT_EQ(overs.count(), 2);
    EXPECT_EQ(overs[1][0].toUInt(), Colour(0, 0, 255));
    EXPECT_EQ(ctrl.GetSelectedColor(), FieldColour(383, 0));

    // The marker is drawn by XOR: its centre shows the inverse colour.
    ctrl.SetSelectedColor(0x0000FF);
    const QImage image = field->grab().toImage();
    const QRgb under = FieldImage().pixel(0, 124);
    EXPECT_EQ(image.pixel(0, 124),
              qRgb(255 - qRed(under), 255 - qGreen(under), 255 - qBlue(under)));
    EXPECT_EQ(image.pixel(20, 20), FieldImage().pixel(20, 20));
}

namespace {

// Makes a control through the plugin file as a host does.
void ExpectPluginMakesControls(const QString& path) {
    QPluginLoader loader(path);
    QObject* instance = loader.instance();
    ASSERT_NE(instance, nullptr) << loader.errorString().toStdString();
    EXPECT_EQ(loader.metaData().value(QStringLiteral("IID")).toString(),
              QStringLiteral("Tintora.PaletteCtrl/1.0"));
    auto* factory = qobject_cast<IPaletteFactory*>(instance);
    ASSERT_NE(factory, nullptr);
    std::unique_ptr<QWidget> ctrl(factory->CreatePaletteCtrl(nullptr));
    ASSERT_NE(ctrl, nullptr);
    EXPECT_TRUE(ctrl->setProperty("SelectedColor", 0x0000FFu));
    EXPECT_EQ(ctrl->property("SelectedColor").toUInt(), 0x0000FFu);
    // The events, connected by name as a host without the header does.
    QSignalSpy changes(ctrl.get(), SIGNAL(ColorChange(uint)));
    EXPECT_TRUE(changes.isValid());
    QSignalSpy overs(ctrl.get(), SIGNAL(ColorOver(uint)));
    EXPECT_TRUE(overs.isValid());
}

}  // namespace

// From an install prefix: palette_test, in a process that does not link
// the library already (a second copy of it would define its globals twice).
TEST(TintoraPlugin, LoadsFromTheBuildFolder) {
    ExpectPluginMakesControls(QStringLiteral(TINTORA_BUILT_LIBRARY));
}
