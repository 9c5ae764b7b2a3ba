// The font list with real fonts, offscreen.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "app/QuillmarkApp.h"
#include "collections/FontProjects.h"
#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/TemporaryHome.h"
#include "ui/browse/FolderLoadDialog.h"
#include "ui/browse/FontListFrame.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/MainFrame.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
const QString kData = QStringLiteral(QUILLMARK_TEST_DATA);

QString Folder(const char* name) {
    const QString folder = QString::fromStdString((kHome.Root() / name).string());
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

void Copy(const QString& from, const QString& to) {
    ASSERT_TRUE(QFile::copy(from, to)) << from.toStdString();
}

// A list with its services, as the main window has it.
struct CListFixture {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CFontProjects projects;
    CQuillmarkDoc document{hub, options, manager,
                           QString::fromStdString((kHome.Root() / "fonts-folder").string())};
    CFontListView* list = nullptr;
    std::unique_ptr<CFontListFrame> frame;
    QString status[2];

    std::unique_ptr<QAbstractItemModelTester> tester;

    CListFixture() {
        list = new CFontListView(hub, options, manager, projects, &document, QApplication::font());
        // Every change the tests make is checked against the model rules.
        tester = std::make_unique<QAbstractItemModelTester>(
            &list->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        list->SetStatusSink([this](int pane, const QString& text) { status[pane] = text; });
        frame = std::make_unique<CFontListFrame>(hub, list);
        frame->resize(700, 500);
        frame->show();
    }
    ~CListFixture() {
        tester.reset();
        frame.reset();
    }

    std::vector<QString> Column(int column) const {
        std::vector<QString> texts;
        for (int row = 0; row < list->Model().rowCount(); ++row) {
            texts.push_back(list->Model().index(row, column).data().toString());
        }
        return texts;
    }
};

bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < milliseconds) {
        QTest::qWait(20);
    }
    return condition();
}

}  // namespace

TEST(FontListTest, SortsByEachColumnAndReverses) {
    const QString folder = Folder("sorting");
    Copy(kData + "/twin-bold.ttf", folder + "/b.ttf");  // "Quillmark Twin Bold", 32 KB
    Copy(kData + "/symbol.ttf", folder + "/A.ttf");     // "Quillmark Symbol", 35 KB
    Copy(kData + "/twin-b.ttf", folder + "/c.otf");     // "Quillmark Twin", 29 KB
    CListFixture fixture;
    fixture.list->LoadFolder(folder);
    ASSERT_EQ(fixture.list->Model().rowCount(), 3);
    EXPECT_EQ(fixture.status[0].left(18), "3 fonts read in 0.");
    EXPECT_EQ(fixture.status[1], "3 fonts displayed");

    QHeaderView* header = fixture.list->header();
    const auto click = [&](int column) { emit header->sectionClicked(column); };
    EXPECT_EQ(fixture.Column(0),
              (std::vector<QString>{"Quillmark Symbol", "Quillmark Twin", "Quillmark Twin Bold"}));
    click(0);
    EXPECT_TRUE(fixture.list->SortDescending());
    EXPECT_EQ(fixture.Column(0),
              (std::vector<QString>{"Quillmark Twin Bold", "Quillmark Twin", "Quillmark Symbol"}));
    click(1);
    EXPECT_FALSE(fixture.list->SortDescending()) << "another column starts ascending";
    EXPECT_EQ(fixture.Column(1), (std::vector<QString>{"A.ttf", "b.ttf", "c.otf"}));
    click(2);
    EXPECT_EQ(fixture.Column(1), (std::vector<QString>{"c.otf", "b.ttf", "A.ttf"}));
    click(2);
    EXPECT_EQ(fixture.Column(1), (std::vector<QString>{"A.ttf", "b.ttf", "c.otf"}));
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_TRUE(fixture.options.GetFontListSortDescending());
}

TEST(FontListTest, UnreadableFontGetsItsErrorRowAndNoPreview) {
    const QString folder = Folder("broken");
    QFile broken(folder + "/broken.ttf");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a font at all");
    broken.close();
    CListFixture fixture;
    fixture.list->LoadFolder(folder);
    ASSERT_EQ(fixture.list->Model().rowCount(), 1);
    EXPECT_EQ(fixture.Column(0), std::vector<QString>{"ERROR: Font file is corrupt"});
    EXPECT_TRUE(fixture.list->Model().ToolTip(0).isEmpty());

    // Below the first line the row is empty but for its bottom line.
    const QImage row = fixture.list->viewport()
                           ->grab(fixture.list->visualRect(fixture.list->Model().index(0, 0))
                                      .adjusted(0, 0, fixture.list->viewport()->width(), 0))
                           .toImage();
    const int previewTop = fixture.list->Delegate().FirstLineHeight() + 1;
    const QRgb background = row.pixel(row.width() - 2, previewTop);
    for (int y = previewTop; y < row.height() - 1; ++y) {
        for (int x = 0; x < row.width(); ++x) {
            ASSERT_EQ(row.pixel(x, y), background) << x << "," << y;
        }
    }
}

TEST(FontListTest, TooltipsNameTheFontFileAndSize) {
    const QString folder = Folder("tips");
    Copy(kData + "/twin-a.ttf", folder + "/twin-a.ttf");
    CListFixture fixture;
    fixture.list->LoadFolder(folder);
    EXPECT_EQ(fixture.list->Model().ToolTip(0),
              "Font Name: Quillmark Twin\nFile Name: twin-a.ttf\nSize: 35KB");
    fixture.projects.AddProject("P");
    fixture.projects.AddFont("P", folder + "/twin-a.ttf");
    ASSERT_TRUE(fixture.list->LoadProject("P"));
    EXPECT_EQ(
        fixture.list->Model().ToolTip(0),
        "Font Name: Quillmark Twin\nFile Name: twin-a.ttf\nLocation: " + folder + "\nSize: 35KB");
}

TEST(FontListTest, RowHeightFollowsThePreviewSize) {
    CListFixture fixture;
    const int first = std::max(16, QFontMetrics(QApplication::font()).height()) + 4;
    EXPECT_EQ(fixture.list->Delegate().FirstLineHeight(), first);
    fixture.hub.FireFontListPreviewSizeChanged(300);
    EXPECT_EQ(fixture.list->Delegate().RowHeight(), first + 304);
    EXPECT_EQ(fixture.options.GetFontListCharSize(), 300u);
}

TEST(FontListTest, WatcherFollowsTheFolderChangeAfterChange) {
    const QString folder = Folder("watched");
    Copy(kData + "/twin-a.ttf", folder + "/a.ttf");
    CListFixture fixture;
    fixture.list->LoadFolder(folder);
    ASSERT_EQ(fixture.list->Model().rowCount(), 1);
    ASSERT_TRUE(fixture.list->IsWatching());

    Copy(kData + "/twin-b.ttf", folder + "/dropped.otf");
    EXPECT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 2; }));
    QFile::remove(folder + "/a.ttf");
    EXPECT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 1; }));
    EXPECT_EQ(fixture.Column(1), std::vector<QString>{"dropped.otf"});
    // And a third change: the watcher goes on watching.
    QFile::rename(folder + "/dropped.otf", folder + "/renamed.otf");
    EXPECT_TRUE(
        WaitUntil([&] { return fixture.Column(1) == std::vector<QString>{"renamed.otf"}; }));
    EXPECT_EQ(fixture.status[1], "1 fonts displayed");
}

TEST(FontListTest, ReleasedFontLeavesTheListAndTheManager) {
    const QString folder = Folder("release");
    Copy(kData + "/twin-a.ttf", folder + "/a.ttf");
    Copy(kData + "/twin-b.ttf", folder + "/b.ttf");
    CListFixture fixture;
    fixture.list->LoadFolder(folder);
    const CFontItem* a = fixture.list->Model().ItemAt(fixture.list->Model().RowOfFileName("a.ttf"));
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(fixture.manager.CanRelease(a));
    EXPECT_EQ(fixture.list->Model().rowCount(), 1);
    EXPECT_FALSE(fixture.manager.Contains(a));
}

TEST(FontListTest, SelectingFiresFontSelectedButNotItsOwnEcho) {
    const QString folder = Folder("echo");
    Copy(kData + "/twin-a.ttf", folder + "/a.ttf");
    Copy(kData + "/twin-b.ttf", folder + "/b.ttf");
    CListFixture fixture;
    fixture.list->LoadFolder(folder);
    std::vector<const CFontItem*> fired;
    fixture.hub.ConnectFontSelected([&](const CFontItem* f) { fired.push_back(f); });
    fixture.list->SelectFile("B.TTF");
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0]->GetFileName(), "b.ttf");
    EXPECT_EQ(fixture.document.GetCurrentFont(), fired[0]);

    // Someone else announces a font: the list selects it without firing again.
    const CFontItem* a = fixture.list->Model().ItemAt(fixture.list->Model().RowOfFileName("a.ttf"));
    fixture.hub.FireFontSelected(a);
    EXPECT_EQ(fired.size(), 2u);
    EXPECT_EQ(fixture.list->currentIndex().row(), fixture.list->Model().RowOf(a));
}

TEST(FontListTest, ChoosingTheShownFolderOnlySelectsTheFile) {
    const QString folder = Folder("same");
    Copy(kData + "/twin-a.ttf", folder + "/a.ttf");
    Copy(kData + "/twin-b.ttf", folder + "/b.ttf");
    CListFixture fixture;
    int loads = 0;
    QObject::connect(fixture.list, &CFontListView::FolderLoaded, [&] { ++loads; });
    fixture.hub.FireFolderSelected(folder, nullptr);
    const QString file = "b.ttf";
    fixture.hub.FireFolderSelected(folder, &file);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(fixture.list->currentIndex().row(), fixture.list->Model().RowOfFileName("b.ttf"));
    EXPECT_EQ(fixture.options.GetLastFolder(), folder);
}

TEST(FontListTest, FontsFolderShowsItsBanner) {
    CListFixture fixture;
    const QString fonts = fixture.document.GetFontsFolder();
    QDir().mkpath(fonts);
    fixture.hub.FireFolderSelected(fonts, nullptr);
    EXPECT_TRUE(fixture.frame->IsBannerShown());
    fixture.hub.FireFolderSelected(Folder("elsewhere"), nullptr);
    EXPECT_FALSE(fixture.frame->IsBannerShown());
}

// The main window listing a folder of real fonts with a row selected. The
// pictures are written to $QUILLMARK_SCREENSHOTS (else the temporary folder).
TEST(FontListTest, MainWindowPicture) {
    QString folder = qEnvironmentVariable("QUILLMARK_SCREENSHOT_FONTS");
    if (folder.isEmpty()) {
        folder = Folder("picture");
        for (const char* name : {"twin-a.ttf", "twin-b.ttf", "twin-bold.ttf", "symbol.ttf"}) {
            Copy(kData + "/" + name, folder + "/" + name);
        }
    }
    const QString out = qEnvironmentVariable("QUILLMARK_SCREENSHOTS", QDir::tempPath());
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    CQuillmarkApp app({"quillmark", folder}, hooks);
    ASSERT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
    CMainFrame* frame = app.MainFrame();
    frame->resize(1100, 720);
    auto* list = static_cast<CFontListFrame*>(frame->GetPane(CMainFrame::Pane::FontList))->List();
    ASSERT_GT(list->Model().rowCount(), 0);
    list->selectionModel()->setCurrentIndex(
        list->Model().index(std::min(1, list->Model().rowCount() - 1), 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::qWait(50);
    const QImage picture = frame->grab().toImage();
    EXPECT_TRUE(picture.save(out + "/main-window.png"));
    app.Hub().FireFontListPreviewSizeChanged(48);
    QTest::qWait(50);
    EXPECT_TRUE(frame->grab().toImage().save(out + "/main-window-48px.png"));
    EXPECT_EQ(frame->GetStatusText(1), QString("%1 fonts displayed").arg(list->Model().rowCount()));
}

TEST(FontListTest, ColumnsAlwaysFillTheWidth) {
    const QString folder = Folder("columns");
    Copy(kData + "/twin-a.ttf", folder + "/a.ttf");
    CListFixture fixture;
    fixture.list->LoadFolder(folder);
    QHeaderView* header = fixture.list->header();
    const auto total = [&] {
        return header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2);
    };
    const int width = fixture.list->viewport()->width();
    EXPECT_EQ(total(), width);
    fixture.frame->resize(900, 500);
    QApplication::processEvents();
    EXPECT_EQ(total(), fixture.list->viewport()->width());
    EXPECT_GT(fixture.list->viewport()->width(), width);

    // The user widens the name column: the file name column gives way.
    const int size2 = header->sectionSize(2);
    header->resizeSection(0, header->sectionSize(0) + 50);
    EXPECT_EQ(total(), fixture.list->viewport()->width());
    EXPECT_EQ(header->sectionSize(2), size2);
    // Double-clicking the divider after the name column gives it the file name column.
    const int joined = header->sectionSize(0) + header->sectionSize(1);
    emit header->sectionHandleDoubleClicked(0);
    EXPECT_EQ(header->sectionSize(0), joined);
    EXPECT_EQ(header->sectionSize(1), 0);
}

namespace {
// Records whether the wait window was up while fonts were shared.
class CWatchingFontSystem : public Platform::IFontSystem {
public:
    bool IsInstalledFolder(const std::filesystem::path&) override { return false; }
    void Register(const std::filesystem::path&, std::uint32_t) override {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            sawWaitWindow |= widget->isVisible() && widget->windowTitle() == "Updating...";
        }
        ++registered;
    }
    void Unregister(const std::filesystem::path&, std::uint32_t) override {
        ++unregistered;
        outsideBatch += depth == 0 ? 1 : 0;
    }
    void BeginBatch() override { ++depth; }
    void EndBatch() override { --depth; }
    bool sawWaitWindow = false;
    int registered = 0;
    int unregistered = 0;
    int outsideBatch = 0;
    int depth = 0;
};
}  // namespace

TEST(FontListTest, SharingMoreThan500RowsShowsAWaitWindow) {
    for (const int rows : {500, 501}) {
        const QString folder = Folder(rows == 500 ? "share500" : "share501");
        QFile source(kData + "/twin-bold.ttf");
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QByteArray bytes = source.readAll();
        for (int i = 0; i < rows; ++i) {
            QFile file(folder + QString("/f%1.ttf").arg(i));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        CWatchingFontSystem system;
        CQuillmarkSignals hub;
        CProgramOptions options;
        CFontManagerHub managerHub{hub};
        CFontManager manager(&managerHub, &system);
        CFontProjects projects;
        CQuillmarkDoc document(hub, options, manager, QString());
        CFontListView list(hub, options, manager, projects, &document, QApplication::font());
        list.LoadFolder(folder);
        ASSERT_EQ(list.Model().rowCount(), rows);
        hub.FireShareFonts(true);
        EXPECT_EQ(system.registered, rows);
        EXPECT_EQ(system.sawWaitWindow, rows > 500) << rows << " rows";
        // Leaving the folder unshares every font in one batch.
        list.LoadFolder(Folder("empty"));
        EXPECT_EQ(system.unregistered, rows);
        EXPECT_EQ(system.outsideBatch, 0);
    }
}

TEST(FontListTest, AListThatIsGoneHearsNothing) {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager(&managerHub, nullptr);
    CFontProjects projects;
    CQuillmarkDoc document(hub, options, manager, QString());
    {
        auto* list =
            new CFontListView(hub, options, manager, projects, &document, QApplication::font());
        CFontListFrame frame(hub, list);
    }
    // Every slot of the list and its frame went with them.
    const QString folder = Folder("after");
    hub.FireFolderSelected(folder, nullptr);
    hub.FireFontsFolderShown(true);
    hub.FireFontListPreviewSizeChanged(30);
    EXPECT_EQ(hub.FireReleaseFont(nullptr), 0);
}

TEST(FontListTest, ProgressDialogPicture) {
    CFontManager manager(nullptr, nullptr);
    std::vector<std::filesystem::path> paths(1234, std::filesystem::path("/nowhere/x.ttf"));
    CFolderLoad load(manager, paths);
    CFolderLoadDialog dialog(load);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Reading Font Information...");
    EXPECT_EQ(CFolderLoadDialog::ProgressText(12, 1234), "Reading font 12 of 1234.");
    EXPECT_TRUE(dialog.grab().toImage().save(QDir::tempPath() + "/quillmark-progress.png"));
}
