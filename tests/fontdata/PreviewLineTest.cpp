// Preview lines drawn from the fonts' own files.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <filesystem>

#include "core/PathText.h"
#include "fontdata/item/FontItem.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"

using namespace Quillmark;
namespace fs = std::filesystem;

namespace {

const fs::path kData = QUILLMARK_TEST_DATA;
const QString kText = QStringLiteral("The quick brown fox jumped over the lazy dog 0123456789");

QImage Draw(const CFontItem& item, const QString& text = kText, int width = 800) {
    QImage image(width, item.GetPreviewFont().height + 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawPreviewLine(painter, QRectF(2, 2, width - 2, image.height() - 2), item, text, Qt::black);
    return image;
}

// Ink: how dark the picture is in all.
double Ink(const QImage& image) {
    double ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ink += 255 - qGray(image.pixel(x, y));
        }
    }
    return ink;
}

int DifferentPixels(const QImage& a, const QImage& b) {
    int differ = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            differ += a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return differ;
}

CFontItem Item(const char* name, int height = 24, int quality = 0) {
    return CFontItem(kData / name, CFontItemSettings{false, height, quality}, nullptr);
}

}  // namespace

TEST(PreviewLineTest, TwoFilesOfOneNameAreEachDrawnInTheirOwnDesign) {
    const CFontItem a = Item("twin-a.ttf");
    const CFontItem b = Item("twin-b.ttf");
    ASSERT_EQ(a.GetStatus(), CFontItem::Loaded);
    ASSERT_EQ(b.GetStatus(), CFontItem::Loaded);
    ASSERT_EQ(a.GetName(), b.GetName());
    const QImage pa = Draw(a);
    const QImage pb = Draw(b);
    pa.save(QString::fromStdString((fs::temp_directory_path() / "quillmark-twin-a.png").string()));
    pb.save(QString::fromStdString((fs::temp_directory_path() / "quillmark-twin-b.png").string()));
    EXPECT_GT(Ink(pa), 0);
    EXPECT_GT(Ink(pb), 0);
    EXPECT_GT(DifferentPixels(pa, pb), pa.width() * pa.height() / 20);
    // The same file drawn twice is the same picture.
    EXPECT_EQ(DifferentPixels(pa, Draw(a)), 0);
}

TEST(PreviewLineTest, BoldFileIsDrawnBolderThanItsRegularSibling) {
    const double regular = Ink(Draw(Item("twin-a.ttf")));
    const double bold = Ink(Draw(Item("twin-bold.ttf")));
    EXPECT_GT(bold, regular * 1.25);
}

TEST(PreviewLineTest, SymbolFontIsDrawnThroughItsSymbolMap) {
    const CFontItem symbol = Item("symbol.ttf");
    ASSERT_TRUE(symbol.GetData()->IsSymbolFont());
    // Its glyphs are those of twin-a, reached at U+F020..U+F07E (spaced
    // without the Latin kerning, so close but not pixel for pixel). Missing
    // glyphs would draw boxes of quite another weight.
    const double latin = Ink(Draw(Item("twin-a.ttf")));
    EXPECT_NEAR(Ink(Draw(symbol)), latin, latin * 0.05);
    const double boxes =
        Ink(Draw(Item("twin-a.ttf"), QStringLiteral("\u0416\u0416\u0416\u0416\u0416")));
    EXPECT_GT(boxes, 0);
}

TEST(PreviewLineTest, LineIsCutWithAnEllipsisWhenTooWide) {
    const CFontItem item = Item("twin-a.ttf");
    const qreal full = PreviewLineWidth(item, kText);
    ASSERT_GT(full, 300);
    const QImage narrow = Draw(item, kText, 200);
    const QImage wide = Draw(item, kText, 800);
    // The cut line ends in an ellipsis, not in the letters the wide line has there.
    EXPECT_GT(DifferentPixels(narrow, wide.copy(0, 0, 200, wide.height())), 20);
    EXPECT_EQ(Ink(narrow.copy(199, 0, 1, narrow.height())), 0) << "nothing drawn outside";
}

TEST(PreviewLineTest, UnreadableFontHasNoPreview) {
    const CFontItem missing(kData / "missing.ttf", CFontItemSettings{}, nullptr);
    EXPECT_EQ(Ink(Draw(missing)), 0);
}

TEST(PreviewLineTest, OpenFontsAreBoundedByTheCache) {
    Platform::CExactFontCache cache(2);
    Platform::CTextLook look;
    for (const char* name : {"twin-a.ttf", "twin-b.ttf", "twin-bold.ttf", "symbol.ttf"}) {
        EXPECT_TRUE(cache.Shape(PathText(kData / name), look, kText).IsValid());
    }
    EXPECT_EQ(cache.Size(), 2);
    EXPECT_FALSE(cache.Shape(PathText(kData / "missing.ttf"), look, kText).IsValid());
}

TEST(PreviewLineTest, FontForAnotherScriptShowsASampleOfItsOwn) {
    EXPECT_EQ(PreviewTextFor(Item("twin-a.ttf"), kText), kText);
    EXPECT_EQ(PreviewTextFor(Item("symbol.ttf"), kText), kText);
    const fs::path arabic = "/usr/share/fonts/truetype/noto/NotoNaskhArabic-Regular.ttf";
    if (!fs::exists(arabic)) {
        GTEST_SKIP() << "fonts-noto-core is not installed";
    }
    const CFontItem item(arabic, CFontItemSettings{}, nullptr);
    const QString sample = PreviewTextFor(item, kText);
    ASSERT_NE(sample, kText);
    EXPECT_EQ(sample.at(0).script(), QChar::Script_Arabic);
    EXPECT_GT(Ink(Draw(item)), 0);
}
