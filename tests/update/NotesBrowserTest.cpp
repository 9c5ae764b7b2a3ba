// The release notes come off the net: whatever they name (a device, a FIFO,
// a file, a style sheet, a picture on the web or in data:) is never read;
// the text shows at once with blanks in their place.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/FifoWatch.h"
#include "tests/support/TemporaryHome.h"
#include "tests/update/TestHttpsServer.h"
#include "update/UpdateAvailableDialog.h"

void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << "x" << size.height();
}

using namespace Quillmark;
using QuillmarkTest::CFifoWatch;
using QuillmarkTest::CTestHttpsServer;

namespace {

const auto& g_notesHome = QuillmarkTest::TemporaryHome();

QByteArray Png(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Notes that name, in every way a page can, FIFOs that are watched, a real
// picture file, the endless /dev/zero, and pictures on the web and in data:.
class CHostileNotes {
public:
    CHostileNotes()
        : m_image(m_dir.filePath("image").toStdString()),
          m_bare(m_dir.filePath("bare.png").toStdString()),
          m_sheet(m_dir.filePath("sheet.css").toStdString()),
          m_imported(m_dir.filePath("imported.css").toStdString()),
          m_background(m_dir.filePath("background").toStdString()),
          m_styled(m_dir.filePath("styled").toStdString()) {
        QFile real(m_dir.filePath("real.png"));
        if (real.open(QIODevice::WriteOnly)) {
            real.write(Png(5, 4));
        }
    }
    bool IsReady() const {
        return m_dir.isValid() && m_image.IsReady() && m_bare.IsReady() && m_sheet.IsReady() &&
               m_imported.IsReady() && m_background.IsReady() && m_styled.IsReady();
    }
    QString Url(const CFifoWatch& fifo) const {
        return QUrl::fromLocalFile(QString::fromStdString(fifo.Path())).toString();
    }
    QString RealPicture() const { return m_dir.filePath("real.png"); }
    QByteArray Html() const {
        const QString data = QStringLiteral("data:image/png;base64,") + Png(7, 6).toBase64();
        return QStringLiteral(
                   "<html><head><link rel=\"stylesheet\" href=\"%1\">"
                   "<style>@import url(\"%2\");</style></head><body>"
                   "<h1>Quillmark 3.1</h1><p>Faster folders.</p>"
                   "<img src=\"file:///dev/zero\"><img src=\"/dev/zero\">"
                   "<img src=\"%3\"><img src=\"%4\"><img src=\"%5\">"
                   "<table background=\"%6\"><tr><td>cell</td></tr></table>"
                   "<p style=\"background-image: url(%7)\">styled</p>"
                   "<img src=\"%8\"><img src=\"https://127.0.0.1:9/picture.png\">"
                   "<img src=\"qrc:/qt-project.org/styles/commonstyle/images/file-16.png\">"
                   "<img src=\"real.png\"></body></html>")
            .arg(Url(m_sheet), Url(m_imported), Url(m_image), QString::fromStdString(m_bare.Path()),
                 RealPicture(), Url(m_background), Url(m_styled), data)
            .toUtf8();
    }
    // The pictures it names, as the document would ask for them.
    QStringList Pictures() const {
        return {"file:///dev/zero",
                "/dev/zero",
                Url(m_image),
                QString::fromStdString(m_bare.Path()),
                RealPicture(),
                QUrl::fromLocalFile(RealPicture()).toString(),
                "https://127.0.0.1:9/picture.png",
                "qrc:/qt-project.org/styles/commonstyle/images/file-16.png",
                "real.png"};
    }
    int Opens() const {
        return m_image.Opens() + m_bare.Opens() + m_sheet.Opens() + m_imported.Opens() +
               m_background.Opens() + m_styled.Opens();
    }

private:
    QTemporaryDir m_dir;
    CFifoWatch m_image, m_bare, m_sheet, m_imported, m_background, m_styled;
};

// Draws the whole page, which is when pictures are asked for.
void Paint(QWidget& widget) {
    widget.resize(700, 1400);
    widget.show();
    QTest::qWait(50);
    (void)widget.grab();
}

void ExpectBlank(QTextDocument& document, const QStringList& pictures) {
    for (const QString& name : pictures) {
        const QVariant picture = document.resource(QTextDocument::ImageResource, QUrl(name));
        EXPECT_EQ(picture.value<QImage>().size(), QSize(1, 1)) << name.toStdString();
    }
}

}  // namespace

TEST(NotesBrowserTest, ReadsNothingAPageNames) {
    const CHostileNotes notes;
    ASSERT_TRUE(notes.IsReady());
    // Even the notes' own folder, were it a folder on this disk.
    CNotesBrowser browser;
    browser.document()->setBaseUrl(
        QUrl::fromLocalFile(QFileInfo(notes.RealPicture()).path() + "/"));
    QElapsedTimer clock;
    clock.start();
    browser.setHtml(QString::fromUtf8(notes.Html()));
    Paint(browser);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(browser.toPlainText().contains("Faster folders."));
    EXPECT_TRUE(browser.toPlainText().contains("cell"));
    ExpectBlank(*browser.document(), notes.Pictures());
    EXPECT_EQ(browser.document()
                  ->resource(QTextDocument::StyleSheetResource, QUrl(notes.RealPicture()))
                  .toByteArray(),
              QByteArray());
    EXPECT_EQ(
        browser.loadResource(QTextDocument::HtmlResource, QUrl::fromLocalFile(notes.RealPicture())),
        QVariant(QByteArray()));
    EXPECT_EQ(notes.Opens(), 0) << "a FIFO the page names was opened";
}

TEST(NotesBrowserTest, TheDialogShowsHostileNotesAtOnce) {
    CTestHttpsServer server;
    ASSERT_TRUE(server.IsReady()) << "openssl could not make the test certificate";
    server.Trust();
    const CHostileNotes notes;
    ASSERT_TRUE(notes.IsReady());
    // With a table that Qt's layout would never finish (a padding of billions).
    server.SetAnswer("/notes.html",
                     {.body = notes.Html() + "<table cellpadding=\"26666666666\"><tr><td>"
                                             "Wider tables.</td></tr></table>",
                      .contentType = "text/html"});
    CUpdateAvailableDialog dialog(server.Address("/notes.html"), false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.NotesLoaded(); }, 10000));
    Paint(dialog);
    auto* browser = dialog.findChild<CNotesBrowser*>();
    EXPECT_TRUE(browser->toPlainText().contains("Faster folders."));
    EXPECT_TRUE(browser->toPlainText().contains("Wider tables."));
    EXPECT_TRUE(dialog.findChild<QPushButton*>("DownloadUpdate")->isEnabled());
    ExpectBlank(*browser->document(), notes.Pictures());
    EXPECT_EQ(notes.Opens(), 0) << "a FIFO the notes name was opened";
    EXPECT_EQ(server.Requests(), QStringList{"/notes.html"}) << "nothing else fetched";
    server.CloseAll();
}
