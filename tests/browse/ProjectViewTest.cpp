// The project view: its model alone, then with its frame, the hub and the
// document.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QDragEnterEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#include "core/FileListBlock.h"
#include "tests/browse/BrowseTestSupport.h"
#include "tests/support/ListingBlock.h"
#include "tests/support/WaitUntil.h"
#include "ui/browse/FontProjectFrame.h"
#include "ui/browse/FontProjectModel.h"
#include "ui/browse/ProjectNameDialog.h"
#include "ui/common/SelectProjectsDialog.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

// Drops and adds read their files on a worker: waits until they are in.
void WaitForAdds(const CFontProjectModel& model) {
    ASSERT_TRUE(WaitUntil([&] { return model.PendingAdds() == 0; }));
}

std::unique_ptr<QMimeData> UriDrop(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data->setUrls(urls);
    return data;
}

QStringList RowTexts(const QAbstractItemModel& model) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.append(model.index(row, 0).data().toString());
    }
    return texts;
}

}  // namespace

TEST(FontProjectModelTest, RowsInNameOrderFollowTheStore) {
    CFontProjects projects;
    projects.AddProject("Posters");
    projects.AddProject("Book & \"Cover\" <b>");
    CFontProjectModel model(projects);
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(RowTexts(model),
              (QStringList{"Book & \"Cover\" <b> (0 fonts)", "Posters (0 fonts)"}));

    EXPECT_TRUE(model.AddProject("Invitations"));
    EXPECT_FALSE(model.AddProject("Posters"));
    EXPECT_TRUE(model.AddProject("Zines"));
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.NameAt(1), "Invitations");
    EXPECT_TRUE(model.RenameProject("Invitations", "Also posters"));
    EXPECT_TRUE(model.RenameProject("Also posters", "Zz"));
    EXPECT_FALSE(model.RenameProject("Zz", "Posters"));
    EXPECT_EQ(RowTexts(model), (QStringList{"Book & \"Cover\" <b> (0 fonts)", "Posters (0 fonts)",
                                            "Zines (0 fonts)", "Zz (0 fonts)"}));
    model.DeleteProject("Posters");
    EXPECT_FALSE(projects.ProjectExists("Posters"));
    EXPECT_EQ(model.RowOf("Zines"), 1);
}

TEST(FontProjectModelTest, DropsAddReadableFontsOnceAndOnlyToTheRowDroppedOn) {
    const QString folder = FreshFolder("drops");
    const QString font = folder + "/twin-a.ttf";
    ASSERT_TRUE(QFile::copy(kTestData + "/twin-a.ttf", font));
    ASSERT_TRUE(QFile::copy(kTestData + "/symbol.ttf", folder + "/symbol.ttf"));
    QFile text(folder + "/notes.ttf");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a font, whatever its name says");
    text.close();

    CFontProjects projects;
    projects.AddProject("A");
    projects.AddProject("B");
    CFontProjectModel model(projects);
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy added(&model, &CFontProjectModel::FilesAdded);

    // The same file twice in one drop and again later: held once.
    auto drop = UriDrop({font, font, folder + "/notes.ttf", folder + "/none.ttf", folder});
    ASSERT_TRUE(model.canDropMimeData(drop.get(), Qt::CopyAction, -1, -1, model.index(0)));
    ASSERT_TRUE(model.dropMimeData(drop.get(), Qt::CopyAction, -1, -1, model.index(0)));
    WaitForAdds(model);
    EXPECT_TRUE(model.dropMimeData(drop.get(), Qt::CopyAction, -1, -1, model.index(0)));
    WaitForAdds(model);
    EXPECT_EQ(model.index(0).data().toString(), "A (1 fonts)");
    ASSERT_EQ(added.count(), 1) << "the second drop added nothing";
    EXPECT_EQ(added[0][1].toStringList(), QStringList{font});

    // The drag block of Quillmark's own lists lands on B only.
    auto block = std::make_unique<QMimeData>();
    block->setData(kFontProjectDataMimeType, EncodeFileListBlock({folder + "/symbol.ttf", font}));
    ASSERT_TRUE(model.dropMimeData(block.get(), Qt::CopyAction, -1, -1, model.index(1)));
    WaitForAdds(model);
    EXPECT_EQ(RowTexts(model), (QStringList{"A (1 fonts)", "B (2 fonts)"}));

    // Between rows, or a drop of plain text: refused.
    EXPECT_FALSE(model.canDropMimeData(drop.get(), Qt::CopyAction, 0, 0, QModelIndex()));
    EXPECT_FALSE(model.dropMimeData(drop.get(), Qt::CopyAction, 0, 0, QModelIndex()));
    QMimeData plain;
    plain.setText(font);
    EXPECT_FALSE(model.canDropMimeData(&plain, Qt::CopyAction, -1, -1, model.index(0)));
    // A malformed block adds nothing.
    auto broken = std::make_unique<QMimeData>();
    broken->setData(kFontProjectDataMimeType, QByteArray("\x14\0\0\0", 4));
    EXPECT_TRUE(CFontProjectModel::DroppedFiles(broken.get()).isEmpty());
}

// A drop of fonts that are slow to read (many large files, a slow disk)
// leaves the window answering; the fonts come in when all are read, and a
// project deleted meanwhile gets none.
TEST(FontProjectModelTest, DroppedFontsAreReadOnAWorkerWithTheWindowAnswering) {
    const QString folder = FreshFolder("slow-drops");
    const QString font = folder + "/twin-a.ttf";
    ASSERT_TRUE(QFile::copy(kTestData + "/twin-a.ttf", font));
    CFontProjects projects;
    projects.AddProject("A");
    projects.AddProject("B");
    CFontProjectModel model(projects);
    QSignalSpy added(&model, &CFontProjectModel::FilesAdded);
    std::optional<QStringList> given;

    CListingBlock block({font});
    auto drop = UriDrop({font});
    ASSERT_TRUE(model.dropMimeData(drop.get(), Qt::CopyAction, -1, -1, model.index(0)));
    model.AddFiles("B", {font}, [&](const QStringList& paths) { given = paths; });
    bool answered = false;
    QTimer::singleShot(0, [&] { answered = true; });
    ASSERT_TRUE(WaitUntil([&] { return answered && block.Entered() == 2; }))
        << "the event loop runs while the files are read";
    EXPECT_EQ(model.PendingAdds(), 2);
    EXPECT_EQ(added.count(), 0);
    model.DeleteProject("B");

    block.Release();
    WaitForAdds(model);
    ASSERT_EQ(added.count(), 1);
    EXPECT_EQ(added[0][0].toString(), "A");
    EXPECT_TRUE(projects.HasFont("A", font));
    EXPECT_FALSE(projects.ProjectExists("B")) << "a deleted project is not made again";
    ASSERT_TRUE(given.has_value()) << "told, with nothing added";
    EXPECT_TRUE(given->isEmpty());
}

TEST(ProjectNameDialogTest, EmptyAndTakenNamesAreRefusedWithTheirMessage) {
    CFontProjects projects;
    projects.AddProject("Posters");
    CProjectNameDialog dialog(projects, "Posters");
    EXPECT_EQ(dialog.windowTitle(), "Rename Font Project");
    EXPECT_EQ(CProjectNameDialog(projects, {}).windowTitle(), "New Font Project");
    QStringList told;
    dialog.SetMessageSink(
        [&](const QString& caption, const QString& text) { told << caption << text; });

    dialog.accept();  // the old name of a rename is taken
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(told, (QStringList{"Name Already Used",
                                 "A font project with that name already exists.  Please enter a "
                                 "different one."}));
    told.clear();
    dialog.SetName("");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    ASSERT_EQ(told.size(), 2);
    EXPECT_EQ(told[0], "No Name");
    told.clear();
    dialog.SetName("posters");  // names are case-sensitive
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(told.isEmpty());
    EXPECT_EQ(dialog.Name(), "posters");
}

class ProjectFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        world.projects.AddProject("A");
        world.projects.AddProject("B");
        frame = std::make_unique<CFontProjectFrame>(world.hub, world.projects, world.document);
        frame->SetPrompts({[this](const QString& initial) -> std::optional<QString> {
                               askedNames.append(initial);
                               return nextName;
                           },
                           [this](const QString& caption, const QString& text) {
                               questions << caption << text;
                               return answer;
                           }});
        world.hub.ConnectProjectSelected([this](const QString& name) { selected.append(name); });
        world.hub.ConnectFontsAddedToProject(
            [this](const QStringList& paths) { addedToShown.append(paths); });
    }

    CWorld world;
    std::unique_ptr<CFontProjectFrame> frame;
    std::optional<QString> nextName;
    bool answer = true;
    QStringList askedNames;
    QStringList questions;
    QStringList selected;
    QStringList addedToShown;
};

TEST_F(ProjectFrameTest, SelectingARowShowsItsProjectAndAClickReturnsFromAFolder) {
    CFontProjectView* view = frame->View();
    view->selectionModel()->select(frame->Model().index(1), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(selected, QStringList{"B"});
    EXPECT_TRUE(world.document.IsProjectMode());
    // The hub's echo selects the row without firing again.
    world.hub.FireProjectSelected("A");
    EXPECT_EQ(frame->SelectedProject(), "A");
    EXPECT_EQ(selected, (QStringList{"B", "A"}));

    world.hub.FireFolderSelected(FreshFolder("elsewhere"), nullptr);
    EXPECT_FALSE(world.document.IsProjectMode());
    emit view->clicked(frame->Model().index(0));
    EXPECT_EQ(selected.last(), "A");
    EXPECT_EQ(selected.size(), 3);
    EXPECT_TRUE(world.document.IsProjectMode());
    emit view->clicked(frame->Model().index(0));
    EXPECT_EQ(selected.size(), 3) << "the project is shown already";
}

TEST_F(ProjectFrameTest, NewRenameAndDeleteThroughThePrompts) {
    auto* rename = frame->findChild<QAction*>("RenameProject");
    auto* remove = frame->findChild<QAction*>("Delete");
    ASSERT_TRUE(rename && remove);
    EXPECT_FALSE(rename->isEnabled());
    EXPECT_FALSE(remove->isEnabled());

    nextName = "C & \"D\"";
    frame->NewProject();
    EXPECT_EQ(askedNames, QStringList{QString()});
    EXPECT_TRUE(world.projects.ProjectExists("C & \"D\""));
    EXPECT_EQ(frame->Model().rowCount(), 3);

    world.hub.FireProjectSelected("C & \"D\"");
    EXPECT_TRUE(rename->isEnabled());
    nextName = "E";
    rename->trigger();
    EXPECT_EQ(askedNames.last(), "C & \"D\"");
    EXPECT_TRUE(world.projects.ProjectExists("E"));
    // The shown project is shown under its new name: the title, the
    // location bar and the project kept for the next start follow it.
    EXPECT_EQ(selected.last(), "E");
    EXPECT_EQ(world.document.GetProjectName(), "E");

    // The question names the project as it is; No keeps it.
    answer = false;
    frame->DeleteProject("B");
    EXPECT_EQ(questions, (QStringList{"Delete Font Project?",
                                      "Are you sure you want to delete the Font Project \"B\"?"}));
    EXPECT_TRUE(world.projects.ProjectExists("B"));
    answer = true;
    QSignalSpy shownDeleted(frame.get(), &CFontProjectFrame::ShownProjectDeleted);
    frame->DeleteProject("B");
    EXPECT_FALSE(world.projects.ProjectExists("B"));
    EXPECT_EQ(shownDeleted.count(), 0) << "B was not shown";
    // The Delete key, the list having the focus, deletes the selected project.
    frame->show();
    QApplication::setActiveWindow(frame.get());
    frame->View()->setFocus();
    RunEvents(20);
    const qsizetype selections = selected.size();
    QTest::keyClick(frame->View(), Qt::Key_Delete);
    EXPECT_FALSE(world.projects.ProjectExists("E"));
    EXPECT_EQ(shownDeleted.count(), 1) << "E was shown";
    EXPECT_EQ(selected.size(), selections) << "the row left selected is not opened by itself";
    // A name that looks like markup is shown as it is.
    const auto box = CFontProjectFrame::QuestionBox(
        "Delete Font Project?", CFontProjectFrame::DeleteQuestion("<b>&amp;</b>"), nullptr);
    EXPECT_EQ(box->text(), "Are you sure you want to delete the Font Project \"<b>&amp;</b>\"?");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
}

TEST_F(ProjectFrameTest, DropsOnTheShownProjectReachTheFontListAndOthersDoNot) {
    const QString folder = FreshFolder("frame-drops");
    ASSERT_TRUE(QFile::copy(kTestData + "/twin-a.ttf", folder + "/twin-a.ttf"));
    ASSERT_TRUE(QFile::copy(kTestData + "/twin-b.ttf", folder + "/twin-b.ttf"));
    world.hub.FireProjectSelected("A");

    auto other = UriDrop({folder + "/twin-a.ttf"});
    frame->Model().dropMimeData(other.get(), Qt::CopyAction, -1, -1, frame->Model().index(1));
    WaitForAdds(frame->Model());
    EXPECT_TRUE(addedToShown.isEmpty()) << "B is not shown: the font list stays";
    auto shown = UriDrop({folder + "/twin-b.ttf"});
    frame->Model().dropMimeData(shown.get(), Qt::CopyAction, -1, -1, frame->Model().index(0));
    WaitForAdds(frame->Model());
    EXPECT_EQ(addedToShown, QStringList{folder + "/twin-b.ttf"});
    EXPECT_EQ(RowTexts(frame->Model()), (QStringList{"A (1 fonts)", "B (1 fonts)"}));

    // The font list's own command adds to the selected project.
    world.hub.FireAddFilesToProject({folder + "/twin-a.ttf"});
    WaitForAdds(frame->Model());
    EXPECT_EQ(frame->Model().index(0).data().toString(), "A (2 fonts)");
}

TEST_F(ProjectFrameTest, ADropOnAProjectIsACopyWhateverTheDragProposed) {
    const QString folder = FreshFolder("frame-shift-drop");
    ASSERT_TRUE(QFile::copy(kTestData + "/twin-a.ttf", folder + "/twin-a.ttf"));
    frame->resize(240, 320);
    frame->show();
    RunEvents(20);
    QWidget* viewport = frame->View()->viewport();
    const QPoint onA = frame->View()->visualRect(frame->Model().index(0)).center();
    auto data = UriDrop({folder + "/twin-a.ttf"});
    const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;

    // Shift held: the drag proposes a move; the project takes a copy.
    QDragEnterEvent enter(onA, copyOrMove, data.get(), Qt::LeftButton, Qt::ShiftModifier);
    ASSERT_EQ(enter.proposedAction(), Qt::MoveAction);
    QApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDragMoveEvent move(onA, copyOrMove, data.get(), Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(viewport, &move);
    EXPECT_TRUE(move.isAccepted());
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);
    QDropEvent drop(onA, copyOrMove, data.get(), Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the source keeps its files, shared or not";
    WaitForAdds(frame->Model());
    EXPECT_EQ(frame->Model().index(0).data().toString(), "A (1 fonts)");

    // A drag that can only move is not taken at all.
    QDragEnterEvent moveOnly(onA, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());
}

TEST(SelectProjectsDialogTest, ChoosingARowGivesItsName) {
    CFontProjects projects;
    projects.AddProject("Posters");
    projects.AddProject("Zines");
    CSelectProjectsDialog dialog(projects);
    ASSERT_EQ(dialog.List()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.List()->topLevelItem(1)->text(0), "Zines (0 fonts)");
    EXPECT_TRUE(dialog.SelectedProject().isEmpty());
    QTimer::singleShot(0, &dialog, [&] {
        dialog.List()->setCurrentItem(dialog.List()->topLevelItem(1));
        emit dialog.List()->itemDoubleClicked(dialog.List()->topLevelItem(1), 0);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.SelectedProject(), "Zines");
}
