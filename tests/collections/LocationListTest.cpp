// The location bar's list and its file, locations.xml.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "collections/LocationList.h"
#include "core/PathText.h"
#include "tests/collections/StoreTestSupport.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

const auto& kHome = TemporaryHome();

std::vector<QString> Names(const CLocationList& list) {
    std::vector<QString> names;
    for (const CLocation& item : list.Items()) {
        names.push_back(item.name);
    }
    return names;
}

}  // namespace

TEST(LocationListTest, BringToTopMovesAFolderReachedByAnyPathAndLeavesMissingFoldersOut) {
    const QString root = TestFolder("location-top");
    QDir().mkpath(root + "/a");
    QDir().mkpath(root + "/b");
    ASSERT_TRUE(QFile::link(root + "/a", root + "/link-to-a"));
    CLocationList list;
    EXPECT_TRUE(list.BringToTop({CLocation::Folder, root + "/a"}));
    EXPECT_TRUE(list.BringToTop({CLocation::Project, "P"}));
    EXPECT_TRUE(list.BringToTop({CLocation::Folder, root + "/b"}));
    EXPECT_EQ(Names(list), (std::vector<QString>{root + "/b", "P", root + "/a"}));

    // The same folder through a link, with a trailing separator: moved, not added.
    EXPECT_TRUE(list.BringToTop({CLocation::Folder, root + "/link-to-a/"}));
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.FindFolder(root + "/a"), 0);
    EXPECT_EQ(list.Items()[1].name, root + "/b") << "the previous current location is item 1";
    // Item 0 again: nothing moves.
    EXPECT_TRUE(list.BringToTop({CLocation::Folder, root + "/a"}));
    EXPECT_EQ(list.Count(), 3u);
    // Projects compare by exact name; "p" is another project.
    EXPECT_TRUE(list.BringToTop({CLocation::Project, "p"}));
    EXPECT_EQ(list.Count(), 4u);
    EXPECT_EQ(list.FindProject("P"), 3);

    EXPECT_FALSE(list.BringToTop({CLocation::Folder, root + "/none"}));
    EXPECT_EQ(list.Count(), 4u);
    EXPECT_EQ(list.FindFolder(root + "/none"), -1);
    // A virtual location of the namespace compares as written.
    EXPECT_TRUE(list.BringToTop({CLocation::Folder, "::computer"}));
    EXPECT_TRUE(list.BringToTop({CLocation::Folder, "::computer"}));
    EXPECT_EQ(list.Count(), 5u);
}

TEST(LocationListTest, LimitStaleItemsAndKeepingOnlyTheCurrentOne) {
    const QString root = TestFolder("location-stale");
    CLocationList list;
    for (const char* name : {"a", "b", "c"}) {
        QDir().mkpath(root + "/" + name);
        list.BringToTop({CLocation::Folder, root + "/" + name});
    }
    list.BringToTop({CLocation::Project, "kept"});
    list.BringToTop({CLocation::Project, "deleted"});
    list.BringToTop({CLocation::Folder, "::desktop"});
    ASSERT_EQ(list.Count(), 6u);

    QDir(root + "/b").removeRecursively();
    list.RemoveStale([](const QString& project) { return project == "kept"; });
    EXPECT_EQ(Names(list), (std::vector<QString>{"::desktop", "kept", root + "/c", root + "/a"}));
    // A folder that comes back is found again; one gone is never found.
    EXPECT_EQ(list.FindFolder(root + "/b"), -1);

    list.ApplyLimit(2);
    EXPECT_EQ(Names(list), (std::vector<QString>{"::desktop", "kept"}));
    list.ApplyLimit(1);
    EXPECT_EQ(Names(list), (std::vector<QString>{"::desktop"}));
    list.BringToTop({CLocation::Project, "kept"});
    list.KeepOnlyCurrent();
    EXPECT_EQ(Names(list), (std::vector<QString>{"kept"}));
}

TEST(LocationListTest, FileRoundTripsEveryKindOfName) {
    const QString folder = TestFolder("location-file");
    const QString path = folder + "/locations.xml";
    const QString odd = folder + "/<&\"'> \u00e9\u4e2d\U0001F600";
    QDir().mkpath(odd);
    CLocationList list;
    list.BringToTop({CLocation::Folder, odd});
    list.BringToTop({CLocation::Project, "Tab\there & <there> \"quoted\" \u0001 %41"});
    list.BringToTop({CLocation::Project, " "});
    list.BringToTop({CLocation::Folder, "::computer"});
    // Paths are kept whole, however long.
    QString deep = folder;
    while (deep.size() < 400) {
        deep += "/a folder name of some length";
    }
    ASSERT_TRUE(QDir().mkpath(deep));
    list.BringToTop({CLocation::Folder, deep});
    const CResult<> saved = list.Save(path);
    ASSERT_TRUE(saved) << saved.Failure().Reason();

    CLocationList read;
    read.Load(path);
    EXPECT_EQ(read.Items(), list.Items());
    EXPECT_EQ(read.FindFolder(deep), 0);
    EXPECT_TRUE(read.TakeKeptFileNotice().isEmpty());
}

TEST(LocationListTest, ReadingFollowsTheFileLayout) {
    const QString path = TestFolder("location-layout") + "/locations.xml";
    WriteBytes(path,
               "<?xml version=\"1.0\"?><locations>"
               "<location project=\"true\" name=\"P\"/>"
               "<location project=\"TRUE\" name=\"/upper\"/>"
               "<location name=\"/no-kind\"/>"
               "<location project=\"true\"/>"
               "<other name=\"/skipped\"/>"
               "<location project=\"false\" name=\"/gone\"/>"
               "<location project=\"false\" name=\"/gone\"/>"
               "</locations>");
    CLocationList list;
    list.Load(path);
    EXPECT_EQ(list.Items(), (std::vector<CLocation>{{CLocation::Project, "P"},
                                                    {CLocation::Folder, "/upper"},
                                                    {CLocation::Folder, "/no-kind"},
                                                    {CLocation::Folder, "/gone"},
                                                    {CLocation::Folder, "/gone"}}))
        << "read as written: neither existence nor repeats are checked";
}

TEST(LocationListTest, AnUnusableFileIsSetAsideAndToldOnceAndAFailedSaveKeepsTheOldFile) {
    const QString path = TestFolder("location-unreadable") + "/locations.xml";
    WriteBytes(path, "<locations><location name=\"/a\">");
    CLocationList list;
    list.Load(path);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(QFile::exists(path + ".unreadable"));
    const QString notice = list.TakeKeptFileNotice();
    EXPECT_TRUE(notice.contains("locations.xml.unreadable")) << qPrintable(notice);
    EXPECT_TRUE(list.TakeKeptFileNotice().isEmpty());

    list.BringToTop({CLocation::Folder, "::desktop"});
    ASSERT_TRUE(list.Save(path));
    const QByteArray saved = ReadBytes(path);
    list.BringToTop({CLocation::Project, "P"});
    EXPECT_FALSE(list.Save(path, [](QIODevice& file, const QByteArray& bytes) {
        file.write(bytes.left(bytes.size() / 2));
        return true;
    }));
    EXPECT_EQ(ReadBytes(path), saved);

    EXPECT_TRUE(CLocationList::RemoveFile(path));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(CLocationList::RemoveFile(path)) << "nothing to remove";
}

TEST(LocationListTest, AFolderWhoseNameIsNotUtf8ComesBackWithItsOwnBytes) {
    const QString folder = TestFolder("location-bytes");
    const std::filesystem::path latin = FilePath(folder) / std::string("d\xe9j\xe0");
    std::filesystem::create_directories(latin);
    CLocationList list;
    list.BringToTop({CLocation::Folder, PathText(latin)});
    ASSERT_EQ(list.Items().size(), 1u) << "the folder was taken for missing";
    ASSERT_TRUE(list.Save(folder + "/locations.xml"));
    CLocationList read;
    read.Load(folder + "/locations.xml");
    ASSERT_EQ(read.Items().size(), 1u);
    EXPECT_EQ(FilePath(read.Items()[0].name).native(), latin.native());
    EXPECT_EQ(read.FindFolder(PathText(latin)), 0);
}

// A folder location written as a relative path would be kept or dropped by
// the folder the program was started from: it is never used, and the file is
// copied before it is replaced and the user told.
TEST(LocationListTest, ARelativeFolderIsLeftOutWhereverTheProgramStarts) {
    const QString folder = TestFolder("location-relative");
    const QString path = folder + "/locations.xml";
    const QByteArray written =
        "<locations><location project=\"false\" name=\"fonts\"/><location name=\".\"/>"
        "<location project=\"true\" name=\"fonts\"/><location project=\"false\"/>"
        "<location name=\"::desktop\"/></locations>";
    const QString withFonts = folder + "/with-fonts";
    QDir().mkpath(withFonts + "/fonts");
    const QString before = QDir::currentPath();
    std::vector<std::vector<CLocation>> seen;
    for (const QString& current : {withFonts, folder}) {
        ASSERT_TRUE(QDir::setCurrent(current));
        WriteBytes(path, written);
        CLocationList list;
        list.Load(path);
        list.RemoveStale([](const QString&) { return true; });
        seen.push_back(list.Items());
        EXPECT_EQ(list.FindFolder("fonts"), -1);
        EXPECT_FALSE(list.BringToTop({CLocation::Folder, "fonts"})) << "nor taken later";
        const QString notice = list.TakeKeptFileNotice();
        EXPECT_TRUE(
            notice.contains("2 folder locations that are not full paths and 1 location "
                            "without a name"))
            << notice.toStdString();
        EXPECT_EQ(ReadBytes(path + ".left-out"), written);
    }
    QDir::setCurrent(before);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(seen[0], (std::vector<CLocation>{{CLocation::Project, "fonts"},
                                               {CLocation::Folder, "::desktop"}}));
}
