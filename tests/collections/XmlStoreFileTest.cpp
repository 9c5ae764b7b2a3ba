// What the stores' file does for every store, beyond what each store's own
// tests show.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "collections/XmlStoreFile.h"
#include "tests/collections/StoreTestSupport.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

const auto& kHome = TemporaryHome();

constexpr QFileDevice::Permissions kEveryone =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
    QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
    QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

}  // namespace

// A file the store could not read (here: not readable by this user) would
// be lost if the save replaced it without keeping it first.
TEST(XmlStoreFileTest, AFileThatCannotBeKeptIsNeverReplaced) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString folder = scratch.path() + "/store";
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(scratch.path(), kEveryone);
    QFile::setPermissions(folder, kEveryone);
    const QString path = folder + "/store.xml";
    WriteBytes(path, "<store><item>mine</item></store>");
    QFile::setPermissions(path, QFileDevice::WriteOwner);

    EXPECT_EQ(InChild([&] {
                  BecomeNobody();
                  CXmlStoreFile file(QStringLiteral("store"));
                  QDomDocument document;
                  QDomElement root;
                  if (file.Load(path, document, root) != CXmlStoreFile::LoadResult::Unreadable) {
                      return 2;
                  }
                  file.NewDocument(document);
                  return file.Save(path, document) ? 1 : 0;
              }),
              0);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(ReadBytes(path), "<store><item>mine</item></store>");
    EXPECT_FALSE(QFileInfo::exists(path + ".unreadable"));
}

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
}
