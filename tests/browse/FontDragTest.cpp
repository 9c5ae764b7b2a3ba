// Fonts dragged out of the list and files dropped on it, and the file list
// block that carries fonts between Quillmark's windows.

#include <gtest/gtest.h>

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>

#include "core/FileListBlock.h"
#include "core/PathText.h"
#include "fontdata/item/FontItem.h"
#include "tests/browse/ListCommandsSupport.h"
#include "ui/browse/FontDrag.h"
#include "ui/common/FontListDelegate.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

// The block written out field by field.
QByteArray ExpectedBlock(const QStringList& paths) {
    QByteArray block;
    const auto u32 = [&](quint32 value) {
        for (int i = 0; i < 4; ++i) {
            block.append(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
    };
    u32(20);  // offset of the list
    u32(0);   // drop point x
    u32(0);   // drop point y
    u32(0);   // non-client flag
    u32(1);   // wide characters
    const auto unit = [&](char16_t c) {
        block.append(static_cast<char>(c & 0xFF));
        block.append(static_cast<char>(c >> 8));
    };
    for (const QString& path : paths) {
        for (QChar c : path) {
            unit(c.unicode());
        }
        unit(0);
    }
    unit(0);
    return block;
}

const CFontItem* ItemOf(const CCommandsFixture& fixture, int row) {
    return fixture.Model().ItemAt(row);
}

}  // namespace

TEST(FileListBlockTest, IsLaidOutByteForByte) {
    EXPECT_EQ(EncodeFileListBlock({}).size(), 22);
    EXPECT_EQ(EncodeFileListBlock({}), ExpectedBlock({}));
    EXPECT_EQ(EncodeFileListBlock({"/a.ttf"}).size(), 36);
    EXPECT_EQ(EncodeFileListBlock({"/a.ttf"}), ExpectedBlock({"/a.ttf"}));
    const QStringList several = {"/fonts/a.ttf", "/fonts/b.otf", "/x/Çà ü.ttf",
                                 QString::fromUtf16(u"/字体/\U0001F600.ttf")};
    EXPECT_EQ(EncodeFileListBlock(several), ExpectedBlock(several));
    for (const QStringList& paths : {QStringList{}, QStringList{"/a.ttf"}, several}) {
        const auto decoded = DecodeFileListBlock(EncodeFileListBlock(paths));
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, paths);
    }
    // The project data carries the block and nothing else.
    const auto data = ProjectDragData(several);
    EXPECT_EQ(data->formats(), QStringList{kFontProjectDataMimeType});
    EXPECT_EQ(data->data(kFontProjectDataMimeType), ExpectedBlock(several));
}

TEST(FontDragTest, MoveLeavesFontsPrivateCopyRestoresTheirSharing) {
    const QString folder = FontFolder("drag-out", 3);
    CCommandsFixture fixture([&] {
        CFontListCommands::Hooks hooks;
        return hooks;
    }());
    fixture.Load(folder);
    fixture.manager.ShareAll(true);
    ASSERT_EQ(fixture.Model().rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        ASSERT_EQ(ItemOf(fixture, row)->GetResourceFlags(), Platform::kSharedFont);
    }
    fixture.SelectRows({0, 2});
    const QStringList dragged = {
        fixture.Model().index(0, 0).data(CFontListModel::PathRole).toString(),
        fixture.Model().index(2, 0).data(CFontListModel::PathRole).toString()};

    // Drives the drag as a file manager would: it takes the files and
    // says what it did.
    Qt::DropAction answer = Qt::CopyAction;
    std::vector<std::uint32_t> flagsDuringDrag;
    QList<QUrl> urls;
    QStringList formats;
    QByteArray block;
    Qt::DropActions offered;
    CFontListCommands::Hooks hooks = fixture.Hooks({});
    hooks.runDrag = [&](QDrag& drag, Qt::DropActions allowed) {
        offered = allowed;
        formats = drag.mimeData()->formats();
        block = drag.mimeData()->data(kFontProjectDataMimeType);
        urls = drag.mimeData()->urls();
        for (int row = 0; row < 3; ++row) {
            flagsDuringDrag.push_back(ItemOf(fixture, row)->GetResourceFlags());
        }
        if (answer == Qt::MoveAction) {
            for (const QString& path : dragged) {
                QFile::rename(path, HomePath("drag-out-target") + '/' + QFileInfo(path).fileName());
            }
        }
        return answer;
    };
    QDir().mkpath(HomePath("drag-out-target"));
    delete fixture.commands;
    fixture.commands =
        new CFontListCommands(*fixture.view, fixture.hub, fixture.manager, fixture.document,
                              fixture.options, FontListKind::MainList, hooks, fixture.list.get());

    fixture.commands->StartDrag();
    EXPECT_EQ(offered, Qt::CopyAction) << "without Shift a drag only copies";
    EXPECT_EQ(formats, (QStringList{"text/uri-list", kFontProjectDataMimeType}))
        << "a folder's rows go as files and as the file list block";
    EXPECT_EQ(block, ExpectedBlock(dragged));
    EXPECT_EQ(urls,
              (QList<QUrl>{QUrl::fromLocalFile(dragged[0]), QUrl::fromLocalFile(dragged[1])}));
    EXPECT_EQ(flagsDuringDrag,
              (std::vector<std::uint32_t>{Platform::kPrivateFont, Platform::kSharedFont,
                                          Platform::kPrivateFont}));
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(ItemOf(fixture, row)->GetResourceFlags(), Platform::kSharedFont)
            << "a copy gives the sharing back";
    }

    // Shift held when the drag starts offers a move too.
    answer = Qt::MoveAction;
    const CFontItem* first = ItemOf(fixture, 0);
    const CFontItem* third = ItemOf(fixture, 2);
    QTest::keyPress(fixture.view, Qt::Key_Shift, Qt::ShiftModifier);
    fixture.commands->StartDrag();
    QTest::keyRelease(fixture.view, Qt::Key_Shift);
    EXPECT_EQ(offered, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(first->GetResourceFlags(), Platform::kPrivateFont) << "moved: stays private";
    EXPECT_EQ(third->GetResourceFlags(), Platform::kPrivateFont);
    EXPECT_EQ(ItemOf(fixture, 1)->GetResourceFlags(), Platform::kSharedFont);
    // The folder watcher notices the files gone, and their rows go.
    EXPECT_TRUE(WaitUntil([&] { return fixture.Model().rowCount() == 1; }));
    EXPECT_EQ(fixture.Model().index(0, 0).data(CFontListModel::PathRole).toString(),
              folder + "/f1.ttf");
}

// A drag with the mouse copies unless Shift is held, and shows the name of
// the row it began on, not the whole row.
TEST(FontDragTest, DraggingWithTheMouseCopiesUnlessShiftIsHeld) {
    const QString folder = FontFolder("drag-mouse", 2);
    CCommandsFixture fixture;
    QList<QUrl> urls;
    QSize picture;
    Qt::DropActions offered;
    int drags = 0;
    CFontListCommands::Hooks hooks = fixture.Hooks({});
    hooks.runDrag = [&](QDrag& drag, Qt::DropActions allowed) {
        ++drags;
        offered = allowed;
        urls = drag.mimeData()->urls();
        picture = drag.pixmap().deviceIndependentSize().toSize();
        return Qt::CopyAction;
    };
    delete fixture.commands;
    fixture.commands =
        new CFontListCommands(*fixture.view, fixture.hub, fixture.manager, fixture.document,
                              fixture.options, FontListKind::MainList, hooks, fixture.list.get());
    fixture.Load(folder);
    ASSERT_EQ(fixture.Model().rowCount(), 2);
    QWidget* viewport = fixture.view->viewport();
    const QRect row = fixture.view->visualRect(fixture.Model().index(1, 0));
    const QPoint from = row.center();
    const auto drag = [&](Qt::KeyboardModifiers held) {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, from);  // selects the row
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step) {
            // The modifiers held while the mouse moves, as the desktop sends them.
            QMouseEvent move(QEvent::MouseMove, from + QPoint(10 * step, 10 * step),
                             viewport->mapToGlobal(from + QPoint(10 * step, 10 * step)),
                             Qt::NoButton, Qt::LeftButton, held);
            QApplication::sendEvent(viewport, &move);
        }
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(40, 40));
    };
    drag(Qt::NoModifier);
    ASSERT_EQ(drags, 1);
    EXPECT_EQ(urls, QList<QUrl>{QUrl::fromLocalFile(
                        fixture.Model().index(1, 0).data(CFontListModel::PathRole).toString())});
    EXPECT_EQ(offered, Qt::CopyAction) << "a file manager is offered no move";
    EXPECT_EQ(picture.height(), fixture.view->Delegate().FirstLineHeight())
        << "one line high, not the preview's height";
    EXPECT_GT(picture.width(), 16);
    EXPECT_LT(picture.width(), fixture.view->header()->sectionSize(0)) << "as wide as the name";

    drag(Qt::ShiftModifier);
    ASSERT_EQ(drags, 2);
    EXPECT_EQ(offered, Qt::CopyAction | Qt::MoveAction) << "Shift offers the move";
}

TEST(FontDragTest, ProjectRowsGoOnlyAsTheFileListBlock) {
    const QString folder = FontFolder("drag-project", 2);
    CCommandsFixture fixture;
    QStringList formats;
    QByteArray block;
    CFontListCommands::Hooks hooks = fixture.Hooks({});
    hooks.runDrag = [&](QDrag& drag, Qt::DropActions) {
        formats = drag.mimeData()->formats();
        block = drag.mimeData()->data(kFontProjectDataMimeType);
        return Qt::IgnoreAction;
    };
    delete fixture.commands;
    fixture.commands =
        new CFontListCommands(*fixture.view, fixture.hub, fixture.manager, fixture.document,
                              fixture.options, FontListKind::MainList, hooks, fixture.list.get());
    fixture.document.SetProjectMode(true);
    fixture.list->AddFile(folder + "/f0.ttf");
    fixture.list->AddFile(folder + "/f1.ttf");
    fixture.SelectAll();
    fixture.commands->StartDrag();
    EXPECT_EQ(formats, QStringList{kFontProjectDataMimeType});
    EXPECT_EQ(block, ExpectedBlock(
                         {fixture.Model().index(0, 0).data(CFontListModel::PathRole).toString(),
                          fixture.Model().index(1, 0).data(CFontListModel::PathRole).toString()}));
}

TEST(FontDragTest, DropPlanFollowsTheListAndTheOption) {
    const QString shown = FontFolder("drop-shown", 1);
    const QString other = FontFolder("drop-other", 2);
    const auto files = [](const QStringList& paths) { return FolderDragData(paths); };
    CDropContext folder{false, 0, shown};

    auto plan = DropPlanFor(*files({shown + "/f0.ttf"}), folder);
    EXPECT_EQ(plan.kind, CDropPlan::Nothing) << "files of the shown folder stay";
    plan = DropPlanFor(*files({shown + "/f0.ttf", other + "/f1.ttf"}), folder);
    EXPECT_EQ(plan.kind, CDropPlan::TransferIn);
    EXPECT_EQ(plan.paths, QStringList{other + "/f1.ttf"});
    EXPECT_EQ(DropPlanFor(*ProjectDragData({other + "/f0.ttf"}), folder).kind, CDropPlan::Nothing)
        << "a folder takes files, not a project's list";

    CDropContext project{true, 0, shown};
    plan = DropPlanFor(*files({other + "/f0.ttf", other}), project);
    EXPECT_EQ(plan.kind, CDropPlan::AddToProject);
    EXPECT_EQ(plan.paths, QStringList{other + "/f0.ttf"}) << "files only";
    plan = DropPlanFor(*ProjectDragData({other + "/f0.ttf", other + "/f1.ttf"}), project);
    EXPECT_EQ(plan.kind, CDropPlan::AddToProject);
    EXPECT_EQ(plan.paths, (QStringList{other + "/f0.ttf", other + "/f1.ttf"}));

    CDropContext showFolder{false, 1, shown};
    plan = DropPlanFor(*files({other + "/f1.ttf", other + "/f0.ttf"}), showFolder);
    EXPECT_EQ(plan.kind, CDropPlan::ShowFolder);
    EXPECT_EQ(plan.paths, QStringList{other + "/f1.ttf"});

    QMimeData web;
    web.setUrls({QUrl("https://example.com/a.ttf")});
    EXPECT_EQ(DropPlanFor(web, folder).kind, CDropPlan::Nothing);
}

TEST(FontDragTest, DroppedFilesAreCopiedInAndANameClashAsks) {
    const QString shown = FontFolder("drop-into", 2);
    const QString other = FontFolder("drop-from", 3);
    CCommandsFixture fixture;
    fixture.Load(shown);
    ASSERT_EQ(fixture.Model().rowCount(), 2);

    auto data = FolderDragData({other + "/f0.ttf", other + "/f2.ttf"});
    QWidget* viewport = fixture.view->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());

    // f0.ttf is taken in the shown folder: asked, both kept; f2.ttf is new.
    EXPECT_TRUE(WaitUntil([&] { return fixture.Model().rowCount() == 4; }));
    EXPECT_EQ(fixture.log.clashes, QStringList{shown + "/f0.ttf"});
    EXPECT_TRUE(QFile::exists(shown + "/f0 (2).ttf"));
    EXPECT_TRUE(QFile::exists(shown + "/f2.ttf"));
    EXPECT_TRUE(QFile::exists(other + "/f0.ttf")) << "a copy leaves the source";

    // Files that lie in the shown folder already are not taken.
    auto own = FolderDragData({shown + "/f2.ttf"});
    QDragEnterEvent refused(at, Qt::CopyAction | Qt::MoveAction, own.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(viewport, &refused);
    EXPECT_FALSE(refused.isAccepted());

    // A move with Shift takes the file away from its folder.
    auto moved = FolderDragData({other + "/f1.ttf"});
    QDropEvent move(at, Qt::CopyAction | Qt::MoveAction, moved.get(), Qt::LeftButton,
                    Qt::ShiftModifier);
    move.setDropAction(Qt::MoveAction);
    QDragEnterEvent enterMove(at, Qt::CopyAction | Qt::MoveAction, moved.get(), Qt::LeftButton,
                              Qt::ShiftModifier);
    QCoreApplication::sendEvent(viewport, &enterMove);
    QCoreApplication::sendEvent(viewport, &move);
    EXPECT_TRUE(WaitUntil([&] { return !QFile::exists(other + "/f1.ttf"); }));
    EXPECT_TRUE(QFile::exists(shown + "/f1.ttf"));
}
