// The help: pages found beside the program, one for each context id, links
// that lead somewhere, and the window's contents, back and forward.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>

#include "tests/support/FifoWatch.h"
#include "ui/common/FencedTextDocument.h"
#include "ui/common/HelpPages.h"
#include "ui/common/HelpWindow.h"

using namespace Quillmark;

TEST(HelpPagesTest, FoundBesideTheProgramWithAPageForEveryContext) {
    const CHelpPages pages = CHelpPages::Installed();
    ASSERT_TRUE(pages.IsAvailable())
        << "share/quillmark/help above " << QCoreApplication::applicationDirPath().toStdString();
    EXPECT_EQ(QFileInfo(pages.PageFor(HelpContext::Contents).toLocalFile()).fileName(),
              "index.html");
    EXPECT_EQ(QFileInfo(pages.PageFor(HelpContext::UnreadableFontFile).toLocalFile()).fileName(),
              "unreadable-fonts.html");
    EXPECT_EQ(QFileInfo(pages.PageFor(HelpContext::WhatsNew).toLocalFile()).fileName(),
              "whats-new.html");
    EXPECT_EQ(pages.PageFor(4242), pages.PageFor(HelpContext::Contents))
        << "an unknown id shows the contents";
    EXPECT_TRUE(CHelpPages::FindFolder(QDir::rootPath()).isEmpty());

    // Every listed page is there, and every link of every page leads to one.
    const QRegularExpression link(QStringLiteral("href=\"([^\"#]*)(#[^\"]*)?\""));
    for (const CHelpTopic& topic : CHelpPages::Topics()) {
        QFile page(QDir(pages.Folder()).filePath(topic.fileName));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << topic.fileName.toStdString();
        const QString html = QString::fromUtf8(page.readAll());
        auto links = link.globalMatch(html);
        while (links.hasNext()) {
            const QString target = links.next().captured(1);
            if (!target.isEmpty() && !target.contains(':')) {
                EXPECT_NE(CHelpPages::TopicOf(QUrl(target)), nullptr)
                    << topic.fileName.toStdString() << " links to " << target.toStdString();
            }
        }
    }
}

TEST(HelpWindowTest, OneWindowWithContentsBackAndForward) {
    CHelpWindow* window = ShowHelp(HelpContext::UnreadableFontFile);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(QFileInfo(window->CurrentPage().toLocalFile()).fileName(), "unreadable-fonts.html");
    EXPECT_TRUE(window->Browser()->toPlainText().contains("What's wrong with this font file?"));
    EXPECT_EQ(window->Contents()->currentItem()->text(), "Font files that cannot be read");
    EXPECT_FALSE(window->BackButton()->isEnabled());

    EXPECT_EQ(ShowHelp(HelpContext::WhatsNew), window) << "the same window again";
    EXPECT_EQ(QFileInfo(window->CurrentPage().toLocalFile()).fileName(), "whats-new.html");
    EXPECT_TRUE(window->BackButton()->isEnabled());
    window->BackButton()->click();
    EXPECT_EQ(QFileInfo(window->CurrentPage().toLocalFile()).fileName(), "unreadable-fonts.html");
    EXPECT_TRUE(window->ForwardButton()->isEnabled());
    window->ForwardButton()->click();
    EXPECT_EQ(QFileInfo(window->CurrentPage().toLocalFile()).fileName(), "whats-new.html");

    // A link inside a page opens its page here.
    window->ShowContext(HelpContext::Contents);
    emit window->Browser()->anchorClicked(QUrl("printing.html"));
    EXPECT_EQ(QFileInfo(window->CurrentPage().toLocalFile()).fileName(), "printing.html");
    EXPECT_EQ(window->Contents()->currentItem()->text(), "Printing fonts");
    window->close();
}

TEST(HelpWindowTest, SaysSoWhenThePagesAreMissing) {
    CHelpWindow window(CHelpPages(QString{}));
    window.ShowContext(HelpContext::UnreadableFontFile);
    EXPECT_TRUE(window.Browser()->toPlainText().contains("not installed"));
}

void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << "x" << size.height();
}

namespace {

void WritePng(const QString& path, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    image.save(path, "PNG");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

// The help reads its pages and pictures from its own folder, and nothing
// else a page names: no device, no FIFO (inside the folder or out), no
// file outside the folder, whether named by its path, climbed to with
// "..", or reached through a link.
TEST(HelpWindowTest, ReadsOnlyFromItsOwnFolder) {
    QTemporaryDir root;
    const QString help = root.filePath("help");
    ASSERT_TRUE(QDir().mkpath(help));
    QuillmarkTest::CFifoWatch inside((help + "/fifo.png").toStdString());
    QuillmarkTest::CFifoWatch outside(root.filePath("fifo.png").toStdString());
    QuillmarkTest::CFifoWatch sheet(root.filePath("sheet.css").toStdString());
    ASSERT_TRUE(inside.IsReady() && outside.IsReady() && sheet.IsReady());
    WritePng(help + "/own.png", 3, 2);
    WritePng(root.filePath("elsewhere.png"), 5, 4);
    ASSERT_TRUE(QFile::link(root.filePath("elsewhere.png"), help + "/link.png"));
    WriteFile(root.filePath("outside.html"), "<p>Outside page</p>");
    const QStringList pictures{
        "own.png",   "fifo.png",         root.filePath("fifo.png"),      "file:///dev/zero",
        "/dev/zero", "../elsewhere.png", root.filePath("elsewhere.png"), "link.png"};
    QByteArray page = "<html><head><link rel=\"stylesheet\" href=\"" +
                      QFile::encodeName(root.filePath("sheet.css")) +
                      "\"></head><body><p>Our own help.</p>";
    for (const QString& picture : pictures) {
        page += "<img src=\"" + picture.toUtf8() + "\">";
    }
    WriteFile(help + "/index.html", page + "</body></html>");

    CHelpWindow window{CHelpPages(help)};
    window.ShowContext(HelpContext::Contents);
    window.resize(900, 900);
    window.show();
    (void)window.grab();
    EXPECT_TRUE(window.Browser()->toPlainText().contains("Our own help."));
    QTextDocument& document = *window.Browser()->document();
    const auto size = [&](const QString& name) {
        return document.resource(QTextDocument::ImageResource, QUrl(name)).value<QImage>().size();
    };
    EXPECT_EQ(size("own.png"), QSize(3, 2)) << "its own pictures are read";
    for (const QString& picture : pictures.mid(1)) {
        EXPECT_EQ(size(picture), QSize(1, 1)) << picture.toStdString();
    }
    EXPECT_EQ(inside.Opens() + outside.Opens() + sheet.Opens(), 0) << "a FIFO was opened";

    // Pages elsewhere are not shown, however they are asked for.
    const QUrl index = window.CurrentPage();
    for (const QUrl& elsewhere :
         {QUrl("file:///dev/zero"), QUrl::fromLocalFile(root.filePath("outside.html")),
          QUrl("../outside.html"), QUrl::fromLocalFile(help + "/fifo.png")}) {
        emit window.Browser()->anchorClicked(elsewhere);
        window.ShowPage(index.resolved(elsewhere));
        EXPECT_EQ(window.CurrentPage(), index) << elsewhere.toString().toStdString();
        EXPECT_TRUE(window.Browser()->toPlainText().contains("Our own help."));
    }
    EXPECT_EQ(inside.Opens(), 0);
}

// The window reads a page whole: a link to a file outside the help's folder
// (a device, a FIFO, anyone's file) is never opened, and the web goes to
// the desktop.
TEST(HelpWindowTest, OpensOnlyPagesOfItsOwnFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    ASSERT_TRUE(QDir(root.path()).mkpath("help/more"));
    const auto write = [&](const QString& name, const QByteArray& html) {
        QFile file(root.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html);
    };
    write("help/index.html", "<p>Contents</p>");
    write("help/printing.html", "<p>Printing</p>");
    write("help/more/deeper.html", "<p>Deeper</p>");
    write("outside.html", "<p>Outside the help</p>");
    const CHelpPages pages(root.filePath("help"));
    const QUrl index = pages.PageFor(HelpContext::Contents);

    CHelpWindow window(pages);
    window.ShowContext(HelpContext::Contents);
    ASSERT_EQ(window.CurrentPage(), index);
    for (const QUrl& link :
         {QUrl("../outside.html"), QUrl::fromLocalFile(root.filePath("outside.html")),
          QUrl("more/../../outside.html"), QUrl("file:outside.html")}) {
        emit window.Browser()->anchorClicked(link);
        EXPECT_EQ(window.CurrentPage(), index) << link.toString().toStdString();
        EXPECT_FALSE(window.Browser()->toPlainText().contains("Outside"))
            << link.toString().toStdString();
    }
    emit window.Browser()->anchorClicked(QUrl("more/deeper.html"));
    EXPECT_TRUE(window.Browser()->toPlainText().contains("Deeper"));

    EXPECT_EQ(pages.Follow(index, QUrl("printing.html#x")).kind, CHelpLink::Page);
    EXPECT_EQ(pages.Follow(index, QUrl("printing.html#x")).url,
              QUrl::fromLocalFile(root.filePath("help/printing.html")).resolved(QUrl("#x")));
    EXPECT_EQ(pages.Follow(index, QUrl("#top")).kind, CHelpLink::Page);
    EXPECT_EQ(pages.Follow(index, QUrl("file:///dev/zero")).kind, CHelpLink::Nowhere);
    EXPECT_EQ(pages.Follow(index, QUrl("./")).kind, CHelpLink::Nowhere) << "the folder itself";
    const CHelpLink web = pages.Follow(index, QUrl("https://update.example/notes"));
    EXPECT_EQ(web.kind, CHelpLink::Outside);
    EXPECT_EQ(web.url, QUrl("https://update.example/notes"));
    EXPECT_EQ(CHelpPages(QString{}).Follow(index, QUrl("printing.html")).kind, CHelpLink::Nowhere)
        << "no pages installed";
}

// Qt's layout does not come back from a cell padding of billions (found by
// fuzzing the help pages): numbers inside tags keep at most five digits,
// in the help's pages, their style sheets and the release notes alike.
TEST(HelpWindowTest, AHugeNumberInAPageIsBoundedAndThePageShows) {
    EXPECT_EQ(CFencedTextDocument::BoundedNumbers(
                  "<table cellpadding=\"26666666666\" style=\"width: 123456789px\">"
                  "<tr><td width=120>2026666666666 fonts</td></tr></table>"),
              "<table cellpadding=\"99999\" style=\"width: 99999px\">"
              "<tr><td width=120>2026666666666 fonts</td></tr></table>");
    EXPECT_EQ(CFencedTextDocument::BoundedNumbers(
                  "<STYLE type=\"text/css\">td { padding: 26666666666px }</style><p>1000000</p>"),
              "<STYLE type=\"text/css\">td { padding: 99999px }</style><p>1000000</p>");
    EXPECT_EQ(CFencedTextDocument::BoundedNumbers("td { padding: 9999999px; margin: 12px }", false),
              "td { padding: 99999px; margin: 12px }");

    QTemporaryDir root;
    const QString help = root.filePath("help");
    ASSERT_TRUE(QDir().mkpath(help));
    WriteFile(help + "/index.html",
              "<html><head><style>td { padding: 26666666666px }</style></head>"
              "<body><table cellpadding=\"26666666666\"><tr><td>Delete key</td></tr>"
              "</table><p>Shown after the table.</p></body></html>");
    CHelpWindow window{CHelpPages(help)};
    window.ShowContext(HelpContext::Contents);
    EXPECT_TRUE(window.Browser()->toPlainText().contains("Shown after the table."));
}
