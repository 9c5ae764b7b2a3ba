// Printing the font list: the page layout, and the pages read back from a
// PDF (pdfinfo, pdftotext) as the list and quillmark-cli print make them.

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include "core/PathText.h"
#include "render/FontBook.h"
#include "tests/browse/ListCommandsSupport.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

QString RunTool(const QString& program, const QStringList& arguments, int* status = nullptr) {
    const QString path = QStandardPaths::findExecutable(program);
    EXPECT_FALSE(path.isEmpty()) << program.toStdString()
                                 << " is missing: scripts/install-deps.sh test installs it";
    QProcess process;
    process.start(path, arguments);
    process.waitForFinished(60000);
    if (status != nullptr) {
        *status = process.exitCode();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

int PageCount(const QString& pdf) {
    const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto match = pages.match(RunTool("pdfinfo", {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The title lines of a page, "NAME (FILE)", in order.
QStringList Titles(const QString& pdf, int page) {
    QStringList titles;
    const QString text =
        RunTool("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    const QRegularExpression title(QStringLiteral("^(.+ \\(.+\\.(ttf|otf)\\))$"),
                                   QRegularExpression::MultilineOption);
    auto it = title.globalMatch(text);
    while (it.hasNext()) {
        titles.append(it.next().captured(1).trimmed());
    }
    return titles;
}

// The list's pages as a PDF at 300 dots per inch on A4; returns the layout.
CFontBookLayout PrintList(CCommandsFixture& fixture, const QString& pdf) {
    QPdfWriter writer(pdf);
    writer.setResolution(300);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    CFontBookText text;
    text.pointSize = static_cast<int>(fixture.options.GetPrintCharSize());
    const CFontBookLayout layout = FontBookLayoutFor(writer, text);
    fixture.commands->PrintTo(writer);
    return layout;
}

}  // namespace

TEST(FontBookLayoutTest, HalfInchMarginsAndWholeBlocks) {
    // Letter at 600 dpi: 5100 x 6600 pixels.
    const CFontBookLayout layout(QSizeF(5100, 6600), 600, 600, 20, 83);
    EXPECT_EQ(layout.LeftMargin(), 300);
    EXPECT_EQ(layout.TopMargin(), 300);
    EXPECT_EQ(layout.PrintableWidth(), 4500);
    EXPECT_EQ(CFontBookLayout::SampleHeight(20, 600), 166);  // 400 twips * 600 / 1440
    EXPECT_EQ(CFontBookLayout::TitlePixelSize(600), 83);     // 0.1389 inch
    EXPECT_EQ(layout.BlockHeight(), 83 + 2 * 166);
    EXPECT_EQ(layout.BlocksPerPage(), 6000 / 415);
    EXPECT_EQ(layout.PageCount(0), 1) << "an empty list prints one empty page";
    EXPECT_EQ(layout.PageCount(1), 1);
    EXPECT_EQ(layout.PageCount(14), 1);
    EXPECT_EQ(layout.PageCount(15), 2);
    EXPECT_EQ(layout.FirstOnPage(2), 14);
    EXPECT_EQ(layout.CountOnPage(2, 20), 6);
    EXPECT_EQ(layout.CountOnPage(3, 20), 0);
}

TEST(FontBookLayoutTest, ABlockTallerThanThePageGetsAPageOfItsOwn) {
    // 500 points at 300 dpi: 2083 pixels a sample line, two of them taller
    // than the printable height of an A4 page.
    const CFontBookLayout layout(QSizeF(2480, 3508), 300, 300, 500, 42);
    EXPECT_EQ(layout.BlocksPerPage(), 1);
    EXPECT_EQ(layout.PageCount(3), 3);
}

TEST(FontBookTest, PagesOfTheListForNoneOneAndMany) {
    const QString pdf = HomePath("book.pdf");
    {
        CCommandsFixture fixture;
        fixture.Load(FreshFolder("print-none"));
        PrintList(fixture, pdf);
        EXPECT_EQ(PageCount(pdf), 1);
        EXPECT_TRUE(Titles(pdf, 1).isEmpty());
    }
    {
        CCommandsFixture fixture;
        fixture.Load(FontFolder("print-one", 1));
        PrintList(fixture, pdf);
        EXPECT_EQ(PageCount(pdf), 1);
        EXPECT_EQ(Titles(pdf, 1), QStringList{"Quillmark Twin (f0.ttf)"});
    }
    {
        const QString folder = FontFolder("print-many", 40);
        QFile(folder + "/zz-broken.ttf").open(QIODevice::WriteOnly);
        CCommandsFixture fixture;
        fixture.Load(folder);
        fixture.view->SortBy(1, false);  // by file name: f0, f1, f10, f11, ...
        const CFontBookLayout layout = PrintList(fixture, pdf);
        const int rows = fixture.Model().rowCount();
        ASSERT_EQ(rows, 41);
        ASSERT_GT(layout.BlocksPerPage(), 1);
        const int pages = layout.PageCount(rows);
        ASSERT_GT(pages, 1);
        EXPECT_EQ(PageCount(pdf), pages);
        // Every page holds its share of the list, in list order.
        for (int page = 1; page <= pages; ++page) {
            QStringList expected;
            for (int i = 0; i < layout.CountOnPage(page, rows); ++i) {
                const int row = layout.FirstOnPage(page) + i;
                expected.append(fixture.Model().index(row, 0).data().toString() + " (" +
                                fixture.Model().index(row, 1).data().toString() + ")");
            }
            EXPECT_EQ(Titles(pdf, page), expected) << "page " << page;
        }
        EXPECT_EQ(Titles(pdf, pages).last(), "ERROR: Font file is corrupt (zz-broken.ttf)");
    }
}

TEST(FontBookTest, CommandLinePrintsAFolderAsAPdf) {
    const QString folder = FontFolder("cli-print", 3);
    const QString pdf = HomePath("cli.pdf");
    int status = -1;
    RunTool(QStringLiteral(QUILLMARK_CLI), {"print", "--size", "12", "-o", pdf, folder}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(PageCount(pdf), 1);
    // Sorted by name as the list shows a folder.
    EXPECT_EQ(Titles(pdf, 1), (QStringList{"Quillmark Twin (f0.ttf)", "Quillmark Twin (f1.ttf)",
                                           "Quillmark Twin Bold (f2.ttf)"}));
    // A size that leaves one font a page.
    RunTool(QStringLiteral(QUILLMARK_CLI), {"print", "--size", "400", "-o", pdf, folder}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(PageCount(pdf), 3);
    RunTool(QStringLiteral(QUILLMARK_CLI), {"print", "-o", pdf, HomePath("no-such-folder")},
            &status);
    EXPECT_EQ(status, 1);
}

TEST(FontBookTest, PrintPreviewRaisesTheFlagWhileItIsOpen) {
    CCommandsFixture fixture;
    fixture.Load(FontFolder("print-preview", 2));
    EXPECT_FALSE(CFontListCommands::InPrintPreview());
    bool flagWhileOpen = false;
    bool previewSeen = false;
    QTimer::singleShot(100, [&] {
        QWidget* preview = QApplication::activeModalWidget();
        previewSeen = preview != nullptr && preview->inherits("QPrintPreviewDialog");
        flagWhileOpen = CFontListCommands::InPrintPreview();
        if (preview != nullptr) {
            preview->close();
        }
    });
    fixture.commands->PrintPreview();
    EXPECT_TRUE(previewSeen);
    EXPECT_TRUE(flagWhileOpen);
    EXPECT_FALSE(CFontListCommands::InPrintPreview()) << "lowered when the preview closes";
}
