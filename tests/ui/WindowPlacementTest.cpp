// Windows open wholly inside the work area: a wanted size larger than the
// area is cut to it, and a centre near an edge moves the window back in.

#include <gtest/gtest.h>

#include <QWidget>

#include "ui/common/WindowPlacement.h"

using namespace Quillmark;

TEST(WindowPlacement, AWindowAndItsFrameStayInsideTheWorkArea) {
    const QRect area(0, 30, 800, 570);  // a panel above
    const QSize frame(8, 30);
    // Fits: centred where asked.
    QRect inside = PlaceInside(area, {400, 300}, {400, 315}, frame);
    EXPECT_EQ(inside.size(), QSize(400, 300));
    EXPECT_EQ(inside.center(), QPoint(400, 315));
    // Too large: as large as the area less the frame, with the title bar
    // below the panel.
    inside = PlaceInside(area, {820, 600}, area.center(), frame);
    EXPECT_EQ(inside.size(), QSize(792, 540));
    EXPECT_EQ(inside.left(), 4);
    EXPECT_EQ(inside.top(), 30 + 26);
    // Near the bottom right corner: moved back in.
    inside = PlaceInside(area, {300, 200}, {790, 590}, frame);
    EXPECT_TRUE(area.contains(inside.adjusted(-4, -26, 4, 4))) << inside.x() << "," << inside.y();
    // A screen of another origin (a second monitor on the left).
    const QRect left(-1280, 0, 1280, 1024);
    inside = PlaceInside(left, {640, 480}, left.center(), frame);
    EXPECT_TRUE(left.contains(inside));
}
