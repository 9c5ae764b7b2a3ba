// The main window's bars and commands: back and forward, the project shown
// being deleted, the preview size box, sharing, the keyboard and mouse, and
// the bar layout kept between runs.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWidgetAction>

#include "collections/HistoryList.h"
#include "tests/browse/BrowseTestSupport.h"
#include "ui/browse/Favorites.h"
#include "ui/browse/FontProjectFrame.h"
#include "ui/browse/LocationCombo.h"
#include "ui/browse/MainFrame.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

struct CWindow {
    explicit CWindow(const QString& name)
        : root(FreshFolder(name)), frame(world.hub, world.options, world.document, "1.2.3.4") {
        for (const char* folder : {"A", "B", "C", "D"}) {
            QDir().mkpath(root + '/' + folder);
        }
        world.projects.AddProject("P");
        frame.UseStores(world.projects, world.favorites, root + "/locations.xml");
        world.hub.ConnectFolderSelected(
            [this](const QString& path, const QString*) { fired.append(path.section('/', -1)); });
        world.hub.ConnectProjectSelected(
            [this](const QString& project) { fired.append("project:" + project); });
    }
    void Visit(const char* folder) { world.hub.FireFolderSelected(root + '/' + folder, nullptr); }
    QString Current() const {
        const auto current = frame.History().Current();
        return current ? current->name.section('/', -1) : QString();
    }
    bool Enabled(const char* command) const {
        RunEvents();
        return frame.Command(QString::fromLatin1(command))->isEnabled();
    }

    CWorld world;
    QString root;
    CMainFrame frame;
    QStringList fired;
};

// Stands in for the desktop's browser.
class CBrowser : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;
    Q_INVOKABLE void Open(const QUrl& url) { opened.append(url); }
};

}  // namespace

TEST(MainFrameTest, BackAndForwardFollowTheHistory) {
    CWindow window("history");
    EXPECT_FALSE(window.Enabled("GoBack"));
    window.Visit("A");
    window.Visit("B");
    window.world.hub.FireProjectSelected("P");
    EXPECT_TRUE(window.Enabled("GoBack"));
    EXPECT_FALSE(window.Enabled("GoForward"));
    window.fired.clear();
    window.frame.Command("GoBack")->trigger();
    window.frame.Command("GoBack")->trigger();
    EXPECT_EQ(window.fired, (QStringList{"B", "A"}));
    EXPECT_EQ(window.Current(), "A");
    EXPECT_FALSE(window.Enabled("GoBack"));
    EXPECT_TRUE(window.Enabled("GoForward"));
    window.frame.Command("GoForward")->trigger();
    EXPECT_EQ(window.fired.last(), "B");
    window.frame.Command("GoBack")->trigger();
    EXPECT_EQ(window.frame.History().Count(), 3u) << "going back and forth adds nothing";

    window.Visit("D");
    EXPECT_EQ(window.frame.History().Count(), 2u) << "A, D";
    EXPECT_EQ(window.Current(), "D");
    EXPECT_FALSE(window.Enabled("GoForward"));
    window.frame.Command("GoBack")->trigger();
    EXPECT_EQ(window.Current(), "A");

    // The same folder twice gives two entries.
    window.Visit("C");
    window.Visit("C");
    window.frame.Command("GoBack")->trigger();
    EXPECT_EQ(window.Current(), "C");
}

TEST(MainFrameTest, DeletingTheShownProjectGoesBackAndForgetsIt) {
    CWindow window("delete-shown");
    window.frame.ProjectView()->SetPrompts({[](const QString&) { return std::optional<QString>(); },
                                            [](const QString&, const QString&) { return true; }});
    window.world.projects.AddProject("Q");
    window.world.hub.FireProjectSelected("P");  // the only entry
    window.fired.clear();
    window.frame.ProjectView()->DeleteProject("P");
    EXPECT_TRUE(window.fired.isEmpty()) << "nothing to go back to";
    EXPECT_EQ(window.frame.History().Count(), 0u);

    window.Visit("A");
    window.world.hub.FireProjectSelected("Q");
    window.fired.clear();
    window.frame.ProjectView()->DeleteProject("Q");
    EXPECT_EQ(window.fired, QStringList{"A"});
    EXPECT_EQ(window.Current(), "A");
    EXPECT_EQ(window.frame.History().Count(), 1u);
    EXPECT_FALSE(window.Enabled("GoForward")) << "the deleted project is forgotten";
}

TEST(MainFrameTest, CommandsFireTheirSignals) {
    CWindow window("commands");
    bool canGoUp = false;
    window.world.hub.ConnectCanGoUp([&] { return canGoUp; });
    int ups = 0;
    int refreshes = 0;
    std::vector<bool> shared;
    window.world.hub.ConnectGoUp([&] { ++ups; });
    window.world.hub.ConnectRefreshRequested([&] { ++refreshes; });
    window.world.hub.ConnectShareFonts([&](bool share) { shared.push_back(share); });

    window.Visit("A");
    EXPECT_FALSE(window.Enabled("GoUp"));
    canGoUp = true;
    window.Visit("B");
    ASSERT_TRUE(window.Enabled("GoUp"));
    window.frame.Command("GoUp")->trigger();
    window.frame.Command("Refresh")->trigger();
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(refreshes, 1);

    QAction* share = window.frame.Command("ShareFonts");
    EXPECT_FALSE(share->isChecked());
    share->trigger();
    EXPECT_TRUE(window.world.options.GetAutoInstall());
    share->trigger();
    EXPECT_EQ(shared, (std::vector<bool>{true, false}));
    EXPECT_FALSE(window.world.options.GetAutoInstall());

    window.fired.clear();
    window.frame.Command("InstalledFonts")->trigger();
    ASSERT_EQ(window.fired.size(), 1);
    EXPECT_EQ(window.world.document.GetFolderPath(), window.world.document.GetFontsFolder());

    // "Support on the Web" opens the support page in the browser.
    CBrowser browser;
    QDesktopServices::setUrlHandler("https", &browser, "Open");
    window.frame.Command("SupportOnTheWeb")->trigger();
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_TRUE(browser.opened[0].toString().contains("support"));
}

TEST(MainFrameTest, ThePreviewSizeBoxTakesSixToThreeHundredPixels) {
    EXPECT_EQ(CMainFrame::ParsePreviewSize("48 px"), 48);
    EXPECT_EQ(CMainFrame::ParsePreviewSize(" 6px "), 6);
    EXPECT_EQ(CMainFrame::ParsePreviewSize("300"), 300);
    for (const char* refused : {"5", "301", "", "px", "4 8", "1e2", "-24", "big"}) {
        EXPECT_FALSE(CMainFrame::ParsePreviewSize(refused).has_value()) << refused;
    }

    CWindow window("size");
    std::vector<int> sizes;
    window.world.hub.ConnectFontListPreviewSizeChanged(
        [&](unsigned short px) { sizes.push_back(px); });
    QStringList told;
    window.frame.SetMessageSink([&](const QString& caption, const QString&) { told << caption; });
    auto* box = window.frame.findChild<QComboBox*>("PreviewSizeBox");
    ASSERT_TRUE(box);
    ASSERT_EQ(box->count(), 14);
    EXPECT_EQ(box->itemText(6), "48 px");
    EXPECT_EQ(box->currentText(), "24 px");
    emit box->activated(6);
    box->lineEdit()->setText("72 px");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    box->lineEdit()->setText("301");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(sizes, (std::vector<int>{48, 72}));
    EXPECT_EQ(told, QStringList{"Invalid Size"});
    EXPECT_EQ(box->currentText(), "72 px") << "the box shows the size in use";
}

TEST(MainFrameTest, EveryCommandHasAnAccessibleNameAndAKeyOrAMnemonic) {
    CWindow window("names");
    for (QAction* action : window.frame.findChildren<QAction*>()) {
        if (action->isSeparator() || action->menu() != nullptr) {
            continue;
        }
        if (qobject_cast<QWidgetAction*>(action)) {
            continue;  // a tool bar's place for a widget
        }
        const QString text = action->text();
        EXPECT_FALSE(text.isEmpty()) << qPrintable(action->objectName());
    }
    for (QToolBar* bar : window.frame.findChildren<QToolBar*>()) {
        for (QAction* action : bar->actions()) {
            QWidget* button = bar->widgetForAction(action);
            if (action->isSeparator() || button == nullptr) {
                continue;
            }
            const QString name =
                QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name);
            EXPECT_FALSE(name.isEmpty()) << qPrintable(bar->objectName());
            EXPECT_FALSE(name.contains('&')) << qPrintable(name);
        }
    }
    // Every menu of the menu bar has a mnemonic, and so reaches its commands.
    QStringList menus;
    for (QAction* menu : window.frame.menuBar()->actions()) {
        menus.append(menu->text());
        EXPECT_TRUE(menu->text().contains('&')) << qPrintable(menu->text());
    }
    EXPECT_EQ(menus,
              (QStringList{"&File", "&Edit", "&View", "&Go", "F&avorites", "&Tools", "&Help"}));
    EXPECT_EQ(window.frame.Command("GoBack")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Left));
    EXPECT_EQ(window.frame.Command("GoForward")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Right));
    EXPECT_EQ(window.frame.Command("Refresh")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(window.frame.Command("InstalledFonts")->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_W));
    EXPECT_EQ(window.frame.Command("ManageFavorites")->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_Y));
}

TEST(MainFrameTest, KeysAndMouseButtonsGoBackAndForward) {
    CWindow window("keys");
    window.Visit("A");
    window.Visit("B");
    window.frame.show();
    QApplication::setActiveWindow(&window.frame);
    RunEvents(20);
    QWidget* inside = window.frame.ProjectView()->View()->viewport();
    QTest::keyClick(inside, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window.Current(), "A");
    QTest::keyClick(inside, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(window.Current(), "B");
    QTest::mouseClick(inside, Qt::BackButton);
    EXPECT_EQ(window.Current(), "A");
    QTest::mouseClick(inside, Qt::ForwardButton);
    EXPECT_EQ(window.Current(), "B");
    // F5 and Ctrl+W from anywhere in the window.
    int refreshes = 0;
    window.world.hub.ConnectRefreshRequested([&] { ++refreshes; });
    QTest::keyClick(inside, Qt::Key_F5);
    EXPECT_EQ(refreshes, 1);
    window.fired.clear();
    QTest::keyClick(inside, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(window.fired.size(), 1);
    window.frame.hide();
}

TEST(MainFrameTest, AStoredBarLayoutIsRestoredAndACorruptOneIgnored) {
    QByteArray layout;
    {
        CWindow window("layout-store");
        window.frame.show();
        window.frame.findChild<QToolBar*>("LocationBar")->toggleViewAction()->trigger();
        ASSERT_TRUE(window.frame.findChild<QToolBar*>("LocationBar")->isHidden());
        window.frame.Command("StatusBarShown")->trigger();
        window.frame.Command("LockToolbars")->trigger();
        layout = window.frame.SaveBarLayout();
        // Kept in the settings at closing.
        window.world.hub.FireApplicationClosing();
    }
    EXPECT_EQ(CProgramOptions::GetMainRebarLayout(), layout);
    {
        CWindow window("layout-restore");
        window.frame.ApplyPlacement();  // applies the stored layout
        EXPECT_TRUE(window.frame.findChild<QToolBar*>("LocationBar")->isHidden());
        EXPECT_FALSE(window.frame.findChild<QToolBar*>("MainToolbar")->isHidden());
        EXPECT_TRUE(window.frame.statusBar()->isHidden());
        EXPECT_FALSE(window.frame.findChild<QToolBar*>("MainToolbar")->isMovable());
        EXPECT_TRUE(window.frame.Command("LockToolbars")->isChecked());
    }
    // The window's own state, after our header of 14 bytes, with its mark broken.
    QByteArray wrongState = layout;
    wrongState[14] = char(wrongState[14] ^ 0x5a);
    QByteArray otherVersion = layout;
    otherVersion[7] = 9;
    for (const QByteArray& corrupt :
         {QByteArray("not a layout"), layout.left(layout.size() / 2), layout + "tail", wrongState,
          otherVersion, QByteArray(80, '\0')}) {
        CWindow window("layout-corrupt");
        EXPECT_FALSE(window.frame.RestoreBarLayout(corrupt));
        for (QToolBar* bar : window.frame.findChildren<QToolBar*>()) {
            EXPECT_FALSE(bar->isHidden()) << qPrintable(bar->objectName());
            EXPECT_TRUE(bar->isMovable() || bar->objectName() == "FontProjectToolBar");
        }
        EXPECT_FALSE(window.frame.statusBar()->isHidden());
    }
}

#include "MainFrameTest.moc"
