// The folder watcher alone, on a temporary folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/PathText.h"
#include "ui/common/FolderWatcher.h"

using namespace Quillmark;

namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

}  // namespace

TEST(FolderWatcherTest, TellsOnceABurstHasSettledAndGoesOnWatching) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    CFolderWatcher watcher(nullptr, 100);
    QSignalSpy changed(&watcher, &CFolderWatcher::FolderChanged);
    watcher.Watch(folder.path());
    ASSERT_TRUE(watcher.IsWatching());
    EXPECT_EQ(watcher.Folder(), folder.path());

    for (int i = 0; i < 20; ++i) {
        Touch(folder.filePath(QString("f%1.ttf").arg(i)));
    }
    ASSERT_TRUE(changed.wait(3000));
    QTest::qWait(300);
    EXPECT_EQ(changed.count(), 1) << "twenty new files, one change";

    // The next change is heard too.
    ASSERT_TRUE(QFile::rename(folder.filePath("f0.ttf"), folder.filePath("renamed.ttf")));
    ASSERT_TRUE(changed.wait(3000));
    EXPECT_EQ(changed.count(), 2);
    ASSERT_TRUE(QFile::remove(folder.filePath("f1.ttf")));
    ASSERT_TRUE(changed.wait(3000));
    EXPECT_EQ(changed.count(), 3);
}

TEST(FolderWatcherTest, StoppedOrMovedOnItHearsTheOldFolderNoMore) {
    QTemporaryDir first;
    QTemporaryDir second;
    CFolderWatcher watcher(nullptr, 300);
    QSignalSpy changed(&watcher, &CFolderWatcher::FolderChanged);
    watcher.Watch(first.path());
    watcher.Watch(second.path());
    Touch(first.filePath("a.ttf"));
    EXPECT_FALSE(changed.wait(600));
    Touch(second.filePath("a.ttf"));
    EXPECT_TRUE(changed.wait(3000));

    // A change noticed but not yet told is dropped by Stop.
    Touch(second.filePath("b.ttf"));
    QTest::qWait(20);
    watcher.Stop();
    EXPECT_FALSE(watcher.IsWatching());
    Touch(second.filePath("c.ttf"));
    EXPECT_FALSE(changed.wait(600));
    EXPECT_EQ(changed.count(), 1);
}

TEST(FolderWatcherTest, AFolderThatIsNotThereIsNotWatched) {
    CFolderWatcher watcher;
    watcher.Watch(QDir::tempPath() + "/quillmark-no-such-folder");
    EXPECT_FALSE(watcher.IsWatching());
    watcher.Watch(QString());
    EXPECT_FALSE(watcher.IsWatching());
}

TEST(FolderWatcherTest, AFolderWhoseNameIsNotUtf8IsWatched) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    // "déjà" in Latin-1: Qt cannot name it, the watcher must all the same.
    const std::filesystem::path folder = FilePath(root.path()) / std::string("d\xe9j\xe0");
    std::filesystem::create_directory(folder);
    CFolderWatcher watcher(nullptr, 100);
    QSignalSpy changed(&watcher, &CFolderWatcher::FolderChanged);
    watcher.Watch(PathText(folder));
    ASSERT_TRUE(watcher.IsWatching());
    std::ofstream(folder / std::string("caf\xe9.ttf")) << "x";
    EXPECT_TRUE(changed.wait(3000)) << "a file added is heard";
}
