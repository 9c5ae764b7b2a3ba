// The width rules of a font list's columns, on a plain tree view.

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTreeView>

#include "ui/common/ColumnFitter.h"

using namespace Quillmark;

namespace {

struct CFittedView {
    QStandardItemModel model{0, 3};
    QTreeView view;
    CColumnFitter* fitter = nullptr;

    CFittedView() {
        model.setHorizontalHeaderLabels({"Font Name", "File Name", "Size"});
        view.setModel(&model);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.header()->setStretchLastSection(false);
        view.header()->setMinimumSectionSize(0);
        fitter = new CColumnFitter(view, QApplication::font());
        fitter->SetWidths(200, 250, 120);
        view.resize(600, 300);
        view.show();
        QApplication::processEvents();
    }
    int Size(int column) const { return view.header()->sectionSize(column); }
    int Total() const { return Size(0) + Size(1) + Size(2); }
    int Width() const { return view.viewport()->width(); }
};

}  // namespace

TEST(ColumnFitterTest, ColumnsFillTheWidthWhateverHappens) {
    CFittedView fitted;
    EXPECT_EQ(fitted.Total(), fitted.Width());
    EXPECT_EQ(fitted.Size(1), 250) << "a change of width goes to the name column";
    EXPECT_EQ(fitted.Size(2), 120);

    const int before = fitted.Width();
    fitted.view.resize(900, 300);
    QApplication::processEvents();
    EXPECT_GT(fitted.Width(), before);
    EXPECT_EQ(fitted.Total(), fitted.Width());

    // The user widens the name column: the file name column gives way.
    fitted.view.header()->resizeSection(0, fitted.Size(0) + 50);
    EXPECT_EQ(fitted.Total(), fitted.Width());
    EXPECT_EQ(fitted.Size(1), 200);
    EXPECT_EQ(fitted.Size(2), 120);
    // The file name column widened: the size column gives way.
    fitted.view.header()->resizeSection(1, fitted.Size(1) + 30);
    EXPECT_EQ(fitted.Total(), fitted.Width());
    EXPECT_EQ(fitted.Size(2), 90);
}

TEST(ColumnFitterTest, AColumnGivesWayOnlyDownToItsMinimum) {
    CFittedView fitted;
    const int minimum = fitted.fitter->MinimumWidth(1);
    EXPECT_EQ(minimum, QFontMetrics(QApplication::font()).horizontalAdvance("File Name") + 48);
    // Far too wide: the file name column stops at its minimum and holds the
    // name column back.
    fitted.view.header()->resizeSection(0, 5000);
    EXPECT_EQ(fitted.Size(1), minimum);
    EXPECT_EQ(fitted.Size(0), fitted.Width() - minimum - fitted.Size(2));
    EXPECT_EQ(fitted.Total(), fitted.Width());
}

TEST(ColumnFitterTest, DoubleClickingADividerJoinsTheTwoColumns) {
    CFittedView fitted;
    QHeaderView* header = fitted.view.header();
    const int joined = fitted.Size(0) + fitted.Size(1);
    emit header->sectionHandleDoubleClicked(0);
    EXPECT_EQ(fitted.Size(0), joined);
    EXPECT_EQ(fitted.Size(1), 0);
    EXPECT_EQ(fitted.Total(), fitted.Width()) << "two visible columns still fill the width";

    // Right of the last column there is nothing to join: the view fits it
    // to its contents, and the columns still fill the width.
    emit header->sectionHandleDoubleClicked(2);
    EXPECT_EQ(fitted.Total(), fitted.Width());
}

TEST(ColumnFitterTest, AfterALoadOnlyAListWithoutScrollingIsFitted) {
    CFittedView fitted;
    fitted.fitter->SetWidths(100, 100, 100);
    EXPECT_EQ(fitted.Total(), 300) << "stored widths are set as they are";
    fitted.fitter->FitAfterLoad();
    EXPECT_EQ(fitted.Total(), fitted.Width());

    for (int row = 0; row < 200; ++row) {
        fitted.model.appendRow(
            {new QStandardItem("a"), new QStandardItem("b"), new QStandardItem("c")});
    }
    fitted.view.doItemsLayout();
    QApplication::processEvents();
    ASSERT_TRUE(fitted.view.verticalScrollBar()->isVisible());
    fitted.fitter->SetWidths(100, 100, 100);
    fitted.fitter->FitAfterLoad();
    EXPECT_EQ(fitted.Total(), 300);
}
