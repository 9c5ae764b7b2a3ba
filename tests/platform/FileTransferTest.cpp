#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/desktop/FileTransfer.h"

using namespace Quillmark::Platform;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class FileTransferTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString from() const { return root.filePath("from"); }
    QString to() const { return root.filePath("to"); }
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        QDir().mkpath(from());
        QDir().mkpath(to());
    }
};

}  // namespace

TEST_F(FileTransferTest, CopiesAndMovesFilesAndFolders) {
    Write(from() + "/a.ttf", "font a");
    Write(from() + "/family/b.otf", "font b");
    Write(from() + "/family/deep/c.ttf", "font c");
    ASSERT_TRUE(QFile::link("a.ttf", from() + "/link.ttf"));

    TransferResult copied =
        TransferFiles({from() + "/a.ttf", from() + "/family", from() + "/link.ttf"}, to(),
                      TransferMode::Copy, {});
    EXPECT_TRUE(copied.Succeeded()) << copied.failure.toStdString();
    EXPECT_EQ(copied.created, QStringList({to() + "/a.ttf", to() + "/family", to() + "/link.ttf"}));
    EXPECT_EQ(Read(to() + "/family/deep/c.ttf"), "font c");
    EXPECT_EQ(QFileInfo(to() + "/link.ttf").symLinkTarget(),
              to() + "/a.ttf");                    // the link, not a copy
    EXPECT_EQ(Read(from() + "/a.ttf"), "font a");  // a copy leaves the source
    EXPECT_EQ(Entries(to()), QStringList({"a.ttf", "family", "link.ttf"}));  // no temporary left

    const QString other = root.filePath("other");
    QDir().mkpath(other);
    TransferResult moved = TransferFiles({from() + "/family"}, other, TransferMode::Move, {});
    EXPECT_TRUE(moved.Succeeded());
    EXPECT_FALSE(QFileInfo::exists(from() + "/family"));
    EXPECT_EQ(Read(other + "/family/b.otf"), "font b");

    // A file already in the target folder is left alone.
    TransferResult same = TransferFiles({to() + "/a.ttf"}, to(), TransferMode::Copy, {});
    EXPECT_TRUE(same.Succeeded());
    EXPECT_EQ(same.skipped, QStringList({to() + "/a.ttf"}));
}

TEST_F(FileTransferTest, NameClashesAreAskedAndNeverOverwrittenSilently) {
    Write(from() + "/Sans.ttf", "new");
    Write(to() + "/Sans.ttf", "old");
    Write(to() + "/Sans (2).ttf", "older copy");

    int asked = 0;
    ConflictChoice answer = ConflictChoice::Skip;
    const ConflictAsker ask = [&](const QString& source, const QString& existing) {
        ++asked;
        EXPECT_EQ(source, from() + "/Sans.ttf");
        EXPECT_EQ(existing, to() + "/Sans.ttf");
        return answer;
    };

    TransferResult skipped = TransferFiles({from() + "/Sans.ttf"}, to(), TransferMode::Copy, ask);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(skipped.skipped, QStringList({from() + "/Sans.ttf"}));
    EXPECT_EQ(Read(to() + "/Sans.ttf"), "old");

    // No asker: the clash is skipped, never overwritten.
    EXPECT_EQ(TransferFiles({from() + "/Sans.ttf"}, to(), TransferMode::Copy, {}).skipped.size(),
              1);
    EXPECT_EQ(Read(to() + "/Sans.ttf"), "old");

    answer = ConflictChoice::KeepBoth;
    TransferResult both = TransferFiles({from() + "/Sans.ttf"}, to(), TransferMode::Copy, ask);
    EXPECT_EQ(both.created, QStringList({to() + "/Sans (3).ttf"}));
    EXPECT_EQ(Read(to() + "/Sans (3).ttf"), "new");
    EXPECT_EQ(Read(to() + "/Sans.ttf"), "old");

    answer = ConflictChoice::Replace;
    TransferResult replaced = TransferFiles({from() + "/Sans.ttf"}, to(), TransferMode::Move, ask);
    EXPECT_TRUE(replaced.Succeeded());
    EXPECT_EQ(Read(to() + "/Sans.ttf"), "new");
    EXPECT_FALSE(QFileInfo::exists(from() + "/Sans.ttf"));

    Write(from() + "/Sans.ttf", "again");
    Write(from() + "/Serif.ttf", "serif");
    answer = ConflictChoice::Cancel;
    TransferResult canceled =
        TransferFiles({from() + "/Sans.ttf", from() + "/Serif.ttf"}, to(), TransferMode::Copy, ask);
    EXPECT_TRUE(canceled.canceled);
    EXPECT_FALSE(QFileInfo::exists(to() + "/Serif.ttf"));  // nothing after the cancel

    EXPECT_EQ(KeepBothName(to(), "Sans.ttf"), "Sans (4).ttf");  // (2) and (3) are taken
    EXPECT_EQ(KeepBothName(to(), "README"), "README (2)");
    EXPECT_EQ(KeepBothName(to(), ".hidden"), ".hidden (2)");
}

TEST_F(FileTransferTest, FoldersMergeOnReplaceAndNeverGoIntoThemselves) {
    Write(from() + "/set/one.ttf", "1 new");
    Write(from() + "/set/two.ttf", "2");
    Write(to() + "/set/one.ttf", "1 old");
    int asked = 0;
    TransferResult merged = TransferFiles(
        {from() + "/set"}, to(), TransferMode::Copy, [&](const QString&, const QString& existing) {
            ++asked;
            return existing.endsWith("one.ttf") ? ConflictChoice::Skip : ConflictChoice::Replace;
        });
    EXPECT_EQ(asked, 2);  // the folder, then the file inside
    EXPECT_EQ(Read(to() + "/set/one.ttf"), "1 old");
    EXPECT_EQ(Read(to() + "/set/two.ttf"), "2");

    TransferResult inside = TransferFiles({from()}, from() + "/set", TransferMode::Move, {});
    EXPECT_FALSE(inside.Succeeded());
    EXPECT_EQ(inside.failedSource, QDir::cleanPath(from()));
    EXPECT_TRUE(QFileInfo::exists(from() + "/set/one.ttf"));

    EXPECT_TRUE(IsSameOrBelow(from() + "/set", from()));
    EXPECT_TRUE(IsSameOrBelow(from() + "/", from()));
    EXPECT_FALSE(IsSameOrBelow(from() + "x", from()));  // "fromx" is not below "from"
}

TEST_F(FileTransferTest, AFailureMidwayLeavesNoPartialFileAndStops) {
    Write(from() + "/after.ttf", "after");
    // Opening this file works; reading it fails at once (nothing is mapped at
    // address 0), as a disk error midway through a copy would.
    TransferResult failed =
        TransferFiles({"/proc/self/mem", from() + "/after.ttf"}, to(), TransferMode::Copy, {});
    EXPECT_FALSE(failed.Succeeded());
    EXPECT_EQ(failed.failedSource, "/proc/self/mem");
    EXPECT_FALSE(failed.failure.isEmpty());
    EXPECT_TRUE(failed.created.isEmpty());
    EXPECT_EQ(Entries(to()), QStringList());  // neither "mem" nor a temporary, nor what came after

    TransferResult missing = TransferFiles({from() + "/gone.ttf"}, to(), TransferMode::Move, {});
    EXPECT_EQ(missing.failedSource, from() + "/gone.ttf");
    TransferResult noFolder =
        TransferFiles({from() + "/after.ttf"}, root.filePath("nowhere"), TransferMode::Copy, {});
    EXPECT_FALSE(noFolder.Succeeded());
    EXPECT_TRUE(QFileInfo::exists(from() + "/after.ttf"));

    int calls = 0;
    Write(from() + "/b.ttf", "b");
    TransferResult stopped = TransferFiles({from() + "/after.ttf", from() + "/b.ttf"}, to(),
                                           TransferMode::Copy, {}, [&](int done, int total) {
                                               ++calls;
                                               EXPECT_EQ(total, 2);
                                               return done < 1;
                                           });
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(stopped.canceled);
    EXPECT_EQ(Entries(to()), QStringList({"after.ttf"}));
}
