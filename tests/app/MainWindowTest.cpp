// What a user meets first in the main window, driven through the real
// window: a first start, a folder whose fonts lie in subfolders, the
// failures that must be told, a second start with a font file, and the
// folder tree walked with the keys.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/QuillmarkApp.h"
#include "collections/HistoryList.h"
#include "core/Key.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FolderLoad.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/WaitUntil.h"
#include "ui/browse/FolderTreeController.h"
#include "ui/browse/FolderTreeModel.h"
#include "ui/browse/FontListController.h"
#include "ui/browse/FontListFrame.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/LocationCombo.h"
#include "ui/browse/MainFrame.h"
#include "ui/common/FolderWatcher.h"
#include "ui/inspect/FontDetailFrame.h"
#include "ui/inspect/FontMapView.h"
#include "ui/inspect/RichTextPreviewView.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();
const QString kData = QStringLiteral(QUILLMARK_TEST_DATA);

QString Home(const QString& relative) {
    return QString::fromStdString(kHome.Root().string()) + QLatin1Char('/') + relative;
}

using QuillmarkTest::WaitUntil;

// A folder made afresh, with fonts of the test data copied in:
// {relative path in the folder, test font}.
QString MakeFolder(const QString& relative,
                   const std::vector<std::pair<QString, QString>>& fonts = {}) {
    const QString folder = Home(relative);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const auto& [path, font] : fonts) {
        QDir().mkpath(QFileInfo(folder + '/' + path).absolutePath());
        EXPECT_TRUE(QFile::copy(kData + '/' + font, folder + '/' + path)) << path.toStdString();
    }
    return folder;
}

void SaveOptions(const std::function<void(CProgramOptions&)>& change) {
    CProgramOptions options;
    options.Load();
    change(options);
    ASSERT_TRUE(options.Save());
}

// The program as main() starts it, without the splash, on `arguments`.
struct CRunning {
    explicit CRunning(QStringList arguments) {
        CQuillmarkApp::Hooks hooks;
        hooks.splash = false;
        hooks.ask = [](const QString& question) {
            ADD_FAILURE() << "asked: " << question.toStdString();
            return false;
        };
        arguments.prepend(QStringLiteral("quillmark"));
        app = std::make_unique<CQuillmarkApp>(arguments, hooks);
        started = app->InitInstance() == CQuillmarkApp::StartResult::Started;
        if (started) {
            QApplication::setActiveWindow(Frame());
            WaitLoaded();
        }
    }
    ~CRunning() {
        if (started) {
            Frame()->close();
            app->ExitInstance();
        }
    }
    CMainFrame* Frame() const { return app->MainFrame(); }
    CFontListController* List() const { return Frame()->findChild<CFontListController*>(); }
    CFontListFrame* ListFrame() const {
        return qobject_cast<CFontListFrame*>(Frame()->GetPane(CMainFrame::Pane::FontList));
    }
    CFolderTreeController* Tree() const { return Frame()->findChild<CFolderTreeController*>(); }
    bool WaitLoaded() const {
        return WaitUntil([this] { return !List()->IsLoading() && !List()->IsSynchronising(); });
    }
    QStringList FileNames() const {
        QStringList names;
        const CFontListModel& model = List()->Model();
        for (int row = 0; row < model.rowCount(); ++row) {
            names.append(model.index(row, CFontListModel::FileColumn).data().toString());
        }
        names.sort();
        return names;
    }
    QString Folder() const { return app->Document()->GetFolderPath(); }
    // The message box the window shows now with this name, or null.
    QMessageBox* Message(const char* name) const {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget);
                box != nullptr && box->objectName() == QLatin1String(name) && box->isVisible()) {
                return box;
            }
        }
        return nullptr;
    }

    std::unique_ptr<CQuillmarkApp> app;
    bool started = false;
};

}  // namespace

TEST(MainWindowTest, AFirstStartShowsTheSystemsFontsWithTheirSubfolders) {
    // The desktop's own font folder, its fonts in subfolders as Debian's.
    const QString share =
        MakeFolder("system-share", {{"fonts/truetype/twin/twin-a.ttf", "twin-a.ttf"},
                                    {"fonts/opentype/more/twin-b.ttf", "twin-b.ttf"}});
    qputenv("XDG_DATA_DIRS", (Home("empty-share") + ':' + share).toUtf8());
    QDir().mkpath(Home("empty-share/fonts"));  // there, without fonts: passed over
    QFile::remove(CKey::FileName());           // nothing saved: a first start
    {
        CRunning running({});
        ASSERT_TRUE(running.started);
        EXPECT_EQ(running.Folder(), share + "/fonts");
        EXPECT_TRUE(running.Frame()->Command("IncludeSubfolders")->isChecked());
        EXPECT_EQ(running.FileNames(),
                  (QStringList{"opentype/more/twin-b.ttf", "truetype/twin/twin-a.ttf"}));
        EXPECT_EQ(running.Frame()->GetStatusText(1), "2 fonts displayed");
    }
    qunsetenv("XDG_DATA_DIRS");
    // Kept: the next start is no first start, and shows the same.
    CProgramOptions options;
    ASSERT_TRUE(options.Load());
    EXPECT_TRUE(options.GetIncludeSubfolders());
    EXPECT_EQ(options.GetLastFolder(), share + "/fonts");
}

TEST(MainWindowTest, AFolderWhoseFontsLieInSubfoldersSaysSoAndIncludesThemOnAClick) {
    SaveOptions([](CProgramOptions& o) { o.SetIncludeSubfolders(false); });
    const QString folder =
        MakeFolder("newcomer/fonts", {{"dejavu/twin-a.ttf", "twin-a.ttf"},
                                      {"dejavu/bold/twin-bold.ttf", "twin-bold.ttf"},
                                      {"liberation/twin-b.ttf", "twin-b.ttf"}});
    CRunning running({folder});
    ASSERT_TRUE(running.started);
    running.Frame()->resize(900, 600);
    QTest::qWait(50);
    ASSERT_EQ(running.List()->Model().rowCount(), 0);
    QWidget* notice = running.ListFrame()->EmptyNotice();
    ASSERT_NE(notice, nullptr) << "an empty list with no word of the subfolders";
    EXPECT_TRUE(notice->findChild<QLabel*>("EmptyListText")->text().contains("subfolders"));
    auto* include = notice->findChild<QPushButton*>("IncludeSubfoldersButton");
    ASSERT_NE(include, nullptr);
    ASSERT_TRUE(include->isVisible());
    EXPECT_EQ(include->accessibleName(), "Include Subfolders");
    const QString picture = QDir::temp().filePath("quillmark-subfolders-notice.png");
    ASSERT_TRUE(running.Frame()->grab().save(picture));
    std::cout << "picture: " << picture.toStdString() << "\n";

    QTest::mouseClick(include, Qt::LeftButton);
    EXPECT_TRUE(running.Frame()->Command("IncludeSubfolders")->isChecked());
    EXPECT_TRUE(running.app->Options().GetIncludeSubfolders());
    ASSERT_TRUE(running.WaitLoaded());
    EXPECT_EQ(running.FileNames(), (QStringList{"dejavu/bold/twin-bold.ttf", "dejavu/twin-a.ttf",
                                                "liberation/twin-b.ttf"}));
    EXPECT_EQ(running.ListFrame()->EmptyNotice(), nullptr);
    EXPECT_EQ(running.Folder(), folder) << "the same folder, read with its subfolders";

    // The watcher follows the subfolders: a file added in one, and a
    // subfolder made later.
    ASSERT_TRUE(QFile::copy(kData + "/twin-a.ttf", folder + "/liberation/added.ttf"));
    ASSERT_TRUE(WaitUntil([&] { return running.FileNames().contains("liberation/added.ttf"); }));
    auto* watcher = running.List()->findChild<CFolderWatcher*>();
    ASSERT_NE(watcher, nullptr);
    ASSERT_TRUE(QDir().mkpath(folder + "/later"));
    ASSERT_TRUE(WaitUntil([&] { return watcher->WatchedFolders().contains(folder + "/later"); }));
    ASSERT_TRUE(running.WaitLoaded());
    ASSERT_TRUE(QFile::copy(kData + "/twin-b.ttf", folder + "/later/late.ttf"));
    ASSERT_TRUE(WaitUntil([&] { return running.FileNames().contains("later/late.ttf"); }))
        << running.FileNames().join(", ").toStdString();

    // Off again from the View menu: the folder's own fonts, none.
    running.Frame()->Command("IncludeSubfolders")->trigger();
    ASSERT_TRUE(running.WaitLoaded());
    EXPECT_EQ(running.List()->Model().rowCount(), 0);
    EXPECT_NE(running.ListFrame()->EmptyNotice(), nullptr);
    EXPECT_FALSE(running.app->Options().GetIncludeSubfolders());
}

TEST(MainWindowTest, ALocationTypedThatDoesNotExistIsToldAndStaysInTheBar) {
    SaveOptions([](CProgramOptions& o) { o.SetIncludeSubfolders(false); });
    const QString folder = MakeFolder("newcomer/typed", {{"twin-a.ttf", "twin-a.ttf"}});
    CRunning running({folder});
    ASSERT_TRUE(running.started);
    CLocationCombo* bar = running.Frame()->LocationBar();
    QLineEdit* edit = bar->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, Home("newcomer/no such folder"));
    QTest::keyClick(edit, Qt::Key_Return);
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = running.Message("LocationMessage")) != nullptr; }))
        << "nothing said";
    EXPECT_TRUE(box->text().contains("does not exist")) << box->text().toStdString();
    EXPECT_TRUE(box->text().contains("no such folder"));
    EXPECT_EQ(bar->currentText(), Home("newcomer/no such folder"));
    EXPECT_EQ(running.Folder(), folder);
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return running.Message("LocationMessage") == nullptr; }));
    EXPECT_EQ(bar->currentText(), Home("newcomer/no such folder")) << "kept to be put right";

    // Neither folder nor project.
    edit->selectAll();
    QTest::keyClicks(edit, "Posters");
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return (box = running.Message("LocationMessage")) != nullptr; }));
    EXPECT_TRUE(box->text().contains("neither a folder nor a font project"));
    box->accept();
}

TEST(MainWindowTest, AFolderThatCannotBeReadSaysSoAndNotThatItHoldsNoFonts) {
    SaveOptions([](CProgramOptions& o) { o.SetIncludeSubfolders(false); });
    const QString folder = MakeFolder("newcomer/readable", {{"twin-a.ttf", "twin-a.ttf"}});
    CRunning running({folder});
    ASSERT_TRUE(running.started);

    // A favourite or a remembered location whose folder has gone.
    running.app->Hub().FireFolderSelected(Home("newcomer/gone"), nullptr);
    ASSERT_TRUE(running.WaitLoaded());
    EXPECT_EQ(running.Frame()->GetStatusText(0),
              "“" + Home("newcomer/gone") + "” cannot be read: No such file or directory");
    QWidget* notice = running.ListFrame()->EmptyNotice();
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->findChild<QLabel*>("EmptyListText")->text().contains("cannot be read"));
    EXPECT_FALSE(notice->findChild<QPushButton*>("IncludeSubfoldersButton")->isVisible());

    // No permission. Root reads every folder: the listing's failure is
    // made where the list asks for it.
    const QString locked = MakeFolder("newcomer/locked", {{"inside.ttf", "twin-b.ttf"}});
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (::geteuid() == 0) {
        running.List()->SetLister([locked](const std::filesystem::path& path, bool subfolders) {
            if (PathText(path) == locked) {
                return CFolderLoad::Listing{{}, EACCES};
            }
            return CFolderLoad::List(path, subfolders);
        });
    }
    running.app->Hub().FireFolderSelected(locked, nullptr);
    ASSERT_TRUE(running.WaitLoaded());
    QFile::setPermissions(locked,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(running.Frame()->GetStatusText(0),
              "“" + locked + "” cannot be read: Permission denied");
    EXPECT_EQ(running.Frame()->GetStatusText(1), "0 fonts displayed");
    EXPECT_NE(running.ListFrame()->EmptyNotice(), nullptr);
    EXPECT_NE(running.app->Options().GetLastFolder(), locked)
        << "the next start does not open a folder it cannot read";
}

TEST(MainWindowTest, AShownFolderRemovedIsToldBeforeTheListMovesToItsParent) {
    SaveOptions([](CProgramOptions& o) { o.SetIncludeSubfolders(false); });
    // Folders beside it, which the tree's selection would fall on.
    const QString parent = MakeFolder("newcomer/removed", {{"aaa/twin-b.ttf", "twin-b.ttf"},
                                                           {"inner/twin-a.ttf", "twin-a.ttf"},
                                                           {"zzz/twin-b.ttf", "twin-b.ttf"}});
    CRunning running({parent + "/inner"});
    ASSERT_TRUE(running.started);
    ASSERT_EQ(running.List()->Model().rowCount(), 1);
    QStringList selected;
    bool toldFirst = false;
    running.app->Hub().ConnectFolderSelected([&](const QString& path, const QString*) {
        selected << path;
        if (path == parent) {
            toldFirst = running.Message("ListMessage") != nullptr;
        }
    });
    ASSERT_TRUE(QDir(parent + "/inner").removeRecursively());
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = running.Message("ListMessage")) != nullptr; }))
        << "the folder went without a word; the list went to " << selected.join(' ').toStdString();
    EXPECT_TRUE(box->text().contains(parent + "/inner")) << box->text().toStdString();
    EXPECT_TRUE(box->text().contains("was removed"));
    ASSERT_TRUE(WaitUntil([&] { return running.Folder() == parent; }));
    EXPECT_TRUE(toldFirst) << "the list moved before the user was told";
    EXPECT_EQ(selected, QStringList{parent}) << "never to a folder beside it";
    EXPECT_EQ(running.Tree()->Model().PathOf(running.Tree()->View()->currentIndex()), parent);
    box->accept();

    // Deleted by the user in the tree: the location moves up, untold.
    running.app->Hub().FireFolderSelected(parent + "/zzz", nullptr);
    ASSERT_TRUE(running.WaitLoaded());
    CFolderTreeController::Hooks yes;
    yes.ask = [](const QString&) { return true; };
    running.Tree()->SetHooks(yes);
    running.Tree()->Run(CFolderTreeView::Command::Delete,
                        running.Tree()->ExpandTo(parent + "/zzz"));
    ASSERT_TRUE(WaitUntil([&] { return running.Folder() == parent; }));
    QTest::qWait(1500);  // the watcher has heard it go
    EXPECT_EQ(running.Message("ListMessage"), nullptr);
    EXPECT_EQ(running.Folder(), parent);
    EXPECT_EQ(running.Tree()->Model().PathOf(running.Tree()->View()->currentIndex()), parent);
}

TEST(MainWindowTest, AFolderWhoseNameIsNotUtf8FollowsItsFilesAndIsNeverTakenForGone) {
    SaveOptions([](CProgramOptions& o) { o.SetIncludeSubfolders(false); });
    // "déjà" in Latin-1, which Qt cannot name.
    const std::filesystem::path folder = kHome.Root() / "newcomer" / std::string("d\xe9j\xe0");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(FilePath(kData + "/twin-a.ttf"),
                               folder / std::string("caf\xe9.ttf"));
    std::filesystem::copy_file(FilePath(kData + "/arrows.ttf"), folder / "arrows.ttf");
    CRunning running({PathText(folder)});
    ASSERT_TRUE(running.started);
    ASSERT_EQ(running.List()->Model().rowCount(), 2);

    std::filesystem::remove(folder / std::string("caf\xe9.ttf"));
    ASSERT_TRUE(WaitUntil([&] { return running.List()->Model().rowCount() == 1; }))
        << "the file that went is still listed";
    QTest::qWait(500);
    EXPECT_EQ(running.Message("ListMessage"), nullptr) << "the folder was taken for gone";
    EXPECT_EQ(FilePath(running.Folder()).native(), folder.native());
}

TEST(MainWindowTest, TheNextStartOpensTheLastFolderEvenIfItsNameIsNotUtf8) {
    const std::filesystem::path folder = kHome.Root() / "newcomer" / std::string("l\xe0st");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(FilePath(kData + "/twin-a.ttf"), folder / "twin-a.ttf");
    SaveOptions([&](CProgramOptions& o) {
        o.SetIncludeSubfolders(false);
        o.SetUseFontProject(false);
        o.SetStartupOption(StartupLocation::LastLocation);
        o.SetLastFolder(PathText(folder));
    });
    CRunning running({});
    ASSERT_TRUE(running.started);
    ASSERT_TRUE(running.WaitLoaded());
    EXPECT_EQ(FilePath(running.Folder()).native(), folder.native());
    EXPECT_EQ(running.FileNames(), QStringList{"twin-a.ttf"});
}

TEST(MainWindowTest, ASecondStartWithAFontFileShowsItInTheRunningWindowInFront) {
    SaveOptions([](CProgramOptions& o) { o.SetIncludeSubfolders(false); });
    const QString first = MakeFolder("newcomer/first", {{"twin-a.ttf", "twin-a.ttf"}});
    const QString other = MakeFolder(
        "newcomer/other", {{"twin-a.ttf", "twin-a.ttf"}, {"twin-bold.ttf", "twin-bold.ttf"}});
    CRunning running({first});
    ASSERT_TRUE(running.started);
    running.Frame()->showMinimized();
    QTest::qWait(20);

    // The file manager's "open with": the program started again on a file.
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(environment);
    second.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    second.start(QStringLiteral(QUILLMARK_EXE), {other + "/twin-bold.ttf"});
    ASSERT_TRUE(second.waitForStarted());
    ASSERT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << "the second copy ran on";

    ASSERT_TRUE(WaitUntil([&] { return running.Folder() == other; }))
        << "the running window still shows " << running.Folder().toStdString();
    ASSERT_TRUE(running.WaitLoaded());
    CFontListView* view = running.List()->View();
    ASSERT_TRUE(WaitUntil([&] {
        return view->currentIndex().data(CFontListModel::PathRole).toString() ==
               other + "/twin-bold.ttf";
    })) << "the file is not selected";
    EXPECT_FALSE(running.Frame()->isMinimized()) << "the window was not brought forward";
}

TEST(MainWindowTest, WalkingTheTreeWithTheArrowKeysRecordsOnlyTheFolderThatStays) {
    SaveOptions([](CProgramOptions& o) { o.SetIncludeSubfolders(false); });
    const QString walk = MakeFolder("newcomer/walk");
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        QDir().mkpath(walk + '/' + name);
    }
    CRunning running({walk + "/a"});
    ASSERT_TRUE(running.started);
    running.Frame()->resize(1000, 700);
    CMainFrame* frame = running.Frame();
    const std::size_t before = frame->History().Count();
    const int barItems = frame->LocationBar()->count();
    QWidget* tree = running.Tree()->View();
    tree->setFocus();
    QTest::qWait(20);
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(tree, Qt::Key_Down);
        QTest::qWait(60);
    }
    ASSERT_TRUE(WaitUntil([&] { return running.Folder() == walk + "/e"; }));
    QTest::qWait(CFolderTreeController::kKeyboardSettleMilliseconds + 200);
    ASSERT_TRUE(running.WaitLoaded());
    EXPECT_EQ(frame->History().Count(), before + 1) << "the folders passed were recorded";
    EXPECT_EQ(frame->History().Current()->name, walk + "/e");
    EXPECT_EQ(frame->LocationBar()->count(), barItems + 1);
    for (const char* passed : {"b", "c", "d"}) {
        EXPECT_EQ(frame->LocationBar()->findText(walk + '/' + passed), -1) << passed;
    }
    frame->Command("GoBack")->trigger();
    EXPECT_EQ(running.Folder(), walk + "/a") << "Back goes to where the walk began";
}

// A font written over in place while the window shows it: the row, the
// preview and the font map all show the new design within a second.
TEST(MainWindowTest, AFontWrittenOverInPlaceShowsItsNewDesignInEveryPane) {
    SaveOptions([](CProgramOptions& o) { o.SetIncludeSubfolders(false); });
    const QString folder =
        MakeFolder("newcomer/replaced", {{"x.ttf", "twin-a.ttf"}, {"y.ttf", "arrows.ttf"}});
    CRunning running({folder});
    ASSERT_TRUE(running.started);
    running.Frame()->resize(900, 700);
    running.List()->View()->SelectFile("x.ttf");
    ASSERT_NE(running.app->Document()->GetCurrentFont(), nullptr);
    ASSERT_EQ(running.app->Document()->GetCurrentFont()->GetName(), u"Quillmark Twin");
    auto* detail =
        qobject_cast<CFontDetailFrame*>(running.Frame()->GetPane(CMainFrame::Pane::FontDetail));
    ASSERT_NE(detail, nullptr);
    const auto pictures = [&] {
        QTest::qWait(50);
        detail->SetMode(DetailMode::Preview);
        QTest::qWait(20);
        const QImage preview = detail->Preview()->grab().toImage();
        detail->SetMode(DetailMode::FontMap);
        QTest::qWait(20);
        const QImage map = detail->FontMap()->viewport()->grab().toImage();
        return std::pair{preview, map};
    };
    const auto [previewBefore, mapBefore] = pictures();
    detail->SetMode(DetailMode::Preview);

    QElapsedTimer elapsed;
    elapsed.start();
    {
        QFile file(folder + "/x.ttf");
        QFile bold(kData + "/twin-bold.ttf");
        ASSERT_TRUE(bold.open(QIODevice::ReadOnly));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bold.readAll());
    }
    const auto rowName = [&] {
        const int row = running.List()->Model().RowOfFileName("x.ttf");
        return row < 0 ? QString() : running.List()->Model().index(row, 0).data().toString();
    };
    ASSERT_TRUE(WaitUntil([&] { return rowName() == "Quillmark Twin Bold"; }, 3000))
        << "row shows " << rowName().toStdString();
    EXPECT_LT(elapsed.elapsed(), 1000) << "read again within a second";
    ASSERT_TRUE(running.WaitLoaded());
    const CFontItem* now = running.app->Document()->GetCurrentFont();
    ASSERT_NE(now, nullptr) << "the panes were left without a font";
    EXPECT_EQ(now->GetName(), u"Quillmark Twin Bold");

    const auto [previewAfter, mapAfter] = pictures();
    previewBefore.save(QDir::temp().filePath("quillmark-replaced-preview-before.png"));
    previewAfter.save(QDir::temp().filePath("quillmark-replaced-preview-after.png"));
    mapAfter.save(QDir::temp().filePath("quillmark-replaced-map-after.png"));
    EXPECT_NE(previewAfter, previewBefore) << "the preview still draws the old design";
    EXPECT_NE(mapAfter, mapBefore) << "the map still draws the old design";
}
