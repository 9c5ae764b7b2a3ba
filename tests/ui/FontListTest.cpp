// The main font list with real fonts, offscreen: its model, view and
// controller together, loads running on the event loop.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <new>
#include <thread>

#include "collections/FontProjects.h"
#include "core/FontManagerHub.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FolderLoad.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/WaitUntil.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListFrame.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/common/FolderLoadDialog.h"
#include "ui/common/FontListDelegate.h"
#include "ui/common/HeldFont.h"

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

// A folder of `count` copies of the test fonts, f0.ttf, f1.ttf...
QString FolderOf(const char* name, int count) {
    const QString folder = Folder(name);
    const char* fonts[] = {"twin-a.ttf", "twin-b.ttf", "twin-bold.ttf", "symbol.ttf"};
    for (int i = 0; i < count; ++i) {
        Copy(kData + "/" + fonts[i % 4], folder + QString("/f%1.ttf").arg(i));
    }
    return folder;
}

using QuillmarkTest::WaitUntil;

// Lets a load's workers read only as many files as they have been allowed;
// a cancelled load's workers are let through.
class CGate {
public:
    void Allow(int files) {
        {
            std::lock_guard lock(m_mutex);
            m_allowed += files;
        }
        m_changed.notify_all();
    }
    void Install(CFolderLoad& load, CFontManager& manager) {
        load.SetAcquirer([this, &load, &manager](const std::filesystem::path& path) {
            std::unique_lock lock(m_mutex);
            while (m_allowed == 0 && !load.IsCanceled()) {
                m_changed.wait_for(lock, std::chrono::milliseconds(5));
            }
            if (!load.IsCanceled()) {
                --m_allowed;
            }
            lock.unlock();
            return manager.Open(path);
        });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_allowed = 0;
};

// A list with its services, as the main window has it.
struct CListFixture {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CFontProjects projects;
    CQuillmarkDoc document{hub, options, manager,
                           QString::fromStdString((kHome.Root() / "fonts-folder").string())};
    std::unique_ptr<CFontListController> list;
    CFontListView* view = nullptr;
    std::unique_ptr<CFontListFrame> frame;
    QString status[2];
    int loads = 0;

    std::unique_ptr<QAbstractItemModelTester> tester;

    CListFixture() {
        list = std::make_unique<CFontListController>(hub, options, manager, projects, document,
                                                     QApplication::font());
        view = list->View();
        // Every change the tests make is checked against the model rules.
        tester = std::make_unique<QAbstractItemModelTester>(
            &list->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        list->SetStatusSink([this](int pane, const QString& text) { status[pane] = text; });
        QObject::connect(list.get(), &CFontListController::FolderLoaded, [this] { ++loads; });
        frame = std::make_unique<CFontListFrame>(hub, view);
        frame->resize(700, 500);
        frame->show();
    }
    ~CListFixture() {
        tester.reset();
        frame.reset();
        list.reset();
    }

    // Loads a folder and waits for the load to end.
    void Load(const QString& folder) {
        const int before = loads;
        list->LoadFolder(folder);
        EXPECT_TRUE(WaitUntil([&] { return loads > before; })) << "the load never ended";
    }
    bool WaitForLoads(int count) {
        return WaitUntil([&] { return loads >= count; });
    }

    std::vector<QString> Column(int column) const {
        std::vector<QString> texts;
        for (int row = 0; row < list->Model().rowCount(); ++row) {
            texts.push_back(list->Model().index(row, column).data().toString());
        }
        return texts;
    }

    CFolderLoadDialog* Dialog() const { return frame->findChild<CFolderLoadDialog*>(); }
};

}  // namespace

TEST(FontListTest, SortsByEachColumnAndReverses) {
    const QString folder = Folder("sorting");
    Copy(kData + "/twin-bold.ttf", folder + "/b.ttf");  // "Quillmark Twin Bold", 32 KB
    Copy(kData + "/symbol.ttf", folder + "/A.ttf");     // "Quillmark Symbol", 35 KB
    Copy(kData + "/twin-b.ttf", folder + "/c.otf");     // "Quillmark Twin", 29 KB
    CListFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.list->Model().rowCount(), 3);
    EXPECT_EQ(fixture.status[0].left(18), "3 fonts read in 0.");
    EXPECT_EQ(fixture.status[1], "3 fonts displayed");

    QHeaderView* header = fixture.view->header();
    const auto click = [&](int column) { emit header->sectionClicked(column); };
    EXPECT_EQ(fixture.Column(0),
              (std::vector<QString>{"Quillmark Symbol", "Quillmark Twin", "Quillmark Twin Bold"}));
    click(0);
    EXPECT_TRUE(fixture.view->SortDescending());
    EXPECT_EQ(fixture.Column(0),
              (std::vector<QString>{"Quillmark Twin Bold", "Quillmark Twin", "Quillmark Symbol"}));
    click(1);
    EXPECT_FALSE(fixture.view->SortDescending()) << "another column starts ascending";
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
    fixture.Load(folder);
    ASSERT_EQ(fixture.list->Model().rowCount(), 1);
    EXPECT_EQ(fixture.Column(0), std::vector<QString>{"ERROR: Font file is corrupt"});
    EXPECT_TRUE(fixture.list->Model().ToolTip(0).isEmpty());

    // Below the first line the row is empty but for its bottom line.
    CFontListView* view = fixture.view;
    const QImage row = view->viewport()
                           ->grab(view->visualRect(fixture.list->Model().index(0, 0))
                                      .adjusted(0, 0, view->viewport()->width(), 0))
                           .toImage();
    const int previewTop = view->Delegate().FirstLineHeight() + 1;
    const QRgb background = row.pixel(row.width() - 2, previewTop);
    for (int y = previewTop; y < row.height() - 1; ++y) {
        for (int x = 0; x < row.width(); ++x) {
            ASSERT_EQ(row.pixel(x, y), background) << x << "," << y;
        }
    }
}

// A font the reader reads but the renderer refuses keeps its name row, and
// its preview line says that it cannot be drawn: grey words, nothing in the
// text colour.
TEST(FontListTest, AFontTheRendererRefusesSaysSoInItsPreviewLine) {
    const QString folder = Folder("refused");
    std::ifstream in(std::string(QUILLMARK_TEST_DATA) + "/twin-a.ttf", std::ios::binary);
    const auto refused = QuillmarkTest::WithEveryTableLength(
        QuillmarkTest::Bytes{std::istreambuf_iterator<char>(in), {}}, 0xFFFFFFFF);
    std::ofstream((folder + "/refused.ttf").toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(refused.data()),
               static_cast<std::streamsize>(refused.size()));
    CListFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.list->Model().rowCount(), 1);
    EXPECT_EQ(fixture.Column(0), std::vector<QString>{"Quillmark Twin"});
    CFontListView* view = fixture.view;
    QRect rect = view->visualRect(fixture.list->Model().index(0, 0));
    rect.setRight(view->viewport()->width() - 1);
    rect.setTop(rect.top() + view->Delegate().FirstLineHeight() + 1);
    rect.setBottom(rect.bottom() - 1);
    const QImage preview = view->viewport()->grab(rect).toImage();
    // Grey words, antialiased: nothing darker than their grey.
    int written = 0;
    int darker = 0;
    const QRgb background = preview.pixel(preview.width() - 2, preview.height() / 2);
    for (int y = 0; y < preview.height(); ++y) {
        for (int x = 0; x < preview.width(); ++x) {
            const QRgb pixel = preview.pixel(x, y);
            written += pixel != background;
            darker += qGray(pixel) < 0x70;
        }
    }
    EXPECT_GT(written, 100) << "the note";
    EXPECT_EQ(darker, 0) << "no preview drawn in another font";
}

TEST(FontListTest, TooltipsNameTheFontFileAndSize) {
    const QString folder = Folder("tips");
    Copy(kData + "/twin-a.ttf", folder + "/twin-a.ttf");
    CListFixture fixture;
    fixture.Load(folder);
    EXPECT_EQ(fixture.list->Model().ToolTip(0),
              "Font Name: Quillmark Twin\nFile Name: twin-a.ttf\nSize: 35KB");
    fixture.projects.AddProject("P");
    fixture.projects.AddFont("P", folder + "/twin-a.ttf");
    ASSERT_TRUE(fixture.list->LoadProject("P"));
    ASSERT_TRUE(fixture.WaitForLoads(2));
    EXPECT_EQ(
        fixture.list->Model().ToolTip(0),
        "Font Name: Quillmark Twin\nFile Name: twin-a.ttf\nLocation: " + folder + "\nSize: 35KB");
}

TEST(FontListTest, RowHeightFollowsThePreviewSize) {
    CListFixture fixture;
    const int first = std::max(16, QFontMetrics(QApplication::font()).height()) + 4;
    EXPECT_EQ(fixture.view->Delegate().FirstLineHeight(), first);
    fixture.hub.FireFontListPreviewSizeChanged(300);
    EXPECT_EQ(fixture.view->Delegate().RowHeight(), first + 304);
    EXPECT_EQ(fixture.options.GetFontListCharSize(), 300u);
}

TEST(FontListTest, WatcherFollowsTheFolderChangeAfterChange) {
    const QString folder = Folder("watched");
    Copy(kData + "/twin-a.ttf", folder + "/a.ttf");
    CListFixture fixture;
    fixture.Load(folder);
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

    // A project's rows follow no folder.
    fixture.projects.AddProject("P");
    ASSERT_TRUE(fixture.list->LoadProject("P"));
    EXPECT_FALSE(fixture.list->IsWatching());
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Writes `bytes` over the file in place, as `cp` does: the same file (its
// inode), cut to nothing, then written.
void WriteOver(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The picture of a row, every column of it.
QImage RowPicture(CFontListView* view, int row) {
    QRect rect;
    for (int column = 0; column < view->model()->columnCount(); ++column) {
        rect |= view->visualRect(view->model()->index(row, column));
    }
    return view->viewport()->grab(rect).toImage();
}

// A font file written over in place under its name, while its row is
// selected and another window holds its font: the old font leaves that
// window (its holder is told) and the manager, the new one takes the same
// row, still selected, drawn in its own design, and the panes hear of it.
TEST(FontListTest, AFontWrittenOverInPlaceIsReadAgainIntoItsSelectedRow) {
    const QString folder = Folder("replaced");
    Copy(kData + "/twin-a.ttf", folder + "/x.ttf");
    Copy(kData + "/arrows.ttf", folder + "/y.ttf");
    // The design the row must show afterwards, in a list of its own.
    const QString reference = Folder("replaced-reference");
    Copy(kData + "/twin-bold.ttf", reference + "/x.ttf");
    Copy(kData + "/arrows.ttf", reference + "/y.ttf");
    CListFixture expected;
    expected.Load(reference);
    expected.view->SelectFile("x.ttf");
    const QImage boldRow = RowPicture(expected.view, expected.list->Model().RowOfFileName("x.ttf"));

    CListFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.list->Model().rowCount(), 2);
    std::vector<const CFontItem*> fired;
    fixture.hub.ConnectFontSelected([&](const CFontItem* f) { fired.push_back(f); });
    fixture.view->SelectFile("x.ttf");
    ASSERT_EQ(fired.size(), 1u);
    const CFontItem* old = fired.back();
    ASSERT_EQ(old->GetName(), u"Quillmark Twin");
    const QImage before = RowPicture(fixture.view, fixture.list->Model().RowOfFileName("x.ttf"));
    ASSERT_NE(before, boldRow) << "the two designs look alike";
    int told = 0;
    CHeldFont holder(fixture.hub, fixture.manager, [&] { ++told; });
    ASSERT_TRUE(holder.Hold(old));

    ASSERT_EQ(fixture.view->selectionModel()->selectedRows().size(), 1);
    QElapsedTimer elapsed;
    elapsed.start();
    WriteOver(folder + "/x.ttf", Bytes(kData + "/twin-bold.ttf"));
    const auto rowName = [&] {
        const int row = fixture.list->Model().RowOfFileName("x.ttf");
        return row < 0 ? QString() : fixture.list->Model().index(row, 0).data().toString();
    };
    ASSERT_TRUE(WaitUntil([&] { return rowName() == "Quillmark Twin Bold"; }, 3000))
        << "row shows " << rowName().toStdString();
    EXPECT_LT(elapsed.elapsed(), 1000) << "read again within a second";
    ASSERT_TRUE(WaitUntil([&] { return !fixture.list->IsSynchronising(); }));

    EXPECT_EQ(told, 1) << "the window holding the old font let go of it";
    EXPECT_FALSE(holder);
    EXPECT_EQ(fixture.list->Model().rowCount(), 2);
    EXPECT_EQ(fixture.manager.Count(), 2u) << "the old font is no longer held";
    const int row = fixture.list->Model().RowOfFileName("x.ttf");
    const CFontItem* now = fixture.list->Model().ItemAt(row);
    EXPECT_EQ(now->GetName(), u"Quillmark Twin Bold");
    const QModelIndexList selection = fixture.view->selectionModel()->selectedRows();
    ASSERT_EQ(selection.size(), 1)
        << fixture.view->selectionModel()->selectedIndexes().size() << " cur "
        << fixture.view->currentIndex().row() << " fired " << fired.size();
    EXPECT_EQ(selection.first().row(), row) << "the selection stays on the row";
    ASSERT_FALSE(fired.empty());
    EXPECT_EQ(fired.back(), now) << "the panes are told of the new font";
    EXPECT_EQ(fixture.document.GetCurrentFont(), now);
    // Drawn in the new design, not from a face kept for the path.
    QTest::qWait(50);
    const QImage after = RowPicture(fixture.view, row);
    after.save(QString::fromStdString((kHome.Root() / "replaced-row-after.png").string()));
    before.save(QString::fromStdString((kHome.Root() / "replaced-row-before.png").string()));
    EXPECT_NE(after, before);
    EXPECT_EQ(after, boldRow);
}

// A collection written over in place: each face's row takes its new font,
// a face the file gained gets a row, a face it lost loses its row; the
// project of a face keeps that face alone.
TEST(FontListTest, ACollectionWrittenOverInPlaceKeepsOneRowAFace) {
    const auto bytes = [](const char* name) {
        const QByteArray read = Bytes(kData + "/" + name);
        return QuillmarkTest::Bytes(read.begin(), read.end());
    };
    const auto collection = [&](std::vector<const char*> names) {
        std::vector<QuillmarkTest::Bytes> fonts;
        for (const char* name : names) {
            fonts.push_back(bytes(name));
        }
        const QuillmarkTest::Bytes made = QuillmarkTest::Collection(fonts);
        return QByteArray(reinterpret_cast<const char*>(made.data()),
                          static_cast<qsizetype>(made.size()));
    };
    const QString folder = Folder("collection-replaced");
    const QString path = folder + "/pair.ttc";
    WriteOver(path, collection({"twin-a.ttf", "twin-bold.ttf"}));
    CListFixture fixture;
    fixture.Load(folder);
    EXPECT_EQ(fixture.Column(0), (std::vector<QString>{"Quillmark Twin", "Quillmark Twin Bold"}));
    EXPECT_EQ(fixture.Column(1), (std::vector<QString>{"pair.ttc (0)", "pair.ttc (1)"}));
    EXPECT_EQ(fixture.status[1], "2 fonts from 1 file displayed");

    WriteOver(path, collection({"twin-bold.ttf", "arrows.ttf", "twin-a.ttf"}));
    ASSERT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 3; }, 3000));
    ASSERT_TRUE(WaitUntil([&] { return !fixture.list->IsSynchronising(); }));
    std::vector<QString> names = fixture.Column(0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names[2], "Quillmark Twin Bold");
    EXPECT_EQ(fixture.manager.Count(), 3u) << "the old faces are no longer held";
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(fixture.list->Model().ItemAt(row)->GetFaceCount(), 3u);
    }

    WriteOver(path, Bytes(kData + "/twin-a.ttf"));
    ASSERT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 1; }, 3000))
        << fixture.list->Model().rowCount();
    ASSERT_TRUE(WaitUntil([&] { return !fixture.list->IsSynchronising(); }));
    EXPECT_EQ(fixture.Column(1), std::vector<QString>{"pair.ttc"});
    EXPECT_EQ(fixture.manager.Count(), 1u);

    // A project that holds the third face of a collection lists it alone.
    WriteOver(path, collection({"twin-a.ttf", "arrows.ttf", "twin-bold.ttf"}));
    fixture.projects.AddProject("Third");
    fixture.projects.AddFont("Third", path, 2);
    ASSERT_TRUE(fixture.list->LoadProject("Third"));
    ASSERT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 1; }));
    EXPECT_EQ(fixture.Column(0), std::vector<QString>{"Quillmark Twin Bold"});
    EXPECT_EQ(fixture.list->Model().ItemAt(0)->GetFace(), 2u);
}

// A file copied in slowly (half of it, a pause, the rest) is read once,
// whole: no row of a damaged font, not even for a moment.
TEST(FontListTest, AFontWrittenInTwoStepsIsReadOnceWhole) {
    const QString folder = Folder("two-steps");
    Copy(kData + "/arrows.ttf", folder + "/y.ttf");
    CListFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.list->Model().rowCount(), 1);
    std::atomic<int> reads{0};
    fixture.list->SetLoadSetup([&](CFolderLoad& load) {
        load.SetAcquirer([&](const std::filesystem::path& path) {
            reads += path.filename() == "x.ttf" ? 1 : 0;
            return fixture.manager.Open(path);
        });
    });
    std::vector<Varnholt::FontStatus> shown;  // every x.ttf row as it appeared
    const auto look = [&](int first, int last) {
        for (int row = first; row <= last; ++row) {
            const CFontItem* item = fixture.list->Model().ItemAt(row);
            if (item->GetFileName() == "x.ttf") {
                shown.push_back(item->GetStatus());
            }
        }
    };
    QObject::connect(&fixture.list->Model(), &QAbstractItemModel::rowsInserted,
                     [&](const QModelIndex&, int first, int last) { look(first, last); });
    QObject::connect(
        &fixture.list->Model(), &QAbstractItemModel::dataChanged,
        [&](const QModelIndex& from, const QModelIndex& to) { look(from.row(), to.row()); });

    const QByteArray bytes = Bytes(kData + "/twin-bold.ttf");
    {
        QFile file(folder + "/x.ttf");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes.left(bytes.size() / 2)), bytes.size() / 2);
        ASSERT_TRUE(file.flush());
        QTest::qWait(350);  // longer than the folder's changes take to settle
        ASSERT_EQ(file.write(bytes.mid(bytes.size() / 2)), bytes.size() - bytes.size() / 2);
    }
    ASSERT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 2; }));
    QTest::qWait(1200);  // whatever else would come
    ASSERT_TRUE(WaitUntil([&] { return !fixture.list->IsSynchronising(); }));
    const int row = fixture.list->Model().RowOfFileName("x.ttf");
    ASSERT_GE(row, 0);
    EXPECT_EQ(fixture.list->Model().ItemAt(row)->GetStatus(), CFontItem::Loaded);
    EXPECT_EQ(fixture.list->Model().ItemAt(row)->GetName(), u"Quillmark Twin Bold");
    EXPECT_EQ(shown, std::vector<Varnholt::FontStatus>{CFontItem::Loaded});
    EXPECT_EQ(reads.load(), 1);
    EXPECT_EQ(fixture.list->Model().rowCount(), 2);
}

// A burst of 1,000 changes (700 files come, 300 go) is one re-synchronisation:
// the rows of the files that went leave in one pass, and the files that
// came are read on the load's worker threads, never on the event loop's,
// then listed and sorted together. The selected font stays selected.
TEST(FontListTest, ABurstOfChangesIsOneResynchronisationReadByWorkers) {
    const QString folder = FolderOf("burst", 400);
    CListFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.list->Model().rowCount(), 400);
    const int kept = fixture.list->Model().RowOfFileName("f333.ttf");
    fixture.view->selectionModel()->setCurrentIndex(
        fixture.list->Model().index(kept, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const CFontItem* selected = fixture.list->Model().ItemAt(kept);

    int syncs = 0;
    std::atomic<int> readOnTheEventLoop{0};
    const std::thread::id eventLoop = std::this_thread::get_id();
    fixture.list->SetLoadSetup([&](CFolderLoad& load) {
        ++syncs;
        load.SetAcquirer([&](const std::filesystem::path& path) {
            readOnTheEventLoop += std::this_thread::get_id() == eventLoop ? 1 : 0;
            return fixture.manager.Open(path);
        });
    });
    const char* fonts[] = {"twin-a.ttf", "twin-b.ttf", "symbol.ttf"};
    for (int i = 0; i < 700; ++i) {
        Copy(kData + "/" + fonts[i % 3], folder + QString("/new%1.otf").arg(i));
    }
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(QFile::remove(folder + QString("/f%1.ttf").arg(i)));
    }
    ASSERT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 800; }, 20000))
        << fixture.list->Model().rowCount();
    ASSERT_TRUE(WaitUntil([&] { return !fixture.list->IsSynchronising(); }));
    QTest::qWait(400);  // nothing more comes
    EXPECT_EQ(syncs, 1);
    EXPECT_EQ(readOnTheEventLoop.load(), 0);
    EXPECT_EQ(fixture.list->Model().rowCount(), 800);
    EXPECT_EQ(fixture.status[1], "800 fonts displayed");
    EXPECT_EQ(fixture.list->Model().RowOfFileName("f299.ttf"), -1);
    EXPECT_EQ(fixture.manager.Count(), 800u) << "the fonts that went are let go of";
    // Sorted once, with the rest, by the list's order (the font name).
    for (int row = 1; row < fixture.list->Model().rowCount(); ++row) {
        EXPECT_GE(CFontItem::CompareByName(fixture.list->Model().ItemAt(row - 1),
                                           fixture.list->Model().ItemAt(row)),
                  0)
            << row;
    }
    const QModelIndexList selection = fixture.view->selectionModel()->selectedRows();
    ASSERT_EQ(selection.size(), 1);
    EXPECT_EQ(fixture.list->Model().ItemAt(selection.first().row()), selected);
}

TEST(FontListTest, ReleasedFontLeavesTheListAndTheManager) {
    const QString folder = Folder("release");
    Copy(kData + "/twin-a.ttf", folder + "/a.ttf");
    Copy(kData + "/twin-b.ttf", folder + "/b.ttf");
    CListFixture fixture;
    fixture.Load(folder);
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
    fixture.Load(folder);
    std::vector<const CFontItem*> fired;
    fixture.hub.ConnectFontSelected([&](const CFontItem* f) { fired.push_back(f); });
    fixture.view->SelectFile("B.TTF");
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_EQ(fired[0]->GetFileName(), "b.ttf");
    EXPECT_EQ(fixture.document.GetCurrentFont(), fired[0]);

    // Someone else announces a font: the list selects it without firing again.
    const CFontItem* a = fixture.list->Model().ItemAt(fixture.list->Model().RowOfFileName("a.ttf"));
    fixture.hub.FireFontSelected(a);
    EXPECT_EQ(fired.size(), 2u);
    EXPECT_EQ(fixture.view->currentIndex().row(), fixture.list->Model().RowOf(a));
}

TEST(FontListTest, ChoosingTheShownFolderOnlySelectsTheFile) {
    const QString folder = Folder("same");
    Copy(kData + "/twin-a.ttf", folder + "/a.ttf");
    Copy(kData + "/twin-b.ttf", folder + "/b.ttf");
    CListFixture fixture;
    fixture.hub.FireFolderSelected(folder, nullptr);
    ASSERT_TRUE(fixture.WaitForLoads(1));
    const QString file = "b.ttf";
    fixture.hub.FireFolderSelected(folder, &file);
    QTest::qWait(50);
    EXPECT_EQ(fixture.loads, 1);
    EXPECT_FALSE(fixture.list->IsLoading());
    EXPECT_EQ(fixture.view->currentIndex().row(), fixture.list->Model().RowOfFileName("b.ttf"));
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
        offThread += std::this_thread::get_id() != home ? 1 : 0;
    }
    void BeginBatch() override { ++depth; }
    void EndBatch() override { --depth; }
    bool sawWaitWindow = false;
    std::atomic<int> registered{0};
    std::atomic<int> unregistered{0};
    std::atomic<int> outsideBatch{0};
    std::atomic<int> offThread{0};
    std::atomic<int> depth{0};
    const std::thread::id home = std::this_thread::get_id();
};

// A list whose fonts are shared with a watching font system.
struct CSharingList {
    CWatchingFontSystem system;
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, &system};
    CFontProjects projects;
    CQuillmarkDoc document{hub, options, manager, QString()};
    CFontListController list{hub, options, manager, projects, document, QApplication::font()};
    std::unique_ptr<CFontListView> view{list.View()};
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
        CSharingList sharing;
        CWatchingFontSystem& system = sharing.system;
        CFontListController& list = sharing.list;
        list.LoadFolder(folder);
        ASSERT_TRUE(WaitUntil([&] { return !list.IsLoading(); }, 30000));
        ASSERT_EQ(list.Model().rowCount(), rows);
        sharing.hub.FireShareFonts(true);
        EXPECT_EQ(system.registered, rows);
        EXPECT_EQ(system.sawWaitWindow, rows > 500) << rows << " rows";
        // Leaving the folder unshares every font in one batch.
        list.LoadFolder(Folder("empty"));
        EXPECT_EQ(system.unregistered, rows);
        EXPECT_EQ(system.outsideBatch, 0);
    }
}

// The rows of files that went let go of their fonts away from the event
// loop; the desktop still hears of the shared ones there, in one batch,
// before the rows are in step.
TEST(FontListTest, SharedFontsOfFilesThatWentLeaveTheDesktopAtOnceInOneBatch) {
    const QString folder = FolderOf("shared-going", 30);
    CSharingList sharing;
    CWatchingFontSystem& system = sharing.system;
    CFontListController& list = sharing.list;
    list.LoadFolder(folder);
    ASSERT_TRUE(WaitUntil([&] { return !list.IsLoading(); }));
    sharing.hub.FireShareFonts(true);
    ASSERT_EQ(system.registered, 30);

    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(QFile::remove(folder + QString("/f%1.ttf").arg(i)));
    }
    ASSERT_TRUE(WaitUntil([&] { return list.Model().rowCount() == 10; }));
    EXPECT_EQ(system.unregistered, 20);
    EXPECT_EQ(system.outsideBatch, 0);
    EXPECT_EQ(system.offThread, 0);
    EXPECT_EQ(sharing.manager.Count(), 10u);
}

TEST(FontListTest, AListThatIsGoneHearsNothing) {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager(&managerHub, nullptr);
    CFontProjects projects;
    CQuillmarkDoc document(hub, options, manager, QString());
    const QString folder = FolderOf("gone", 3);
    {
        CFontListController list(hub, options, manager, projects, document, QApplication::font());
        CFontListFrame frame(hub, list.View());
        // Gone in the middle of a load: the workers are waited for, their
        // fonts given back.
        list.LoadFolder(folder);
        EXPECT_TRUE(list.IsLoading());
    }
    EXPECT_EQ(manager.Count(), 0u);
    // Every slot of the list and its frame went with them.
    hub.FireFolderSelected(folder, nullptr);
    hub.FireFontsFolderShown(true);
    hub.FireFontListPreviewSizeChanged(30);
    EXPECT_EQ(hub.FireReleaseFont(nullptr), 0);
    EXPECT_EQ(manager.Count(), 0u);
}

// ---------------------------------------------------------------- loads on the event loop

TEST(FontListTest, RowsArriveWhileTheEventLoopRuns) {
    const QString folder = FolderOf("paced", 3);
    CListFixture fixture;
    CGate gate;
    fixture.list->SetLoadSetup([&](CFolderLoad& load) { gate.Install(load, fixture.manager); });
    fixture.list->LoadFolder(folder);
    // LoadFolder returned while no file has been read: nothing waits for the workers.
    EXPECT_TRUE(fixture.list->IsLoading());
    EXPECT_EQ(fixture.list->Model().rowCount(), 0);

    // The event loop the program runs in delivers a timer while the load runs.
    bool timerSawTheLoad = false;
    QTimer::singleShot(0, [&] { timerSawTheLoad = fixture.list->IsLoading(); });
    QTest::qWait(20);
    EXPECT_TRUE(timerSawTheLoad);

    gate.Allow(1);
    ASSERT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 1; }));
    EXPECT_TRUE(fixture.list->IsLoading()) << "the first row is listed before the load ends";
    EXPECT_EQ(fixture.loads, 0);

    // The progress shows after a blink, modal for its window only.
    CFolderLoadDialog* dialog = fixture.Dialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return dialog->isVisible(); }));
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->windowTitle(), "Reading Font Information...");
    EXPECT_NE(dialog->findChild<QLabel*>(), nullptr);
    EXPECT_EQ(dialog->findChild<QLabel*>()->text(), "Reading font 1 of 3.");

    gate.Allow(2);
    ASSERT_TRUE(fixture.WaitForLoads(1));
    EXPECT_FALSE(fixture.list->IsLoading());
    EXPECT_EQ(fixture.list->Model().rowCount(), 3);
    EXPECT_EQ(fixture.status[0].left(18), "3 fonts read in 0.");
    EXPECT_EQ(fixture.status[1], "3 fonts displayed");
    EXPECT_EQ(fixture.Dialog(), nullptr) << "the dialog goes with its load";
    EXPECT_EQ(fixture.options.GetLastFolder(), folder);
}

TEST(FontListTest, AnotherLocationDropsTheRunningLoad) {
    const QString first = FolderOf("first", 4);
    const QString second = FolderOf("second", 2);
    CListFixture fixture;
    CGate gate;
    fixture.list->SetLoadSetup([&](CFolderLoad& load) { gate.Install(load, fixture.manager); });
    fixture.hub.FireFolderSelected(first, nullptr);
    gate.Allow(1);
    ASSERT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 1; }));

    fixture.hub.FireFolderSelected(second, nullptr);
    EXPECT_EQ(fixture.list->Model().rowCount(), 0) << "the first folder's rows are dropped";
    gate.Allow(2);
    ASSERT_TRUE(fixture.WaitForLoads(1));
    QTest::qWait(50);
    EXPECT_EQ(fixture.loads, 1) << "the dropped load does not end as a load";
    EXPECT_EQ(fixture.list->Model().rowCount(), 2);
    for (int row = 0; row < 2; ++row) {
        EXPECT_TRUE(fixture.list->Model()
                        .index(row, 0)
                        .data(CFontListModel::PathRole)
                        .toString()
                        .startsWith(second));
    }
    EXPECT_EQ(fixture.status[0].left(18), "2 fonts read in 0.");
    EXPECT_EQ(fixture.options.GetLastFolder(), second);
    // The first folder's fonts are given back once its worker has ended.
    EXPECT_TRUE(WaitUntil([&] { return fixture.manager.Count() == 2; })) << fixture.manager.Count();
}

TEST(FontListTest, CancelKeepsWhatWasRead) {
    const QString folder = FolderOf("cancelled", 6);
    CListFixture fixture;
    CGate gate;
    fixture.list->SetLoadSetup([&](CFolderLoad& load) { gate.Install(load, fixture.manager); });
    fixture.list->LoadFolder(folder);
    gate.Allow(2);
    ASSERT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 2; }));
    ASSERT_NE(fixture.Dialog(), nullptr);
    // Escape, the close button and Cancel all come here.
    fixture.Dialog()->reject();
    ASSERT_TRUE(fixture.WaitForLoads(1));
    // The worker finishes the file it was reading, then stops.
    EXPECT_EQ(fixture.list->Model().rowCount(), 3);
    EXPECT_EQ(fixture.status[0], "3 fonts read, font information scan was canceled");
    EXPECT_EQ(fixture.status[1], "3 fonts displayed");
    EXPECT_EQ(fixture.manager.Count(), 3u);
}

TEST(FontListTest, SignalsDuringALoadWaitForItsEnd) {
    const QString folder = FolderOf("during", 3);
    CListFixture fixture;
    fixture.Load(folder);

    CGate gate;
    fixture.list->SetLoadSetup([&](CFolderLoad& load) { gate.Install(load, fixture.manager); });
    fixture.hub.FireRefreshRequested();
    ASSERT_TRUE(fixture.list->IsLoading());
    // The same folder chosen again with a file: no second load, the file is
    // selected when this one ends.
    const QString file = "f2.ttf";
    fixture.hub.FireFolderSelected(folder, &file);
    fixture.hub.FireFontListPreviewSizeChanged(40);
    // A font another window announces waits for its row.
    CFontItem* announced = fixture.manager.Acquire(FilePath(folder + "/f1.ttf"));
    fixture.hub.FireFontSelected(announced);
    fixture.manager.Release(announced);
    EXPECT_EQ(fixture.list->Model().rowCount(), 0);
    gate.Allow(3);
    ASSERT_TRUE(fixture.WaitForLoads(2));
    QTest::qWait(50);
    EXPECT_EQ(fixture.loads, 2);
    ASSERT_EQ(fixture.list->Model().rowCount(), 3);
    EXPECT_EQ(fixture.view->currentIndex().row(), fixture.list->Model().RowOfFileName(file));
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(fixture.list->Model().ItemAt(row)->GetUseCount(), 1)
            << "the announced font's hold was given back";
    }
}

TEST(FontListTest, AFontAnnouncedDuringTheLoadIsSelectedAtItsEnd) {
    const QString folder = FolderOf("announced", 3);
    CListFixture fixture;
    CGate gate;
    fixture.list->SetLoadSetup([&](CFolderLoad& load) { gate.Install(load, fixture.manager); });
    std::vector<const CFontItem*> fired;
    fixture.hub.ConnectFontSelected([&](const CFontItem* f) { fired.push_back(f); });
    fixture.hub.FireFolderSelected(folder, nullptr);
    ASSERT_EQ(fired, std::vector<const CFontItem*>{nullptr}) << "the list shows no font";
    // As the start does for a font file on the command line: the font is
    // read, announced and let go before the list has its row.
    CFontItem* font = fixture.manager.Acquire(FilePath(folder + "/f1.ttf"));
    fixture.hub.FireFontSelected(font);
    fixture.manager.Release(font);
    EXPECT_EQ(fixture.document.GetCurrentFont(), font) << "the list holds it meanwhile";
    gate.Allow(3);
    ASSERT_TRUE(fixture.WaitForLoads(1));
    EXPECT_EQ(fixture.view->currentIndex().row(), fixture.list->Model().RowOf(font));
    EXPECT_EQ(fired.size(), 2u) << "selecting it does not announce it again";
    EXPECT_EQ(font->GetUseCount(), 1);
    EXPECT_EQ(fixture.document.GetCurrentFont(), font);
}

TEST(FontListTest, PreviewSizeChangedDuringALoadReachesEveryRow) {
    const QString folder = FolderOf("resized", 3);
    CListFixture fixture;
    fixture.list->LoadFolder(folder);
    // Read with the old size; listed after the change, since no event is
    // handled before it.
    for (int waited = 0; fixture.manager.Count() < 3 && waited < 5000; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(fixture.list->Model().rowCount(), 0);
    fixture.hub.FireFontListPreviewSizeChanged(64);
    ASSERT_TRUE(fixture.WaitForLoads(1));
    // The look is the list's, one for every row: each is laid out and drawn at it.
    ASSERT_EQ(fixture.list->Model().rowCount(), 3);
    EXPECT_EQ(fixture.view->Delegate().PreviewLook().height, 64);
    EXPECT_EQ(fixture.view->Delegate().RowHeight(),
              fixture.view->Delegate().FirstLineHeight() + 64 + 4);
}

TEST(FontListTest, OutOfMemoryInAWorkerStopsTheLoadAndKeepsItsRows) {
    const QString folder = FolderOf("memory", 5);
    CListFixture fixture;
    std::atomic<int> acquires{0};
    fixture.list->SetLoadSetup([&](CFolderLoad& load) {
        load.SetAcquirer([&](const std::filesystem::path& path) -> CFontHandle {
            if (++acquires == 3) {
                throw std::bad_alloc();
            }
            return fixture.manager.Open(path);
        });
    });
    fixture.list->LoadFolder(folder);
    ASSERT_TRUE(fixture.WaitForLoads(1));
    EXPECT_EQ(fixture.list->Model().rowCount(), 2);
    EXPECT_EQ(acquires.load(), 3) << "the load stopped at the failure";
    EXPECT_EQ(fixture.status[1], "2 fonts displayed");
    auto* message = fixture.frame->findChild<QMessageBox*>("OutOfMemoryMessage");
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->isVisible());
    EXPECT_EQ(message->icon(), QMessageBox::Critical);
    EXPECT_EQ(message->text(),
              "An error occurred due to low memory.  Please close other applications or "
              "documents and try again.");
    message->accept();
}

TEST(FontListTest, EveryProjectLoadStoresTheProjectAsTheLastOne) {
    const QString folder = FolderOf("projected", 1);
    CListFixture fixture;
    fixture.projects.AddProject("Empty");
    fixture.projects.AddProject("Full");
    fixture.projects.AddFont("Full", folder + "/f0.ttf");
    fixture.hub.FireProjectSelected("Full");
    ASSERT_TRUE(fixture.WaitForLoads(1));
    EXPECT_EQ(fixture.options.GetLastProject(), "Full");
    fixture.hub.FireProjectSelected("Empty");
    ASSERT_TRUE(fixture.WaitForLoads(2));
    EXPECT_EQ(fixture.status[0], "No fonts to display");
    EXPECT_EQ(fixture.options.GetLastProject(), "Empty");
}

TEST(FontListTest, ClosingTheProgramCancelsTheLoad) {
    const QString folder = FolderOf("closing", 4);
    CListFixture fixture;
    CGate gate;
    fixture.list->SetLoadSetup([&](CFolderLoad& load) { gate.Install(load, fixture.manager); });
    fixture.list->LoadFolder(folder);
    gate.Allow(1);
    ASSERT_TRUE(WaitUntil([&] { return fixture.list->Model().rowCount() == 1; }));
    // Nothing more is allowed: only the cancel lets the worker go.
    fixture.hub.FireApplicationClosing();
    ASSERT_TRUE(fixture.WaitForLoads(1));
    EXPECT_EQ(fixture.status[0], "2 fonts read, font information scan was canceled");
    EXPECT_EQ(fixture.options.GetFontNameColumnWidth(),
              static_cast<quint32>(fixture.view->header()->sectionSize(0)));
}
