// The mount table's watcher on a table of the test's own: rewritten in
// place, replaced whole, made after the watch began.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "platform/desktop/MountTableWatcher.h"
#include "tests/support/WaitUntil.h"

using namespace Quillmark::Platform;
using QuillmarkTest::WaitUntil;

namespace {

const QByteArray kRoot = "/dev/vda1 / ext4 rw 0 0\n";
const QByteArray kStick = "/dev/sdz1 /media/user/STICK vfat rw 0 0\n";

void Rewrite(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(text), text.size());
}

// Written beside and renamed over: the file watched is gone, a new one is there.
void Replace(const QString& path, const QByteArray& text) {
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    ASSERT_TRUE(file.commit());
}

}  // namespace

TEST(MountTableWatcherTest, ATableRewrittenOrReplacedWholeIsToldEachTime) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString table = dir.filePath("mounts");
    Rewrite(table, kRoot);
    CMountTableWatcher watcher(dir.path() + "/./mounts", nullptr);
    EXPECT_EQ(watcher.Path(), table);
    EXPECT_TRUE(watcher.IsWatching());
    QSignalSpy changed(&watcher, &CMountTableWatcher::Changed);

    Rewrite(table, kRoot + kStick);
    ASSERT_TRUE(WaitUntil([&] { return changed.count() > 0; }, 3000)) << "rewritten in place";

    changed.clear();
    Replace(table, kRoot);
    ASSERT_TRUE(WaitUntil([&] { return changed.count() > 0; }, 3000)) << "replaced whole";

    // The new file is the one watched now: a rewrite of it is heard too,
    // however the folder's own watch would have told.
    QTest::qWait(100);
    changed.clear();
    Rewrite(table, kRoot + kStick);
    ASSERT_TRUE(WaitUntil([&] { return changed.count() > 0; }, 3000))
        << "the replacement rewritten";
}

TEST(MountTableWatcherTest, ATableMadeAfterTheWatchBeganIsFollowed) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString table = dir.filePath("later/mounts");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("later")));
    CMountTableWatcher watcher(table, nullptr);
    EXPECT_TRUE(watcher.IsWatching()) << "its folder is";
    QSignalSpy changed(&watcher, &CMountTableWatcher::Changed);
    Rewrite(table, kRoot);
    ASSERT_TRUE(WaitUntil([&] { return changed.count() > 0; }, 3000)) << "made";
    QTest::qWait(100);
    changed.clear();
    // Appended to: only the file's own watch tells of that.
    QFile file(table);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(kStick);
    file.close();
    ASSERT_TRUE(WaitUntil([&] { return changed.count() > 0; }, 3000)) << "rewritten";
}

TEST(MountTableWatcherTest, TheKernelsTableIsOpenedAndTheVariableNamesATableOfOurOwn) {
    CMountTableWatcher kernel("/proc/self/mounts", nullptr);
    EXPECT_EQ(kernel.Path(), "/proc/self/mounts");
    EXPECT_TRUE(kernel.IsWatching()) << "the table opened for its exceptional condition";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString table = dir.filePath("mounts");
    Rewrite(table, kRoot);
    qputenv("QUILLMARK_MOUNT_TABLE", table.toLocal8Bit());
    {
        CMountTableWatcher watcher;
        EXPECT_EQ(watcher.Path(), table);
        QSignalSpy changed(&watcher, &CMountTableWatcher::Changed);
        Replace(table, kRoot + kStick);
        EXPECT_TRUE(WaitUntil([&] { return changed.count() > 0; }, 3000));
    }
    qunsetenv("QUILLMARK_MOUNT_TABLE");
}
