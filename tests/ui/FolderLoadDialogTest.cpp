// The folder load's progress dialog alone, over a load that is never
// started.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "fontdata/manager/FolderLoad.h"
#include "ui/common/FolderLoadDialog.h"

using namespace Quillmark;

TEST(FolderLoadDialogTest, ShowsAfterABlinkModalForItsWindowOnly) {
    CFontManager manager(nullptr, nullptr);
    CFolderLoad load(manager,
                     std::vector<std::filesystem::path>(1234, std::filesystem::path("/x.ttf")));
    QWidget window;
    window.show();
    CFolderLoadDialog dialog(load, &window);
    EXPECT_EQ(dialog.windowTitle(), "Reading Font Information...");
    EXPECT_EQ(dialog.windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog.findChild<QLabel*>()->text(), "Reading font 0 of 1234.");
    EXPECT_EQ(dialog.findChild<QProgressBar*>()->maximum(), 1234);
    EXPECT_EQ(CFolderLoadDialog::ProgressText(12, 1234), "Reading font 12 of 1234.");
    EXPECT_FALSE(dialog.isVisible()) << "small folders do not flash a window";
    QTest::qWait(150);
    EXPECT_FALSE(dialog.isVisible());
    QElapsedTimer waited;
    waited.start();
    while (!dialog.isVisible() && waited.elapsed() < 5000) {
        QTest::qWait(10);
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_GE(waited.elapsed() + 150, 300) << "shown after a blink, not at once";
}

TEST(FolderLoadDialogTest, CancelCancelsTheLoadAndHides) {
    CFontManager manager(nullptr, nullptr);
    CFolderLoad load(manager, std::vector<std::string>{"/x.ttf"});
    CFolderLoadDialog dialog(load);
    dialog.show();
    auto* cancel = dialog.findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->accessibleName(), "Cancel");
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(load.IsCanceled());
    EXPECT_FALSE(dialog.isVisible());
    // Cancelled before it showed: it stays hidden.
    QTest::qWait(400);
    EXPECT_FALSE(dialog.isVisible());
}
