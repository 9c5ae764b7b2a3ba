// The folder tree's model alone, on a temporary folder tree and a mount
// table written by the test, under QAbstractItemModelTester.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>

#include "core/PathText.h"
#include "tests/support/ListingBlock.h"
#include "tests/support/WaitUntil.h"
#include "ui/browse/FolderTreeModel.h"

using namespace Quillmark;

namespace {

using Kind = CFolderTreeModel::Kind;
using QuillmarkTest::CListingBlock;

bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 1000) {
    return QuillmarkTest::WaitUntil(condition, milliseconds);
}

QStringList Names(const QAbstractItemModel& model, const QModelIndex& parent) {
    QStringList names;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        names.append(model.index(row, 0, parent).data().toString());
    }
    return names;
}

void WriteTable(const QString& path, const QByteArray& text) {
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    ASSERT_TRUE(file.commit());
}

const QByteArray kTable =
    "proc /proc proc rw 0 0\n"
    "sysfs /sys sysfs rw 0 0\n"
    "/dev/vda1 / ext4 rw 0 0\n"
    "tmpfs /run/user/1000 tmpfs rw 0 0\n"
    "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n";
const QByteArray kStick = "/dev/sdz1 /media/user/STICK vfat rw 0 0\n";

// A desktop, a home and a mount table of their own, in a temporary folder.
class FolderTreeModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* folder :
             {"home/Desktop/b", "home/Desktop/A", "home/Desktop/folder10/x", "home/Desktop/folder9",
              "home/Desktop/.hidden/y", "home/Music", "root/usr/share/fonts"}) {
            ASSERT_TRUE(QDir().mkpath(Path(folder)));
        }
        QFile file(Path("home/Desktop/a file.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        m_table = Path("mounts");
        WriteTable(m_table, kTable);
        qputenv("QUILLMARK_MOUNT_TABLE", m_table.toLocal8Bit());
        MakeModel(true);
    }
    // The tester lists every folder it meets when it starts: a test of what
    // is listed when goes without it.
    void MakeModel(bool tested) {
        m_tester.reset();
        m_model = std::make_unique<CFolderTreeModel>(
            CFolderTreeModel::CPlaces{Path("home/Desktop"), Path("home"), Path("root")});
        m_model->SetSettleMilliseconds(50);
        if (tested) {
            m_tester = std::make_unique<QAbstractItemModelTester>(
                m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
            // Afterwards only what the test lists: the tester must not walk the disk.
            m_tester->setUseFetchMore(false);
        }
        m_model->fetchMore(Desktop());
    }
    void TearDown() override {
        m_tester.reset();
        m_model.reset();
        qunsetenv("QUILLMARK_MOUNT_TABLE");
    }

    QString Path(const QString& relative) const { return m_dir.filePath(relative); }
    QModelIndex Desktop() const { return m_model->DesktopIndex(); }
    QModelIndex Child(const QModelIndex& parent, const QString& name) const {
        for (int row = 0; row < m_model->rowCount(parent); ++row) {
            const QModelIndex index = m_model->index(row, 0, parent);
            if (index.data().toString() == name) {
                return index;
            }
        }
        return {};
    }
    // A folder made after the tester walked the tree: not listed yet.
    QModelIndex Fresh(const QString& relative) {
        EXPECT_TRUE(QDir().mkpath(Path("home/Desktop/" + relative)));
        m_model->SyncFolder(Path("home/Desktop"));
        const QModelIndex index = Child(Desktop(), relative.section('/', 0, 0));
        EXPECT_TRUE(index.isValid());
        EXPECT_FALSE(m_model->IsLoaded(index));
        return index;
    }
    QModelIndex Expanded(const QString& path) {
        const QModelIndex index = m_model->IndexForPath(path);
        m_model->fetchMore(index);
        return index;
    }

    QTemporaryDir m_dir;
    QString m_table;
    std::unique_ptr<CFolderTreeModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

TEST_F(FolderTreeModelTest, ListsPlacesThenFoldersInNaturalOrderOnlyWhenExpanded) {
    MakeModel(false);
    ASSERT_EQ(m_model->rowCount(), 1);
    EXPECT_EQ(Desktop().data().toString(), "Desktop");
    EXPECT_EQ(m_model->PathOf(Desktop()), "::desktop");
    EXPECT_EQ(m_model->FileSystemPathOf(Desktop()), Path("home/Desktop"));
    // Places first; hidden folders and files left out; case and numbers
    // as people read them.
    EXPECT_EQ(Names(*m_model, Desktop()),
              QStringList({"Home", "Computer", "A", "b", "folder9", "folder10"}));
    const QModelIndex computer = Child(Desktop(), "Computer");
    EXPECT_EQ(m_model->PathOf(computer), "::computer");
    EXPECT_EQ(m_model->FileSystemPathOf(computer), "");
    EXPECT_FALSE(computer.flags() & Qt::ItemIsEditable);

    // Listed when first expanded, not before; the expand button from a
    // look inside.
    const QModelIndex folder10 = Child(Desktop(), "folder10");
    const QModelIndex folder9 = Child(Desktop(), "folder9");
    EXPECT_FALSE(m_model->IsLoaded(folder10));
    EXPECT_EQ(m_model->rowCount(folder10), 0);
    EXPECT_TRUE(m_model->hasChildren(folder10));
    EXPECT_FALSE(m_model->hasChildren(folder9));
    EXPECT_TRUE(m_model->canFetchMore(folder10));
    m_model->fetchMore(folder10);
    EXPECT_EQ(Names(*m_model, folder10), QStringList({"x"}));
    EXPECT_EQ(m_model->PathOf(m_model->index(0, 0, folder10)), Path("home/Desktop/folder10/x"));
    EXPECT_FALSE(m_model->canFetchMore(folder10));

    const QModelIndex home = Child(Desktop(), "Home");
    m_model->fetchMore(home);
    EXPECT_EQ(Names(*m_model, home), QStringList({"Desktop", "Music"}));
}

TEST_F(FolderTreeModelTest, FindsAPathThroughItsDeepestPlaceAndNeverAHiddenOne) {
    const QModelIndex x = m_model->IndexForPath(Path("home/Desktop/folder10/x"));
    ASSERT_TRUE(x.isValid());
    EXPECT_EQ(x.parent().parent(), Desktop()) << "through the desktop, not Home > Desktop";
    const QModelIndex music = m_model->IndexForPath(Path("home/Music/"));
    ASSERT_TRUE(music.isValid());
    EXPECT_EQ(music.parent().data().toString(), "Home");
    EXPECT_EQ(m_model->IndexForPath("::computer"), Child(Desktop(), "Computer"));
    EXPECT_EQ(m_model->IndexForPath("::desktop"), Desktop());
    EXPECT_FALSE(m_model->IndexForPath(Path("home/Desktop/.hidden/y")).isValid());
    EXPECT_FALSE(m_model->IndexForPath(Path("home/nowhere")).isValid());
    // A folder elsewhere: from the root of the file system.
    const QModelIndex fonts = m_model->IndexForPath(Path("root/usr/share/fonts"));
    ASSERT_TRUE(fonts.isValid());
    const QModelIndex root = fonts.parent().parent().parent();
    EXPECT_EQ(root.data().toString(), "/");
    EXPECT_EQ(root.parent().data().toString(), "Computer");

    // A folder made after its parent was listed, before any watcher told
    // (a second start asked for it): found all the same.
    m_model->fetchMore(music);
    ASSERT_TRUE(m_model->IsLoaded(music));
    ASSERT_TRUE(QDir().mkpath(Path("home/Music/Later")));
    const QModelIndex later = m_model->IndexForPath(Path("home/Music/Later"));
    ASSERT_TRUE(later.isValid());
    EXPECT_EQ(later.parent(), music);
}

TEST_F(FolderTreeModelTest, ComputerShowsTheUsersVolumesAsTheMountTableComesAndGoes) {
    const QModelIndex computer = Child(Desktop(), "Computer");
    m_model->fetchMore(computer);
    EXPECT_EQ(Names(*m_model, computer), QStringList({"/"}))
        << "no proc, sysfs, tmpfs under /run or overlay";
    EXPECT_EQ(m_model->PathOf(m_model->index(0, 0, computer)), Path("root"));

    WriteTable(m_table, kTable + kStick);
    ASSERT_TRUE(WaitUntil([&] { return m_model->rowCount(computer) == 2; }));
    const QModelIndex stick = m_model->index(1, 0, computer);
    EXPECT_EQ(stick.data().toString(), "STICK");
    EXPECT_EQ(m_model->PathOf(stick), "/media/user/STICK");
    EXPECT_EQ(m_model->KindOf(stick), Kind::Volume);
    EXPECT_FALSE(stick.flags() & Qt::ItemIsEditable) << "a volume is not renamed";

    WriteTable(m_table, kTable);
    ASSERT_TRUE(WaitUntil([&] { return m_model->rowCount(computer) == 1; }));
    EXPECT_EQ(Names(*m_model, computer), QStringList({"/"}));
}

TEST_F(FolderTreeModelTest, FollowsFoldersMadeRemovedAndRenamedElsewhereWithinASecond) {
    // Under a listed folder: in sorted place.
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/B2")));
    ASSERT_TRUE(WaitUntil([&] { return Child(Desktop(), "B2").isValid(); }));
    EXPECT_EQ(Names(*m_model, Desktop()),
              QStringList({"Home", "Computer", "A", "b", "B2", "folder9", "folder10"}));
    ASSERT_TRUE(QDir().rename(Path("home/Desktop/B2"), Path("home/Desktop/zed")));
    ASSERT_TRUE(WaitUntil([&] { return Child(Desktop(), "zed").isValid(); }));
    EXPECT_FALSE(Child(Desktop(), "B2").isValid());
    ASSERT_TRUE(QDir().rmdir(Path("home/Desktop/zed")));
    ASSERT_TRUE(WaitUntil([&] { return !Child(Desktop(), "zed").isValid(); }));

    // Under a folder never listed that a view shows: it gains an expand
    // button. One out of sight is looked at again when it comes into view.
    MakeModel(false);
    const QModelIndex folder9 = Child(Desktop(), "folder9");
    const QModelIndex b = Child(Desktop(), "b");
    m_model->SetShown({folder9});
    ASSERT_FALSE(m_model->hasChildren(folder9));
    EXPECT_TRUE(m_model->IsWatched(folder9));
    EXPECT_FALSE(m_model->IsWatched(b));
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/folder9/inner")));
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/b/inner")));
    ASSERT_TRUE(WaitUntil([&] { return m_model->hasChildren(folder9); }));
    EXPECT_FALSE(m_model->IsWatched(folder9)) << "has its button: nothing more to hear";
    EXPECT_FALSE(m_model->hasChildren(b));
    m_model->SetShown({folder9, b});
    EXPECT_TRUE(m_model->hasChildren(b));
    EXPECT_FALSE(m_model->IsLoaded(folder9));
    m_model->fetchMore(folder9);
    EXPECT_EQ(Names(*m_model, folder9), QStringList({"inner"}));

    // A listed folder removed from under its children: gone with them,
    // and no longer watched.
    const QModelIndex inner = Child(folder9, "inner");
    m_model->fetchMore(inner);
    ASSERT_TRUE(m_model->IsWatched(inner));
    const int watches = m_model->WatchCount();
    ASSERT_TRUE(QDir(Path("home/Desktop/folder9")).removeRecursively());
    ASSERT_TRUE(WaitUntil([&] { return !Child(Desktop(), "folder9").isValid(); }));
    EXPECT_EQ(m_model->WatchCount(), watches - 2) << "folder9 and inner";
}

TEST_F(FolderTreeModelTest, NewFolderTakesTheFirstFreeNumberAndIsListedOnce) {
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/New Folder")));
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/New Folder (2)")));
    m_model->SyncFolder(Path("home/Desktop"));
    const CResult<QModelIndex> made = m_model->CreateFolder(Desktop());
    ASSERT_TRUE(made) << made.Failure().Reason();
    const QModelIndex created = made.Value();
    EXPECT_EQ(created.data().toString(), "New Folder (3)");
    EXPECT_TRUE(QFileInfo(Path("home/Desktop/New Folder (3)")).isDir());
    EXPECT_TRUE(created.flags() & Qt::ItemIsEditable);

    // The watcher hears of it too: still one row.
    QTest::qWait(400);
    EXPECT_EQ(Names(*m_model, Desktop()).count("New Folder (3)"), 1);

    // In a folder never listed: listed with it, once.
    const QModelIndex a = Child(Desktop(), "A");
    const CResult<QModelIndex> inA = m_model->CreateFolder(a);
    ASSERT_TRUE(inA && inA.Value().isValid());
    EXPECT_EQ(Names(*m_model, a), QStringList({"New Folder"}));
}

TEST_F(FolderTreeModelTest, RenameNeverReplacesWhatIsThereAndKeepsWhatIsListedBelow) {
    const QModelIndex folder10 = Expanded(Path("home/Desktop/folder10"));
    // "b" is an empty folder: a plain rename(2) would silently replace it.
    const CResult<> taken = m_model->RenameFolder(folder10, "b");
    ASSERT_FALSE(taken);
    EXPECT_NE(taken.Failure().Reason().find("already"), std::string::npos)
        << taken.Failure().Reason();
    EXPECT_TRUE(QFileInfo(Path("home/Desktop/folder10/x")).isDir());
    EXPECT_TRUE(QFileInfo(Path("home/Desktop/b")).isDir());
    EXPECT_FALSE(m_model->setData(folder10, "a/b"));
    EXPECT_FALSE(m_model->RenameFolder(folder10, ".."));

    // Renamed in place: moved to its sorted row, what it listed kept and
    // followed under the new name.
    const QPersistentModelIndex kept(folder10);
    QSignalSpy renamed(m_model.get(), &CFolderTreeModel::FolderRenamed);
    ASSERT_TRUE(m_model->setData(folder10, "Aardvark"));
    ASSERT_TRUE(kept.isValid());
    EXPECT_EQ(kept.row(), 3) << "after A";
    EXPECT_EQ(m_model->PathOf(kept), Path("home/Desktop/Aardvark"));
    EXPECT_TRUE(m_model->IsLoaded(kept));
    EXPECT_EQ(m_model->PathOf(m_model->index(0, 0, kept)), Path("home/Desktop/Aardvark/x"));
    ASSERT_EQ(renamed.count(), 1);
    EXPECT_EQ(renamed.at(0).at(1).toString(), Path("home/Desktop/Aardvark"));
    EXPECT_TRUE(m_model->IsWatched(kept));
    // The system drops a watch whose folder moved: the renamed folder is
    // watched anew, and a folder made in it later is heard.
    QTest::qWait(300);
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/Aardvark/y")));
    ASSERT_TRUE(WaitUntil([&] { return m_model->rowCount(kept) == 2; }));
    // A new folder under the old name is a folder of its own, heard as well.
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/folder10")));
    ASSERT_TRUE(WaitUntil([&] { return Child(Desktop(), "folder10").isValid(); }));
    const QModelIndex again = Child(Desktop(), "folder10");
    m_model->fetchMore(again);
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/folder10/q")));
    EXPECT_TRUE(WaitUntil([&] { return m_model->rowCount(again) == 1; }));
    EXPECT_EQ(m_model->RefusedWatchCount(), 0);
    QTest::qWait(300);
    EXPECT_EQ(Names(*m_model, Desktop()).count("Aardvark"), 1);
}

TEST_F(FolderTreeModelTest, RefreshReadsEveryListedFolderAgainAndKeepsThemListed) {
    m_model->SetSettleMilliseconds(60 * 60 * 1000);  // only the refresh tells
    const QModelIndex folder10 = Expanded(Path("home/Desktop/folder10"));
    const QModelIndex home = Expanded(Path("home"));
    ASSERT_TRUE(QDir().mkpath(Path("home/Desktop/folder10/x2")));
    ASSERT_TRUE(QDir().rmdir(Path("home/Desktop/folder10/x")));
    ASSERT_TRUE(QDir().mkdir(Path("home/Videos")));
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/b/sub")));
    m_model->Refresh();
    EXPECT_EQ(Names(*m_model, folder10), QStringList({"x2"}));
    EXPECT_EQ(Names(*m_model, home), QStringList({"Desktop", "Music", "Videos"}));
    EXPECT_TRUE(m_model->IsLoaded(folder10));
    EXPECT_TRUE(m_model->hasChildren(Child(Desktop(), "b")));
}

TEST_F(FolderTreeModelTest, DragsFoldersAsUrisAndRefusesADropIntoItself) {
    const QModelIndex folder10 = Expanded(Path("home/Desktop/folder10"));
    const QModelIndex x = Child(folder10, "x");
    std::unique_ptr<QMimeData> data(m_model->mimeData({folder10}));
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->urls().size(), 1);
    const QList<QUrl> dragged = data->urls();
    EXPECT_EQ(dragged.front().toLocalFile(), Path("home/Desktop/folder10"));

    EXPECT_FALSE(m_model->CanDropOn(folder10, dragged)) << "onto itself";
    EXPECT_FALSE(m_model->CanDropOn(x, dragged)) << "below itself";
    EXPECT_FALSE(m_model->CanDropOn(Desktop(), dragged)) << "where it already is";
    EXPECT_FALSE(m_model->CanDropOn(Child(Desktop(), "Computer"), dragged)) << "not a folder";
    EXPECT_TRUE(m_model->CanDropOn(Child(Desktop(), "A"), dragged));
    EXPECT_FALSE(m_model->CanDropOn(Child(Desktop(), "A"), {QUrl("https://example.org/f.ttf")}));
    // A sibling whose name begins with the dragged one's is not below it.
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/folder10 copy")));
    m_model->SyncFolder(Path("home/Desktop"));
    EXPECT_TRUE(m_model->CanDropOn(Child(Desktop(), "folder10 copy"), dragged));
}

}  // namespace

TEST_F(FolderTreeModelTest, AFolderThatDoesNotAnswerShowsBeingReadAndHoldsUpNoOtherFolder) {
    m_model->SetReadWaitMilliseconds(20);
    const QModelIndex slow = Fresh("slow/x");
    const QString x = Path("home/Desktop/slow/x");
    CListingBlock block({Path("home/Desktop/slow")});

    // Expanded: the call comes back while the folder is stuck, with one
    // disabled row saying so.
    m_model->fetchMore(slow);
    ASSERT_TRUE(WaitUntil([&] { return block.Waiting() == 1; }));
    EXPECT_TRUE(m_model->IsReading(slow));
    EXPECT_FALSE(m_model->IsLoaded(slow));
    ASSERT_EQ(m_model->rowCount(slow), 1);
    const QModelIndex reading = m_model->index(0, 0, slow);
    EXPECT_EQ(reading.data().toString(), "Reading…");
    EXPECT_EQ(reading.data(Qt::AccessibleTextRole).toString(), "Reading…");
    EXPECT_EQ(reading.flags(), Qt::NoItemFlags) << "shown disabled, never selected";
    EXPECT_TRUE(m_model->PathOf(reading).isEmpty());
    EXPECT_FALSE(m_model->canFetchMore(slow));

    // Asked again in every way: not read a second time.
    m_model->fetchMore(slow);
    QSignalSpy reachable(m_model.get(), &CFolderTreeModel::PathReachable);
    bool pending = false;
    EXPECT_EQ(m_model->IndexForPath(x, &pending), slow) << "the way down ends there for now";
    EXPECT_TRUE(pending);
    EXPECT_FALSE(m_model->IndexForPath(x).isValid());
    EXPECT_EQ(block.Entered(), 1);
    // Told to read it again: the item being read waits for its answer; its
    // twin under Home's Desktop (listed by the tester) is looked at, once.
    const QModelIndex twin = Child(Child(Child(Desktop(), "Home"), "Desktop"), "slow");
    ASSERT_TRUE(twin.isValid());
    ASSERT_NE(twin, slow);
    m_model->SyncFolder(Path("home/Desktop/slow"));
    m_model->SyncFolder(Path("home/Desktop/slow"));
    ASSERT_TRUE(WaitUntil([&] { return block.Waiting() == 2; }));
    EXPECT_TRUE(m_model->IsReading(twin));
    EXPECT_EQ(block.Entered(), 2);

    // Every other folder answers meanwhile, listed at once.
    const QModelIndex music = Expanded(Path("home/Music"));
    ASSERT_TRUE(music.isValid());
    EXPECT_TRUE(m_model->IsLoaded(music));
    pending = true;
    EXPECT_EQ(m_model->IndexForPath(Path("home/Desktop/b"), &pending), Child(Desktop(), "b"));
    EXPECT_FALSE(pending);
    EXPECT_EQ(reachable.count(), 0);

    // Let go: its subfolders take the row's place, and the path asked is
    // told reachable once.
    block.Release();
    ASSERT_TRUE(WaitUntil([&] { return m_model->IsLoaded(slow); }));
    EXPECT_EQ(Names(*m_model, slow), QStringList({"x"}));
    ASSERT_TRUE(WaitUntil([&] { return reachable.count() == 1; }));
    EXPECT_EQ(reachable.at(0).at(0).toString(), x);
    EXPECT_EQ(m_model->IndexForPath(x, &pending), Child(slow, "x"));
    EXPECT_FALSE(pending);
    EXPECT_TRUE(m_model->IsWatched(slow));
    // Read again once it answered (a sync was asked meanwhile), and then no more.
    ASSERT_TRUE(WaitUntil([&] { return m_model->PendingReads() == 0; }));
    EXPECT_EQ(Names(*m_model, slow), QStringList({"x"}));
    EXPECT_TRUE(m_model->hasChildren(twin));
}

TEST_F(FolderTreeModelTest, APathAskedUnderAStuckFolderIsToldMissingOnceItAnswersWithout) {
    m_model->SetReadWaitMilliseconds(20);
    const QModelIndex slow = Fresh("slow");
    CListingBlock block({Path("home/Desktop/slow")});
    QSignalSpy reachable(m_model.get(), &CFolderTreeModel::PathReachable);
    const QString missing = Path("home/Desktop/slow/none/deeper");
    bool pending = false;
    EXPECT_EQ(m_model->IndexForPath(missing, &pending), slow);
    ASSERT_TRUE(pending);
    block.Release();
    ASSERT_TRUE(WaitUntil([&] { return reachable.count() == 1; }));
    QTest::qWait(100);
    EXPECT_EQ(reachable.count(), 1) << "told once, not read for ever";
    EXPECT_FALSE(m_model->IndexForPath(missing, &pending).isValid());
    EXPECT_FALSE(pending);
    ASSERT_TRUE(WaitUntil([&] { return m_model->PendingReads() == 0; }));
}

TEST_F(FolderTreeModelTest, AnAnswerForAnItemGoneMeanwhileIsDropped) {
    m_model->SetReadWaitMilliseconds(20);
    const QModelIndex slow = Fresh("slow/kept");
    CListingBlock block({Path("home/Desktop/slow")});
    m_model->fetchMore(slow);
    ASSERT_TRUE(WaitUntil([&] { return block.Waiting() == 1; }));
    // The folder goes while its listing is stuck: the tree hears of it and
    // drops the item (the tester checks every row it reports).
    ASSERT_TRUE(QDir().rename(Path("home/Desktop/slow"), Path("home/slow moved")));
    ASSERT_TRUE(WaitUntil([&] { return !Child(Desktop(), "slow").isValid(); }));
    block.Release();
    ASSERT_TRUE(WaitUntil([&] { return m_model->PendingReads() == 0; }));
    QTest::qWait(50);
    EXPECT_EQ(Names(*m_model, Desktop()),
              QStringList({"Home", "Computer", "A", "b", "folder9", "folder10"}));
}

TEST_F(FolderTreeModelTest, ALookAtAShownFolderThatDoesNotAnswerHoldsUpNothing) {
    MakeModel(false);
    m_model->SetReadWaitMilliseconds(20);
    const QModelIndex folder9 = Child(Desktop(), "folder9");
    const QModelIndex b = Child(Desktop(), "b");
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/folder9/inner")));
    ASSERT_TRUE(QDir().mkdir(Path("home/Desktop/b/inner")));
    CListingBlock block({Path("home/Desktop/folder9")});
    m_model->SetShown({folder9, b});
    EXPECT_TRUE(m_model->hasChildren(b)) << "looked at within the wait";
    EXPECT_TRUE(m_model->IsReading(folder9));
    EXPECT_FALSE(m_model->IsReading(b));
    // Expanded while the look is stuck: shows being read, and is listed
    // once the look answers.
    m_model->fetchMore(folder9);
    EXPECT_EQ(Names(*m_model, folder9), QStringList({"Reading…"}));
    EXPECT_EQ(block.Entered(), 1);
    block.Release();
    ASSERT_TRUE(WaitUntil([&] { return m_model->IsLoaded(folder9); }));
    EXPECT_EQ(Names(*m_model, folder9), QStringList({"inner"}));
}

TEST_F(FolderTreeModelTest, TheModelGoesWhileAReadIsStuckWithoutWaitingForIt) {
    m_model->SetReadWaitMilliseconds(20);
    const QModelIndex slow = Fresh("slow/x");
    Fresh("slow2");
    CListingBlock block({Path("home/Desktop/slow"), Path("home/Desktop/slow2")});
    m_model->fetchMore(slow);
    m_model->IndexForPath(Path("home/Desktop/slow2/x"));
    ASSERT_TRUE(WaitUntil([&] { return block.Waiting() == 2; }));
    m_tester.reset();
    m_model.reset();  // comes back: nobody waits for the stuck reads
    block.Release();
    ASSERT_TRUE(block.WaitNoneHeld());
    QTest::qWait(50);  // their answers, queued for a model gone, are dropped
}

TEST_F(FolderTreeModelTest, AFolderRenamedWhileItsListingIsStuckIsListedUnderItsNewName) {
    m_model->SetReadWaitMilliseconds(20);
    const QModelIndex slow = Fresh("slow/x");
    CListingBlock block({Path("home/Desktop/slow")});
    m_model->fetchMore(slow);
    ASSERT_TRUE(WaitUntil([&] { return block.Waiting() == 1; }));
    const QPersistentModelIndex renamed(slow);
    const CResult<> done = m_model->RenameFolder(slow, "slower");
    ASSERT_TRUE(done) << done.Failure().Reason();
    // The stuck read goes on to read the old name, which is gone by now.
    block.Release();
    ASSERT_TRUE(WaitUntil([&] { return m_model->IsLoaded(renamed); }));
    EXPECT_EQ(Names(*m_model, renamed), QStringList({"x"})) << "not taken for empty";
    EXPECT_EQ(m_model->PathOf(m_model->index(0, 0, renamed)), Path("home/Desktop/slower/x"));
}

// "déjà" in Latin-1, which the watcher cannot name by text: listed, heard
// when a folder is made in it, and renamed in the tree under its bytes.
TEST_F(FolderTreeModelTest, AFolderWhoseNameIsNotUtf8IsWatchedAndRenamedByItsBytes) {
    namespace fs = std::filesystem;
    const fs::path latin = FilePath(Path("home/Desktop")) / std::string("d\xe9j\xe0");
    ASSERT_TRUE(fs::create_directory(latin));
    m_model->SyncFolder(Path("home/Desktop"));
    const QModelIndex folder = m_model->IndexForPath(PathText(latin));
    ASSERT_TRUE(folder.isValid());
    EXPECT_EQ(FilePath(m_model->FileSystemPathOf(folder)).native(), latin.native());
    m_model->fetchMore(folder);
    ASSERT_TRUE(WaitUntil([&] { return m_model->IsLoaded(folder); }));
    ASSERT_TRUE(m_model->IsWatched(folder));
    EXPECT_EQ(m_model->RefusedWatchCount(), 0);

    ASSERT_TRUE(fs::create_directory(latin / std::string("caf\xe9")));
    ASSERT_TRUE(WaitUntil([&] { return m_model->rowCount(folder) == 1; }))
        << "a folder made in it was not heard";
    const QModelIndex inner = m_model->index(0, 0, folder);
    EXPECT_EQ(FilePath(m_model->FileSystemPathOf(inner)).native(),
              (latin / std::string("caf\xe9")).native());

    const QPersistentModelIndex kept(folder);
    const std::string renamed = std::string("d\xe9j\xe0-") + "\xff";
    const CResult<> done = m_model->RenameFolder(folder, PathText(fs::path(renamed)));
    ASSERT_TRUE(done) << done.Failure().Reason();
    const fs::path now = latin.parent_path() / renamed;
    EXPECT_TRUE(fs::is_directory(now / std::string("caf\xe9")));
    EXPECT_FALSE(fs::exists(latin));
    ASSERT_TRUE(kept.isValid());
    EXPECT_EQ(FilePath(m_model->FileSystemPathOf(kept)).native(), now.native());
}
