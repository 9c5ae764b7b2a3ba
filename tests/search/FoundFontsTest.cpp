// A font found by a search is used as one of the main list: in the running
// program, a name search's result opens with Enter, has the row menu of a
// search list, goes to its folder in the main window, is dragged out as
// files, is added to a project and deleted to the Trash, leaving both lists.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QDrag>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <functional>
#include <memory>

#include "app/QuillmarkApp.h"
#include "collections/FontProjects.h"
#include "core/FileListBlock.h"
#include "core/PathText.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "tests/search/SearchFonts.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/WaitUntil.h"
#include "ui/browse/FontListModel.h"
#include "ui/browse/FontListView.h"
#include "ui/browse/FontProjectFrame.h"
#include "ui/browse/FontProjectModel.h"
#include "ui/browse/MainFrame.h"
#include "ui/common/FontRows.h"
#include "ui/common/FontRowsView.h"
#include "ui/search/FindFrame.h"
#include "ui/search/SearchWindows.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

const auto& kHome = TemporaryHome();

// Runs `act` on the widget `find` gives as soon as it is there (a menu or
// a dialog that a click or a key is about to open and wait on).
void WhenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, find, act] {
        if (QWidget* widget = find(); widget != nullptr && widget->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(widget);
        }
    });
    timer->start();
}

QWidget* OpenMenu() {
    return QApplication::activePopupWidget();
}

QWidget* ModalDialog() {
    return QApplication::activeModalWidget();
}

QStringList Texts(const QMenu& menu) {
    QStringList texts;
    for (QAction* action : menu.actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

// Chooses the menu's entry of this text with the keyboard.
void Choose(QWidget* popup, const QString& text) {
    auto* menu = qobject_cast<QMenu*>(popup);
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return;
        }
    }
    ADD_FAILURE() << "no entry " << text.toStdString() << " in "
                  << Texts(*menu).join('|').toStdString();
    menu->close();
}

// A right click on the row, with the context menu event that the window
// system makes of it.
void RightClick(QAbstractItemView& view, int row) {
    const QPoint at = view.visualRect(view.model()->index(row, 0)).center();
    QWidget* viewport = view.viewport();
    QTest::mousePress(viewport, Qt::RightButton, {}, at);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &menu);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
}

// The program at `folder`, holding Alpha Sans and Beta Serif, the font
// lists' opening and dragging watched.
struct CProgram {
    fs::path folder;
    QStringList opened;
    std::vector<std::unique_ptr<QMimeData>> dragged;
    std::unique_ptr<CQuillmarkApp> app;

    explicit CProgram(const char* name) : folder(kHome.Root() / name) {
        WriteSearchFont(folder / "alpha.ttf", {.fullName = u"Alpha Sans"});
        WriteSearchFont(folder / "beta.ttf", {.fullName = u"Beta Serif"});
        CQuillmarkApp::Hooks hooks;
        hooks.splash = false;
        hooks.open = [this](const QUrl& url) {
            opened << url.toLocalFile();
            return true;
        };
        hooks.fontLists.runDrag = [this](QDrag& drag, Qt::DropActions) {
            auto copy = std::make_unique<QMimeData>();
            for (const QString& format : drag.mimeData()->formats()) {
                copy->setData(format, drag.mimeData()->data(format));
            }
            dragged.push_back(std::move(copy));
            return Qt::CopyAction;
        };
        app = std::make_unique<CQuillmarkApp>(QStringList{"quillmark", PathText(folder)}, hooks);
        EXPECT_EQ(app->InitInstance(), CQuillmarkApp::StartResult::Started);
        EXPECT_TRUE(WaitUntil([&] { return List().Model().rowCount() == 2; }));
    }
    ~CProgram() { app->ExitInstance(); }

    CMainFrame& Frame() { return *app->MainFrame(); }
    CFontListView& List() { return *Frame().findChild<CFontListView*>(); }
    QString Path(const char* file) const { return PathText(folder / file); }

    // Find by name from the main window (Ctrl+F), the text typed, Enter.
    CFindFrame* SearchFor(const QString& text) {
        Frame().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        QTest::keyClick(&Frame(), Qt::Key_F, Qt::ControlModifier);
        CFindFrame* window = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* frame = qobject_cast<CFindFrame*>(widget); frame && frame->isVisible())
                window = frame;
        }
        if (window == nullptr) {
            ADD_FAILURE() << "no search window";
            return nullptr;
        }
        auto* field = window->findChild<QLineEdit*>();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_TRUE(WaitUntil([&] {
            return window->Status()->Text().startsWith("Search complete");
        })) << window->Status()->Text().toStdString();
        return window;
    }
};

}  // namespace

TEST(FoundFontsTest, AResultOpensHasTheSearchMenuAndGoesToItsFolder) {
    CProgram program("Found Fonts");
    CFindFrame* window = program.SearchFor("Beta");
    ASSERT_NE(window, nullptr);
    CFontRowsView& results = *window->Results();
    ASSERT_EQ(results.Rows().rowCount(), 1);

    // Enter opens the result.
    const QRect row = results.visualRect(results.Rows().index(0, 0));
    QTest::mouseClick(results.viewport(), Qt::LeftButton, {}, row.center());
    QTest::keyClick(&results, Qt::Key_Return);
    EXPECT_EQ(program.opened, QStringList{program.Path("beta.ttf")});
    EXPECT_EQ(results.Rows().rowCount(), 1) << "Enter does not start a new search";
    // A double-click too.
    QTest::mouseDClick(results.viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(program.opened.size(), 2);

    // The main window shows another folder meanwhile.
    const QString elsewhere = PathText(kHome.Root() / "Elsewhere");
    QDir().mkpath(elsewhere);
    program.app->Hub().FireFolderSelected(elsewhere, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return program.List().Model().rowCount() == 0; }));

    // The row menu of a search list: every command, "Go to containing
    // folder" just above Delete.
    QStringList menu;
    WhenShown(OpenMenu, [&](QWidget* popup) {
        menu = Texts(*qobject_cast<QMenu*>(popup));
        Choose(popup, "Go to containing folder");
    });
    RightClick(results, 0);
    EXPECT_EQ(menu, (QStringList{"Open", "Open in File Manager", "Find similar fonts...", "-",
                                 "&Install", "Add to &Project...", "Go to containing folder",
                                 "Delete\tDel", "-", "Font information", "Properties"}));
    // The main window shows the font's folder with the font selected.
    ASSERT_TRUE(WaitUntil([&] { return program.List().Model().rowCount() == 2; }));
    EXPECT_EQ(program.app->Document()->GetFolderPath(), PathText(program.folder));
    const QModelIndexList selected = program.List().selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].data(FontList::PathRole).toString(), program.Path("beta.ttf"));
    EXPECT_EQ(program.app->Document()->GetCurrentFont(), results.Rows().ItemAt(0))
        << "the lower pane shows it";
}

TEST(FoundFontsTest, AResultIsDraggedOutAsFiles) {
    CProgram program("Dragged Fonts");
    CFindFrame* window = program.SearchFor("Alpha");
    ASSERT_NE(window, nullptr);
    CFontRowsView& results = *window->Results();
    ASSERT_EQ(results.Rows().rowCount(), 1);

    // Dragged with the mouse: the files, and the file list block.
    QWidget* viewport = results.viewport();
    const QPoint from = results.visualRect(results.Rows().index(0, 0)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, from);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step) {
        QTest::mouseMove(viewport, from + QPoint(12 * step, 12 * step));
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(48, 48));
    ASSERT_EQ(program.dragged.size(), 1u);
    const QMimeData& data = *program.dragged[0];
    EXPECT_EQ(data.urls(), QList<QUrl>{QUrl::fromLocalFile(program.Path("alpha.ttf"))});
    const auto block = DecodeFileListBlock(data.data(kFontProjectDataMimeType));
    ASSERT_TRUE(block.has_value()) << "the file list block";
    EXPECT_EQ(*block, QStringList{program.Path("alpha.ttf")});
}

TEST(FoundFontsTest, DeletingAResultTrashesItAndItLeavesBothLists) {
    CProgram program("Deleted Fonts");
    CFindFrame* window = program.SearchFor("Beta");
    ASSERT_NE(window, nullptr);
    CFontRowsView& results = *window->Results();
    ASSERT_EQ(results.Rows().rowCount(), 1);
    QTest::mouseClick(results.viewport(), Qt::LeftButton, {},
                      results.visualRect(results.Rows().index(0, 0)).center());

    QString question;
    WhenShown(ModalDialog, [&](QWidget* dialog) {
        question = dialog->objectName();
        QTest::mouseClick(dialog->findChild<QPushButton*>("Yes"), Qt::LeftButton);
    });
    QTest::keyClick(&results, Qt::Key_Delete);
    EXPECT_EQ(question, "ConfirmDeleteDialog");
    EXPECT_FALSE(QFile::exists(program.Path("beta.ttf")));
    EXPECT_TRUE(QFile::exists(PathText(kHome.Root() / ".local/share/Trash/files/beta.ttf")))
        << "in the Trash";
    EXPECT_EQ(results.Rows().rowCount(), 0);
    ASSERT_EQ(program.List().Model().rowCount(), 1) << "the main list let it go too";
    EXPECT_EQ(program.List().Model().index(0, 0).data(FontList::PathRole).toString(),
              program.Path("alpha.ttf"));
}

// "Add to Project..." asks for the project with the chooser and adds every
// selected row: two rows of the main list, then a search result.
TEST(FoundFontsTest, MainRowsAndAResultAreAddedToTheProjectChosen) {
    CProgram program("Project Fonts");
    CFontProjects& projects = program.app->Projects();
    projects.AddProject("Posters");
    projects.AddProject("Proofs");

    // Chooses `project` in the chooser that the menu's command opens.
    const auto addWithMenu = [](QAbstractItemView& view, int row, const QString& project) {
        QString dialogName;
        WhenShown(OpenMenu, [&](QWidget* popup) {
            WhenShown(ModalDialog, [&](QWidget* dialog) {
                dialogName = dialog->objectName();
                auto* list = dialog->findChild<QTreeWidget*>("ProjectList");
                const QList<QTreeWidgetItem*> found =
                    list->findItems(project + " (", Qt::MatchStartsWith);
                ASSERT_EQ(found.size(), 1) << project.toStdString();
                list->setCurrentItem(found[0]);
                auto* buttons = dialog->findChild<QDialogButtonBox*>();
                QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
            });
            Choose(popup, "Add to &Project...");
        });
        RightClick(view, row);
        EXPECT_TRUE(WaitUntil([] { return ModalDialog() == nullptr; }));
        return dialogName;
    };

    CFontListView& list = program.List();
    list.setFocus();
    list.selectAll();
    ASSERT_EQ(list.selectionModel()->selectedRows().size(), 2);
    EXPECT_EQ(addWithMenu(list, 0, "Posters"), "SelectProjectsDialog");
    // The files are read on a worker before they are added.
    EXPECT_TRUE(WaitUntil([&] { return projects.HasFont("Posters", program.Path("beta.ttf")); }));
    EXPECT_TRUE(projects.HasFont("Posters", program.Path("alpha.ttf")));
    EXPECT_TRUE(projects.HasFont("Posters", program.Path("beta.ttf")));
    EXPECT_EQ(list.selectionModel()->selectedRows().size(), 2) << "the right click kept both";

    CFindFrame* window = program.SearchFor("Beta");
    ASSERT_NE(window, nullptr);
    CFontRowsView& results = *window->Results();
    ASSERT_EQ(results.Rows().rowCount(), 1);
    QTest::mouseClick(results.viewport(), Qt::LeftButton, {},
                      results.visualRect(results.Rows().index(0, 0)).center());
    EXPECT_EQ(addWithMenu(results, 0, "Proofs"), "SelectProjectsDialog");
    EXPECT_TRUE(WaitUntil([&] { return projects.HasFont("Proofs", program.Path("beta.ttf")); }));
    EXPECT_FALSE(projects.HasFont("Proofs", program.Path("alpha.ttf")));
}
