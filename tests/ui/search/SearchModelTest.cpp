// The search windows' models without widgets: the results as the font list
// shows them in its search modes, and the "Look in:" list.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QItemSelectionModel>
#include <filesystem>

#include "fontdata/item/FontItem.h"
#include "tests/search/SearchFonts.h"
#include "ui/search/LookInList.h"
#include "ui/search/SearchResultsModel.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

class ResultsModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("qm-results-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    CFontHandle Font(const std::string& file, const std::u16string& name) {
        return m_manager.Open(WriteSearchFont(m_folder / file, {.fullName = name}));
    }
    static QStringList Names(const CSearchResultsModel& model) {
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row) {
            names << model.index(row, 0).data().toString();
        }
        return names;
    }

    fs::path m_folder;
    CFontManager m_manager{nullptr, nullptr};
};

}  // namespace

TEST_F(ResultsModelTest, SimilarResultsShowWordsMostSimilarFirstInEveryBatchSize) {
    CSearchResultsModel model(CSearchResultsModel::SimilarResults);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Similarity");
    model.AddResults({{Font("a.ttf", u"A"), 31}, {Font("b.ttf", u"B"), 0}});
    // A big batch is merged, a small one inserted: the order is the same.
    std::vector<CSearchResultsModel::CResult> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back({Font("m" + std::to_string(i) + ".ttf", u"M"), 10 + (i % 7)});
    }
    model.AddResults(std::move(many));
    model.AddResults({{Font("c.ttf", u"C"), 15}, {Font("d.ttf", u"D"), 16}});
    ASSERT_EQ(model.rowCount(), 44);
    for (int row = 1; row < model.rowCount(); ++row) {
        EXPECT_LE(model.index(row - 1, 0).data(CSearchResultsModel::DistanceRole).toInt(),
                  model.index(row, 0).data(CSearchResultsModel::DistanceRole).toInt());
    }
    EXPECT_EQ(model.index(0, 1).data().toString(), "Identical");
    EXPECT_EQ(model.index(43, 1).data().toString(), "Somewhat Similar");
    int words[2] = {0, 0};
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString text = model.index(row, 1).data().toString();
        words[0] += text == "Very Similar";
        words[1] += text == "Moderately Similar";
    }
    EXPECT_EQ(words[0], 1 + 40 - 5);  // c, and the M rows of 10 to 15
    EXPECT_EQ(words[1], 1 + 5);       // d, and the M rows of 16
}

TEST_F(ResultsModelTest, NameResultsStaySortedAndTheSelectionFollowsItsRow) {
    CSearchResultsModel model(CSearchResultsModel::NameResults);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QItemSelectionModel selection(&model);
    model.AddResults({{Font("m.ttf", u"Mu"), 0}, {Font("b.ttf", u"Beta"), 0}});
    selection.setCurrentIndex(model.index(1, 0), QItemSelectionModel::ClearAndSelect);
    ASSERT_EQ(model.index(1, 0).data().toString(), "Mu");
    std::vector<CSearchResultsModel::CResult> batch;
    for (int i = 0; i < 30; ++i) {
        batch.push_back({Font("z" + std::to_string(i) + ".ttf",
                              u"Zeta " + std::u16string(1, char16_t(u'a' + i % 26))),
                         0});
    }
    batch.push_back({Font("a.ttf", u"Alpha"), 0});
    model.AddResults(std::move(batch));
    EXPECT_EQ(Names(model).mid(0, 3), (QStringList{"Alpha", "Beta", "Mu"}));
    EXPECT_EQ(selection.currentIndex().data().toString(), "Mu");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "File Name");
    EXPECT_EQ(model.index(0, 1).data().toString(), "a.ttf");
    // A font let go of leaves the list.
    const CFontItem* beta = model.ItemAt(1);
    EXPECT_EQ(model.RemoveFont(beta), 1);
    EXPECT_EQ(Names(model).mid(0, 2), (QStringList{"Alpha", "Mu"}));
    model.Sort(0, true);
    EXPECT_EQ(Names(model).back(), "Alpha");
}

TEST(LookInListTest, EntriesAndTheChosenFolderBelowItsPlace) {
    CLookInPlaces places;
    places.desktop = QDir::tempPath() + "/no-such-desktop";
    places.home = "/home/ann";
    places.fontsFolder = "/home/ann/.local/share/fonts";
    places.volumes = {{"/", false}, {"/media/ann/STICK", true}};
    CLookInList list;
    int selected = list.Fill(places, "/home/ann/Fonts/Serif/", false);
    QStringList texts;
    for (const auto& entry : list.Entries()) {
        texts << QString(entry.indent, '>') + entry.text;
    }
    EXPECT_EQ(texts,
              (QStringList{"Desktop", ">Home", ">>Fonts", ">>>Serif", ">Computer", ">>File System",
                           ">>STICK", "Fonts Folder", "Browse For Folder...",
                           "Select Favorite Folder...", "Select Project..."}));
    EXPECT_EQ(selected, 3);
    EXPECT_EQ(list.At(3)->path, "/home/ann/Fonts/Serif");
    EXPECT_EQ(list.At(4)->kind, CLookInEntry::Kind::Computer);

    // A folder that is an entry is selected as it is; the fonts folder too.
    EXPECT_EQ(list.Fill(places, "/", false), 3);
    EXPECT_EQ(list.At(list.Fill(places, places.fontsFolder, false))->text, "Fonts Folder");
    EXPECT_EQ(list.At(list.Fill(places, "/usr/share", false))->path, "/usr/share");
    // A project: its own entry below "Select Project...".
    places.favorites = false;
    selected = list.Fill(places, "Serif Fonts", true);
    EXPECT_EQ(list.At(selected)->kind, CLookInEntry::Kind::Project);
    EXPECT_EQ(list.At(selected)->path, "Serif Fonts");
    EXPECT_EQ(list.At(selected - 1)->text, "Select Project...");
    EXPECT_EQ(list.At(selected - 2)->text, "Browse For Folder...");
    // A folder below no entry is an entry of its own.
    places.volumes.clear();
    selected = list.Fill(places, "/srv/fonts", false);
    EXPECT_EQ(list.At(selected)->path, "/srv/fonts");
    // Nothing chosen: the Desktop.
    EXPECT_EQ(list.Fill(places, {}, false), 0);
}

TEST(LookInListTest, TheComputerIsItsOwnEntryAndAMissingDesktopIsHome) {
    const QString home = QDir::tempPath() + "/lookin-home";
    ASSERT_TRUE(QDir().mkpath(home + "/Fonts"));
    CLookInPlaces places;
    places.desktop = home + "/no-such-desktop";
    places.home = home;
    places.volumes = {{"/", false}};
    CLookInList list;
    // Shown from the computer, "Look in:" is at the computer.
    const int computer = list.Fill(places, CLookInList::kComputer, false);
    EXPECT_EQ(list.At(computer)->kind, CLookInEntry::Kind::Computer);
    // The desktop that is not there is the home folder, with its folders.
    EXPECT_EQ(list.At(0)->text, "Desktop");
    EXPECT_EQ(list.At(0)->path, home);
    EXPECT_EQ(list.At(1)->text, "Fonts");
    EXPECT_EQ(list.At(1)->path, home + "/Fonts");
    // The home folder itself is Home's entry.
    EXPECT_EQ(list.At(list.Fill(places, home, false))->text, "Home");
    QDir(home).removeRecursively();
}
