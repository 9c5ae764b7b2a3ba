// The font projects store and its file.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <string>

#include "collections/DataFiles.h"
#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "tests/collections/StoreTestSupport.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

const auto& kHome = TemporaryHome();

// Each font's path, and "#face" after it for a face other than the first.
std::vector<QString> Fonts(const CFontProjects& store, const QString& name) {
    const auto it = store.FindProject(name);
    if (it == store.end())
        return {};
    std::vector<QString> fonts;
    for (const CProjectFont& font : *it->second) {
        fonts.push_back(font.face == 0 ? font.path
                                       : font.path + QLatin1Char('#') + QString::number(font.face));
    }
    return fonts;
}

std::vector<QString> Names(const CFontProjects& store) {
    std::vector<QString> names;
    for (const auto& [name, fonts] : store) names.push_back(name);
    return names;
}

CFontProjects LoadText(const QString& folder, const QByteArray& text) {
    const QString path = folder + "/fontprojects.xml";
    WriteBytes(path, text);
    CFontProjects store;
    store.Load(path);
    return store;
}

}  // namespace

TEST(FontProjectsTest, ReadsOnlyTheExactNamesAndMergesRepeatedProjects) {
    const QString folder = TestFolder("read");
    EXPECT_EQ(LoadText(folder,
                       "<?xml version=\"1.0\"?><FontProjects><project name=\"A\"/></FontProjects>")
                  .Count(),
              0u)
        << "the root's letter case counts";
    const CFontProjects store =
        LoadText(folder,
                 "<?xml version=\"1.0\"?>\n"
                 "<!-- made by hand -->\n"
                 "<fontprojects>\n"
                 "  <project name=\"A\"><font>/f/x.ttf</font><!-- c "
                 "--><Font>/f/ignored.ttf</Font></project>\n"
                 "  <project><font>/f/nameless.ttf</font></project>\n"
                 "  <Project name=\"B\"><font>/f/b.ttf</font></Project>\n"
                 "  <other name=\"C\"/>\n"
                 "  <project name=\"A\"><font>/f/y.ttf</font><font>/f/x.ttf</font></project>\n"
                 "  <project Name=\"D\"/>\n"
                 "  <project name=\"\"><font><![CDATA[/f/<cdata>.ttf]]></font></project>\n"
                 "</fontprojects>\n");
    EXPECT_EQ(Names(store), (std::vector<QString>{"", "A"}));
    EXPECT_EQ(Fonts(store, "A"), (std::vector<QString>{"/f/x.ttf", "/f/y.ttf"}));
    EXPECT_EQ(Fonts(store, ""), (std::vector<QString>{"/f/<cdata>.ttf"}));
}

TEST(FontProjectsTest, MissingFileLeavesTheStoreAndAMalformedOneEmptiesIt) {
    const QString folder = TestFolder("missing");
    CFontProjects store;
    store.AddProject("Kept");
    store.Load(folder + "/none.xml");
    EXPECT_TRUE(store.ProjectExists("Kept"));
    WriteBytes(folder + "/bad.xml", "<fontprojects><project name=\"A\">");
    store.Load(folder + "/bad.xml");
    EXPECT_EQ(store.Count(), 0u);
}

TEST(FontProjectsTest, RenamingDeletingAndWeakReferences) {
    CFontProjects store;
    store.AddProject("A");
    store.AddProject("B");
    store.AddFont("A", "/f/a.ttf");
    store.AddFont("A", "/f/a.ttf");
    EXPECT_EQ(store.FindProject("A")->second->size(), 1u);
    const auto fontsOfA = store.GetProjectFonts("A");
    EXPECT_FALSE(store.RenameProject("A", "B"));
    EXPECT_FALSE(store.RenameProject("A", "A"));
    EXPECT_FALSE(store.RenameProject("Z", "Y"));
    EXPECT_TRUE(store.RenameProject("A", "C"));
    EXPECT_FALSE(store.ProjectExists("A"));
    ASSERT_FALSE(fontsOfA.expired()) << "the set moved with the name";
    EXPECT_EQ(fontsOfA.lock(), store.GetProjectFonts("C").lock());
    store.DeleteProject("C");
    EXPECT_TRUE(fontsOfA.expired());
    EXPECT_TRUE(store.GetProjectFonts("C").expired());
    store.DeleteProject("nobody");
    EXPECT_THROW(store.AddFont("C", "/x.ttf"), CFontProjectException);
    EXPECT_THROW(store.RemoveFont("C", "/x.ttf"), CFontProjectException);
    try {
        store.HasFont("C", "/x.ttf");
        ADD_FAILURE() << "no exception";
    } catch (const CFontProjectException& e) {
        EXPECT_EQ(e.code, 1);
    }
    store.AddFont("B", "/F/A.ttf");
    store.AddFont("B", "/f/a.ttf");
    EXPECT_TRUE(store.HasFont("B", "/F/A.ttf"));
    store.RemoveFont("B", "/F/A.ttf");
    EXPECT_FALSE(store.HasFont("B", "/F/A.ttf"));
    EXPECT_TRUE(store.HasFont("B", "/f/a.ttf"));
}

TEST(FontProjectsTest, WritesTheLayoutAndReadsItBack) {
    const QString folder = TestFolder("write");
    CFontProjects empty;
    ASSERT_TRUE(empty.Save(folder + "/empty.xml"));
    EXPECT_EQ(ReadBytes(folder + "/empty.xml"), "<?xml version=\"1.0\"?>\n<fontprojects/>");

    CFontProjects store;
    store.AddProject("fonts");
    store.AddProject("Fonts");
    store.AddFont("Fonts", "/b.ttf");
    store.AddFont("Fonts", "/a.ttf");
    ASSERT_TRUE(store.Save(folder + "/two.xml"));
    EXPECT_EQ(ReadBytes(folder + "/two.xml"),
              "<?xml version=\"1.0\"?>\n<fontprojects><project name=\"Fonts\"><font>/a.ttf</font>"
              "<font>/b.ttf</font></project><project name=\"fonts\"/></fontprojects>");

    const QString odd =
        QString::fromUtf8("Q \"uote\" & <angle> 'x' \u0416\u4e2d \U0001F600\U00010348");
    CFontProjects rich;
    rich.AddProject(odd);
    rich.AddFont(odd, "/fonts/" + odd + ".ttf");
    rich.AddFont(odd, QString::fromUtf8("/fonts/\u00e9&amp;.otf"));
    ASSERT_TRUE(rich.Save(folder + "/rich.xml"));
    CFontProjects back;
    back.Load(folder + "/rich.xml");
    EXPECT_EQ(Names(back), Names(rich));
    EXPECT_EQ(Fonts(back, odd), Fonts(rich, odd));
}

// A face of a collection is the file's path with a `face` attribute: a file
// written before faces existed reads as it did (each path its first face),
// and a reader that knows no faces still finds the file in what is written.
TEST(FontProjectsTest, FacesOfCollectionsAreKeptAndOlderFilesReadAsBefore) {
    const QString folder = TestFolder("faces");
    const QString path = folder + "/fontprojects.xml";
    const QByteArray older =
        "<?xml version=\"1.0\"?>\n<fontprojects><project name=\"CJK\"><font>/f/a.ttf</font>"
        "<font>/f/cjk.ttc</font></project></fontprojects>";
    WriteBytes(path, older);
    CFontProjects store;
    store.Load(path);
    EXPECT_EQ(Fonts(store, "CJK"), (std::vector<QString>{"/f/a.ttf", "/f/cjk.ttc"}));
    ASSERT_TRUE(store.Save(path));
    EXPECT_EQ(ReadBytes(path), older) << "nothing about faces is written for first faces";

    store.AddFont("CJK", "/f/cjk.ttc", 3);
    store.RemoveFont("CJK", "/f/cjk.ttc");
    EXPECT_TRUE(store.HasFont("CJK", "/f/cjk.ttc", 3));
    EXPECT_FALSE(store.HasFont("CJK", "/f/cjk.ttc"));
    EXPECT_TRUE(store.HasFile("CJK", "/f/cjk.ttc"));
    EXPECT_FALSE(store.HasFile("CJK", "/f/cjk"));
    store.AddFont("CJK", "/f/cjk.ttc", 10);
    ASSERT_TRUE(store.Save(path));
    EXPECT_EQ(ReadBytes(path),
              "<?xml version=\"1.0\"?>\n<fontprojects><project name=\"CJK\"><font>/f/a.ttf</font>"
              "<font face=\"3\">/f/cjk.ttc</font><font face=\"10\">/f/cjk.ttc</font></project>"
              "</fontprojects>");
    CFontProjects back;
    back.Load(path);
    EXPECT_EQ(Fonts(back, "CJK"),
              (std::vector<QString>{"/f/a.ttf", "/f/cjk.ttc#3", "/f/cjk.ttc#10"}));
    EXPECT_TRUE(back.TakeKeptFileNotice().isEmpty());

    // A face that is no face number is left out and told, as any part the
    // store cannot use; the others stay.
    WriteBytes(path,
               "<fontprojects><project name=\"p\"><font face=\"2\">/f/ok.ttc</font>"
               "<font face=\"-1\">/f/a.ttc</font><font face=\"x\">/f/b.ttc</font>"
               "<font face=\"1024\">/f/c.ttc</font><font face=\"\">/f/d.ttc</font>"
               "<font face=\"+2\">/f/e.ttc</font></project></fontprojects>");
    CFontProjects odd;
    odd.Load(path);
    EXPECT_EQ(Fonts(odd, "p"), std::vector<QString>{"/f/ok.ttc#2"});
    EXPECT_TRUE(odd.TakeKeptFileNotice().contains("5 fonts whose face is not a face number"));
}

TEST(FontProjectsTest, AFontWhoseNameIsNotUtf8ComesBackWithItsOwnBytes) {
    const QString folder = TestFolder("bytes");
    // "déjà/café.ttf" in Latin-1: bytes no UTF-8 decoder takes.
    const std::filesystem::path font =
        FilePath(folder) / std::string("d\xe9j\xe0") / std::string("caf\xe9.ttf");
    CFontProjects store;
    store.AddProject("Latin");
    store.AddFont("Latin", PathText(font));
    ASSERT_TRUE(store.Save(folder + "/latin.xml"));
    CFontProjects back;
    back.Load(folder + "/latin.xml");
    ASSERT_EQ(Fonts(back, "Latin").size(), 1u);
    EXPECT_EQ(FilePath(Fonts(back, "Latin")[0]).native(), font.native());
    EXPECT_TRUE(back.HasFont("Latin", PathText(font)));
}

TEST(FontProjectsTest, ReadsAnyEncodingTheParserAccepts) {
    const QString folder = TestFolder("encodings");
    const QString text = QString::fromUtf8(
        "<?xml version=\"1.0\" encoding=\"UTF-16\"?><fontprojects><project name=\"\u00c9t\u00e9\">"
        "<font>/f/\u4e2d.ttf</font></project></fontprojects>");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const CFontProjects store = LoadText(folder, utf16);
    EXPECT_EQ(Fonts(store, QString::fromUtf8("\u00c9t\u00e9")),
              std::vector<QString>{QString::fromUtf8("/f/\u4e2d.ttf")});
    const CFontProjects latin =
        LoadText(folder,
                 "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><fontprojects><project "
                 "name=\"\xC9t\xE9\"/></fontprojects>");
    EXPECT_TRUE(latin.ProjectExists(QString::fromUtf8("\u00c9t\u00e9")));
}

TEST(FontProjectsTest, AFileThatCouldNotBeReadIsKeptWhenLoadedAndTheUserIsToldOnce) {
    const QString folder = TestFolder("unreadable");
    const QString path = folder + "/fontprojects.xml";
    const QByteArray broken = "<fontprojects><project name=\"Years of work\"><font>/f/a.ttf</font>";
    WriteBytes(path, broken);
    CFontProjects store;
    store.Load(path);
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_FALSE(QFileInfo::exists(path)) << "set aside at once";
    const QString notice = store.TakeKeptFileNotice();
    EXPECT_TRUE(notice.contains("font projects")) << notice.toStdString();
    EXPECT_TRUE(notice.contains(path + ".unreadable")) << notice.toStdString();
    EXPECT_TRUE(store.TakeKeptFileNotice().isEmpty());
    store.AddProject("New");
    ASSERT_TRUE(store.Save(path));
    EXPECT_EQ(ReadBytes(path + ".unreadable"), broken);
    EXPECT_EQ(store.KeptUnreadableCopy(), path + ".unreadable");
    ASSERT_TRUE(store.Save(path));
    EXPECT_FALSE(QFileInfo::exists(path + ".unreadable-2")) << "kept once, before the first save";

    // A well-formed file without the root is kept too; an earlier copy stays.
    // A reading tool keeps it only before the save replaces it.
    WriteBytes(path, "<projects/>");
    CFontProjects other;
    other.Load(path, CXmlStoreFile::Keep::BeforeReplacing);
    EXPECT_EQ(ReadBytes(path), "<projects/>");
    ASSERT_TRUE(other.Save(path));
    EXPECT_EQ(ReadBytes(path + ".unreadable"), broken);
    EXPECT_EQ(ReadBytes(path + ".unreadable-2"), "<projects/>");
}

TEST(FontProjectsTest, AFailedOrInterruptedSaveLeavesThePreviousFileWhole) {
    const QString folder = TestFolder("failing");
    const QString path = folder + "/fontprojects.xml";
    CFontProjects store;
    store.AddProject("Before");
    ASSERT_TRUE(store.Save(path));
    const QByteArray before = ReadBytes(path);
    for (int i = 0; i < 2000; ++i) {
        store.AddFont("Before", QString("/a/long/path/to/a/font/file/number-%1.ttf").arg(i));
    }

    // The write fails half-way.
    EXPECT_FALSE(store.Save(path, [](QIODevice& file, const QByteArray& bytes) {
        file.write(bytes.left(bytes.size() / 2));
        return false;
    }));
    EXPECT_EQ(ReadBytes(path), before);

    // The process dies half-way through the write.
    EXPECT_EQ(InChild([&] {
                  (void)store.Save(path, [](QIODevice& file, const QByteArray& bytes) {
                      file.write(bytes.left(bytes.size() / 2));
                      static_cast<QFileDevice&>(file).flush();
                      ::_exit(42);
                      return true;
                  });
                  return 0;
              }),
              42);
    EXPECT_EQ(ReadBytes(path), before);

    // The disk is full.
    EXPECT_EQ(InChild([&] {
                  LimitFileSize(1000);
                  return store.Save(path) ? 1 : 0;
              }),
              0);
    EXPECT_EQ(ReadBytes(path), before);

    // The disk is full and the store small: every byte waits in the
    // writer's buffer until the flush, which fails.
    CFontProjects small;
    small.AddProject("Small");
    EXPECT_EQ(InChild([&] {
                  LimitFileSize(0);
                  return small.Save(path) ? 1 : 0;
              }),
              0);
    EXPECT_EQ(ReadBytes(path), before);

    // The folder cannot be written.
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadOther | QFileDevice::ExeOther);
    EXPECT_EQ(InChild([&] {
                  BecomeNobody();
                  return store.Save(path) ? 1 : 0;
              }),
              0);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(ReadBytes(path), before);

    ASSERT_TRUE(store.Save(path));
    CFontProjects back;
    back.Load(path);
    EXPECT_EQ(back.FindProject("Before")->second->size(), 2000u);
}

// Linux file names may hold any byte but "/" and NUL: a name or a path with
// a control character must not make the whole file unreadable next time.
TEST(FontProjectsTest, ControlCharactersInNamesAndPathsRoundTrip) {
    const QString folder = TestFolder("control");
    const QString path = folder + "/fontprojects.xml";
    QString name = "Posters \x01\x1b[31m red\t";
    name += QChar(0xFFFE);
    CFontProjects store;
    store.AddProject("Plain");
    store.AddFont("Plain", "/fonts/plain.ttf");
    store.AddProject(name);
    store.AddFont(name, "/fonts/bell\x07\x1f.ttf");
    store.AddFont(name, "/fonts/line\r\nbreak 100%.ttf");
    const CResult<> saved = store.Save(path);
    ASSERT_TRUE(saved) << saved.Failure().Reason();

    CFontProjects back;
    back.Load(path);
    EXPECT_EQ(Names(back), Names(store));
    EXPECT_EQ(Fonts(back, name), Fonts(store, name));
    EXPECT_EQ(Fonts(back, "Plain"), std::vector<QString>{"/fonts/plain.ttf"});
    EXPECT_TRUE(back.TakeKeptFileNotice().isEmpty());
    EXPECT_EQ(Entries(folder), QStringList{"fontprojects.xml"});
}

TEST(FontProjectsTest, AFullDiskLeavesTheFileAsItWasAndSaysSo) {
    const QString folder = TestFolder("full");
    CSmallDisk disk(folder, "64k");
    if (!disk.Skipped().empty()) {
        GTEST_SKIP() << disk.Skipped();
    }
    const QString path = folder + "/fontprojects.xml";
    {
        CFontProjects store;
        store.AddProject("Mine");
        for (int i = 0; i < 100; ++i) {
            store.AddFont("Mine", QString("/fonts/font-%1.ttf").arg(i));
        }
        ASSERT_TRUE(store.Save(path));
    }
    const QByteArray before = ReadBytes(path);
    disk.Fill();
    // A start and an exit with no change.
    CFontProjects store;
    store.Load(path);
    const CResult<> full = store.Save(path);
    ASSERT_FALSE(full);
    EXPECT_NE(full.Failure().Reason().find("No space left"), std::string::npos)
        << full.Failure().Reason();
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(Entries(folder), (QStringList{"filler", "fontprojects.xml"}));
}

TEST(FontProjectsTest, ImportsTheEarlierEditionsFileOnce) {
    const QString ours = DataFilePath("fontprojects.xml", false);
    const QString earlier = EarlierEditionFilePath("fontprojects.xml");
    QFile::remove(ours);
    WriteBytes(earlier, "<fontprojects><project name=\"Pro\"/></fontprojects>");
    CFontProjects::ImportEarlierEdition();
    EXPECT_EQ(ReadBytes(ours), "<fontprojects><project name=\"Pro\"/></fontprojects>");
    EXPECT_FALSE(QFileInfo::exists(earlier));
    EXPECT_TRUE(QFileInfo::exists(earlier + ".old"));

    // Both present: ours stays, the earlier one is still renamed; an
    // earlier ".old" is never replaced.
    WriteBytes(ours, "<fontprojects/>");
    WriteBytes(earlier, "<fontprojects><project name=\"Again\"/></fontprojects>");
    CFontProjects::ImportEarlierEdition();
    EXPECT_EQ(ReadBytes(ours), "<fontprojects/>");
    EXPECT_EQ(ReadBytes(earlier + ".old"), "<fontprojects><project name=\"Pro\"/></fontprojects>");
    QFile::remove(earlier + ".old");
    CFontProjects::ImportEarlierEdition();
    EXPECT_EQ(ReadBytes(earlier + ".old"),
              "<fontprojects><project name=\"Again\"/></fontprojects>");
}

// A file written by hand: what the store cannot use (a project without a
// name, a font path that is not a full path, elements and attributes it does
// not know) is not dropped without a word: the file is used for the rest,
// copied as it was before anything replaces it, and the user is told.
TEST(FontProjectsTest, WhatAHandWrittenFileHoldsBesideTheProjectsIsKeptAndTold) {
    const QString folder = TestFolder("left-out");
    const QString path = folder + "/fontprojects.xml";
    const QByteArray written =
        "<fontprojects><project name=\"a\"><font>x</font><note>n</note></project><group/>"
        "<project><font>/f/nameless.ttf</font></project>"
        "<project name=\"b\" colour=\"red\"><font>/f/b.ttf</font><font>./c.ttf</font></project>"
        "</fontprojects>";
    WriteBytes(path, written);
    CFontProjects store;
    store.Load(path);
    EXPECT_EQ(Names(store), (std::vector<QString>{"a", "b"}));
    EXPECT_EQ(Fonts(store, "a"), std::vector<QString>{});
    EXPECT_EQ(Fonts(store, "b"), std::vector<QString>{"/f/b.ttf"});
    EXPECT_EQ(ReadBytes(path), written);
    const QString notice = store.TakeKeptFileNotice();
    for (const char* part : {"font projects in the file", "2 font paths that are not full paths",
                             "2 elements Quillmark does not know", "1 project without a name",
                             "1 attribute Quillmark does not know", ".left-out"}) {
        EXPECT_TRUE(notice.contains(part)) << part << " in " << notice.toStdString();
    }
    EXPECT_TRUE(store.TakeKeptFileNotice().isEmpty());
    ASSERT_TRUE(store.Save(path));
    EXPECT_EQ(ReadBytes(path + ".left-out"), written);
    EXPECT_EQ(store.KeptUnreadableCopy(), path + ".left-out");

    // What the program wrote reads back whole, with nothing to tell.
    CFontProjects back;
    back.Load(path);
    EXPECT_EQ(Names(back), Names(store));
    EXPECT_TRUE(back.TakeKeptFileNotice().isEmpty());
    EXPECT_EQ(Entries(folder), (QStringList{"fontprojects.xml", "fontprojects.xml.left-out"}));
}
