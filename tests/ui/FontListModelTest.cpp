// The font list's model alone, in the modes of the search windows, and its
// row delegate drawing the searched character.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QImage>
#include <QPainter>
#include <filesystem>

#include "core/ProgramOptions.h"
#include "fontdata/manager/FontManager.h"
#include "ui/browse/FontListModel.h"
#include "ui/common/FontListDelegate.h"

using namespace Quillmark;

namespace {

const std::filesystem::path kData = QUILLMARK_TEST_DATA;

}  // namespace

TEST(FontListModelTest, SimilarityWordsByDistance) {
    EXPECT_EQ(CFontListModel::SimilarityWords(0), "Identical");
    EXPECT_EQ(CFontListModel::SimilarityWords(1), "Very Similar");
    EXPECT_EQ(CFontListModel::SimilarityWords(15), "Very Similar");
    EXPECT_EQ(CFontListModel::SimilarityWords(16), "Moderately Similar");
    EXPECT_EQ(CFontListModel::SimilarityWords(30), "Moderately Similar");
    EXPECT_EQ(CFontListModel::SimilarityWords(31), "Somewhat Similar");
}

TEST(FontListModelTest, SimilarResultsShowAndSortByLikeness) {
    CFontManager manager(nullptr, nullptr);
    {
        CFontListModel model(manager);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        model.SetMode(CFontListModel::SimilarResults);
        const QString source = "/reference.ttf";
        model.SetSimilaritySource(source);
        EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole), "Similarity");
        std::vector<CFontListModel::CNewRow> rows;
        const int distances[] = {20, 0, 40};
        const char* files[] = {"twin-a.ttf", "twin-b.ttf", "symbol.ttf"};
        for (int i = 0; i < 3; ++i) {
            CFontHandle item = manager.Open(kData / files[i]);
            item->SetSimilarity(source.toStdU16String(), distances[i]);
            rows.push_back({item, QString::fromStdU16String(item->GetDisplayName())});
        }
        model.AppendRows(std::move(rows));
        EXPECT_EQ(model.index(0, 1).data(), "Moderately Similar");
        model.Sort(1, true);
        EXPECT_EQ(model.index(0, 1).data(), "Identical") << "descending: the likest first";
        EXPECT_EQ(model.index(2, 1).data(), "Somewhat Similar");
        // Search results give every row's folder.
        EXPECT_TRUE(model.ToolTip(0).contains("Location: " + QString::fromStdString(kData)));
    }
    EXPECT_EQ(manager.Count(), 0u) << "the rows gave their uses back";
}

TEST(FontListDelegateTest, SearchedCharacterIsDrawnInAFramedCell) {
    CFontManager manager(nullptr, nullptr);
    CProgramOptions options;
    CFontListModel model(manager);
    CFontHandle item = manager.Open(kData / "twin-a.ttf");
    model.AppendRows({{item, QString::fromStdU16String(item->GetDisplayName())}});
    CFontListDelegate delegate(options, QFont());
    const QRect row(0, 0, 600, delegate.RowHeight());
    const CFontListDelegate::CColumns columns{{0, 300, 450}, {300, 150, 150}};
    const auto paint = [&](char16_t character) {
        delegate.SetSearchCharacter(character);
        QImage image(row.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        QPalette palette;
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Window, Qt::white);
        delegate.PaintRow(&painter, row, model.index(0, 0), false, columns, palette);
        return image;
    };
    const QImage plain = paint(0);
    const QImage searched = paint(u'A');
    const int side = row.height() - 4;
    // The cell's frame, black, where the plain row has its icon's margin.
    EXPECT_EQ(searched.pixel(2, 2 + side / 2), qRgb(0, 0, 0));
    EXPECT_NE(plain.pixel(2, 2 + side / 2), qRgb(0, 0, 0));
    // Something is drawn inside the cell.
    int inked = 0;
    for (int y = 4; y < side; ++y) {
        for (int x = 4; x < side; ++x) {
            inked += searched.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 10);
}
