// The help: pages found beside the program, one for each context id, links
// that lead somewhere, and the window's contents, back and forward.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolButton>

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
