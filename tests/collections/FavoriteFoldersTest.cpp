// The favourite folders store and its file.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "collections/DataFiles.h"
#include "collections/FavoriteFolders.h"
#include "core/PathText.h"
#include "tests/collections/StoreTestSupport.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

const auto& kHome = TemporaryHome();

std::vector<QString> All(const CFavoriteFolders& store) {
    std::vector<QString> all;
    store.ForEach([&](const QString& path) { all.push_back(path); });
    return all;
}

int LoadCode(CFavoriteFolders& store, const QString& path) {
    try {
        store.Load(path);
        return 0;
    } catch (const CFavoriteFoldersException& e) {
        return e.code;
    }
}

}  // namespace

TEST(FavoriteFoldersTest, SamePathIsOneFavouriteOrderedByLowerCase) {
    CFavoriteFolders store;
    EXPECT_TRUE(store.IsEmpty());
    store.Add("/fonts/b");
    store.Add("/Fonts/A");
    store.Add("/fonts/a");
    store.Add("/fonts/b");
    EXPECT_EQ(All(store), (std::vector<QString>{"/Fonts/A", "/fonts/a", "/fonts/b"}));
    EXPECT_TRUE(store.Contains("/fonts/a"));
    EXPECT_FALSE(store.Contains("/FONTS/B"));
    EXPECT_EQ(store.GetAt(2), "/fonts/b");
    try {
        store.GetAt(3);
        ADD_FAILURE() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "Value is out of range");
    }
    store.Remove("/FONTS/B");
    store.Remove("/fonts/b");
    EXPECT_EQ(store.Count(), 2u);
}

TEST(FavoriteFoldersTest, VanishedFoldersStayWhileRunningAndAreDroppedWhenWritten) {
    const QString folder = TestFolder("favourites");
    QDir().mkpath(folder + "/kept & <mine>");
    QDir().mkpath(folder + "/gone");
    CFavoriteFolders store;
    store.Add(folder + "/kept & <mine>");
    store.Add(folder + "/gone");
    QDir(folder + "/gone").removeRecursively();
    store.Save(folder + "/favorites.xml");
    EXPECT_EQ(store.Count(), 2u);
    EXPECT_EQ(ReadBytes(folder + "/favorites.xml"),
              "<?xml version=\"1.0\"?>\n<favorites><folder>" +
                  (folder + "/kept &amp; &lt;mine&gt;").toUtf8() + "</folder></favorites>");
    CFavoriteFolders back;
    back.Load(folder + "/favorites.xml");
    EXPECT_EQ(All(back), std::vector<QString>{folder + "/kept & <mine>"});
}

// A favourite on a drive that is not mounted at exit (its folder and its
// parent are both missing, or its parent is where drives are mounted) stays;
// one whose parent is there and it is not is gone.
TEST(FavoriteFoldersTest, FavouritesOnADriveThatIsNotMountedAreKept) {
    const QString folder = TestFolder("unmounted");
    QDir().mkpath(folder + "/deleted");
    CFavoriteFolders store;
    const QString onDrive = folder + "/drive/fonts";  // "drive" is not there
    const QString deleted = folder + "/deleted";
    const QString mountPoint = "/media/quillmark-test-no-such-drive";
    const QString underMnt = "/mnt/quillmark-test-no-such-drive";
    for (const QString& path : {onDrive, deleted, mountPoint, underMnt}) {
        store.Add(path);
    }
    QDir(deleted).removeRecursively();
    store.Save(folder + "/favorites.xml");
    CFavoriteFolders back;
    back.Load(folder + "/favorites.xml");
    EXPECT_TRUE(back.Contains(onDrive));
    EXPECT_TRUE(back.Contains(mountPoint));
    EXPECT_TRUE(back.Contains(underMnt));
    EXPECT_FALSE(back.Contains(deleted));
    EXPECT_EQ(back.Count(), 3u);
}

TEST(FavoriteFoldersTest, ControlCharactersInAFolderNameRoundTrip) {
    const QString folder = TestFolder("control");
    const QString odd = folder + "/odd \x01\x02\x1b[0m\x7f name\r";
    ASSERT_TRUE(QDir().mkpath(odd));
    CFavoriteFolders store;
    store.Add(odd);
    store.Add(folder);
    store.Save(folder + "/favorites.xml");
    CFavoriteFolders back;
    back.Load(folder + "/favorites.xml");
    EXPECT_EQ(All(back), All(store));
}

TEST(FavoriteFoldersTest, AnUnusableFileLeavesNoFavouritesIsKeptAndIsToldOnce) {
    // A folder that another user may reach and change.
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString folder = scratch.path();
    QFile::setPermissions(folder, QFileDevice::Permissions(0x7777));
    const QString path = folder + "/favorites.xml";

    // Mode 000, for a normal user.
    WriteBytes(path, "<favorites><folder>/mine</folder></favorites>");
    QFile::setPermissions(path, QFileDevice::Permissions());
    EXPECT_EQ(
        InChild([&] {
            BecomeNobody();
            CFavoriteFolders store;
            store.Add("/before");
            if (LoadCode(store, path) != 1 || !store.IsEmpty()) {
                return 1;
            }
            const QString notice = store.TakeKeptFileNotice();
            if (!notice.contains(path + ".unreadable") || !notice.contains("favourite folders")) {
                return 2;
            }
            return store.TakeKeptFileNotice().isEmpty() ? 0 : 3;
        }),
        0);
    QFile::setPermissions(path + ".unreadable", QFileDevice::ReadOwner);
    EXPECT_EQ(ReadBytes(path + ".unreadable"), "<favorites><folder>/mine</folder></favorites>");
    EXPECT_FALSE(QFileInfo::exists(path));

    // A folder.
    QDir().mkpath(path);
    CFavoriteFolders store;
    EXPECT_EQ(LoadCode(store, path), CFavoriteFoldersException::kUnreadable);
    EXPECT_TRUE(QFileInfo(path + ".unreadable-2").isDir());
    EXPECT_TRUE(store.TakeKeptFileNotice().contains(path + ".unreadable-2"));

    // The wrong root.
    WriteBytes(path, "<favourites><folder>/typo</folder></favourites>");
    EXPECT_EQ(LoadCode(store, path), CFavoriteFoldersException::kUnreadable);
    EXPECT_EQ(ReadBytes(path + ".unreadable-3"), "<favourites><folder>/typo</folder></favourites>");
    EXPECT_TRUE(store.TakeKeptFileNotice().contains(path + ".unreadable-3"));
    EXPECT_EQ(store.KeptUnreadableCopy(), path + ".unreadable-3");
}

TEST(FavoriteFoldersTest, AFullDiskThrowsAndLeavesTheFileAsItWas) {
    const QString folder = TestFolder("full");
    CSmallDisk disk(folder, "64k");
    if (!disk.Skipped().empty()) {
        GTEST_SKIP() << disk.Skipped();
    }
    const QString path = folder + "/favorites.xml";
    CFavoriteFolders store;
    store.Add(folder);
    store.Save(path);
    const QByteArray before = ReadBytes(path);
    disk.Fill();
    CFavoriteFolders again;
    again.Load(path);
    EXPECT_EQ(again.Count(), 1u);
    try {
        again.Save(path);
        ADD_FAILURE() << "no exception";
    } catch (const CFavoriteFoldersException& e) {
        EXPECT_EQ(e.code, CFavoriteFoldersException::kNotWritten);
        EXPECT_TRUE(e.reason.contains("No space left")) << qPrintable(e.reason);
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(Entries(folder), (QStringList{"favorites.xml", "filler"}));
}

TEST(FavoriteFoldersTest, LoadCodes) {
    const QString folder = TestFolder("codes");
    CFavoriteFolders store;
    store.Add("/kept");
    EXPECT_EQ(LoadCode(store, folder + "/none.xml"), 0);
    EXPECT_EQ(store.Count(), 1u) << "a missing file changes nothing";

    WriteBytes(folder + "/bad.xml", "<favorites><folder>/x</folder>");
    EXPECT_EQ(LoadCode(store, folder + "/bad.xml"), 0) << "not well-formed: nothing, silently";
    EXPECT_TRUE(store.IsEmpty());

    store.Add("/kept");
    WriteBytes(folder + "/noroot.xml",
               "<?xml version=\"1.0\"?><Favorites><folder>/x</folder></Favorites>");
    EXPECT_EQ(LoadCode(store, folder + "/noroot.xml"), CFavoriteFoldersException::kUnreadable);
    EXPECT_TRUE(store.IsEmpty());

    QDir().mkpath(folder + "/folder.xml");  // exists, cannot be read as a file
    EXPECT_EQ(LoadCode(store, folder + "/folder.xml"), CFavoriteFoldersException::kUnreadable);

    WriteBytes(
        folder + "/good.xml",
        "<favorites>\n <!-- mine -->\n <folder>/a</folder><other>/b</other><folder>/a</folder>"
        "<Folder>/c</Folder><folder>/A</folder></favorites>");
    EXPECT_EQ(LoadCode(store, folder + "/good.xml"), 0);
    EXPECT_EQ(All(store), (std::vector<QString>{"/A", "/a"}));
}

TEST(FavoriteFoldersTest, FileWithoutRootIsKeptAndFailedSavesThrowAndKeepTheOldFile) {
    const QString folder = TestFolder("keep");
    const QString path = folder + "/favorites.xml";
    WriteBytes(path, "<favourites><folder>/typo</folder></favourites>");
    CFavoriteFolders store;
    EXPECT_EQ(LoadCode(store, path), CFavoriteFoldersException::kUnreadable);
    store.Add(folder);
    store.Save(path);
    EXPECT_EQ(ReadBytes(path + ".unreadable"), "<favourites><folder>/typo</folder></favourites>");
    const QByteArray before = ReadBytes(path);
    try {
        store.Save(path, [](QIODevice&, const QByteArray&) { return false; });
        ADD_FAILURE() << "no exception";
    } catch (const CFavoriteFoldersException& e) {
        EXPECT_EQ(e.code, CFavoriteFoldersException::kNotWritten);
    }
    EXPECT_EQ(ReadBytes(path), before);
}

TEST(FavoriteFoldersTest, ImportAsksOnlyWhenBothEditionsHaveFavourites) {
    const QString ours = DataFilePath("favorites.xml", false);
    const QString earlier = EarlierEditionFilePath("favorites.xml");
    int asked = 0;
    const auto answer = [&](bool yes) {
        return [&, yes] {
            ++asked;
            return yes;
        };
    };
    QFile::remove(ours);
    WriteBytes(earlier, "<favorites><folder>/pro</folder></favorites>");
    CFavoriteFolders::ImportEarlierEdition(answer(false));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ReadBytes(ours), "<favorites><folder>/pro</folder></favorites>");
    EXPECT_TRUE(QFileInfo::exists(earlier + ".old"));
    QFile::remove(earlier + ".old");

    WriteBytes(ours, "<favorites/>");
    WriteBytes(earlier, "<favorites><folder>/no</folder></favorites>");
    CFavoriteFolders::ImportEarlierEdition(answer(false));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadBytes(ours), "<favorites/>");
    EXPECT_FALSE(QFileInfo::exists(earlier));
    QFile::remove(earlier + ".old");

    WriteBytes(earlier, "<favorites><folder>/yes</folder></favorites>");
    CFavoriteFolders::ImportEarlierEdition(answer(true));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(ReadBytes(ours), "<favorites><folder>/yes</folder></favorites>");
    EXPECT_TRUE(QFileInfo::exists(earlier + ".old"));
}

// "déjà" in Latin-1, bytes no UTF-8 decoder takes: the favourite comes
// back as the same folder, byte for byte.
TEST(FavoriteFoldersTest, AFolderWhoseNameIsNotUtf8ComesBackWithItsOwnBytes) {
    const QString folder = TestFolder("favourites-bytes");
    const std::filesystem::path latin = FilePath(folder) / std::string("d\xe9j\xe0");
    std::filesystem::create_directories(latin);
    CFavoriteFolders store;
    store.Add(PathText(latin));
    store.Save(folder + "/favorites.xml");
    CFavoriteFolders back;
    back.Load(folder + "/favorites.xml");
    const std::vector<QString> all = All(back);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(FilePath(all[0]).native(), latin.native());
}

// A favourite written as a relative path names a different folder for each
// folder the program is started from: it is never used, wherever the start,
// and the file is copied before it is replaced and the user told.
TEST(FavoriteFoldersTest, ARelativeFavouriteIsLeftOutWhereverTheProgramStarts) {
    const QString folder = TestFolder("relative");
    const QString path = folder + "/favorites.xml";
    const QString full = folder + "/full";
    QDir().mkpath(full);
    const QByteArray written = "<favorites><folder>fonts/x</folder><folder>.</folder><folder>" +
                               full.toUtf8() + "</folder></favorites>";
    // In one, "fonts" is there and "fonts/x" is not; in the other neither.
    const QString withFonts = folder + "/with-fonts";
    const QString bare = folder + "/bare";
    QDir().mkpath(withFonts + "/fonts");
    QDir().mkpath(bare);
    const QString before = QDir::currentPath();
    std::vector<QByteArray> saved;
    for (const QString& current : {withFonts, bare}) {
        ASSERT_TRUE(QDir::setCurrent(current));
        WriteBytes(path, written);
        CFavoriteFolders store;
        store.Load(path);
        EXPECT_EQ(All(store), std::vector<QString>{full}) << current.toStdString();
        const QString notice = store.TakeKeptFileNotice();
        EXPECT_TRUE(notice.contains("2 favourite folders that are not full paths"))
            << notice.toStdString();
        store.Save(path);
        saved.push_back(ReadBytes(path));
        EXPECT_EQ(ReadBytes(path + ".left-out"), written);
    }
    QDir::setCurrent(before);
    EXPECT_EQ(saved[0], saved[1]) << "the same file, whatever the current folder";
    EXPECT_EQ(saved[0], "<?xml version=\"1.0\"?>\n<favorites><folder>" + full.toUtf8() +
                            "</folder></favorites>");

    // What the program wrote tells nothing.
    CFavoriteFolders back;
    back.Load(path);
    EXPECT_TRUE(back.TakeKeptFileNotice().isEmpty());
}
