// Start-up of the application object in a temporary home (offscreen).

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <QSplashScreen>
#include <QSplitter>
#include <QTimer>
#include <climits>
#include <filesystem>

#include "app/QuillmarkApp.h"
#include "collections/DataFiles.h"
#include "collections/FavoriteFolders.h"
#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/TemporaryHome.h"
#include "ui/browse/FontListFrame.h"
#include "ui/browse/MainFrame.h"
#include "update/OnlineRelease.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
const QString kData = QStringLiteral(QUILLMARK_TEST_DATA);

QString Home(const QString& relative) {
    return QString::fromStdString(kHome.Root().string()) + QLatin1Char('/') + relative;
}

// What the start announced through the hub.
struct CAnnounced {
    std::vector<QString> folders;
    std::vector<QString> files;
    std::vector<QString> projects;
    std::vector<QString> expanded;
    std::vector<QString> fonts;
};

struct CStarted {
    std::unique_ptr<CQuillmarkApp> app;
    CAnnounced announced;
    CQuillmarkApp::StartResult result;
};

std::unique_ptr<CStarted> Start(QStringList arguments,
                                std::function<bool(const QString&)> ask = nullptr) {
    auto started = std::make_unique<CStarted>();
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    hooks.ask = ask ? ask : [](const QString&) {
        ADD_FAILURE() << "nothing should be asked";
        return false;
    };
    CAnnounced* announced = &started->announced;
    hooks.addPanes = [announced](CQuillmarkApp& app) {
        auto& hub = app.Hub();
        hub.ConnectFolderSelected([announced](const QString& folder, const QString* file) {
            announced->folders.push_back(folder);
            announced->files.push_back(file ? *file : QString());
        });
        hub.ConnectProjectSelected(
            [announced](const QString& name) { announced->projects.push_back(name); });
        hub.ConnectExpandFolderInTree(
            [announced](const QString& folder) { announced->expanded.push_back(folder); });
        hub.ConnectFontSelected([announced](const CFontItem* font) {
            announced->fonts.push_back(font ? QFile::decodeName(font->GetPath().c_str())
                                            : QString());
        });
    };
    arguments.prepend(QStringLiteral("quillmark"));
    started->app = std::make_unique<CQuillmarkApp>(arguments, hooks);
    started->result = started->app->InitInstance();
    return started;
}

void SaveOptions(const std::function<void(CProgramOptions&)>& change) {
    CProgramOptions options;
    options.Load();
    change(options);
    ASSERT_TRUE(options.Save());
}

}  // namespace

TEST(QuillmarkAppTest, FirstStartTakesTheMiddleThreeQuartersOfTheWorkArea) {
    EXPECT_EQ(CMainFrame::FirstPlacement(QRect(0, 0, 1600, 900)), QRect(200, 112, 1200, 676));
    EXPECT_EQ(CMainFrame::DefaultPaneSizes(QSize(1200, 676)), (CSplitterSizes{200, 338, 405}));
    EXPECT_EQ(CMainFrame::KeptInside(QRect(1500, -20, 300, 200), QRect(0, 0, 1600, 900)),
              QRect(1300, 0, 300, 200));
}

TEST(QuillmarkAppTest, StoredPlacementsThatCannotBeRightFitTheWorkArea) {
    const QRect work(0, 0, 1600, 900);
    const QRect first = CMainFrame::FirstPlacement(work);
    // Sizes that cannot be right give the first start's placement.
    for (const CPlacementRect& stored :
         {CPlacementRect{10, 10, -200, -300}, CPlacementRect{10, 10, 0, 500},
          CPlacementRect{10, 10, 500, -1}, CPlacementRect{-5, -5, -1, -1}}) {
        EXPECT_EQ(CMainFrame::PlacementOn(stored, work), first)
            << stored.left << "," << stored.top << " " << stored.width << "x" << stored.height;
    }
    // Too large: no larger than the work area, and inside it, also with
    // corners at the ends of the range.
    EXPECT_EQ(CMainFrame::PlacementOn({0, 0, 40000, 40000}, work), work);
    EXPECT_EQ(CMainFrame::PlacementOn({INT_MAX, INT_MIN, INT_MAX, 300}, work),
              QRect(0, 0, 1600, 300));
    EXPECT_EQ(CMainFrame::PlacementOn({1500, 850, 400, 200}, work), QRect(1200, 700, 400, 200));
    EXPECT_EQ(CMainFrame::PlacementOn({100, 120, 640, 480}, work), QRect(100, 120, 640, 480));
    EXPECT_EQ(CMainFrame::PlacementOn({100, 120, 640, 480}, QRect(1600, 0, 1280, 1024)),
              QRect(1600, 120, 640, 480));

    // Started with such values, the window fits the screen and that is what
    // is saved back.
    for (const CPlacementRect& stored :
         {CPlacementRect{0, 0, 40000, 40000}, CPlacementRect{0, 0, -40, -400}}) {
        SaveOptions([&](CProgramOptions& o) {
            o.SetWindowMetrics({stored, {}});
            o.SetMainWindowMaximized(ShowCommand::Normal);
        });
        const auto started = Start({});
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        // The desktop may add its frame around the stored inside.
        const auto fits = [&](const QRect& rect) {
            return rect.width() <= screen.width() && rect.height() <= screen.height() &&
                   screen.intersects(rect);
        };
        const QRect placed = started->app->MainFrame()->geometry();
        EXPECT_TRUE(fits(placed)) << placed.x() << "," << placed.y() << " " << placed.width() << "x"
                                  << placed.height();
        if (stored.width < 0) {
            EXPECT_EQ(placed.size(), CMainFrame::FirstPlacement(screen).size());
        }
        started->app->MainFrame()->close();
        started->app->ExitInstance();
        CProgramOptions saved;
        saved.Load();
        EXPECT_TRUE(fits(saved.GetWindowMetrics().placement.ToRect()));
    }
}

TEST(QuillmarkAppTest, AFontFileOnTheCommandLineOpensItsFolderAndAnnouncesTheFont) {
    QDir().mkpath(Home("fonts"));
    QFile::copy(kData + "/twin-a.ttf", Home("fonts/twin-a.ttf"));
    const auto started = Start({Home("fonts/twin-a.ttf")});
    ASSERT_EQ(started->result, CQuillmarkApp::StartResult::Started);
    EXPECT_EQ(started->announced.folders, std::vector<QString>{Home("fonts")});
    EXPECT_EQ(started->announced.files, std::vector<QString>{QString()});
    // The list announces no font once the folder is read, then the start
    // announces the file's.
    EXPECT_EQ(started->announced.fonts,
              (std::vector<QString>{QString(), Home("fonts/twin-a.ttf")}));
    EXPECT_TRUE(started->app->IsStarted());
    EXPECT_EQ(started->app->Document()->GetTitle(), "fonts");
    EXPECT_EQ(started->app->MainFrame()->windowTitle(), "fonts - Quillmark");
    // The folder is read while the event loop runs.
    QElapsedTimer waited;
    waited.start();
    while (started->app->MainFrame()->GetStatusText(1).isEmpty() && waited.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    // The start gave its own hold back; the list's row and the preview of
    // the lower pane keep the font.
    const CFontItem* current = started->app->Document()->GetCurrentFont();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->GetUseCount(), 2);
    EXPECT_EQ(started->app->MainFrame()->GetStatusText(1), "1 fonts displayed");
}

TEST(QuillmarkAppTest, AMissingCommandLinePathFallsBackToTheStartupOption) {
    QDir().mkpath(Home("default"));
    SaveOptions([](CProgramOptions& o) {
        o.SetStartupOption(StartupLocation::DefaultFolder);
        o.SetDefaultFolder(Home("default"));
    });
    const auto started = Start({Home("no/such/folder")});
    EXPECT_EQ(started->announced.folders, std::vector<QString>{Home("default")});
    EXPECT_EQ(started->announced.fonts, std::vector<QString>{QString()})
        << "no font, from the list";
}

TEST(QuillmarkAppTest, LastProjectThatIsGoneExpandsTheDefaultFolderAndChoosesNothing) {
    QDir().mkpath(Home("default"));
    SaveOptions([](CProgramOptions& o) {
        o.SetStartupOption(StartupLocation::LastLocation);
        o.SetUseFontProject(true);
        o.SetLastProject("Gone");
        o.SetDefaultFolder(Home("default"));
    });
    const auto started = Start({});
    EXPECT_EQ(started->announced.expanded, std::vector<QString>{Home("default")});
    EXPECT_TRUE(started->announced.folders.empty());
    EXPECT_TRUE(started->announced.projects.empty());
}

TEST(QuillmarkAppTest, LastProjectIsOpenedWhenItExists) {
    CFontProjects projects;
    projects.AddProject("Posters");
    ASSERT_TRUE(projects.Save(DataFilePath("fontprojects.xml", true)));
    SaveOptions([](CProgramOptions& o) {
        o.SetUseFontProject(true);
        o.SetLastProject("Posters");
    });
    const auto started = Start({});
    EXPECT_EQ(started->announced.projects, std::vector<QString>{"Posters"});
    EXPECT_EQ(started->app->MainFrame()->windowTitle(), "Posters - Quillmark");
}

TEST(QuillmarkAppTest, EarlierFavouritesAreImportedOnYesAndNotOnNo) {
    const QString ours = DataFilePath("favorites.xml", true);
    const QString earlier = EarlierEditionFilePath("favorites.xml");
    QDir().mkpath(QFileInfo(earlier).absolutePath());
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    write(ours, "<favorites><folder>/ours</folder></favorites>");
    write(earlier, "<favorites><folder>/theirs</folder></favorites>");
    QString asked;
    {
        const auto started = Start({}, [&](const QString& question) {
            asked = question;
            return false;
        });
        EXPECT_TRUE(
            asked.contains("Would you like to import your favorite folders from Quillmark Pro?"));
        EXPECT_TRUE(started->app->Favorites().Contains("/ours"));
        EXPECT_FALSE(QFileInfo::exists(earlier));
        EXPECT_TRUE(QFileInfo::exists(earlier + ".old"));
    }
    QFile::remove(earlier + ".old");
    write(ours, "<favorites><folder>/ours</folder></favorites>");
    write(earlier, "<favorites><folder>/theirs</folder></favorites>");
    const auto started = Start({}, [](const QString&) { return true; });
    EXPECT_TRUE(started->app->Favorites().Contains("/theirs"));
    EXPECT_FALSE(started->app->Favorites().Contains("/ours"));
    EXPECT_TRUE(QFileInfo::exists(earlier + ".old"));
}

TEST(QuillmarkAppTest, OnlyOurOwnWaitingUpdaterIsDeletedAtStart) {
    const auto makeFile = [](const QString& path) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("user data");
    };
    const auto startWith = [](const QString& updater) {
        SaveOptions([&](CProgramOptions& o) { o.SetUpdaterLocation(updater); });
        const auto started = Start({});
        EXPECT_TRUE(started->app->Options().GetUpdaterLocation().isEmpty());
    };

    const QString ourName =
        COnlineRelease::InstallerFileName(COnlineRelease::ThisProduct(), CPackageType::Deb);
    const QString ours = CQuillmarkApp::UpdaterFolder() + QLatin1Char('/') + ourName;
    makeFile(ours);
    startWith(ours);
    EXPECT_FALSE(QFileInfo::exists(ours));

    // Any other file the setting names is the user's: a file elsewhere, one
    // of our updater's name outside our folder, another name in our folder,
    // and a relative path.
    const QString elsewhere = Home("Documents/thesis.odt");
    const QString sameName = Home("Documents/") + ourName;
    const QString otherName = CQuillmarkApp::UpdaterFolder() + QStringLiteral("/notes.txt");
    const QString relative = ourName;
    for (const QString& path : {elsewhere, sameName, otherName}) {
        makeFile(path);
        startWith(path);
        EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    }
    makeFile(QDir::current().filePath(relative));
    startWith(relative);
    EXPECT_TRUE(QFileInfo::exists(QDir::current().filePath(relative)));
    QFile::remove(QDir::current().filePath(relative));
}

// Exit opens a completed download the user chose to install, and records
// it so that the next start deletes it; a path that is not our own
// download, or one of our name but of a kind never kept (a script, a
// launcher, a program of another platform), is never opened.
TEST(QuillmarkAppTest, ExitOpensOurPendingUpdaterAndRecordsIt) {
    const QString ours =
        CQuillmarkApp::UpdaterFolder() + QLatin1Char('/') +
        COnlineRelease::InstallerFileName(COnlineRelease::ThisProduct(), CPackageType::Deb);
    const QString theirs = Home("Documents/setup.run");
    const QString base = CQuillmarkApp::UpdaterFolder() + QLatin1Char('/') +
                         COnlineRelease::ProductName(COnlineRelease::ThisProduct()) + "_update";
    const QStringList neverKept{base + ".sh", base + ".desktop", base + ".exe", base + ".jar",
                                base};
    for (const QString& path : QStringList{ours, theirs} + neverKept) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("installer");
    }
    const auto run = [](const QString& pending) {
        QStringList opened;
        CQuillmarkApp::Hooks hooks;
        hooks.splash = false;
        hooks.open = [&opened](const QUrl& url) {
            opened << url.toLocalFile();
            return true;
        };
        CQuillmarkApp app(QStringList{QStringLiteral("quillmark")}, hooks);
        EXPECT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
        app.SetPendingUpdater(pending);
        app.MainFrame()->close();
        EXPECT_TRUE(app.ExitInstance());
        return opened;
    };

    EXPECT_EQ(run(QString()), QStringList());
    CProgramOptions saved;
    saved.Load();
    EXPECT_TRUE(saved.GetUpdaterLocation().isEmpty());

    EXPECT_EQ(run(theirs), QStringList());
    saved.Load();
    EXPECT_TRUE(saved.GetUpdaterLocation().isEmpty());
    for (const QString& path : neverKept) {
        EXPECT_EQ(run(path), QStringList()) << path.toStdString();
        saved.Load();
        EXPECT_TRUE(saved.GetUpdaterLocation().isEmpty()) << path.toStdString();
    }

    EXPECT_EQ(run(ours), QStringList{ours});
    saved.Load();
    EXPECT_EQ(saved.GetUpdaterLocation(), ours);
    // The next start deletes it.
    const auto started = Start({});
    EXPECT_FALSE(QFileInfo::exists(ours));
    EXPECT_TRUE(QFileInfo::exists(theirs));
}

// Tools > Options... (Ctrl+Alt+O) and Help > Check for Updates open their
// dialogs modally over the main window.
TEST(QuillmarkAppTest, OptionsAndUpdateCommandsOpenTheirDialogs) {
    const auto started = Start({});
    CMainFrame* frame = started->app->MainFrame();
    const auto action = [frame](const QString& text) -> QAction* {
        for (QAction* candidate : frame->findChildren<QAction*>()) {
            if (candidate->text() == text) {
                return candidate;
            }
        }
        return nullptr;
    };
    QAction* options = action("&Options...");
    QAction* update = action("C&heck for Updates");
    ASSERT_NE(options, nullptr);
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(options->shortcut(), QKeySequence("Ctrl+Alt+O"));
    for (auto [command, title] : {std::pair{options, "Quillmark Program Options"},
                                  std::pair{update, "Check for Updates"}}) {
        QString shown;
        QWidget* owner = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            shown = modal->windowTitle();
            owner = modal->parentWidget();
            qobject_cast<QDialog*>(modal)->reject();
        });
        command->trigger();
        EXPECT_EQ(shown, title);
        EXPECT_EQ(owner, frame);
    }
}

TEST(QuillmarkAppTest, ClosingStoresPlacementAndWritesEverything) {
    SaveOptions([](CProgramOptions& o) { o.SetStartupOption(StartupLocation::DefaultFolder); });
    const auto started = Start({});
    CMainFrame* frame = started->app->MainFrame();
    frame->move(40, 50);
    frame->resize(900, 600);
    started->app->Document()->SetProjectMode(true);
    frame->close();
    started->app->ExitInstance();

    CProgramOptions saved;
    saved.Load();
    EXPECT_TRUE(saved.GetUseFontProject());
    EXPECT_EQ(saved.GetWindowMetrics().placement.ToRect().size(), QSize(900, 600));
    EXPECT_EQ(saved.GetMainWindowMaximized(), ShowCommand::Normal);
    EXPECT_TRUE(QFileInfo::exists(DataFilePath("favorites.xml", false)));
    EXPECT_TRUE(QFileInfo::exists(DataFilePath("fontprojects.xml", false)));
}

TEST(QuillmarkAppTest, AWindowClosedWhileStartingIsNotWaitedFor) {
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    // As when the desktop ends the session while the first folder is read.
    hooks.addPanes = [](CQuillmarkApp& app) { app.MainFrame()->close(); };
    CQuillmarkApp app({"quillmark"}, hooks);
    ASSERT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
    EXPECT_TRUE(app.IsClosed()) << "main() must not enter the event loop";
}

TEST(QuillmarkAppTest, SplashShowsAndAKeyHidesIt) {
    CQuillmarkApp::Hooks hooks;
    hooks.splash = true;
    CQuillmarkApp app({"quillmark"}, hooks);
    ASSERT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
    QSplashScreen* splash = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<QSplashScreen*>(widget);
            found != nullptr && found->isVisible()) {
            splash = found;
        }
    }
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->grab().toImage().save(QDir::tempPath() + "/quillmark-splash.png"));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(app.MainFrame(), &press);
    EXPECT_FALSE(splash->isVisible());
}

TEST(QuillmarkAppTest, ASplashStillUpWhenTheProgramEndsGoesWithIt) {
    // As when SIGTERM comes before the splash's time is up: the event loop
    // never runs its closing timer.
    QPointer<QSplashScreen> splash;
    {
        CQuillmarkApp::Hooks hooks;
        hooks.splash = true;
        CQuillmarkApp app({"quillmark"}, hooks);
        ASSERT_EQ(app.InitInstance(), CQuillmarkApp::StartResult::Started);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<QSplashScreen*>(widget);
                found != nullptr && found->isVisible()) {
                splash = found;
            }
        }
        ASSERT_FALSE(splash.isNull());
    }
    EXPECT_TRUE(splash.isNull());
}

TEST(QuillmarkAppTest, APreviewSizeChangeIsStored) {
    SaveOptions([](CProgramOptions& o) { o.SetFontListCharSize(24); });
    const auto started = Start({});
    started->app->Hub().FireFontListPreviewSizeChanged(48);
    EXPECT_EQ(started->app->Options().GetFontListCharSize(), 48u);
}

namespace {

QList<int> SplitterSizes(CMainFrame* frame, const char* name) {
    auto* splitter = frame->findChild<QSplitter*>(name);
    return splitter != nullptr ? splitter->sizes() : QList<int>();
}

// Adds the three panes the application does not make yet.
void AddOtherPanes(CQuillmarkApp& app) {
    for (auto pane : {CMainFrame::Pane::FolderTree, CMainFrame::Pane::FontProjects,
                      CMainFrame::Pane::FontDetail}) {
        app.MainFrame()->SetPane(pane, new QWidget);
    }
}

std::unique_ptr<CQuillmarkApp> StartWithAllPanes() {
    CQuillmarkApp::Hooks hooks;
    hooks.splash = false;
    hooks.addPanes = AddOtherPanes;
    auto app = std::make_unique<CQuillmarkApp>(QStringList{"quillmark"}, hooks);
    EXPECT_EQ(app->InitInstance(), CQuillmarkApp::StartResult::Started);
    return app;
}

void Close(CQuillmarkApp& app) {
    app.MainFrame()->close();
    app.ExitInstance();
}

}  // namespace

TEST(QuillmarkAppTest, SplitterSizesAreAppliedToThePanesAndStoredBack) {
    // A first start: the sizes that belong to the window's size.
    SaveOptions([](CProgramOptions& o) {
        o.SetWindowMetrics({{50, 60, 700, 500}, {}});
        o.SetMainWindowMaximized(ShowCommand::Normal);
    });
    {
        const auto app = StartWithAllPanes();
        const CSplitterSizes defaults = CMainFrame::DefaultPaneSizes(QSize(700, 500));
        EXPECT_EQ(SplitterSizes(app->MainFrame(), "Columns").value(0), defaults.leftColumn);
        EXPECT_EQ(SplitterSizes(app->MainFrame(), "LeftColumn").value(0), defaults.folderTree);
        EXPECT_EQ(SplitterSizes(app->MainFrame(), "RightColumn").value(0), defaults.fontList);
        Close(*app);
    }
    // Stored sizes come back as they were left, also when the window starts
    // maximised.
    SaveOptions([](CProgramOptions& o) {
        o.SetWindowMetrics({{50, 60, 700, 500}, {260, 310, 280}});
        o.SetMainWindowMaximized(ShowCommand::Maximized);
    });
    {
        const auto app = StartWithAllPanes();
        EXPECT_TRUE(app->MainFrame()->isMaximized());
        EXPECT_EQ(SplitterSizes(app->MainFrame(), "Columns").value(0), 260);
        EXPECT_EQ(SplitterSizes(app->MainFrame(), "LeftColumn").value(0), 310);
        EXPECT_EQ(SplitterSizes(app->MainFrame(), "RightColumn").value(0), 280);
        Close(*app);
    }
    CProgramOptions saved;
    saved.Load();
    EXPECT_EQ(saved.GetWindowMetrics().splitters, (CSplitterSizes{260, 310, 280}));
}

TEST(QuillmarkAppTest, AWindowLeftMaximisedComesBackToTheSameRestoredRectangle) {
    const QRect restored(60, 50, 600, 400);  // inside the offscreen 800 × 600 screen
    SaveOptions([&](CProgramOptions& o) {
        o.SetWindowMetrics({CPlacementRect::FromRect(restored), {}});
        o.SetMainWindowMaximized(ShowCommand::Normal);
    });
    {
        // A run that ends maximised.
        const auto app = StartWithAllPanes();
        EXPECT_EQ(app->MainFrame()->geometry(), restored);
        app->MainFrame()->showMaximized();
        QApplication::processEvents();
        ASSERT_TRUE(app->MainFrame()->isMaximized());
        Close(*app);
    }
    std::vector<QRect> rects;
    for (int run = 0; run < 3; ++run) {
        const auto app = StartWithAllPanes();
        EXPECT_TRUE(app->MainFrame()->isMaximized());
        Close(*app);
        CProgramOptions saved;
        saved.Load();
        EXPECT_EQ(saved.GetMainWindowMaximized(), ShowCommand::Maximized);
        rects.push_back(saved.GetWindowMetrics().placement.ToRect());
    }
    EXPECT_EQ(rects, std::vector<QRect>(3, restored));
    // Restored, the window stands where it stood.
    SaveOptions([](CProgramOptions& o) { o.SetMainWindowMaximized(ShowCommand::Normal); });
    const auto app = StartWithAllPanes();
    EXPECT_EQ(app->MainFrame()->geometry(), restored);
    Close(*app);
}

TEST(QuillmarkAppTest, TheFontsFolderBannerFollowsTheFolderNotItsSpelling) {
    const auto started = Start({});
    const QString fonts = started->app->FontsFolder();
    ASSERT_TRUE(QDir().mkpath(fonts));
    QDir().mkpath(Home("elsewhere"));
    const QString link = Home("my-fonts");
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(fonts, link));
    auto* frame = static_cast<CFontListFrame*>(
        started->app->MainFrame()->GetPane(CMainFrame::Pane::FontList));
    CQuillmarkSignals& hub = started->app->Hub();

    hub.FireFolderSelected(link, nullptr);
    EXPECT_TRUE(frame->IsBannerShown()) << "a link to the fonts folder is the fonts folder";
    hub.FireFolderSelected(Home("elsewhere"), nullptr);
    EXPECT_FALSE(frame->IsBannerShown());
    hub.FireFolderSelected(Home("elsewhere/../my-fonts/"), nullptr);
    EXPECT_TRUE(frame->IsBannerShown());
    hub.FireFolderSelected(fonts + "-not", nullptr);
    EXPECT_FALSE(frame->IsBannerShown());
}
