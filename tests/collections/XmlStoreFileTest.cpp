// What the stores' file does for every store, beyond what each store's own
// tests show, grouped by kind: the file kept aside, names and paths with
// characters XML cannot hold, files that are not files or too large or too
// deep, and saves that fail.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "collections/DataFiles.h"
#include "collections/XmlStoreFile.h"
#include "tests/collections/ItemStore.h"
#include "tests/collections/StoreTestSupport.h"

using namespace Quillmark;
using namespace QuillmarkTest;
using R = CXmlStoreFile::LoadResult;

namespace {

const auto& kHome = TemporaryHome();

constexpr QFileDevice::Permissions kEveryone =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

bool WellFormed(const QByteArray& bytes) {
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd()) {
        reader.readNext();
    }
    return !reader.hasError();
}

QString Unit(char16_t c) {
    return QString(QChar(c));
}

}  // namespace

// --- The file kept aside -------------------------------------------------

TEST(XmlStoreFileTest, AnUnusableFileIsSetAsideAtOnceAndNamedOnce) {
    const QString folder = TestFolder("aside");
    const QString path = folder + "/store.xml";
    WriteBytes(path, "<store><item>mine");
    WriteBytes(path + ".unreadable", "an earlier copy");
    CXmlStoreFile file = ItemStore();
    CStoreElement root;
    EXPECT_EQ(file.Load(path, root), R::NotWellFormed);
    EXPECT_TRUE(root.children.empty());
    EXPECT_FALSE(QFileInfo::exists(path)) << "set aside by the load";
    EXPECT_EQ(ReadBytes(path + ".unreadable"), "an earlier copy") << "never replaced";
    EXPECT_EQ(ReadBytes(path + ".unreadable-2"), "<store><item>mine");
    EXPECT_EQ(file.KeptCopy(), path + ".unreadable-2");
    const QString notice = file.TakeNotice("items");
    EXPECT_TRUE(notice.contains(path + ".unreadable-2")) << notice.toStdString();
    EXPECT_TRUE(notice.contains("not well-formed")) << notice.toStdString();
    EXPECT_TRUE(file.TakeNotice("items").isEmpty()) << "told once";

    ASSERT_TRUE(file.Save(path, Items({{"a", "b"}})));
    EXPECT_EQ(Entries(folder),
              (QStringList{"store.xml", "store.xml.unreadable", "store.xml.unreadable-2"}));
    EXPECT_EQ(file.Load(path, root), R::Parsed);
    EXPECT_TRUE(file.TakeNotice("items").isEmpty()) << "nothing to tell";
}

TEST(XmlStoreFileTest, AReadingToolSetsTheFileAsideOnlyBeforeReplacingIt) {
    const QString folder = TestFolder("before");
    const QString path = folder + "/store.xml";
    WriteBytes(path, "<other/>");
    CXmlStoreFile file = ItemStore();
    CStoreElement root;
    EXPECT_EQ(file.Load(path, root, CXmlStoreFile::Keep::BeforeReplacing), R::NoRoot);
    EXPECT_EQ(ReadBytes(path), "<other/>") << "reading changes nothing";
    ASSERT_TRUE(file.Save(folder + "/elsewhere.xml", Items({})));
    EXPECT_EQ(ReadBytes(path), "<other/>") << "a save elsewhere does not touch it";
    ASSERT_TRUE(file.Save(path, Items({})));
    EXPECT_EQ(ReadBytes(path + ".unreadable"), "<other/>");
    EXPECT_EQ(file.KeptCopy(), path + ".unreadable");
}

// A file the store could not read, and could not set aside (a file of
// root's in a folder with the sticky bit, read by another user), would be
// lost if the save replaced it: the save fails instead.
TEST(XmlStoreFileTest, AFileThatCannotBeKeptIsNeverReplaced) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root: a file of another user in a sticky folder";
    }
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString folder = scratch.path() + "/store";
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(scratch.path(), kEveryone);
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 01777), 0);
    const QString path = folder + "/store.xml";
    WriteBytes(path, "<store><item>mine</item></store>");
    QFile::setPermissions(path, QFileDevice::WriteOwner);

    EXPECT_EQ(InChild([&] {
                  BecomeNobody();
                  CXmlStoreFile file = ItemStore();
                  CStoreElement root;
                  if (file.Load(path, root) != R::Unreadable) {
                      return 2;
                  }
                  if (!file.TakeNotice("items").contains("could not be set aside")) {
                      return 3;
                  }
                  return file.Save(path, Items({})) ? 1 : 0;
              }),
              0);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadBytes(path), "<store><item>mine</item></store>");
    EXPECT_FALSE(QFileInfo::exists(path + ".unreadable"));
}

// --- Characters XML cannot hold ----------------------------------------------

TEST(XmlStoreFileTest, EveryCharacterOfANameOrTextRoundTrips) {
    const QString folder = TestFolder("characters");
    const QString path = folder + "/store.xml";
    QString every;
    for (char16_t c = 1; c < 0x20; ++c) {
        every += QChar(c);
    }
    every += Unit(0xFFFE) + Unit(0xFFFF) + Unit(0xD800) + "x" + Unit(0xDC00) +
             QString::fromUtf8("\U0001F600") + " %41 %0041 %%  & < > \" ' ]]> \r\n\r";
    const QString nul = Unit(0) + "after a NUL";
    const CStoreElement meant = Items(
        {{every, every}, {nul, nul}, {"plain %0041", "/plain/%0041"}, {"cr\r", "cr\r"}, {"", ""}});
    CXmlStoreFile file = ItemStore();
    const CResult<> saved = file.Save(path, meant);
    ASSERT_TRUE(saved) << saved.Failure().Reason();
    const QByteArray bytes = ReadBytes(path);
    EXPECT_TRUE(WellFormed(bytes)) << "any XML reader can read the file";
    EXPECT_TRUE(bytes.contains("<item name=\"plain %0041\">/plain/%0041</item>"))
        << "values without such characters are written as they are";
    EXPECT_TRUE(bytes.contains("encoded=\"1\">")) << bytes.toStdString();

    CStoreElement back;
    ASSERT_EQ(file.Load(path, back), R::Parsed);
    EXPECT_EQ(back, meant);
}

TEST(XmlStoreFileTest, FilesWrittenBeforeReadAsTheyAre) {
    const QString folder = TestFolder("before-encoding");
    const QString path = folder + "/store.xml";
    // No mark: "%0041" is what it says; a mark that is not "1" decodes
    // nothing; a marked value with a stray "%" keeps it.
    WriteBytes(path,
               "<?xml version=\"1.0\"?>\n<store><item name=\"%0041\">/a/%0041</item>"
               "<item encoded=\"0\">%0041</item>"
               "<item encoded=\"1\" name=\"%41%zz%0041\">%0025%002</item></store>");
    CXmlStoreFile file = ItemStore();
    CStoreElement back;
    ASSERT_EQ(file.Load(path, back), R::Parsed);
    ASSERT_EQ(back.children.size(), 3u);
    EXPECT_EQ(*back.children[0].Attribute("name"), "%0041");
    EXPECT_EQ(back.children[0].text, "/a/%0041");
    EXPECT_EQ(back.children[1].text, "%0041");
    EXPECT_EQ(*back.children[2].Attribute("name"), "%41%zzA");
    EXPECT_EQ(back.children[2].text, "%%002");
    EXPECT_EQ(back.children[2].Attribute("encoded"), nullptr);
}

TEST(XmlStoreFileTest, ADocumentThatWouldNotReadBackIsNeverWritten) {
    const QString folder = TestFolder("readback");
    const QString path = folder + "/store.xml";
    CXmlStoreFile file = ItemStore();
    ASSERT_TRUE(file.Save(path, Items({{"a", "kept"}})));
    const QByteArray before = ReadBytes(path);

    CStoreElement lost = Items({{"b", "x"}});
    lost.children[0].AddChild("deeper").text = "not read back";
    const CResult<> refused = file.Save(path, lost);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.Failure().Reason().find("read back"), std::string::npos)
        << refused.Failure().Reason();
    CStoreElement misnamed = Items({{"b", "x"}});
    misnamed.children[0].name = "Item";
    EXPECT_FALSE(file.Save(path, misnamed));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(Entries(folder), QStringList{"store.xml"});
}

// --- Files that are not files, too large, too deep ---------------------------

TEST(XmlStoreFileTest, OnlyRegularFilesAreOpenedAndOthersAreSetAside) {
    const QString folder = TestFolder("special");
    const auto load = [](const QString& path) {
        CXmlStoreFile file = ItemStore();
        CStoreElement root;
        return file.Load(path, root);
    };

    // A FIFO without a writer would block an open for ever.
    const QString fifo = folder + "/fifo.xml";
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(InChild([&] {
                  ::alarm(20);
                  return load(fifo) == R::NotAFile ? 0 : 1;
              }),
              0)
        << "a negative number is the signal that ended a hung load";
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo + ".unreadable").constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_FALSE(QFileInfo::exists(fifo));

    // A link to /dev/zero would be read for ever (or to 4 GB).
    const QString zero = folder + "/zero.xml";
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    EXPECT_EQ(load(zero), R::NotAFile);
    EXPECT_EQ(QFileInfo(zero + ".unreadable").symLinkTarget(), "/dev/zero");

    const QString directory = folder + "/folder.xml";
    ASSERT_TRUE(QDir().mkpath(directory + "/inside"));
    EXPECT_EQ(load(directory), R::NotAFile);
    EXPECT_TRUE(QFileInfo(directory + ".unreadable/inside").isDir());

    // Larger than 64 MB: refused without being read (a sparse file).
    const QString large = folder + "/large.xml";
    WriteBytes(large, "<store>");
    ASSERT_TRUE(QFile::resize(large, CXmlStoreFile::kMaxBytes + 1));
    EXPECT_EQ(load(large), R::TooLarge);
    EXPECT_EQ(QFileInfo(large + ".unreadable").size(), CXmlStoreFile::kMaxBytes + 1);

    // At the limit it is read.
    const QString limit = folder + "/limit.xml";
    QByteArray text = "<store><item>";
    text += QByteArray(CXmlStoreFile::kMaxBytes - text.size() - 15, 'x');
    text += "</item></store>";
    ASSERT_EQ(text.size(), CXmlStoreFile::kMaxBytes);
    WriteBytes(limit, text);
    CXmlStoreFile file = ItemStore();
    CStoreElement root;
    ASSERT_EQ(file.Load(limit, root), R::Parsed);
    EXPECT_EQ(root.children.at(0).text.size(), CXmlStoreFile::kMaxBytes - 28);

    // A missing file, and a link to one, are missing: nothing to set aside.
    EXPECT_EQ(load(folder + "/none.xml"), R::Missing);
    ASSERT_TRUE(QFile::link(folder + "/none.xml", folder + "/dangling.xml"));
    EXPECT_EQ(load(folder + "/dangling.xml"), R::Missing);
    EXPECT_TRUE(QFileInfo(folder + "/dangling.xml").isSymLink());
}

TEST(XmlStoreFileTest, AStoreNestedDeeperThanTheLimitIsRefusedAndSetAside) {
    const QString folder = TestFolder("deep");
    const QString path = folder + "/store.xml";
    constexpr int kLevels = 200000;
    QByteArray deep = "<store><item name=\"a\">/a</item>";
    deep += QByteArray("<x>").repeated(kLevels);
    deep += QByteArray("</x>").repeated(kLevels);
    deep += "</store>";
    WriteBytes(path, deep);
    CXmlStoreFile file = ItemStore();
    CStoreElement root;
    EXPECT_EQ(file.Load(path, root), R::TooDeep) << "the parser's depth limit is hit";
    EXPECT_TRUE(root.children.empty());
    EXPECT_EQ(ReadBytes(path + ".unreadable"), deep);
    EXPECT_TRUE(file.TakeNotice("items").contains("nested more than 256 levels"));

    // Down to the limit, everything is read; the text of deeper elements
    // belongs to the item.
    const auto nested = [](int levels) {
        QByteArray text = "<store><item name=\"a\">/a";
        text += QByteArray("<x>").repeated(levels - 2);
        text += "/b";
        text += QByteArray("</x>").repeated(levels - 2);
        text += "</item></store>";
        return text;
    };
    WriteBytes(path, nested(CXmlStoreFile::kMaxDepth));
    ASSERT_EQ(file.Load(path, root), R::Parsed);
    EXPECT_EQ(root, Items({{"a", "/a/b"}}));
    WriteBytes(path, nested(CXmlStoreFile::kMaxDepth + 1));
    EXPECT_EQ(file.Load(path, root), R::TooDeep);

    // Deep before the root too.
    WriteBytes(path, QByteArray("<x>").repeated(kLevels));
    EXPECT_EQ(file.Load(path, root), R::TooDeep);
}

// --- Saves that fail ---------------------------------------------------------

TEST(XmlStoreFileTest, AFullDiskOnARealSmallFileSystemLeavesTheOldFile) {
    const QString folder = TestFolder("full");
    CSmallDisk disk(folder, "64k");
    if (!disk.Skipped().empty()) {
        GTEST_SKIP() << disk.Skipped();
    }
    const QString path = folder + "/store.xml";
    CXmlStoreFile file = ItemStore();
    ASSERT_TRUE(file.Save(path, Items({{"a", QString(3000, 'a')}})));
    const QByteArray before = ReadBytes(path);
    const QString filler = disk.Fill();

    // The same store again, as at an exit with no change: small enough to
    // stay in the writer's buffer until the flush, where the disk is full.
    const CResult<> full = file.Save(path, Items({{"a", QString(3000, 'a')}}));
    ASSERT_FALSE(full);
    EXPECT_NE(full.Failure().Reason().find("No space left"), std::string::npos)
        << full.Failure().Reason();
    EXPECT_EQ(ReadBytes(path), before);
    // Larger than the buffer: the write itself fails.
    EXPECT_FALSE(file.Save(path, Items({{"a", QString(40000, 'b')}})));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(Entries(folder), (QStringList{"filler", "store.xml"})) << "no temporary file";

    QFile::remove(filler);
    ASSERT_TRUE(file.Save(path, Items({{"a", QString(40000, 'b')}})));
    CStoreElement back;
    ASSERT_EQ(file.Load(path, back), R::Parsed);
    EXPECT_EQ(back.children.at(0).text.size(), 40000);
}

TEST(XmlStoreFileTest, InjectedFailuresLeaveTheOldFile) {
    const QString folder = TestFolder("injected");
    const QString path = folder + "/store.xml";
    CXmlStoreFile file = ItemStore();
    ASSERT_TRUE(file.Save(path, Items({{"a", "old"}})));
    const QByteArray before = ReadBytes(path);
    const CStoreElement small = Items({{"a", "new"}});

    // No byte may be written (as on a full disk): the small store stays in
    // the buffer until the flush, which fails.
    EXPECT_EQ(InChild([&] {
                  LimitFileSize(0);
                  return file.Save(path, small) ? 1 : 0;
              }),
              0);
    EXPECT_EQ(ReadBytes(path), before);

    // A writer that fails, one that says it wrote what it did not, and one
    // that writes something else.
    EXPECT_FALSE(file.Save(path, small, [](QIODevice&, const QByteArray&) { return false; }));
    EXPECT_FALSE(file.Save(path, small, [](QIODevice& out, const QByteArray& bytes) {
        out.write(bytes.left(bytes.size() / 2));
        return true;
    }));
    EXPECT_FALSE(file.Save(path, small, [](QIODevice& out, const QByteArray& bytes) {
        out.write(QByteArray(bytes.size(), ' '));
        return true;
    }));
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(Entries(folder), QStringList{"store.xml"});
    ASSERT_TRUE(file.Save(path, small));
    EXPECT_NE(ReadBytes(path), before);
}

TEST(XmlStoreFileTest, WhatAKilledSaveLeftIsRemovedAndNothingElse) {
    const QString folder = TestFolder("leftovers");
    const QString path = folder + "/store.xml";
    CXmlStoreFile file = ItemStore();
    ASSERT_TRUE(file.Save(path, Items({{"a", "b"}})));
    const QStringList ours{"store.xml.quillmark-new", "store.xml.quillmark-new.AbC123"};
    const QStringList users{"store.xml.backup", "store.xml.AbC123",
                            "store.xml.quillmark-new.toolong", "store.xml.quillmark-news"};
    const auto leave = [&] {
        for (const QString& name : ours + users) {
            WriteBytes(folder + "/" + name, "<store/>");
        }
    };
    leave();
    CStoreElement root;
    ASSERT_EQ(file.Load(path, root, CXmlStoreFile::Keep::BeforeReplacing), R::Parsed);
    EXPECT_EQ(Entries(folder).size(), 7) << "a reading tool changes nothing";
    ASSERT_EQ(file.Load(path, root), R::Parsed);
    QStringList expected = users + QStringList{"store.xml"};
    expected.sort();
    EXPECT_EQ(Entries(folder), expected) << "the application's load removes only its own";
    leave();
    ASSERT_TRUE(file.Save(path, root));
    EXPECT_EQ(Entries(folder), expected) << "so does a save";
    EXPECT_EQ(PendingFilePath(path), path + ".quillmark-new");
}

TEST(XmlStoreFileTest, ALinkIsWrittenThroughAndAReadOnlyFileIsNotReplaced) {
    // Folders every user may write in: only the file's mode stops a save.
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString folder = scratch.path();
    const QString target = folder + "/real/store.xml";
    WriteBytes(target, "<store/>");
    QFile::setPermissions(folder, kEveryone);
    QFile::setPermissions(folder + "/real", kEveryone);
    const QString path = folder + "/store.xml";
    ASSERT_TRUE(QFile::link(target, path));
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    CXmlStoreFile file = ItemStore();
    const CResult<> saved = file.Save(path, Items({{"a", "b"}}));
    ASSERT_TRUE(saved) << saved.Failure().Reason();
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(ReadBytes(target), file.Serialize(Items({{"a", "b"}})));
    EXPECT_EQ(QFile::permissions(target), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadUser | QFileDevice::WriteUser)
        << "the new file keeps the old one's permissions";
    EXPECT_EQ(Entries(folder + "/real"), QStringList{"store.xml"});

    // Read-only for everyone: another user may not replace it.
    QFile::setPermissions(target,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    EXPECT_EQ(InChild([&] {
                  BecomeNobody();
                  return file.Save(path, Items({})) ? 1 : 0;
              }),
              0);
    EXPECT_EQ(ReadBytes(target), file.Serialize(Items({{"a", "b"}})));
    EXPECT_EQ(InChild([&] {
                  BecomeNobody();
                  return file.Save(folder + "/other.xml", Items({})) ? 0 : 1;
              }),
              0)
        << "the folder itself may be written";
}

// --- The earlier edition's file ----------------------------------------------

TEST(XmlStoreFileTest, ImportReplacesOursOnlyWithAWholeCopy) {
    const QString ours = DataFilePath("store.xml", true);
    const QString earlier = EarlierEditionFilePath("store.xml");
    WriteBytes(ours, "<store>ours</store>");
    // The earlier edition's file cannot be read: ours stays, and the earlier
    // one is still moved aside so that nobody is asked again.
    ASSERT_TRUE(QDir().mkpath(earlier));
    int asked = 0;
    ImportEarlierEditionFile("store.xml", [&] {
        ++asked;
        return true;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadBytes(ours), "<store>ours</store>");
    EXPECT_FALSE(QFileInfo::exists(earlier));
    EXPECT_TRUE(QFileInfo(earlier + ".old").isDir());

    // Without a question, ours is never replaced.
    WriteBytes(earlier, "<store>theirs</store>");
    ImportEarlierEditionFile("store.xml");
    EXPECT_EQ(ReadBytes(ours), "<store>ours</store>");
    EXPECT_TRUE(QFileInfo::exists(earlier)) << "an existing .old is never replaced";
    QFile::remove(earlier);

    // A FIFO in its place is not waited for.
    ASSERT_EQ(::mkfifo(QFile::encodeName(earlier).constData(), 0600), 0);
    EXPECT_EQ(InChild([&] {
                  ::alarm(20);
                  ImportEarlierEditionFile("store.xml", [] { return true; });
                  return 0;
              }),
              0);
    EXPECT_EQ(ReadBytes(ours), "<store>ours</store>");
}
