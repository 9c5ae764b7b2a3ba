// The rows of a font list, one suite for every list: the main list's
// model and the search results' model, each under QAbstractItemModelTester,
// must give the same rows, fonts, orders and removals through CFontRows.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <filesystem>
#include <memory>

#include "core/PathText.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FontManager.h"
#include "tests/search/SearchFonts.h"
#include "ui/browse/FontListModel.h"
#include "ui/common/FontRows.h"
#include "ui/search/SearchResultsModel.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

// How each list's model is made, and what it shows of its own.
template <typename Model>
struct CList;

template <>
struct CList<CFontListModel> {
    static std::unique_ptr<CFontListModel> Make(CFontManager& manager) {
        return std::make_unique<CFontListModel>(manager);
    }
    // The main list gives the folder while it shows a project.
    static void ShowLocations(CFontListModel& model) { model.SetShowsLocation(true); }
};

template <>
struct CList<CSearchResultsModel> {
    static std::unique_ptr<CSearchResultsModel> Make(CFontManager&) {
        return std::make_unique<CSearchResultsModel>(CSearchResultsModel::NameResults);
    }
    static void ShowLocations(CSearchResultsModel&) {}  // results always do
};

template <typename Model>
class FontRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("qm-rows-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
        m_model = CList<Model>::Make(m_manager);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            m_model.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    void TearDown() override {
        m_tester.reset();
        m_model.reset();
        fs::remove_all(m_folder);
    }

    // A font named `name` in `file`, made larger by `extra` characters (the
    // size column orders by the file's size).
    CFontHandle Font(const std::string& file, const std::u16string& name, int extra = 0) {
        CSearchFont font;
        font.fullName = name;
        for (int i = 0; i < extra; ++i) {
            const auto code = static_cast<std::uint16_t>(0x100 + 2 * i);
            font.characters.push_back({code, code});
        }
        return m_manager.Open(WriteSearchFont(m_folder / file, font));
    }
    CFontRows& Rows() { return *m_model; }
    QStringList Column(int column) {
        QStringList texts;
        for (int row = 0; row < Rows().rowCount(); ++row) {
            texts << Rows().index(row, column).data().toString();
        }
        return texts;
    }
    // Beta in a.ttf (largest), Alpha in c.ttf, Gamma in b.ttf (smallest).
    void AddThree() {
        std::vector<CFontHandle> fonts;
        fonts.push_back(Font("a.ttf", u"Beta", 40));
        fonts.push_back(Font("c.ttf", u"Alpha", 20));
        fonts.push_back(Font("b.ttf", u"Gamma"));
        Rows().AddFonts(std::move(fonts));
    }

    fs::path m_folder;
    CFontManager m_manager{nullptr, nullptr};
    std::unique_ptr<Model> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

using Lists = ::testing::Types<CFontListModel, CSearchResultsModel>;
TYPED_TEST_SUITE(FontRowsTest, Lists);

}  // namespace

TYPED_TEST(FontRowsTest, RowsShowTheirFontsAndHandThemOut) {
    CFontRows& rows = this->Rows();
    EXPECT_EQ(rows.columnCount(), 3);
    EXPECT_EQ(rows.headerData(0, Qt::Horizontal, Qt::DisplayRole), "Font Name");
    EXPECT_EQ(rows.headerData(1, Qt::Horizontal, Qt::DisplayRole), "File Name");
    EXPECT_EQ(rows.headerData(2, Qt::Horizontal, Qt::DisplayRole), "Size");
    this->AddThree();
    ASSERT_EQ(rows.rowCount(), 3);
    EXPECT_EQ(this->Column(0), (QStringList{"Alpha", "Beta", "Gamma"})) << "by name at first";
    EXPECT_EQ(this->Column(1), (QStringList{"c.ttf", "a.ttf", "b.ttf"}));
    EXPECT_TRUE(rows.flags(rows.index(0, 0)).testFlag(Qt::ItemIsDragEnabled));

    const CFontItem* alpha = rows.ItemAt(0);
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(this->Column(2)[0], QString::fromStdString(alpha->GetSizeText()));
    EXPECT_EQ(rows.index(0, 0).data(FontList::PathRole).toString(),
              PathText(this->m_folder / "c.ttf"));
    EXPECT_EQ(rows.index(0, 0).data(FontList::ItemRole).value<const void*>(), alpha);
    EXPECT_EQ(rows.RowOf(alpha), 0);
    EXPECT_EQ(rows.RowOf(nullptr), -1);
    EXPECT_EQ(rows.ItemAt(3), nullptr);
    EXPECT_EQ(rows.FontAt(-1), nullptr);

    // A handle from a row shares the row's use: the font outlives the row.
    CFontHandle kept = rows.FontAt(0);
    EXPECT_EQ(kept.get(), alpha);
    rows.Clear();
    EXPECT_EQ(rows.rowCount(), 0);
    EXPECT_EQ(this->m_manager.Count(), 1u) << "only the kept handle holds a font";
    EXPECT_TRUE(this->m_manager.Contains(alpha));
    kept.reset();
    EXPECT_EQ(this->m_manager.Count(), 0u);
}

TYPED_TEST(FontRowsTest, SortsByEveryColumnAndKeepsTheOrderForFontsAdded) {
    CFontRows& rows = this->Rows();
    this->AddThree();
    QItemSelectionModel selection(&rows);
    selection.setCurrentIndex(rows.index(1, 0), QItemSelectionModel::ClearAndSelect);
    ASSERT_EQ(selection.currentIndex().data().toString(), "Beta");

    rows.Sort(FontList::FileColumn, false);
    EXPECT_EQ(this->Column(1), (QStringList{"a.ttf", "b.ttf", "c.ttf"}));
    EXPECT_EQ(rows.SortColumn(), FontList::FileColumn);
    EXPECT_FALSE(rows.SortDescending());
    EXPECT_EQ(selection.currentIndex().data().toString(), "Beta") << "the current row follows";
    rows.Sort(FontList::SizeColumn, false);
    EXPECT_EQ(this->Column(0), (QStringList{"Gamma", "Alpha", "Beta"})) << "the smallest first";
    rows.Sort(FontList::SizeColumn, true);
    EXPECT_EQ(this->Column(0), (QStringList{"Beta", "Alpha", "Gamma"}));
    EXPECT_TRUE(rows.SortDescending());
    rows.Sort(FontList::NameColumn, true);
    EXPECT_EQ(this->Column(0), (QStringList{"Gamma", "Beta", "Alpha"}));
    EXPECT_EQ(selection.currentIndex().data().toString(), "Beta");

    // Added later, in the order of the list.
    std::vector<CFontHandle> more;
    more.push_back(this->Font("d.ttf", u"Delta"));
    more.push_back(this->Font("e.ttf", u"Omega"));
    rows.AddFonts(std::move(more));
    EXPECT_EQ(this->Column(0), (QStringList{"Omega", "Gamma", "Delta", "Beta", "Alpha"}));
    EXPECT_FALSE(rows.FirstSortDescending(FontList::FileColumn)) << "no similarity column";
}

TYPED_TEST(FontRowsTest, RemovesTheRowsOfFontsGivenAndLetsThemGo) {
    CFontRows& rows = this->Rows();
    std::vector<CFontHandle> fonts;
    for (char16_t c = u'A'; c <= u'F'; ++c) {
        fonts.push_back(this->Font(std::string(1, static_cast<char>(c)) + ".ttf",
                                   std::u16string(1, c) + u" Sans"));
    }
    std::vector<const CFontItem*> items;
    for (const CFontHandle& font : fonts) {
        items.push_back(font.get());
    }
    rows.AddFonts(std::move(fonts));
    ASSERT_EQ(rows.rowCount(), 6);
    EXPECT_EQ(this->m_manager.Count(), 6u);

    // Rows B, C and E: two runs of neighbours, removed in two steps.
    EXPECT_EQ(rows.RemoveFonts({items[1], items[4], items[2]}), 3);
    EXPECT_EQ(this->Column(0), (QStringList{"A Sans", "D Sans", "F Sans"}));
    EXPECT_EQ(this->m_manager.Count(), 3u) << "the rows gave their uses back";
    EXPECT_EQ(rows.RemoveFont(items[1]), 0) << "gone already";
    EXPECT_EQ(rows.RemoveFont(items[5]), 1);
    EXPECT_EQ(rows.RowOf(items[3]), 1);
    EXPECT_EQ(rows.RowOf(items[5]), -1);
}

TYPED_TEST(FontRowsTest, TooltipsNameTheFontAndWhereItLies) {
    CFontRows& rows = this->Rows();
    rows.AddFonts({this->Font("t.ttf", u"Tip Serif")});
    CList<TypeParam>::ShowLocations(*this->m_model);
    const QString tip = rows.index(0, 0).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith("Font Name: Tip Serif\nFile Name: t.ttf\n")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("Location: " + PathText(this->m_folder))) << tip.toStdString();
    EXPECT_EQ(rows.ToolTip(1), QString()) << "no row, no tip";
}

TEST(FontRowsTest, SimilarityWordsByDistance) {
    EXPECT_EQ(CFontRows::SimilarityWords(0), "Identical");
    EXPECT_EQ(CFontRows::SimilarityWords(1), "Very Similar");
    EXPECT_EQ(CFontRows::SimilarityWords(15), "Very Similar");
    EXPECT_EQ(CFontRows::SimilarityWords(16), "Moderately Similar");
    EXPECT_EQ(CFontRows::SimilarityWords(30), "Moderately Similar");
    EXPECT_EQ(CFontRows::SimilarityWords(31), "Somewhat Similar");
}

// Fonts given back to similar results (a delete that could not go on)
// find their likeness under the reference font.
TEST(FontRowsTest, SimilarResultsTakeFontsBackWithTheirDistance) {
    const fs::path folder =
        fs::temp_directory_path() / ("qm-similar-" + std::to_string(::getpid()));
    CFontManager manager(nullptr, nullptr);
    {
        CSearchResultsModel model(CSearchResultsModel::SimilarResults);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::Fatal);
        const QString source = "/reference.ttf";
        model.SetSimilaritySource(source);
        EXPECT_TRUE(model.ShowsSimilarity());
        EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole), "Similarity");
        EXPECT_TRUE(model.FirstSortDescending(FontList::FileColumn));
        std::vector<CFontHandle> fonts;
        const int distances[] = {20, 0, 40};
        for (int i = 0; i < 3; ++i) {
            CFontHandle font =
                manager.Open(WriteSearchFont(folder / ("s" + std::to_string(i) + ".ttf"), {}));
            font->SetSimilarity(source.toStdU16String(), distances[i]);
            fonts.push_back(std::move(font));
        }
        model.AddFonts(std::move(fonts));
        EXPECT_EQ(model.index(0, 1).data(), "Identical") << "the likest first";
        EXPECT_EQ(model.index(1, 1).data(), "Moderately Similar");
        EXPECT_EQ(model.index(2, 1).data(), "Somewhat Similar");
        EXPECT_EQ(model.index(2, 0).data(CSearchResultsModel::DistanceRole), 40);
    }
    EXPECT_EQ(manager.Count(), 0u) << "the rows gave their uses back";
    fs::remove_all(folder);
}
