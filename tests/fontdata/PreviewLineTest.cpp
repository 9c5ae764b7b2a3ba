// Preview lines drawn from the fonts' own files.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <filesystem>

#include "core/PathText.h"
#include "fontdata/design/FontDesign.h"
#include "fontdata/item/FontItem.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"

// Failures show texts as texts.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

using namespace Quillmark;
namespace fs = std::filesystem;

namespace {

const fs::path kData = QUILLMARK_TEST_DATA;
const QString kText = QStringLiteral("The quick brown fox jumped over the lazy dog 0123456789");

QImage Draw(const CFontItem& item, const QString& text = kText, int width = 800,
            const CPreviewLook& look = {}) {
    QImage image(width, look.height + 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    DrawPreviewLine(painter, QRectF(2, 2, width - 2, image.height() - 2), item, look, text,
                    Qt::black);
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

CFontItem Item(const char* name) {
    return CFontItem(kData / name, CFontItemSettings{}, nullptr);
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
    // The same text drawn without the symbol map finds none of them.
    QImage boxes(800, 28, QImage::Format_RGB32);
    boxes.fill(Qt::white);
    QPainter painter(&boxes);
    Platform::CTextLook plain;
    ASSERT_TRUE(Platform::CExactFontCache::Instance().DrawLine(
        painter, QRectF(2, 2, 798, 26), PathText(symbol.GetPath()), plain, kText, Qt::black));
    painter.end();
    const QImage mapped = Draw(symbol);
    EXPECT_GT(DifferentPixels(boxes, mapped), mapped.width() * mapped.height() / 20);
}

TEST(PreviewLineTest, LineIsCutWithAnEllipsisWhenTooWide) {
    const CFontItem item = Item("twin-a.ttf");
    const qreal full = PreviewLineWidth(item, {}, kText);
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

const QString kLatinPangram = QStringLiteral("The quick brown fox jumps over the lazy dog");
const QString kCyrillic = QStringLiteral(
    "\u0421\u044A\u0435\u0448\u044C \u0436\u0435 \u0435\u0449\u0451 \u044D\u0442\u0438\u0445");

// A font that maps the user's text shows it; one that does not shows a line
// of its own script, never a line of boxes nor a handful of its accents.
TEST(PreviewLineTest, TheUsersTextStaysWhereverTheFontCoversIt) {
    EXPECT_EQ(PreviewTextFor(Item("twin-a.ttf"), kText), kText);
    EXPECT_EQ(PreviewTextFor(Item("twin-a.ttf"), QStringLiteral("Hello 42!")), "Hello 42!");
    EXPECT_EQ(PreviewTextFor(Item("arrows.ttf"), QStringLiteral("\u2190 \u2192")), "\u2190 \u2192");
    // A symbol font draws the text through its symbol map.
    EXPECT_EQ(PreviewTextFor(Item("symbol.ttf"), kText), kText);
}

TEST(PreviewLineTest, ALatinFontShowsTheLatinPangramForTextItLacks) {
    EXPECT_EQ(PreviewTextFor(Item("twin-a.ttf"), kCyrillic), kLatinPangram);
    // One character it lacks is enough: no box in the line.
    EXPECT_EQ(PreviewTextFor(Item("twin-b.ttf"), QStringLiteral("Caf\u00e9 au lait")),
              kLatinPangram);
    const QImage cyrillicText = Draw(Item("twin-a.ttf"), kCyrillic);
    EXPECT_EQ(DifferentPixels(cyrillicText, Draw(Item("twin-a.ttf"), kLatinPangram)), 0);
}

TEST(PreviewLineTest, AFontOfNoScriptShowsItsOwnFirstCharacters) {
    const QString own = PreviewTextFor(Item("arrows.ttf"), kText);
    ASSERT_EQ(own.size(), 40);
    EXPECT_TRUE(own.startsWith(QStringLiteral("\u2190\u2191\u2192\u2193"))) << own.toStdString();
    for (const QChar c : own) {
        EXPECT_TRUE(c.unicode() >= 0x2190 && c.unicode() <= 0x21FF) << int{c.unicode()};
    }
    EXPECT_GT(Ink(Draw(Item("arrows.ttf"))), 0);

    // A symbol font whose map cannot reach the text: the characters that
    // reach its first glyphs (U+F021 onwards, from "!").
    const QString symbols = PreviewTextFor(Item("symbol.ttf"), kCyrillic);
    EXPECT_EQ(symbols, QStringLiteral("!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGH"));
    EXPECT_EQ(
        DifferentPixels(Draw(Item("symbol.ttf"), kCyrillic), Draw(Item("symbol.ttf"), symbols)), 0);
}

// Packaged fonts, where they are installed.
TEST(PreviewLineTest, AFontForAnotherScriptShowsALineOfThatScript) {
    const fs::path noto = "/usr/share/fonts/truetype/noto";
    const fs::path dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    const fs::path arabic = noto / "NotoNaskhArabic-Regular.ttf";
    const fs::path armenian = noto / "NotoSansArmenian-Regular.ttf";
    const fs::path notoSans = noto / "NotoSans-Regular.ttf";
    for (const fs::path& path : {dejavu, arabic, armenian, notoSans}) {
        if (!fs::exists(path)) {
            GTEST_SKIP() << path << " is not installed";
        }
    }
    const auto item = [](const fs::path& path) {
        return CFontItem(path, CFontItemSettings{}, nullptr);
    };
    // Latin and Cyrillic: the user's Cyrillic text stays.
    EXPECT_EQ(PreviewTextFor(item(dejavu), kCyrillic), kCyrillic);
    // Latin, Greek and Cyrillic, most of it Latin: the Latin line for Hebrew.
    EXPECT_EQ(PreviewTextFor(item(notoSans), QStringLiteral("\u05E9\u05DC\u05D5\u05DD")),
              kLatinPangram);
    for (const QString& text : {kText, kCyrillic}) {
        const QString sample = PreviewTextFor(item(arabic), text);
        ASSERT_NE(sample, text);
        EXPECT_EQ(sample.at(0).script(), QChar::Script_Arabic);
    }
    EXPECT_GT(Ink(Draw(item(arabic))), 0);
    // A script without a line here: the font's own letters of it.
    const QString own = PreviewTextFor(item(armenian), kText);
    ASSERT_FALSE(own.isEmpty());
    for (const QChar c : own) {
        EXPECT_EQ(c.script(), QChar::Script_Armenian) << int{c.unicode()};
    }
}

// The fonts of the tests and of the system, one line each, for a person to
// look at: $QUILLMARK_SCREENSHOTS/preview-lines.png (else the temporary folder).
TEST(PreviewLineTest, PreviewLinesPicture) {
    std::vector<fs::path> paths;
    for (const char* name :
         {"twin-a.ttf", "twin-b.ttf", "twin-bold.ttf", "symbol.ttf", "arrows.ttf"}) {
        paths.push_back(kData / name);
    }
    for (const char* name :
         {"dejavu/DejaVuSans.ttf", "dejavu/DejaVuSerif-Bold.ttf",
          "liberation2/LiberationMono-Regular.ttf", "noto/NotoNaskhArabic-Regular.ttf",
          "noto/NotoSansArmenian-Regular.ttf", "noto/NotoSansThai-Regular.ttf",
          "noto/NotoSerifHebrew-Regular.ttf"}) {
        if (fs::exists(fs::path("/usr/share/fonts/truetype") / name)) {
            paths.push_back(fs::path("/usr/share/fonts/truetype") / name);
        }
    }
    const int line = 36;
    QImage picture(900, line * static_cast<int>(paths.size()) * 2, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    int top = 0;
    for (const fs::path& path : paths) {
        const CFontItem item(path, CFontItemSettings{}, nullptr);
        for (const Rendering quality : {Rendering::Default, Rendering::Antialiased}) {
            EXPECT_TRUE(DrawPreviewLine(painter, QRectF(4, top, 892, line), item,
                                        {line - 8, quality}, kCyrillic, Qt::black))
                << path;
            top += line;
        }
    }
    painter.end();
    EXPECT_GT(Ink(picture), 0);
    const QString out = qEnvironmentVariable("QUILLMARK_SCREENSHOTS", QDir::tempPath());
    EXPECT_TRUE(picture.save(out + "/preview-lines.png"));
}

TEST(PreviewLineTest, CellHeightComesFromTheFontsWindowsMetrics) {
    // twin-a keeps DejaVu Sans's OS/2 usWinAscent 1901 and usWinDescent 483
    // over 2048 units: at a 24-pixel cell the baseline lies 19.14 down.
    const CFontItem item = Item("twin-a.ttf");
    const auto& os2 = item.GetData()->GetOS2();
    ASSERT_GT(os2.usWinAscent + os2.usWinDescent, 0);
    const double ascent = 24.0 * os2.usWinAscent / (os2.usWinAscent + os2.usWinDescent);
    Platform::CTextLook look;
    look.cellHeight = 24;
    for (const bool withData : {true, false}) {
        // From the reader's parse the item holds, and from the file's own table.
        look.data = withData ? item.GetData() : nullptr;
        Platform::CExactFontCache cache;
        const auto line = cache.Shape(PathText(item.GetPath()), look, kText);
        ASSERT_TRUE(line.IsValid());
        EXPECT_NEAR(line.ascent, ascent, 1e-9);
        EXPECT_NEAR(line.ascent + line.descent, 24.0, 1e-9);
    }
}

namespace {

constexpr const char* kInterVariable = "/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf";
constexpr const char* kInterBold = "/usr/share/fonts/opentype/inter/Inter-Bold.otf";
constexpr const char* kNotoSans = "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf";
constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

CFontItem SystemFont(const char* path) {
    return CFontItem(fs::path(path), CFontItemSettings{}, nullptr);
}

CPreviewLook Designed(std::string_view variations, std::string_view features = {}) {
    CPreviewLook look(32, Rendering::Antialiased);
    std::string error;
    EXPECT_TRUE(Varnholt::OpenTypeFontData::ParseVariations(variations, look.variations, error));
    EXPECT_TRUE(Varnholt::OpenTypeFontData::ParseFeatures(features, look.features, error));
    return look;
}

// The first and last columns with ink.
std::pair<int, int> InkColumns(const QImage& image) {
    int first = image.width();
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    return {first, last};
}

}  // namespace

TEST(PreviewLineTest, AVariableFontIsDrawnAtTheCoordinatesGiven) {
    const CFontItem inter = SystemFont(kInterVariable);
    ASSERT_EQ(inter.GetStatus(), CFontItem::Loaded);
    const QImage thin = Draw(inter, kText, 1000, Designed("wght=100"));
    const QImage black = Draw(inter, kText, 1000, Designed("wght=900"));
    EXPECT_GT(Ink(thin), 0);
    EXPECT_GT(Ink(black), 2.5 * Ink(thin));
    EXPECT_GT(DifferentPixels(thin, black), thin.width() * thin.height() / 10);
    // Heavier is wider too: the advances vary with the design.
    EXPECT_GT(InkColumns(black).second, InkColumns(thin).second + 20);

    // At the Bold instance's coordinates the line is what the family's
    // static Bold draws, to within hinting.
    const CFontItem bold = SystemFont(kInterBold);
    ASSERT_EQ(bold.GetStatus(), CFontItem::Loaded);
    const QImage varied = Draw(inter, kText, 1000, Designed("wght=700"));
    const QImage fixed = Draw(bold, kText, 1000, Designed(""));
    const auto [variedFirst, variedLast] = InkColumns(varied);
    const auto [fixedFirst, fixedLast] = InkColumns(fixed);
    EXPECT_NEAR(variedFirst, fixedFirst, 2);
    EXPECT_NEAR(variedLast, fixedLast, 4);
    EXPECT_NEAR(Ink(varied) / Ink(fixed), 1.0, 0.1);
}

TEST(PreviewLineTest, FeaturesReshapeTheTextOnlyWhereTheFontHasThem) {
    const CFontItem noto = SystemFont(kNotoSans);
    const QImage plain = Draw(noto, kText, 1000, Designed(""));
    const QImage smallCaps = Draw(noto, kText, 1000, Designed("", "+smcp"));
    EXPECT_GT(DifferentPixels(plain, smallCaps), plain.width() * plain.height() / 20);
    // Turning off what is on by default changes nothing a font lacks, and
    // a feature the font does not have changes nothing.
    const CFontItem dejavu = SystemFont(kDejaVuSans);
    EXPECT_EQ(DifferentPixels(Draw(dejavu, kText, 1000, Designed("")),
                              Draw(dejavu, kText, 1000, Designed("", "+smcp"))),
              0);
    // Axes a font does not have leave it drawn as it is, from its own run.
    EXPECT_EQ(DifferentPixels(Draw(dejavu, kText, 1000, Designed("")),
                              Draw(dejavu, kText, 1000, Designed("wght=900"))),
              0);
}
