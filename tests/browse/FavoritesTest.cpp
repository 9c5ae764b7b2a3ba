// The favourites menu, the add command with its balloon, the dialog and the
// chooser.

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "tests/browse/BrowseTestSupport.h"
#include "ui/browse/Favorites.h"
#include "ui/common/SelectFavoriteFoldersDialog.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

// The favourite items of the menu: those with a path.
QList<QAction*> FolderItems(QMenu& menu) {
    QList<QAction*> items;
    for (QAction* action : menu.actions()) {
        if (!action->data().toString().isEmpty()) {
            items.append(action);
        }
    }
    return items;
}

QPushButton* Button(QWidget& dialog, const QString& text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

}  // namespace

TEST(FavoritesMenuTest, ShowsTheFirst101ExistingFavouritesAndChecksTheCurrentFolder) {
    const QString root = FreshFolder("menu-many");
    CWorld world;
    QWidget window;
    CFavorites favorites(world.hub, world.favorites, world.document, &window);
    favorites.FillMenu();
    EXPECT_EQ(favorites.Menu()->actions().size(), 2) << "no favourites: the two commands alone";

    world.favorites.Add(root + "/000-missing");
    for (int i = 1; i <= 150; ++i) {
        const QString folder = root + QStringLiteral("/%1").arg(i, 3, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        world.favorites.Add(folder);
    }
    const QString deep = root +
                         "/999 a folder name far longer than the menu has room for, "
                         "ending in Harbour & Finch";
    QDir().mkpath(deep);
    world.favorites.Add(deep);
    world.hub.FireFolderSelected(root + "/002", nullptr);
    favorites.FillMenu();

    const QList<QAction*> items = FolderItems(*favorites.Menu());
    ASSERT_EQ(items.size(), CFavorites::kMaxMenuItems);
    EXPECT_EQ(items.first()->data().toString(), root + "/001") << "the missing one is hidden";
    EXPECT_EQ(items.last()->data().toString(), root + "/101");
    int checked = 0;
    for (QAction* item : items) {
        checked += item->isChecked() ? 1 : 0;
    }
    EXPECT_EQ(checked, 1);
    EXPECT_TRUE(items[1]->isChecked());
    const QList<QAction*> all = favorites.Menu()->actions();
    EXPECT_TRUE(all[all.size() - 3]->isSeparator());
    EXPECT_EQ(all[all.size() - 2]->text(), "&Add current folder to favorites");
    EXPECT_EQ(all.last()->text(), "&Manage Favorites...");

    // Choosing an item opens its folder.
    QStringList opened;
    world.hub.ConnectFolderSelected(
        [&](const QString& path, const QString* file) { opened.append(path + (file ? "!" : "")); });
    items[4]->trigger();
    EXPECT_EQ(opened, QStringList{root + "/005"});

    // A long path is shortened to the menu's width; '&' stays a character.
    world.favorites.Remove(root + "/001");
    for (int i = 2; i <= 150; ++i) {
        world.favorites.Remove(root + QStringLiteral("/%1").arg(i, 3, 10, QLatin1Char('0')));
    }
    favorites.FillMenu();
    const QList<QAction*> left = FolderItems(*favorites.Menu());
    ASSERT_EQ(left.size(), 1);
    EXPECT_TRUE(left[0]->text().contains(QChar(0x2026))) << qPrintable(left[0]->text());
    EXPECT_LE(QFontMetrics(favorites.Menu()->font()).horizontalAdvance(left[0]->text()),
              CFavorites::kMenuTextWidth + 8);
    EXPECT_TRUE(left[0]->text().contains("&&")) << qPrintable(left[0]->text());

    // The missing favourite stays while the program runs, and is dropped
    // when the file is written.
    EXPECT_TRUE(world.favorites.Contains(root + "/000-missing"));
    const QString file = root + "/favorites.xml";
    world.favorites.Save(file);
    CFavoriteFolders read;
    read.Load(file);
    EXPECT_EQ(read.Count(), 1u);
    EXPECT_EQ(read.GetAt(0), deep);
}

TEST(FavoritesMenuTest, AddingTheCurrentFolderTellsWhatHappened) {
    const QString folder = FreshFolder("menu-add");
    CWorld world;
    QWidget window;
    CFavorites favorites(world.hub, world.favorites, world.document, &window);
    world.projects.AddProject("P");
    world.hub.FireProjectSelected("P");
    favorites.FillMenu();
    EXPECT_FALSE(favorites.AddCurrentAction()->isEnabled()) << "a project is shown";

    world.hub.FireFolderSelected(folder, nullptr);
    favorites.FillMenu();
    ASSERT_TRUE(favorites.AddCurrentAction()->isEnabled());
    favorites.AddCurrentAction()->trigger();
    EXPECT_TRUE(world.favorites.Contains(folder));
    EXPECT_TRUE(favorites.Balloon()->isVisible());
    EXPECT_EQ(favorites.Balloon()->Title(), "Favorite Folder Added");
    EXPECT_EQ(favorites.Balloon()->Text(), folder + " has been added to your favorite folders.");

    favorites.AddCurrentAction()->trigger();
    EXPECT_EQ(world.favorites.Count(), 1u);
    EXPECT_EQ(favorites.Balloon()->Title(), "Folder Not Added");
    EXPECT_EQ(favorites.Balloon()->Text(), "This folder is already one of your favorites.");

    // Virtual locations of the folder tree are not folders to keep.
    world.hub.FireFolderSelected("::computer", nullptr);
    EXPECT_FALSE(favorites.CanAddCurrentFolder());
}

TEST(FavoritesDialogTest, ChangesAreMadeAtOnceAndCancelKeepsThem) {
    const QString root = FreshFolder("dialog");
    for (const char* name : {"a", "b", "current", "other"}) {
        QDir().mkpath(root + '/' + name);
    }
    CWorld world;
    world.favorites.Add(root + "/a");
    world.favorites.Add(root + "/b");
    world.favorites.Add(root + "/gone");
    QWidget window;
    CFavorites favorites(world.hub, world.favorites, world.document, &window);
    world.hub.FireFolderSelected(root + "/current", nullptr);

    bool ran = false;
    favorites.SetDialogRunner([&](CFavoritesDialog& dialog) {
        ran = true;
        dialog.SetFolderChooser([&] { return root + "/other"; });
        QTreeWidget* list = dialog.List();
        EXPECT_EQ(list->headerItem()->text(0), "Folder");
        ASSERT_EQ(list->topLevelItemCount(), 2) << "the missing folder has no row";
        EXPECT_FALSE(list->topLevelItem(0)->icon(0).isNull());
        QPushButton* remove = Button(dialog, "Remove");
        ASSERT_TRUE(remove);
        EXPECT_FALSE(remove->isEnabled());
        Button(dialog, "Add Current Folder")->click();
        Button(dialog, "Add Current Folder")->click();
        Button(dialog, "Add Other Folder...")->click();
        EXPECT_EQ(list->topLevelItemCount(), 4);
        list->topLevelItem(0)->setSelected(true);
        EXPECT_TRUE(remove->isEnabled());
        remove->click();
        EXPECT_EQ(list->topLevelItemCount(), 3);
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    });
    favorites.ManageAction()->trigger();
    ASSERT_TRUE(ran);
    EXPECT_FALSE(world.favorites.Contains(root + "/a"));
    EXPECT_TRUE(world.favorites.Contains(root + "/current")) << "Cancel keeps what was added";
    EXPECT_TRUE(world.favorites.Contains(root + "/other"));
    EXPECT_EQ(world.favorites.Count(), 4u);
}

TEST(SelectFavoriteFoldersDialogTest, OkFollowsTheSelectionAndGivesTheFolder) {
    const QString root = FreshFolder("chooser");
    QDir().mkpath(root + "/fonts");
    CFavoriteFolders favorites;
    favorites.Add(root + "/fonts");
    favorites.Add(root + "/missing");
    CSelectFavoriteFoldersDialog dialog(favorites);
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 1);
    auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled());
    QTimer::singleShot(0, &dialog, [&] {
        dialog.List()->topLevelItem(0)->setSelected(true);
        EXPECT_TRUE(ok->isEnabled());
        ok->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedFolder(), root + "/fonts");
}
