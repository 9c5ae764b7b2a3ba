// The location bar with the hub: locations brought to the top, the limit,
// stale items, Enter, drops, clearing, and its file at exit.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "tests/browse/BrowseTestSupport.h"
#include "ui/browse/LocationCombo.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

struct CBar {
    explicit CBar(const QString& file) : combo(world.hub, world.options, world.projects, file) {
        world.hub.ConnectFolderSelected([this](const QString& path, const QString* name) {
            fired.append(path + (name ? "|" + *name : QString()));
        });
        world.hub.ConnectProjectSelected(
            [this](const QString& project) { fired.append("project:" + project); });
    }
    QStringList Texts() const {
        QStringList texts;
        for (int i = 0; i < combo.count(); ++i) {
            texts.append(combo.itemText(i));
        }
        return texts;
    }
    CWorld world;
    CLocationCombo combo;
    QStringList fired;
};

}  // namespace

TEST(LocationBarTest, LocationsComeToTheTopAndChoosingOneGoesThere) {
    const QString root = FreshFolder("bar-top");
    for (const char* name : {"a", "b"}) {
        QDir().mkpath(root + '/' + name);
    }
    CBar bar(root + "/locations.xml");
    bar.world.projects.AddProject("P");
    bar.world.hub.FireFolderSelected(root + "/a", nullptr);
    bar.world.hub.FireProjectSelected("P");
    bar.world.hub.FireFolderSelected(root + "/b", nullptr);
    EXPECT_EQ(bar.Texts(), (QStringList{root + "/b", "P", root + "/a"}));
    EXPECT_EQ(bar.combo.currentIndex(), 0);
    EXPECT_FALSE(bar.combo.itemIcon(1).isNull());

    bar.fired.clear();
    emit bar.combo.activated(2);  // the user chose the oldest
    EXPECT_EQ(bar.fired, QStringList{root + "/a"});
    EXPECT_EQ(bar.Texts(), (QStringList{root + "/a", root + "/b", "P"}))
        << "the previous current location is item 1";
    emit bar.combo.activated(0);
    EXPECT_EQ(bar.fired.size(), 1) << "item 0 is where the user is";
    emit bar.combo.activated(2);
    EXPECT_EQ(bar.fired.last(), "project:P");

    // With the limit on, the oldest items go.
    bar.world.options.SetLimitLocations(true);
    bar.world.options.SetLocationsLimit(1);
    bar.world.hub.FireOptionsChanged();
    EXPECT_EQ(bar.Texts(), QStringList{"P"});
    bar.world.hub.FireFolderSelected(root + "/a", nullptr);
    EXPECT_EQ(bar.Texts(), QStringList{root + "/a"});
}

TEST(LocationBarTest, OpeningTheDropDownDropsWhatIsGone) {
    const QString root = FreshFolder("bar-stale");
    QDir().mkpath(root + "/kept");
    QDir().mkpath(root + "/gone");
    CBar bar(root + "/locations.xml");
    bar.world.projects.AddProject("Kept");
    bar.world.projects.AddProject("Deleted");
    for (const QString& folder : {root + "/kept", root + "/gone"}) {
        bar.world.hub.FireFolderSelected(folder, nullptr);
    }
    bar.world.hub.FireProjectSelected("Kept");
    bar.world.hub.FireProjectSelected("Deleted");
    QDir(root + "/gone").removeRecursively();
    bar.world.projects.DeleteProject("Deleted");
    bar.combo.showPopup();
    EXPECT_EQ(bar.Texts(), (QStringList{"Kept", root + "/kept"}));
    bar.combo.hidePopup();
}

TEST(LocationBarTest, EnterGoesToAFolderOrAProjectOrNowhere) {
    const QString root = FreshFolder("bar-enter");
    QDir().mkpath(root + "/fonts");
    CBar bar(root + "/locations.xml");
    bar.world.projects.AddProject("Posters");
    bar.combo.show();
    const auto type = [&](const QString& text) {
        bar.combo.lineEdit()->setText(text);
        QTest::keyClick(bar.combo.lineEdit(), Qt::Key_Return);
    };
    type(root + "/fonts/");
    type("Posters");
    type("posters");
    type("no such place");
    type("");
    type("fonts");  // not a path: a relative name is never taken as one
    EXPECT_EQ(bar.fired, (QStringList{root + "/fonts", "project:Posters"}));
    EXPECT_EQ(bar.combo.count(), 2) << "Enter never adds what the user typed";
    EXPECT_EQ(CLocationCombo::ExpandHome("~"), QDir::homePath());
    EXPECT_EQ(CLocationCombo::ExpandHome("~/Type"), QDir::homePath() + "/Type");
    EXPECT_EQ(CLocationCombo::ExpandHome("/a/~"), "/a/~");
    QDir().mkpath(QDir::homePath() + "/Type");
    type("~/Type");
    EXPECT_EQ(bar.fired.last(), QDir::homePath() + "/Type");

    // A dropped file opens its folder with the file selected.
    QFile font(root + "/fonts/a.ttf");
    ASSERT_TRUE(font.open(QIODevice::WriteOnly));
    font.close();
    bar.combo.OpenDropped(root + "/fonts/a.ttf");
    EXPECT_EQ(bar.fired.last(), root + "/fonts|a.ttf");
    bar.combo.OpenDropped(root);
    EXPECT_EQ(bar.fired.last(), root);
}

TEST(LocationBarTest, TheFileIsReadSavedClearedAndDeletedOnExitWhenAsked) {
    const QString root = FreshFolder("bar-file");
    const QString file = root + "/data/locations.xml";
    QDir().mkpath(root + "/x");
    {
        CBar bar(file);
        bar.world.projects.AddProject("P & \"Q\"");
        bar.world.hub.FireFolderSelected(root + "/x", nullptr);
        bar.world.hub.FireProjectSelected("P & \"Q\"");
        ASSERT_TRUE(bar.combo.SaveAtExit());
    }
    {
        CBar bar(file);
        EXPECT_EQ(bar.Texts(), (QStringList{"P & \"Q\"", root + "/x"}));
        // "Clear Locations Now": only the current one stays, and the file goes.
        bar.world.hub.FireClearLocationHistory();
        EXPECT_EQ(bar.Texts(), QStringList{"P & \"Q\""});
        EXPECT_FALSE(QFile::exists(file));
        ASSERT_TRUE(bar.combo.SaveAtExit());
        EXPECT_TRUE(QFile::exists(file));
    }
    {
        CBar bar(file);
        EXPECT_EQ(bar.combo.count(), 1);
        bar.world.options.SetClearLocationsOnExit(true);
        ASSERT_TRUE(bar.combo.SaveAtExit());
        EXPECT_FALSE(QFile::exists(file));
    }
}
