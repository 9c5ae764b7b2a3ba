// The folder tree with its view and controller on the hub, offscreen: what
// is announced when, the folder menu's commands, renaming in place, drops;
// then the whole program started on a folder.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/QuillmarkApp.h"
#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/ListingBlock.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/WaitUntil.h"
#include "ui/browse/FolderTreeController.h"
#include "ui/browse/FolderTreeModel.h"
#include "ui/browse/FolderTreeView.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/MainFrame.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
const QString kData = QStringLiteral(QUILLMARK_TEST_DATA);

QString Home(const QString& relative) {
    return QString::fromStdString(kHome.Root().string()) + QLatin1Char('/') + relative;
}

bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 3000) {
    return QuillmarkTest::WaitUntil(condition, milliseconds);
}

// A desktop of its own with folders a, b and Fonts, the tree on it, and
// every FolderSelected counted.
class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_desktop = Home("tree-desktop");
        QDir(m_desktop).removeRecursively();
        for (const char* folder : {"a/deep", "b", "Fonts", "Fonts 2"}) {
            ASSERT_TRUE(QDir().mkpath(m_desktop + "/" + folder));
        }
        ASSERT_TRUE(QFile::copy(kData + "/twin-a.ttf", m_desktop + "/Fonts/twin-a.ttf"));
        ASSERT_TRUE(QFile::copy(kData + "/twin-b.ttf", m_desktop + "/Fonts 2/twin-b.ttf"));
        m_hub.ConnectFolderSelected(
            [this](const QString& path, const QString*) { m_announced.append(path); });
        auto* model =
            new CFolderTreeModel(CFolderTreeModel::CPlaces{m_desktop, Home(""), Home("tree-root")});
        model->SetSettleMilliseconds(50);
        m_tree =
            std::make_unique<CFolderTreeController>(m_hub, m_document, m_manager, nullptr, model);
        m_tree->SetStartedTest([this] { return m_started; });
        m_tree->SetStatusSink([this](int, const QString& text) { m_status = text; });
        CFolderTreeController::Hooks hooks;
        hooks.ask = [this](const QString& question) {
            m_asked.append(question);
            return m_answer;
        };
        hooks.showProperties = [this](const QString& path) { m_properties.append(path); };
        m_tree->SetHooks(hooks);
        View()->resize(300, 400);
        View()->show();
    }

    CFolderTreeView* View() const { return m_tree->View(); }
    CFolderTreeModel& Model() const { return m_tree->Model(); }
    QModelIndex Item(const QString& relative) const {
        return Model().IndexForPath(relative.isEmpty() ? m_desktop : m_desktop + "/" + relative);
    }
    QString Selected() const {
        const QModelIndexList selected = View()->selectionModel()->selectedIndexes();
        return selected.isEmpty() ? QString() : Model().PathOf(selected.front());
    }
    void Click(const QModelIndex& index) {
        View()->scrollTo(index);
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {},
                          View()->visualRect(index).center());
    }
    QLineEdit* Editor() const {
        for (QLineEdit* line : View()->findChildren<QLineEdit*>()) {
            if (line->isVisible()) {
                return line;
            }
        }
        return nullptr;
    }

    QString m_desktop;
    CQuillmarkSignals m_hub;
    CProgramOptions m_options;
    CFontManagerHub m_managerHub{m_hub};
    CFontManager m_manager{&m_managerHub, nullptr};
    CQuillmarkDoc m_document{m_hub, m_options, m_manager, Home(".local/share/fonts")};
    std::unique_ptr<CFolderTreeController> m_tree;
    bool m_started = false;
    QStringList m_announced;
    QStringList m_asked;
    QStringList m_properties;
    bool m_answer = true;
    QString m_status;
};

TEST_F(FolderTreeTest, AnnouncesEachUserSelectionOnceAndNothingWhileStarting) {
    // While the program starts: the document hears, the hub does not.
    View()->selectionModel()->setCurrentIndex(Item("b"), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(m_document.GetFolderPath(), m_desktop + "/b");
    m_hub.FireFolderSelected(m_desktop + "/a/deep", nullptr);  // the start's first location
    EXPECT_EQ(Selected(), m_desktop + "/a/deep");
    EXPECT_TRUE(View()->isExpanded(Item("a")));
    EXPECT_EQ(m_announced, QStringList({m_desktop + "/a/deep"})) << "no echo from the tree";

    m_started = true;
    m_announced.clear();
    Click(Item("b"));
    EXPECT_EQ(m_announced, QStringList({m_desktop + "/b"}));
    Click(Item("b"));  // the selected one again: nothing new
    QTest::keyClick(View(), Qt::Key_Down);
    // A folder reached with the keys is announced once the keys rest.
    EXPECT_EQ(m_announced, QStringList({m_desktop + "/b"}));
    EXPECT_TRUE(WaitUntil([&] { return m_announced.size() == 2; }));
    EXPECT_EQ(m_announced, QStringList({m_desktop + "/b", m_desktop + "/Fonts"}));
    EXPECT_EQ(m_document.GetFolderPath(), m_desktop + "/Fonts");

    // Chosen elsewhere: selected here without a second announcement.
    m_hub.FireFolderSelected(m_desktop + "/a", nullptr);
    EXPECT_EQ(Selected(), m_desktop + "/a");
    EXPECT_EQ(m_announced.size(), 3);
    // A folder the tree does not show leaves nothing selected.
    ASSERT_TRUE(QDir().mkpath(m_desktop + "/.hidden"));
    m_hub.FireFolderSelected(m_desktop + "/.hidden", nullptr);
    EXPECT_EQ(Selected(), QString());

    // A project shown: a click on the selected folder brings the folder back.
    m_hub.FireFolderSelected(m_desktop + "/a", nullptr);
    m_hub.FireProjectSelected("Posters");
    ASSERT_TRUE(m_document.IsProjectMode());
    m_announced.clear();
    Click(Item("a"));
    EXPECT_EQ(m_announced, QStringList({m_desktop + "/a"}));
    EXPECT_FALSE(m_document.IsProjectMode());
}

// A narrow tree showing a deep folder scrolls sideways to its name, as
// at a first start on /usr/share/fonts: an icon at the edge with the name
// past it tells nothing.
TEST_F(FolderTreeTest, ADeepFolderSelectedInANarrowTreeShowsItsName) {
    const QString deep = m_desktop + "/a/deep/er/and/deeper/still/at/last";
    // A sibling with a long name makes the column far wider than the pane.
    ASSERT_TRUE(QDir().mkpath(deep));
    ASSERT_TRUE(
        QDir().mkpath(m_desktop + "/a/deep/er/and/deeper/still/at/a sibling named at length"));
    View()->resize(140, 300);
    m_hub.FireFolderSelected(deep, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Selected() == deep; }));
    QApplication::processEvents();
    const QRect item = View()->visualRect(Item("a/deep/er/and/deeper/still/at/last"));
    const int icon = View()->iconSize().isValid()
                         ? View()->iconSize().width()
                         : View()->style()->pixelMetric(QStyle::PM_SmallIconSize);
    EXPECT_GE(item.left(), 0);
    EXPECT_LE(item.left() + icon + View()->fontMetrics().horizontalAdvance("last"),
              View()->viewport()->width())
        << "the icon and the name are in sight, at " << item.left();
    // Back at the top, the tree scrolls back.
    m_hub.FireFolderSelected(m_desktop + "/b", nullptr);
    EXPECT_GE(View()->visualRect(Item("b")).left(), 0);
}

TEST_F(FolderTreeTest, GoesUpToTheParentUntilTheDesktop) {
    m_started = true;
    EXPECT_FALSE(m_hub.FireCanGoUp()) << "nothing selected";
    m_hub.FireFolderSelected(m_desktop + "/a/deep", nullptr);
    EXPECT_TRUE(m_hub.FireCanGoUp());
    m_announced.clear();
    m_hub.FireGoUp();
    EXPECT_EQ(Selected(), m_desktop + "/a");
    m_hub.FireGoUp();
    EXPECT_EQ(Selected(), "::desktop");
    EXPECT_EQ(m_announced, QStringList({m_desktop + "/a", "::desktop"}));
    EXPECT_FALSE(m_hub.FireCanGoUp());
}

TEST_F(FolderTreeTest, MenuOffersWhatTheItemAllows) {
    const QModelIndex computer = Model().ComputerIndex();
    QMenu* menu = View()->MenuFor(computer);
    const auto action = [&](const QString& name) { return menu->findChild<QAction*>(name); };
    ASSERT_NE(action("Open"), nullptr);
    EXPECT_TRUE(action("Expand")->isEnabled());
    for (const char* name : {"Open", "Open in File Manager", "Create new folder", "Delete",
                             "Rename", "Properties..."}) {
        EXPECT_FALSE(action(name)->isEnabled()) << name << " on Computer";
    }
    View()->expand(Item("a"));
    menu = View()->MenuFor(Item("a"));
    EXPECT_EQ(action("Collapse")->text(), "Coll&apse");
    for (const char* name : {"Open", "Open in File Manager", "Create new folder", "Delete",
                             "Rename", "Properties..."}) {
        EXPECT_TRUE(action(name)->isEnabled()) << name << " on a folder";
    }
    menu = View()->MenuFor(Item("b"));
    EXPECT_FALSE(action("Expand")->isEnabled()) << "b has no subfolder";
    action("Properties...")->trigger();
    EXPECT_EQ(m_properties, QStringList({m_desktop + "/b"}));
    menu = View()->MenuFor(Model().IndexForPath(Home("")));
    EXPECT_FALSE(action("Delete")->isEnabled()) << "the home folder is no folder to delete";
}

TEST_F(FolderTreeTest, DeleteAsksAboutFontsInUseOnlyForTheFolderThatHoldsThem) {
    CFontHandle held = m_manager.Open((m_desktop + "/Fonts 2/twin-b.ttf").toStdString());
    int releases = 0;
    m_hub.ConnectReleaseFont([&](const CFontItem* font) {
        releases += font == held.get();
        return 0;
    });
    // "Fonts" is a prefix of "Fonts 2", whose font is in use: not asked
    // about it, and that font is not let go.
    m_tree->Run(CFolderTreeView::Command::Delete, Item("Fonts"));
    ASSERT_EQ(m_asked.size(), 1);
    EXPECT_FALSE(m_asked.front().contains("currently in use")) << m_asked.front().toStdString();
    EXPECT_EQ(releases, 0);
    EXPECT_FALSE(QFileInfo::exists(m_desktop + "/Fonts"));
    EXPECT_FALSE(Item("Fonts").isValid());

    m_asked.clear();
    m_answer = false;
    m_tree->Run(CFolderTreeView::Command::Delete, Item("Fonts 2"));
    ASSERT_EQ(m_asked.size(), 1);
    EXPECT_EQ(m_asked.front(),
              "You are attempting to delete a folder that contains one or more fonts currently "
              "in use by Quillmark.  Are you sure you want to do this?");
    EXPECT_TRUE(QFileInfo::exists(m_desktop + "/Fonts 2/twin-b.ttf")) << "No keeps it";
    EXPECT_EQ(releases, 0);

    m_asked.clear();
    m_answer = true;
    m_tree->Run(CFolderTreeView::Command::Delete, Item("Fonts 2"));
    EXPECT_EQ(m_asked.size(), 1) << "one question is enough";
    EXPECT_EQ(releases, 1);
    EXPECT_FALSE(QFileInfo::exists(m_desktop + "/Fonts 2"));
    EXPECT_TRUE(QFileInfo::exists(Home(".local/share/Trash/files/Fonts 2/twin-b.ttf")));
}

TEST_F(FolderTreeTest, NewFolderOpensItsNameAndARefusedNameIsTypedAgain) {
    m_tree->Run(CFolderTreeView::Command::NewFolder, Item(""));
    ASSERT_TRUE(QFileInfo(m_desktop + "/New Folder").isDir());
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "New Folder");

    // Onto a name that is taken: refused, said why, and the editor again
    // with what was typed.
    editor->setText("b");
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor commits once the key has been handled.
    ASSERT_TRUE(WaitUntil([&] { return Editor() != nullptr && Editor() != editor; }));
    EXPECT_EQ(Editor()->text(), "b");
    EXPECT_TRUE(m_status.contains("already")) << m_status.toStdString();
    EXPECT_TRUE(QFileInfo(m_desktop + "/New Folder").isDir());

    Editor()->setText("c");
    QTest::keyClick(Editor(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo(m_desktop + "/c").isDir(); }));
    EXPECT_FALSE(QFileInfo::exists(m_desktop + "/New Folder"));
    EXPECT_TRUE(Item("c").isValid());
    QTest::qWait(200);  // the watcher's notice adds nothing
    EXPECT_EQ(Model().rowCount(Item("")), 2 + 5) << "Home, Computer, a, b, c, Fonts, Fonts 2";
}

TEST_F(FolderTreeTest, RenamingTheShownFolderTakesTheListAlong) {
    m_started = true;
    m_hub.FireFolderSelected(m_desktop + "/a/deep", nullptr);
    m_announced.clear();
    ASSERT_TRUE(Model().RenameFolder(Item("a"), "z"));
    EXPECT_EQ(m_announced, QStringList({m_desktop + "/z/deep"}));
    EXPECT_EQ(m_document.GetFolderPath(), m_desktop + "/z/deep");
    EXPECT_EQ(Selected(), m_desktop + "/z/deep");
}

TEST_F(FolderTreeTest, DropsCopyIntoAFolderNeverOntoItselfAndAskOnAClash) {
    const QString source = Home("drop-source");
    QDir(source).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(source + "/sub"));
    ASSERT_TRUE(QFile::copy(kData + "/twin-a.ttf", source + "/twin-b.ttf"));
    CFolderTreeController::Hooks hooks;
    int clashes = 0;
    hooks.askConflict = [&](const QString&, const QString& existing) {
        ++clashes;
        EXPECT_EQ(existing, m_desktop + "/Fonts 2/twin-b.ttf");
        return Platform::ConflictChoice::KeepBoth;
    };
    m_tree->SetHooks(hooks);

    const QModelIndex target = Item("Fonts 2");
    View()->scrollTo(target);
    const QPoint at = View()->visualRect(target).center();
    QMimeData mime;
    mime.setUrls(
        {QUrl::fromLocalFile(source + "/twin-b.ttf"), QUrl::fromLocalFile(source + "/sub")});
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::ControlModifier);
    QApplication::sendEvent(View()->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDragMoveEvent over(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                        Qt::ControlModifier);
    QApplication::sendEvent(View()->viewport(), &over);
    EXPECT_TRUE(over.isAccepted());
    EXPECT_EQ(over.dropAction(), Qt::CopyAction) << "Ctrl copies";
    EXPECT_EQ(View()->DropTarget(), target) << "highlighted";
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::ControlModifier);
    QApplication::sendEvent(View()->viewport(), &drop);
    EXPECT_FALSE(View()->DropTarget().isValid());
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(m_desktop + "/Fonts 2/sub"); }));
    EXPECT_EQ(clashes, 1);
    EXPECT_TRUE(QFileInfo::exists(m_desktop + "/Fonts 2/twin-b (2).ttf"));
    EXPECT_TRUE(QFileInfo::exists(source + "/twin-b.ttf")) << "copied, not moved";
    EXPECT_TRUE(Model().hasChildren(target)) << "the folder dropped is shown";

    // A folder over itself or one below it: no drop, no highlight.
    View()->expand(Item("a"));
    QMimeData self;
    self.setUrls({QUrl::fromLocalFile(m_desktop + "/a")});
    for (const QString& onto : {QString("a"), QString("a/deep")}) {
        const QModelIndex index = Item(onto);
        QDragMoveEvent refused(View()->visualRect(index).center(), Qt::CopyAction | Qt::MoveAction,
                               &self, Qt::LeftButton, {});
        QApplication::sendEvent(View()->viewport(), &refused);
        EXPECT_FALSE(refused.isAccepted()) << onto.toStdString();
        EXPECT_FALSE(View()->DropTarget().isValid());
    }
}

TEST_F(FolderTreeTest, AFolderAskedWhileTheWayThereIsReadGivesWayToTheUsersChoice) {
    m_started = true;
    Model().SetReadWaitMilliseconds(20);
    const QString deep = m_desktop + "/a/deep";
    {
        QuillmarkTest::CListingBlock block({m_desktop + "/a"});
        m_hub.FireFolderSelected(deep, nullptr);
        EXPECT_TRUE(Selected().isEmpty()) << "nothing selected that is not the location";
        // The user goes elsewhere before the folder answers: that stays.
        Click(Item("b"));
        EXPECT_EQ(Selected(), m_desktop + "/b");
        block.Release();
        ASSERT_TRUE(WaitUntil([&] { return Model().IsLoaded(Item("a")); }));
        QTest::qWait(100);
        EXPECT_EQ(Selected(), m_desktop + "/b");
    }
    // Asked again now that the way is listed: selected at once.
    m_hub.FireFolderSelected(deep, nullptr);
    EXPECT_EQ(Selected(), deep);
    EXPECT_EQ(m_announced, QStringList({deep, m_desktop + "/b", deep}));
}

TEST(FolderTreeInProgramTest, StartsOnAFolderAndAnnouncesOnlyTheUsersChoices) {
    const QString folder = Home("Program fonts/Serif");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QDir().mkpath(Home("Program fonts/Sans")));
    ASSERT_TRUE(QFile::copy(kData + "/twin-a.ttf", folder + "/twin-a.ttf"));
    QStringList announced;
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    hooks.addPanes = [&announced](CQuillmarkApp& app) {
        app.Hub().ConnectFolderSelected(
            [&announced](const QString& path, const QString*) { announced.append(path); });
    };
    CQuillmarkApp app({"quillmark", folder}, hooks);
    ASSERT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
    EXPECT_EQ(announced, QStringList({folder})) << "the start's own, and nothing from the tree";
    auto* tree = app.MainFrame()->findChild<CFolderTreeController*>();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(app.MainFrame()->GetPane(CMainFrame::Pane::FolderTree), tree->View());
    const QModelIndexList selected = tree->View()->selectionModel()->selectedIndexes();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(tree->Model().PathOf(selected.front()), folder);

    auto* list = app.MainFrame()->findChild<CFontListController*>();
    ASSERT_TRUE(WaitUntil([&] { return !list->IsLoading(); }));
    const QModelIndex sans = tree->Model().IndexForPath(Home("Program fonts/Sans"));
    tree->View()->scrollTo(sans);
    QTest::qWait(50);  // laid out
    // On the name's first letters: the pane is narrow offscreen.
    const QRect name = tree->View()->visualRect(sans);
    QTest::mouseClick(tree->View()->viewport(), Qt::LeftButton, {},
                      QPoint(name.left() + 4, name.center().y()));
    EXPECT_EQ(announced, QStringList({folder, Home("Program fonts/Sans")}));
    app.MainFrame()->close();
    app.ExitInstance();
}

TEST(FolderTreeInProgramTest, AFolderThatDoesNotAnswerLeavesTheWindowAnsweringAndOthersShown) {
    const QString slow = Home("Slow fonts");
    const QString stuck = slow + "/Stuck";
    ASSERT_TRUE(QDir().mkpath(stuck + "/inner"));
    ASSERT_TRUE(QDir().mkpath(slow + "/Quick"));
    ASSERT_TRUE(QFile::copy(kData + "/twin-a.ttf", slow + "/Quick/twin-a.ttf"));
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    CQuillmarkApp app({"quillmark", slow}, hooks);
    ASSERT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
    auto* tree = app.MainFrame()->findChild<CFolderTreeController*>();
    auto* list = app.MainFrame()->findChild<CFontListController*>();
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(list, nullptr);
    CFolderTreeModel& model = tree->Model();
    CFolderTreeView* view = tree->View();
    const QModelIndex stuckItem = model.IndexForPath(stuck);
    const QModelIndex quickItem = model.IndexForPath(slow + "/Quick");
    ASSERT_TRUE(stuckItem.isValid());
    ASSERT_TRUE(quickItem.isValid());

    // The window's own clock: it ticks only while the window's thread is free.
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&ticks] { ++ticks; });
    clock.start(10);
    {
        QuillmarkTest::CListingBlock block({stuck});
        view->expand(stuckItem.parent());  // as the user opens the folders
        QTest::qWait(50);                  // laid out
        view->expand(stuckItem);
        ASSERT_TRUE(WaitUntil([&] { return block.Waiting() == 1; }));
        EXPECT_TRUE(model.IsReading(stuckItem));
        const QModelIndex reading = model.index(0, 0, stuckItem);
        EXPECT_EQ(reading.data().toString(), "Reading…");
        EXPECT_EQ(reading.data(Qt::AccessibleTextRole).toString(), "Reading…");
        EXPECT_FALSE(reading.flags() & Qt::ItemIsEnabled);
        const int before = ticks;
        ASSERT_TRUE(WaitUntil([&] { return ticks >= before + 10; })) << "the window stopped";
        EXPECT_EQ(block.Waiting(), 1) << "still stuck while the clock ticked";

        // Another folder chosen meanwhile: selected, and its fonts shown.
        view->scrollTo(quickItem);
        QTest::qWait(50);  // laid out
        const QRect name = view->visualRect(quickItem);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          QPoint(name.left() + 4, name.center().y()));
        EXPECT_EQ(app.Document()->GetFolderPath(), slow + "/Quick");
        ASSERT_TRUE(WaitUntil([&] { return !list->IsLoading() && list->Model().rowCount() == 1; }));

        // Sent below the stuck folder from elsewhere: the tree waits for it,
        // with nothing selected that is not the location.
        app.Hub().FireFolderSelected(stuck + "/inner", nullptr);
        EXPECT_TRUE(view->selectionModel()->selectedIndexes().isEmpty());
        EXPECT_TRUE(view->isExpanded(stuckItem));
        EXPECT_EQ(block.Waiting(), 1);
        QTest::qWait(50);  // the commands follow the location
        EXPECT_TRUE(app.MainFrame()->Command("GoUp")->isEnabled())
            << "the folder asked has a parent, even before the tree shows it";

        // Let go: the subfolders come, and the folder asked is selected.
        block.Release();
        ASSERT_TRUE(WaitUntil([&] { return model.IsLoaded(stuckItem); }));
    }
    const QModelIndex inner = model.index(0, 0, stuckItem);
    EXPECT_EQ(inner.data().toString(), "inner");
    ASSERT_TRUE(WaitUntil([&] {
        const QModelIndexList selected = view->selectionModel()->selectedIndexes();
        return selected.size() == 1 && selected.front() == inner;
    }));
    QTest::qWait(50);
    EXPECT_TRUE(app.MainFrame()->Command("GoUp")->isEnabled());
    app.MainFrame()->Command("GoUp")->trigger();
    EXPECT_EQ(app.Document()->GetFolderPath(), stuck);
    app.MainFrame()->close();
    app.ExitInstance();
}

}  // namespace
