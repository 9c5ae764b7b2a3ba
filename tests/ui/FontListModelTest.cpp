// The font list's row delegate drawing the searched character (the rows
// themselves: tests/browse/FontRowsTest.cpp).

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <filesystem>

#include "core/ProgramOptions.h"
#include "fontdata/manager/FontManager.h"
#include "ui/browse/FontListModel.h"
#include "ui/common/FontListDelegate.h"

using namespace Quillmark;

namespace {

const std::filesystem::path kData = QUILLMARK_TEST_DATA;

}  // namespace

TEST(FontListDelegateTest, SearchedCharacterIsDrawnInAFramedCell) {
    CFontManager manager(nullptr, nullptr);
    CProgramOptions options;
    CFontListModel model(manager);
    CFontHandle item = manager.Open(kData / "twin-a.ttf");
    model.AppendRows({{item, QString::fromStdU16String(item->GetDisplayName())}});
    CFontListDelegate delegate(options, QFont());
    const QRect row(0, 0, 600, delegate.RowHeight());
    const CFontListDelegate::CColumns columns{{0, 300, 450}, {300, 150, 150}};
    const auto paint = [&](char16_t character) {
        delegate.SetSearchCharacter(character);
        QImage image(row.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        QPalette palette;
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Window, Qt::white);
        delegate.PaintRow(&painter, row, model.index(0, 0), false, columns, palette);
        return image;
    };
    const QImage plain = paint(0);
    const QImage searched = paint(u'A');
    const int side = row.height() - 4;
    // The cell's frame, black, where the plain row has its icon's margin.
    EXPECT_EQ(searched.pixel(2, 2 + side / 2), qRgb(0, 0, 0));
    EXPECT_NE(plain.pixel(2, 2 + side / 2), qRgb(0, 0, 0));
    // Something is drawn inside the cell.
    int inked = 0;
    for (int y = 4; y < side; ++y) {
        for (int x = 4; x < side; ++x) {
            inked += searched.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 10);
}
