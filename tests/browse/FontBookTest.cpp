// Printing the font list: the page layout, and the pages read back from a
// PDF (pdfinfo, pdftotext) as the list and quillmark-cli print make them.

#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
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

TEST(FontBookTest, ThePageSetUpIsThePagePrintedAndPreviewedAndIsKept) {
    const QString pdf = HomePath("set-up.pdf");
    QFile::remove(pdf);
    std::vector<QPageLayout> offered;
    bool answer = true;
    CFontListCommands::Hooks hooks;
    hooks.pageSetup = [&](QPrinter& printer) {
        offered.push_back(printer.pageLayout());
        if (!answer) {
            return false;
        }
        printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape,
                                          QMarginsF(1, 1.5, 1, 1), QPageLayout::Inch));
        return true;
    };
    hooks.printDialog = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    CCommandsFixture fixture(hooks);
    fixture.Load(FontFolder("print-set-up", 2));
    const QList<QAction*> file = fixture.commands->PrintActions();
    ASSERT_EQ(file.size(), 3);
    EXPECT_EQ(file[2]->text(), "Print Set&up...");
    EXPECT_EQ(file[2]->property("accessibleName").toString(), "Print Setup...");

    file[2]->trigger();
    ASSERT_EQ(offered.size(), 1u);
    // Until set up, the page has the book's half-inch margins.
    EXPECT_EQ(offered[0].margins(QPageLayout::Inch), QMarginsF(0.5, 0.5, 0.5, 0.5));
    // Set up again and cancelled: the page stays as chosen for the run.
    answer = false;
    fixture.commands->PageSetup();
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(offered[1].orientation(), QPageLayout::Landscape);
    EXPECT_EQ(offered[1].pageSize().id(), QPageSize::A5);

    fixture.commands->Print();
    // A5 across: 595 by 420 points, the title at the inch and a half chosen.
    const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    const auto match = size.match(RunTool("pdfinfo", {pdf}));
    ASSERT_TRUE(match.hasMatch());
    EXPECT_NEAR(match.captured(1).toDouble(), 595.3, 1.0);
    EXPECT_NEAR(match.captured(2).toDouble(), 419.5, 1.0);
    EXPECT_EQ(Titles(pdf, 1).value(0), "Quillmark Twin (f0.ttf)");
    const QRegularExpression word(QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\""));
    const auto first = word.match(RunTool("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"}));
    ASSERT_TRUE(first.hasMatch());
    EXPECT_NEAR(first.captured(1).toDouble(), 72.0, 4.0);
    EXPECT_NEAR(first.captured(2).toDouble(), 108.0, 6.0);

    // The preview shows the same page.
    QPageLayout previewed;
    QTimer::singleShot(100, [&] {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
        if (preview != nullptr) {
            previewed = preview->printer()->pageLayout();
            preview->close();
        }
    });
    fixture.commands->PrintPreview();
    EXPECT_EQ(previewed.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(previewed.pageSize().id(), QPageSize::A5);
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
