// A font list draws its rows at its own look: two lists showing the same
// font, each at its own preview size, draw it each at that size, and one
// list's drawing never changes the other's.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>

#include "core/ProgramOptions.h"
#include "fontdata/item/FontItem.h"
#include "tests/support/TemporaryHome.h"
#include "ui/common/FontListDelegate.h"
#include "ui/common/FontListRoles.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
const std::string kData = QUILLMARK_TEST_DATA;

QImage DrawRow(const CFontListDelegate& delegate, const QModelIndex& index) {
    QImage image(600, delegate.RowHeight(), QImage::Format_RGB32);
    QPainter painter(&image);
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    const CFontListDelegate::CColumns columns{{0, 300, 450}, {300, 150, 150}};
    delegate.PaintRow(&painter, image.rect(), index, false, columns, palette);
    return image;
}

// The rows of the preview line (below the first line) that hold ink.
int InkRows(const QImage& image, int from) {
    int rows = 0;
    for (int y = from; y < image.height() - 1; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ++rows;
                break;
            }
        }
    }
    return rows;
}

}  // namespace

TEST(FontListDelegate, EachListDrawsTheSameFontAtItsOwnPreviewSize) {
    const CFontItem item(kData + "/twin-a.ttf", CFontItemSettings{}, nullptr);
    ASSERT_EQ(item.GetStatus(), CFontItem::Loaded);
    QStandardItemModel model(1, FontList::ColumnCount);
    model.setData(model.index(0, 0), QStringLiteral("Quillmark Twin"));
    model.setData(model.index(0, 0), QVariant::fromValue<const void*>(&item), FontList::ItemRole);

    CProgramOptions small;
    small.SetFontListCharSize(24);
    small.SetFontListText(QStringLiteral("HHHH"));
    CProgramOptions large;
    large.SetFontListCharSize(64);
    large.SetFontListText(QStringLiteral("HHHH"));
    const QFont ui = QApplication::font();
    const CFontListDelegate smallList(small, ui);
    const CFontListDelegate largeList(large, ui);

    const QImage before = DrawRow(smallList, model.index(0, 0));
    const QImage larger = DrawRow(largeList, model.index(0, 0));
    const QImage after = DrawRow(smallList, model.index(0, 0));
    const int smallInk = InkRows(before, smallList.FirstLineHeight());
    const int largeInk = InkRows(larger, largeList.FirstLineHeight());
    EXPECT_GT(smallInk, 10);
    // Capital H stands about 0.73 of the cell: 17 rows at 24, 47 at 64.
    EXPECT_GT(largeInk, smallInk * 2) << smallInk << " " << largeInk;
    EXPECT_EQ(before, after) << "drawing at another size left the font as it was";
}
