// The stores as the application's start meets them: a store file that cannot
// be used is set aside, the start goes on without it, and the user is told
// once, in a message that names the kept file.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>

#include "app/QuillmarkApp.h"
#include "collections/DataFiles.h"
#include "collections/FavoriteFolders.h"
#include "collections/FontProjects.h"
#include "collections/LocationList.h"
#include "tests/collections/StoreTestSupport.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

const auto& kHome = TemporaryHome();

struct CStart {
    std::unique_ptr<CQuillmarkApp> app;
    CQuillmarkApp::StartResult result{};
    QStringList told;
};

std::unique_ptr<CStart> Start() {
    auto start = std::make_unique<CStart>();
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    hooks.ask = [](const QString&) {
        ADD_FAILURE() << "nothing should be asked";
        return false;
    };
    QStringList* told = &start->told;
    hooks.tell = [told](const QString& message) { told->append(message); };
    start->app = std::make_unique<CQuillmarkApp>(QStringList{"quillmark"}, hooks);
    // A start that hangs (a FIFO read) ends the test instead.
    ::alarm(60);
    start->result = start->app->InitInstance();
    ::alarm(0);
    return start;
}

QString Favourites() {
    return DataFilePath(CFavoriteFolders::kFileName, true);
}
QString Projects() {
    return DataFilePath(CFontProjects::kFileName, true);
}
QString Locations() {
    return DataFilePath(CLocationList::kFileName, true);
}

void Clean() {
    QDir(QFileInfo(Favourites()).absolutePath()).removeRecursively();
}

}  // namespace

TEST(StoresAtStartTest, AFavouritesFileThatIsAFolderIsSetAsideAndTheStartGoesOn) {
    Clean();
    const QString path = Favourites();
    ASSERT_TRUE(QDir().mkpath(path + "/inside"));
    {
        const auto start = Start();
        ASSERT_EQ(start->result, CQuillmarkApp::StartResult::Started);
        EXPECT_TRUE(start->app->Favorites().IsEmpty());
        ASSERT_EQ(start->told.size(), 1);
        EXPECT_TRUE(start->told[0].contains(path + ".unreadable")) << start->told[0].toStdString();
        EXPECT_TRUE(QFileInfo(path + ".unreadable/inside").isDir());
        start->app->ExitInstance();
    }
    EXPECT_TRUE(QFileInfo(path).isFile()) << "the exit writes a new file";
    const auto again = Start();
    EXPECT_EQ(again->result, CQuillmarkApp::StartResult::Started);
    EXPECT_TRUE(again->told.isEmpty()) << "told once";
}

TEST(StoresAtStartTest, AFavouritesFileWithoutItsRootIsKeptAndTheStartGoesOn) {
    Clean();
    const QString path = Favourites();
    WriteBytes(path, "<favourites><folder>/mine</folder></favourites>");
    const auto start = Start();
    ASSERT_EQ(start->result, CQuillmarkApp::StartResult::Started);
    ASSERT_EQ(start->told.size(), 1);
    EXPECT_TRUE(start->told[0].contains(path + ".unreadable"));
    EXPECT_TRUE(start->told[0].contains("favourite folders"));
    start->app->ExitInstance();
    EXPECT_EQ(ReadBytes(path + ".unreadable"), "<favourites><folder>/mine</folder></favourites>");
    EXPECT_EQ(ReadBytes(path), "<?xml version=\"1.0\"?>\n<favorites/>");
}

TEST(StoresAtStartTest, BothStoresUnusableAreBothToldAndNeitherStopsTheStart) {
    Clean();
    WriteBytes(Projects(), "<fontprojects><project name=\"Years of work\">");
    ASSERT_EQ(::mkfifo(QFile::encodeName(Favourites()).constData(), 0600), 0);
    const auto start = Start();
    ASSERT_EQ(start->result, CQuillmarkApp::StartResult::Started);
    ASSERT_EQ(start->told.size(), 2);
    EXPECT_TRUE(start->told[0].contains(Projects() + ".unreadable"));
    EXPECT_TRUE(start->told[0].contains("font projects"));
    EXPECT_TRUE(start->told[1].contains(Favourites() + ".unreadable"));
    EXPECT_TRUE(start->told[1].contains("not a regular file"));
    start->app->ExitInstance();
    EXPECT_EQ(ReadBytes(Projects() + ".unreadable"),
              "<fontprojects><project name=\"Years of work\">");
    EXPECT_EQ(ReadBytes(Projects()), "<?xml version=\"1.0\"?>\n<fontprojects/>");
}

TEST(StoresAtStartTest, GoodStoresTellNothing) {
    Clean();
    WriteBytes(Projects(), "<fontprojects><project name=\"A\"/></fontprojects>");
    WriteBytes(Favourites(), "<favorites/>");
    const auto start = Start();
    ASSERT_EQ(start->result, CQuillmarkApp::StartResult::Started);
    EXPECT_TRUE(start->told.isEmpty());
    EXPECT_EQ(Entries(QFileInfo(Projects()).absolutePath()),
              (QStringList{"favorites.xml", "fontprojects.xml"}));
}

// Hand-written stores with parts the program cannot use: each file is used
// for the rest and copied at once, each store tells the user at the start
// what it left out and where the copy is, and the exit's save tells nothing
// more at the next start.
TEST(StoresAtStartTest, WhatEachStoreLeftOutIsKeptAndToldAtTheStart) {
    Clean();
    const QByteArray projects =
        "<fontprojects><project><font>/f/a.ttf</font></project><project name=\"B\"/>"
        "</fontprojects>";
    const QByteArray favourites = "<favorites><folder>fonts</folder></favorites>";
    const QByteArray locations = "<locations><place name=\"/\"/></locations>";
    WriteBytes(Projects(), projects);
    WriteBytes(Favourites(), favourites);
    WriteBytes(Locations(), locations);
    {
        const auto start = Start();
        ASSERT_EQ(start->result, CQuillmarkApp::StartResult::Started);
        EXPECT_TRUE(start->app->Projects().ProjectExists("B"));
        ASSERT_EQ(start->told.size(), 3) << start->told.join("\n").toStdString();
        EXPECT_TRUE(start->told[0].contains("1 project without a name"));
        EXPECT_TRUE(start->told[0].contains(Projects() + ".left-out"));
        EXPECT_TRUE(start->told[1].contains("1 favourite folder that is not a full path"));
        EXPECT_TRUE(start->told[1].contains(Favourites() + ".left-out"));
        EXPECT_TRUE(start->told[2].contains("recent locations"));
        EXPECT_TRUE(start->told[2].contains("1 element Quillmark does not know"));
        EXPECT_TRUE(start->told[2].contains(Locations() + ".left-out"));
        EXPECT_EQ(ReadBytes(Projects()), projects) << "used where it is until the exit";
        start->app->ExitInstance();
    }
    EXPECT_EQ(ReadBytes(Projects() + ".left-out"), projects);
    EXPECT_EQ(ReadBytes(Favourites() + ".left-out"), favourites);
    EXPECT_EQ(ReadBytes(Locations() + ".left-out"), locations);
    const auto again = Start();
    ASSERT_EQ(again->result, CQuillmarkApp::StartResult::Started);
    EXPECT_TRUE(again->told.isEmpty()) << again->told.join("\n").toStdString();
    EXPECT_TRUE(again->app->Projects().ProjectExists("B"));
}
