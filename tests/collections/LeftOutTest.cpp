// A store file that was read but held what the store cannot use: the file
// stays and is used, a copy of it is kept before anything replaces it, and
// the user is told once what was left out. Files the program writes itself
// are read as they always were, with nothing to tell and no copy.

#include <gtest/gtest.h>

#include <QFileInfo>

#include "collections/XmlStoreFile.h"
#include "tests/collections/ItemStore.h"
#include "tests/collections/StoreTestSupport.h"

using namespace Quillmark;
using namespace QuillmarkTest;
using R = CXmlStoreFile::LoadResult;

namespace {

const auto& kHome = TemporaryHome();

const QByteArray kHandWritten =
    "<?xml version=\"1.0\"?>\n<store>\n  <!-- mine -->\n"
    "  <item name=\"a\">/a<b>/b</b></item>\n"
    "  <note>keep this</note>\n"
    "  loose words\n"
    "  <item name=\"c\">/c</item><group><item name=\"d\"/></group>\n"
    "</store>\n";

}  // namespace

TEST(LeftOutTest, WhatTheStoreDoesNotKnowIsCopiedAtOnceAndToldOnce) {
    const QString folder = TestFolder("left-out");
    const QString path = folder + "/store.xml";
    WriteBytes(path, kHandWritten);
    CXmlStoreFile file = ItemStore();
    CStoreElement root;
    ASSERT_EQ(file.Load(path, root), R::Parsed);
    EXPECT_EQ(root, Items({{"a", "/a/b"}, {"c", "/c"}})) << "what could be read is used";
    EXPECT_EQ(ReadBytes(path), kHandWritten) << "the file stays where it is";
    EXPECT_EQ(ReadBytes(path + ".left-out"), kHandWritten) << "and is copied at once";
    EXPECT_EQ(file.KeptCopy(), path + ".left-out");
    const QString notice = file.TakeNotice("items");
    EXPECT_TRUE(notice.contains("items in the file " + path)) << notice.toStdString();
    EXPECT_TRUE(notice.contains("3 elements Quillmark does not know and 1 piece of text"))
        << notice.toStdString();
    EXPECT_TRUE(notice.contains("kept as " + path + ".left-out")) << notice.toStdString();
    EXPECT_TRUE(file.TakeNotice("items").isEmpty()) << "told once";

    ASSERT_TRUE(file.Save(path, root));
    ASSERT_TRUE(file.Save(path, root));
    EXPECT_EQ(Entries(folder), (QStringList{"store.xml", "store.xml.left-out"}));
    EXPECT_EQ(file.Load(path, root), R::Parsed);
    EXPECT_TRUE(file.TakeNotice("items").isEmpty()) << "what the program wrote tells nothing";

    // A start that ended before it saved, then another: the copy holding the
    // same bytes is that copy. A different file never replaces a copy.
    WriteBytes(path, kHandWritten);
    ASSERT_EQ(file.Load(path, root), R::Parsed);
    EXPECT_EQ(file.KeptCopy(), path + ".left-out");
    WriteBytes(path, "<store><other/></store>");
    ASSERT_EQ(file.Load(path, root), R::Parsed);
    EXPECT_EQ(file.KeptCopy(), path + ".left-out-2");
    EXPECT_EQ(ReadBytes(path + ".left-out"), kHandWritten);
    EXPECT_EQ(ReadBytes(path + ".left-out-2"), "<store><other/></store>");
}

TEST(LeftOutTest, AReadingToolCopiesTheFileOnlyBeforeReplacingIt) {
    const QString folder = TestFolder("left-out-before");
    const QString path = folder + "/store.xml";
    WriteBytes(path, kHandWritten);
    CXmlStoreFile file = ItemStore();
    CStoreElement root;
    ASSERT_EQ(file.Load(path, root, CXmlStoreFile::Keep::BeforeReplacing), R::Parsed);
    EXPECT_EQ(file.LeftOut().Count(), 4);
    EXPECT_EQ(Entries(folder), QStringList{"store.xml"}) << "reading changes nothing";
    EXPECT_TRUE(file.TakeNotice("items").contains("will be kept beside it"));
    ASSERT_TRUE(file.Save(folder + "/elsewhere.xml", root));
    EXPECT_EQ(Entries(folder), (QStringList{"elsewhere.xml", "store.xml"}));
    ASSERT_TRUE(file.Save(path, root));
    EXPECT_EQ(ReadBytes(path + ".left-out"), kHandWritten);
    EXPECT_EQ(file.KeptCopy(), path + ".left-out");
    EXPECT_EQ(ReadBytes(path), file.Serialize(root));
}

// Whitespace, comments, processing instructions and any encoding the parser
// takes are no reason to tell or to copy; nor is what the program writes,
// characters XML cannot hold and all.
TEST(LeftOutTest, FilesAsTheProgramWritesThemTellNothing) {
    const QString folder = TestFolder("left-out-none");
    const QString path = folder + "/store.xml";
    CXmlStoreFile file = ItemStore();
    CStoreElement root;
    const CStoreElement written = Items({{"a\x01", "/a\r\n%"}, {"", ""}});
    ASSERT_TRUE(file.Save(path, written));
    ASSERT_EQ(file.Load(path, root), R::Parsed);
    EXPECT_EQ(root, written);
    WriteBytes(folder + "/spaced.xml",
               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<!-- c -->\n<store>\n"
               "  <?pi data?>\n  <item name=\"\xE9\">/x</item> <!-- c -->\n\t<item/>\n</store>\n");
    ASSERT_EQ(file.Load(folder + "/spaced.xml", root), R::Parsed);
    EXPECT_EQ(file.LeftOut().Count(), 0);
    EXPECT_TRUE(file.TakeNotice("items").isEmpty());
    EXPECT_EQ(Entries(folder), (QStringList{"spaced.xml", "store.xml"}));
}

// With every free name taken by other copies, none can be made: the file is
// then never replaced, and the user is told so.
TEST(LeftOutTest, AFileThatCannotBeCopiedIsNeverReplaced) {
    const QString folder = TestFolder("left-out-full");
    const QString path = folder + "/store.xml";
    WriteBytes(path, kHandWritten);
    WriteBytes(path + ".left-out", "another copy");
    for (int n = 2; n < 1000; ++n) {
        WriteBytes(path + ".left-out-" + QString::number(n), "another copy");
    }
    CXmlStoreFile file = ItemStore();
    CStoreElement root;
    ASSERT_EQ(file.Load(path, root), R::Parsed);
    EXPECT_TRUE(file.KeptCopy().isEmpty());
    EXPECT_TRUE(file.TakeNotice("items").contains("will not save the items over it"));
    const CResult<> saved = file.Save(path, root);
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.Failure().Reason().find("no copy could be made"), std::string::npos)
        << saved.Failure().Reason();
    EXPECT_EQ(ReadBytes(path), kHandWritten);

    QFile::remove(path + ".left-out-500");
    ASSERT_TRUE(file.Save(path, root)) << "the save copies it when it can";
    EXPECT_EQ(ReadBytes(path + ".left-out-500"), kHandWritten);
}

TEST(LeftOutTest, TheTextNamesEachKindWithItsNumber) {
    CLeftOut leftOut;
    EXPECT_TRUE(leftOut.IsEmpty());
    EXPECT_EQ(leftOut.Text(), "");
    leftOut.Add("1 apple", "%1 apples");
    EXPECT_EQ(leftOut.Text(), "1 apple");
    leftOut.Add("1 pear", "%1 pears");
    leftOut.Add("1 apple", "%1 apples");
    EXPECT_EQ(leftOut.Text(), "2 apples and 1 pear");
    CStoreElement element;
    element.attributes = {{"name", "a"}, {"colour", "red"}, {"size", "2"}};
    leftOut.AddUnknownAttributes(element, {u"name", u"size"});
    EXPECT_EQ(leftOut.Text(), "2 apples, 1 pear and 1 attribute Quillmark does not know");
    EXPECT_EQ(leftOut.Count(), 4);
}
