#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>

#include <filesystem>

#include "platform/desktop/Trash.h"
#include "tests/support/TemporaryHome.h"

using namespace Quillmark::Platform;
using Quillmark::CResult;

namespace {
const auto& kHome = QuillmarkTest::TemporaryHome();
}  // namespace

TEST(TrashTest, FilesGoToTheUsersTrashWithTheirOriginalPaths) {
    const QString home = QString::fromStdString(kHome.Root().string());
    const QString fonts = home + "/fonts";
    QDir().mkpath(fonts);
    QStringList paths;
    for (const char* name : {"One.ttf", "Two Words.otf", "Drei\u00e4.ttf"}) {
        QFile file(fonts + "/" + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("font");
        paths << file.fileName();
    }
    paths << fonts + "/missing.ttf";

    std::vector<std::filesystem::path> files;
    for (const QString& path : paths) files.emplace_back(path.toStdString());
    const std::vector<TrashOutcome> outcomes = MoveToTrash(files);
    ASSERT_EQ(outcomes.size(), 4u);
    QStringList originals;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(outcomes[i].moved) << outcomes[i].moved.Failure().Reason();
        EXPECT_FALSE(QFile::exists(paths[i]));
    }
    ASSERT_FALSE(outcomes[3].moved);
    EXPECT_EQ(outcomes[3].moved.Failure().Reason(), "The file no longer exists.");

    const QDir info(home + "/.local/share/Trash/info");
    for (const QString& name : info.entryList({"*.trashinfo"})) {
        QSettings trashInfo(info.filePath(name), QSettings::IniFormat);
        originals << QUrl::fromPercentEncoding(trashInfo.value("Trash Info/Path").toByteArray());
    }
    originals.sort();
    QStringList expected = paths.mid(0, 3);
    expected.sort();
    EXPECT_EQ(originals, expected);
}

TEST(TrashTest, DeletingForGoodRemovesFilesAndFolders) {
    const QString home = QString::fromStdString(kHome.Root().string());
    QDir().mkpath(home + "/gone/deep");
    QFile(home + "/gone/deep/x.ttf").open(QIODevice::WriteOnly);
    EXPECT_TRUE(DeletePermanently((home + "/gone").toStdString()));
    EXPECT_FALSE(QFile::exists(home + "/gone"));
    const CResult<> again = DeletePermanently((home + "/gone").toStdString());
    ASSERT_FALSE(again);
    EXPECT_EQ(again.Failure().Reason(), "The file no longer exists.");
}

TEST(TrashTest, AFileThatCannotReachATrashStaysWhereItWasAndSaysSo) {
    const QString home = QString::fromStdString(kHome.Root().string());
    // A data folder that can never be made: its parent is a file.
    QFile blocker(home + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/blocker/share"));
    QTemporaryDir workingFolder;
    const QString savedCurrent = QDir::currentPath();
    QDir::setCurrent(workingFolder.path());

    QFile font(home + "/Stays.ttf");
    ASSERT_TRUE(font.open(QIODevice::WriteOnly));
    font.close();
    const std::vector<TrashOutcome> outcomes = MoveToTrash({font.fileName().toStdString()});

    QDir::setCurrent(savedCurrent);
    qputenv("XDG_DATA_HOME", savedDataHome);
    ASSERT_EQ(outcomes.size(), 1u);
    ASSERT_FALSE(outcomes[0].moved);
    EXPECT_FALSE(outcomes[0].moved.Failure().Reason().empty());
    EXPECT_TRUE(QFile::exists(font.fileName()));
    // Nothing was left in the folder the program happened to run in.
    EXPECT_EQ(QDir(workingFolder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList());
}
