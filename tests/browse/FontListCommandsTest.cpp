// The font list's commands: the row menus and their rules, the keys,
// deleting to the Trash, installing, removing from a project.

#include <gtest/gtest.h>

#include <QAction>
#include <QDirIterator>
#include <QMenu>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "core/PathText.h"
#include "fontdata/item/FontItem.h"
#include "tests/browse/ListCommandsSupport.h"
#include "tests/support/FontBuilder.h"
#include "ui/browse/FontListMenu.h"
#include "ui/common/NameClashDialog.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

std::vector<FontListCommand> Commands(const CFontListMenuContext& context) {
    std::vector<FontListCommand> commands;
    for (const CFontListMenuEntry& entry : FontListMenuEntries(context)) {
        commands.push_back(entry.command);
    }
    return commands;
}

QStringList MenuTexts(QMenu& menu) {
    QStringList texts;
    for (QAction* action : menu.actions()) {
        texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

// A copy of a test font whose PANOSE family kind is `family`.
QString FontWithPanoseFamily(const QString& folder, const QString& name, std::uint8_t family) {
    QFile source(QStringLiteral(QUILLMARK_TEST_DATA "/twin-a.ttf"));
    EXPECT_TRUE(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    const auto u16 = [&](int at) {
        return (static_cast<quint8>(bytes[at]) << 8) | static_cast<quint8>(bytes[at + 1]);
    };
    const auto u32 = [&](int at) { return (u16(at) << 16) | u16(at + 2); };
    const int tables = u16(4);
    for (int i = 0; i < tables; ++i) {
        const int record = 12 + 16 * i;
        if (bytes.mid(record, 4) == "OS/2") {
            bytes[u32(record + 8) + 32] = static_cast<char>(family);  // panose[0]
        }
    }
    const QString path = folder + '/' + name;
    QFile out(path);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    return path;
}

// The files in the test home's trash and the original paths their
// .trashinfo files give.
QStringList TrashedOriginals() {
    QStringList originals;
    QDirIterator infos(HomePath(".local/share/Trash/info"), {QStringLiteral("*.trashinfo")},
                       QDir::Files);
    while (infos.hasNext()) {
        QSettings info(infos.next(), QSettings::IniFormat);
        originals.append(
            QUrl::fromPercentEncoding(info.value("Trash Info/Path").toString().toUtf8()));
    }
    originals.sort();
    return originals;
}

void EmptyTrash() {
    QDir(HomePath(".local/share/Trash")).removeRecursively();
}

}  // namespace

TEST(FontListMenuTest, OffersWhatTheRowAndTheListAllow) {
    using enum FontListCommand;
    CFontListMenuContext folder;
    folder.panoseFamily = 2;
    EXPECT_EQ(Commands(folder),
              (std::vector{Open, OpenInFileManager, FindSimilar, Separator, Install, AddToProject,
                           Delete, Separator, FontInformation, Properties}));
    EXPECT_TRUE(FontListMenuEntries(folder)[0].isDefault);

    // Search results and projects go to the file's folder, just above Delete.
    for (bool search : {true, false}) {
        CFontListMenuContext context = folder;
        context.searchResults = search;
        context.projectMode = !search;
        EXPECT_EQ(Commands(context), (std::vector{Open, OpenInFileManager, FindSimilar, Separator,
                                                  Install, AddToProject, GoToContainingFolder,
                                                  Delete, Separator, FontInformation, Properties}));
    }

    // Installed fonts are neither installed again nor deleted from here,
    // and no two separators meet where they were.
    CFontListMenuContext fonts = folder;
    fonts.fontsFolderShown = true;
    EXPECT_EQ(Commands(fonts), (std::vector{Open, OpenInFileManager, FindSimilar, Separator,
                                            AddToProject, Separator, FontInformation, Properties}));

    CFontListMenuContext unreadable;
    unreadable.readable = false;
    EXPECT_EQ(Commands(unreadable),
              (std::vector{WhatsWrong, Separator, Delete, Separator, Properties}));
    EXPECT_TRUE(FontListMenuEntries(unreadable)[0].isDefault);
    unreadable.fontsFolderShown = true;
    EXPECT_EQ(Commands(unreadable), (std::vector{WhatsWrong, Separator, Properties}));

    // PANOSE kinds 0 (any) and 1 (no fit) have nothing to be similar to.
    for (int family : {0, 1, 2, 5}) {
        CFontListMenuContext context = folder;
        context.panoseFamily = static_cast<std::uint8_t>(family);
        EXPECT_EQ(FontListMenuEntries(context)[2].enabled, family > 1) << family;
    }
}

TEST(FontListCommandsTest, RowMenusFollowTheRowAndTheList) {
    const QString folder = FreshFolder("menus");
    FontWithPanoseFamily(folder, "any.ttf", 0);
    FontWithPanoseFamily(folder, "nofit.ttf", 1);
    FontWithPanoseFamily(folder, "text.ttf", 2);
    QFile(folder + "/broken.ttf").open(QIODevice::WriteOnly);
    CCommandsFixture fixture;
    int similarRow = -1;
    fixture.commands->AddCommand(FontListCommand::FindSimilar, "Find similar fonts...",
                                 [&](int row) { similarRow = row; });
    fixture.Load(folder);
    ASSERT_EQ(fixture.Model().rowCount(), 4);

    auto menu = fixture.commands->MenuFor(fixture.RowOfFile("text.ttf"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(MenuTexts(*menu),
              (QStringList{"Open", "Open in File Manager", "Find similar fonts...", "-", "&Install",
                           "Delete\tDel", "-", "Properties"}))
        << "Font information is not offered until its window exists";
    EXPECT_EQ(menu->defaultAction()->text(), "Open");
    for (const char* file : {"any.ttf", "nofit.ttf", "text.ttf"}) {
        auto rowMenu = fixture.commands->MenuFor(fixture.RowOfFile(file));
        EXPECT_EQ(fixture.commands->Action(FontListCommand::FindSimilar)->isEnabled(),
                  QString(file) == "text.ttf")
            << file;
    }
    fixture.commands->MenuFor(fixture.RowOfFile("text.ttf"));
    fixture.commands->Action(FontListCommand::FindSimilar)->trigger();
    EXPECT_EQ(similarRow, fixture.RowOfFile("text.ttf")) << "the added command runs for its row";

    auto bad = fixture.commands->MenuFor(fixture.RowOfFile("broken.ttf"));
    EXPECT_EQ(MenuTexts(*bad), (QStringList{"&What's wrong with this font file?", "-", "&Delete",
                                            "-", "Properties"}));
    EXPECT_EQ(bad->defaultAction()->text(), "&What's wrong with this font file?");
    bad->defaultAction()->trigger();
    EXPECT_EQ(fixture.log.help, std::vector<int>{104});
    EXPECT_EQ(fixture.commands->MenuFor(-1), nullptr) << "no row, no menu";

    // Open and the file manager act on the row the menu was opened for.
    menu = fixture.commands->MenuFor(fixture.RowOfFile("any.ttf"));
    menu->defaultAction()->trigger();
    fixture.commands->Action(FontListCommand::OpenInFileManager)->trigger();
    EXPECT_EQ(fixture.log.opened, QStringList{folder + "/any.ttf"});
    EXPECT_EQ(fixture.log.shown, QStringList{folder + "/any.ttf"});
    // An unreadable file is not opened.
    fixture.commands->Open(fixture.RowOfFile("broken.ttf"));
    EXPECT_EQ(fixture.log.opened.size(), 1);
}

TEST(FontListCommandsTest, FontsFolderOffersNeitherInstallNorDeleteAndIgnoresTheKey) {
    const QString fonts = FontFolder("fonts-folder", 2);
    CCommandsFixture fixture;
    fixture.Load(fonts);
    ASSERT_EQ(fixture.Model().rowCount(), 2);
    auto menu = fixture.commands->MenuFor(0);
    EXPECT_EQ(MenuTexts(*menu), (QStringList{"Open", "Open in File Manager", "-", "Properties"}));
    fixture.SelectAll();
    fixture.view->setFocus();
    QTest::keyClick(fixture.view, Qt::Key_Delete);
    EXPECT_EQ(fixture.log.confirmDelete, 0);
    EXPECT_EQ(fixture.Model().rowCount(), 2);
    EXPECT_TRUE(QFile::exists(fonts + "/f0.ttf"));
    QDir(fonts).removeRecursively();
}

TEST(FontListCommandsTest, ProjectModeRemovesFromTheProjectAndGoesToTheFolder) {
    const QString folder = FontFolder("project-files", 3);
    CCommandsFixture fixture;
    QStringList fired;
    fixture.hub.ConnectRemoveFontFromProject(
        [&](const CFontItem* font) { fired.append(PathText(font->GetFileName())); });
    QString selectedFolder;
    QString selectedFile;
    fixture.hub.ConnectFolderSelected([&](const QString& path, const QString* file) {
        selectedFolder = path;
        selectedFile = file != nullptr ? *file : QString();
    });
    fixture.document.SetProjectMode(true);
    for (const char* name : {"f0.ttf", "f1.ttf", "f2.ttf"}) {
        fixture.list->AddFile(folder + '/' + name);
    }
    auto menu = fixture.commands->MenuFor(0);
    EXPECT_TRUE(MenuTexts(*menu).contains("Remove from project\tDEL"));
    EXPECT_TRUE(MenuTexts(*menu).contains("Go to containing folder"));

    fixture.SelectRows({0, 2});
    fixture.view->setFocus();
    const QString first = fixture.Model().index(0, 1).data().toString();
    const QString third = fixture.Model().index(2, 1).data().toString();
    fixture.log.askAnswer = false;
    QTest::keyClick(fixture.view, Qt::Key_Delete);
    EXPECT_EQ(fixture.log.asked, QStringList{"Remove fonts from project?"});
    EXPECT_EQ(fixture.Model().rowCount(), 3) << "No keeps them";
    fixture.log.askAnswer = true;
    QTest::keyClick(fixture.view, Qt::Key_Delete);
    EXPECT_EQ(fired, (QStringList{first, third}));
    EXPECT_EQ(fixture.Model().rowCount(), 1);
    EXPECT_EQ(fixture.log.confirmDelete, 0) << "no file is deleted";
    for (const char* name : {"f0.ttf", "f1.ttf", "f2.ttf"}) {
        EXPECT_TRUE(QFile::exists(folder + '/' + name));
    }

    fixture.commands->MenuFor(0);
    const QString remaining = fixture.Model().index(0, 1).data().toString();
    fixture.commands->Action(FontListCommand::GoToContainingFolder)->trigger();
    EXPECT_EQ(selectedFolder, folder);
    EXPECT_EQ(selectedFile, remaining);
}

TEST(FontListCommandsTest, DeletesThreeFilesToTheTrashInOneGo) {
    EmptyTrash();
    const QString folder = FontFolder("delete-three", 4);
    CCommandsFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.Model().rowCount(), 4);
    int nullSelections = 0;
    fixture.hub.ConnectFontSelected([&](const CFontItem* font) { nullSelections += !font; });
    fixture.SelectRows({0, 1, 3});
    QStringList chosen;
    for (int row : {0, 1, 3}) {
        chosen.append(fixture.Model().index(row, 0).data(CFontListModel::PathRole).toString());
    }
    chosen.sort();

    fixture.log.confirmAnswer = false;
    fixture.commands->Delete();
    EXPECT_EQ(fixture.log.confirmDelete, 3) << "the plural question";
    EXPECT_EQ(fixture.Model().rowCount(), 4);
    EXPECT_TRUE(TrashedOriginals().isEmpty());

    fixture.log.confirmAnswer = true;
    fixture.commands->Delete();
    EXPECT_EQ(nullSelections, 1);
    EXPECT_EQ(TrashedOriginals(), chosen) << "each .trashinfo names its original path";
    for (const QString& path : chosen) {
        EXPECT_FALSE(QFile::exists(path));
    }
    EXPECT_EQ(fixture.Model().rowCount(), 1);
    EXPECT_TRUE(fixture.log.told.isEmpty()) << fixture.log.told.join('\n').toStdString();
    EmptyTrash();
}

// A face of a collection is a file's: deleting it asks once for the file,
// naming the faces that go with it, and every face's row goes.
TEST(FontListCommandsTest, DeletingAFaceOfACollectionAsksOnceForTheFileAndNamesItsFaces) {
    EmptyTrash();
    const QString folder = FontFolder("delete-collection", 1);
    const auto read = [](const char* name) {
        QFile file(QStringLiteral(QUILLMARK_TEST_DATA "/") + QLatin1String(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        return QuillmarkTest::Bytes(bytes.begin(), bytes.end());
    };
    const QString collection = folder + QStringLiteral("/pair.ttc");
    WriteFile(FilePath(collection).native(),
              Collection({read("twin-a.ttf"), read("twin-bold.ttf")}));
    CCommandsFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.Model().rowCount(), 3);
    std::vector<int> faces;
    for (int row = 0; row < 3; ++row) {
        if (fixture.Model().ItemAt(row)->GetFaceCount() == 2) {
            faces.push_back(row);
        }
    }
    ASSERT_EQ(faces.size(), 2u);
    fixture.SelectRows({faces[0], faces[1]});
    fixture.log.confirmAnswer = false;
    fixture.commands->Delete();
    EXPECT_EQ(fixture.log.confirmDelete, 1) << "one file";
    ASSERT_EQ(fixture.log.collections.size(), 1);
    EXPECT_EQ(fixture.log.collections[0],
              QString::fromUtf8("\u201Cpair.ttc\u201D holds 2 fonts, which go with it: "
                                "Quillmark Twin, Quillmark Twin Bold"));

    fixture.SelectRows({faces[1]});  // one face alone takes the other with it
    fixture.log.confirmAnswer = true;
    fixture.commands->Delete();
    EXPECT_EQ(fixture.log.confirmDelete, 1);
    EXPECT_EQ(TrashedOriginals(), QStringList{collection});
    EXPECT_FALSE(QFile::exists(collection));
    ASSERT_EQ(fixture.Model().rowCount(), 1);
    EXPECT_EQ(fixture.Model().ItemAt(0)->GetFaceCount(), 1u);
    EXPECT_TRUE(fixture.manager.FacesOf(FilePath(collection)).empty());
    EmptyTrash();
}

TEST(FontListCommandsTest, DeletesNothingWhenOneFontCannotBeReleased) {
    EmptyTrash();
    const QString folder = FontFolder("delete-held", 3);
    CCommandsFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.Model().rowCount(), 3);
    // Another window holds the middle font and does not let it go.
    CFontHandle held = fixture.manager.Hold(fixture.Model().ItemAt(1));
    fixture.SelectAll();
    fixture.commands->Delete();

    EXPECT_TRUE(TrashedOriginals().isEmpty());
    for (const char* name : {"f0.ttf", "f1.ttf", "f2.ttf"}) {
        EXPECT_TRUE(QFile::exists(folder + '/' + name)) << name;
    }
    // The list shows what is still there: every row is back.
    EXPECT_EQ(fixture.Model().rowCount(), 3);
    EXPECT_EQ(fixture.log.told.size(), 1);
    held.reset();
}

TEST(FontListCommandsTest, InstallCopiesIntoTheFontsFolderAndAsksAboutAClash) {
    const QString folder = FontFolder("to-install", 3);
    const QString fonts = FreshFolder("fonts-folder");
    QDir(fonts).removeRecursively();  // made by the install
    CCommandsFixture fixture;
    fixture.Load(folder);
    fixture.SelectRows({0});
    fixture.log.askAnswer = false;
    fixture.commands->Install();
    EXPECT_EQ(fixture.log.asked, QStringList{"Install Font?"});
    EXPECT_FALSE(QDir(fonts).exists()) << "No installs nothing";

    fixture.log.askAnswer = true;
    fixture.commands->Install();
    EXPECT_TRUE(QFile::exists(fonts + "/f0.ttf"));
    EXPECT_TRUE(fixture.Model().ItemAt(0)->IsInstalled());
    EXPECT_EQ(fixture.log.cacheRefreshes, QStringList{fonts});

    // f0.ttf is there now: the next install of all three asks once about it.
    fixture.SelectAll();
    fixture.commands->Install();
    EXPECT_EQ(fixture.log.asked.last(), "Install Fonts?");
    EXPECT_EQ(fixture.log.clashes, QStringList{fonts + "/f0.ttf"});
    EXPECT_TRUE(QFile::exists(fonts + "/f0 (2).ttf")) << "kept both";
    EXPECT_TRUE(QFile::exists(fonts + "/f1.ttf"));
    EXPECT_TRUE(QFile::exists(fonts + "/f2.ttf"));
    EXPECT_EQ(fixture.log.cacheRefreshes.size(), 2) << "one fc-cache a batch";
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(fixture.Model().ItemAt(row)->IsInstalled()) << row;
    }

    // Skipping a clash leaves the existing file and marks nothing installed.
    fixture.log.clashAnswer = Platform::ConflictChoice::Skip;
    const QByteArray before = [&] {
        QFile file(fonts + "/f1.ttf");
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    fixture.SelectRows({1});
    fixture.commands->Install();
    QFile after(fonts + "/f1.ttf");
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    EXPECT_FALSE(QFile::exists(fonts + "/f1 (2).ttf"));
    EXPECT_EQ(fixture.log.cacheRefreshes.size(), 2) << "nothing new, no fc-cache";
    QDir(fonts).removeRecursively();
}

TEST(FontListCommandsTest, InstallCopiesOnlyFontsThatCanBeReadAndNamesTheRest) {
    const QString folder = FontFolder("install-unreadable", 1);
    QFile(folder + "/empty.ttf").open(QIODevice::WriteOnly);
    {
        QFile junk(folder + "/junk.ttf");
        junk.open(QIODevice::WriteOnly);
        junk.write("not a font at all");
    }
    const QString fonts = FreshFolder("fonts-folder");
    CCommandsFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.Model().rowCount(), 3);
    fixture.SelectAll();
    fixture.commands->Install();
    EXPECT_TRUE(QFile::exists(fonts + "/f0.ttf"));
    EXPECT_FALSE(QFile::exists(fonts + "/empty.ttf"));
    EXPECT_FALSE(QFile::exists(fonts + "/junk.ttf"));
    ASSERT_EQ(fixture.log.told.size(), 1);
    const QString told = fixture.log.told[0];
    EXPECT_TRUE(told.contains("\u201Cempty.ttf\u201D (ERROR: Font file is corrupt)"))
        << told.toStdString();
    EXPECT_TRUE(told.contains("junk.ttf")) << told.toStdString();
    EXPECT_FALSE(told.contains("f0.ttf")) << told.toStdString();

    // Nothing readable: told at once, nothing asked, nothing copied.
    QDir(fonts).removeRecursively();
    const qsizetype asked = fixture.log.asked.size();
    for (int row = 0; row < 3; ++row) {
        if (fixture.Model().ItemAt(row)->GetStatus() != CFontItem::Loaded) {
            fixture.SelectRows({row});
            break;
        }
    }
    fixture.commands->Install();
    EXPECT_EQ(fixture.log.asked.size(), asked);
    EXPECT_EQ(fixture.log.told.size(), 2);
    EXPECT_FALSE(QDir(fonts).exists()) << "not even the fonts folder is made";
}

TEST(FontListCommandsTest, EnterAndDoubleClickOpenTheRow) {
    const QString folder = FontFolder("open-keys", 2);
    CCommandsFixture fixture;
    fixture.Load(folder);
    fixture.view->setCurrentIndex(fixture.Model().index(1, 0));
    fixture.view->setFocus();
    QTest::keyClick(fixture.view, Qt::Key_Return);
    const QString second = fixture.Model().index(1, 0).data(CFontListModel::PathRole).toString();
    EXPECT_EQ(fixture.log.opened, QStringList{second});
    const QRect first = fixture.view->visualRect(fixture.Model().index(0, 0));
    // A double-click is a press and a release, then a second press that
    // comes as the double-click.
    QTest::mouseClick(fixture.view->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(fixture.view->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(fixture.log.opened.size(), 2);
    EXPECT_EQ(fixture.log.opened.last(),
              fixture.Model().index(0, 0).data(CFontListModel::PathRole).toString());
}

TEST(FontListCommandsTest, FontInformationIsForTheFirstSelectedRow) {
    const QString folder = FontFolder("information", 3);
    CCommandsFixture fixture;
    int informationRow = -1;
    fixture.commands->AddCommand(FontListCommand::FontInformation, "Font information",
                                 [&](int row) { informationRow = row; });
    fixture.Load(folder);
    fixture.SelectRows({1, 2});
    // The menu opened on the last selected row.
    fixture.commands->MenuFor(2);
    fixture.commands->Action(FontListCommand::FontInformation)->trigger();
    EXPECT_EQ(informationRow, 1);
}

// Where no program is set for font files, Open says so and offers the font
// information instead.
TEST(FontListCommandsTest, OpenWithoutAProgramSaysSoAndOffersTheInformation) {
    const QString folder = FontFolder("no-opener", 2);
    CFontListCommands::Hooks hooks;
    hooks.open = [](const QString&) { return false; };
    CCommandsFixture fixture(hooks);
    fixture.Load(folder);
    fixture.view->setFocus();
    fixture.view->setCurrentIndex(fixture.Model().index(1, 0));
    QTest::keyClick(fixture.view, Qt::Key_Return);
    ASSERT_EQ(fixture.log.told.size(), 1) << "told, with nothing else to offer";
    EXPECT_TRUE(fixture.log.told[0].contains("no program is set for font files"))
        << fixture.log.told[0].toStdString();

    int informationRow = -1;
    fixture.commands->AddCommand(FontListCommand::FontInformation, "Font information",
                                 [&](int row) { informationRow = row; });
    fixture.log.askAnswer = false;
    QTest::keyClick(fixture.view, Qt::Key_Return);
    EXPECT_EQ(fixture.log.asked, QStringList{"Open"});
    EXPECT_EQ(informationRow, -1) << "No shows nothing";
    fixture.log.askAnswer = true;
    QTest::keyClick(fixture.view, Qt::Key_Return);
    EXPECT_EQ(informationRow, 1);
}

// Enter in the name clash question of Install skips the font: keeping both
// would install it twice.
TEST(FontListCommandsTest, InstallsNameClashQuestionSkipsOnEnter) {
    const QString folder = FontFolder("install-clash", 1);
    const QString fonts = FreshFolder("fonts-folder");
    QFile::copy(folder + "/f0.ttf", fonts + "/f0.ttf");
    CFontListCommands::Hooks hooks;
    hooks.conflictAsker = [](Platform::ConflictChoice preferred) {
        return NameClashAsker(nullptr, preferred);  // the real question
    };
    CCommandsFixture fixture(hooks);
    fixture.Load(folder);
    fixture.SelectRows({0});
    QString shown;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        shown = dialog->objectName();
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    fixture.commands->Install();
    EXPECT_EQ(shown, "NameClashDialog");
    EXPECT_FALSE(QFile::exists(fonts + "/f0 (2).ttf")) << "no second copy installed";
    EXPECT_EQ(QDir(fonts).entryList(QDir::Files), QStringList{"f0.ttf"});
    EXPECT_FALSE(fixture.Model().ItemAt(0)->IsInstalled()) << "skipped, not installed";
    QDir(fonts).removeRecursively();
}

// The lower pane shows the current row's font: click row 2, Shift-click
// row 6, then click row 4, which alone stays selected.
TEST(FontListCommandsTest, TheCurrentRowsFontIsTheOneSelected) {
    const QString folder = FontFolder("current-row", 8);
    CCommandsFixture fixture;
    fixture.Load(folder);
    ASSERT_EQ(fixture.Model().rowCount(), 8);
    std::vector<const CFontItem*> announced;
    fixture.hub.ConnectFontSelected([&](const CFontItem* font) { announced.push_back(font); });
    QWidget* viewport = fixture.view->viewport();
    const auto at = [&](int row) {
        return fixture.view->visualRect(fixture.Model().index(row, 0)).center();
    };
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(2));
    ASSERT_FALSE(announced.empty());
    EXPECT_EQ(announced.back(), fixture.Model().ItemAt(2));
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, at(6));
    EXPECT_EQ(fixture.view->selectionModel()->selectedRows().size(), 5);
    EXPECT_EQ(announced.back(), fixture.Model().ItemAt(6)) << "the row clicked is the current one";
    const std::size_t before = announced.size();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(4));
    ASSERT_EQ(fixture.view->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(announced.size(), before + 1) << "told once";
    EXPECT_EQ(announced.back(), fixture.Model().ItemAt(4));
    EXPECT_EQ(fixture.document.GetCurrentFont(), fixture.Model().ItemAt(4));
    // The keys move the current row and the pane with it, each once.
    QTest::keyClick(fixture.view, Qt::Key_Down);
    EXPECT_EQ(announced.size(), before + 2);
    EXPECT_EQ(fixture.document.GetCurrentFont(), fixture.Model().ItemAt(5));
}

// A font whose name is not UTF-8, in a folder so named ("café.ttf" in
// "déjà", in Latin-1): the list's own commands install it and delete it
// to the trash under its own bytes, as any other.
TEST(FontListCommandsTest, InstallAndDeleteTakeAFontWhoseNameIsNotUtf8AsAnyOther) {
    namespace fs = std::filesystem;
    const fs::path folder = Home().Root() / "commands-latin1" / std::string("d\xe9j\xe0");
    fs::remove_all(folder.parent_path());
    fs::create_directories(folder);
    const fs::path font = folder / std::string("caf\xe9.ttf");
    fs::copy_file(FilePath(QStringLiteral(QUILLMARK_TEST_DATA "/twin-a.ttf")), font);
    const QString fonts = FreshFolder("fonts-folder");
    CCommandsFixture fixture;
    fixture.Load(PathText(folder));
    ASSERT_EQ(fixture.Model().rowCount(), 1);

    fixture.SelectRows({0});
    fixture.commands->Install();
    EXPECT_EQ(fixture.log.told, QStringList()) << "nothing went wrong";
    const fs::path installed = FilePath(fonts) / std::string("caf\xe9.ttf");
    ASSERT_TRUE(fs::is_regular_file(installed));
    EXPECT_EQ(fs::file_size(installed), fs::file_size(font));
    EXPECT_TRUE(fs::is_regular_file(font)) << "an install copies";

    fixture.SelectRows({0});
    fixture.commands->Delete();
    EXPECT_EQ(fixture.log.confirmDelete, 1);
    EXPECT_EQ(fixture.log.told, QStringList()) << "nothing went wrong";
    EXPECT_FALSE(fs::exists(font));
    const fs::path trash = Home().Root() / ".local/share/Trash";
    EXPECT_TRUE(fs::is_regular_file(trash / "files" / std::string("caf\xe9.ttf")));
    EXPECT_TRUE(fs::is_regular_file(trash / "info" / std::string("caf\xe9.ttf.trashinfo")));
    EXPECT_EQ(fixture.Model().rowCount(), 0);
}
