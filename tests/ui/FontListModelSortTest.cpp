// The font list's rows and their orderings, over fonts built in code.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <filesystem>
#include <set>

#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TemporaryHome.h"
#include "ui/browse/FontListModel.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

const auto& kHome = TemporaryHome();

fs::path NamedFont(const std::string& file, const std::u16string& fullName) {
    const fs::path path = kHome.Root() / file;
    WriteFile(path.string(), BuildFont({{"name", NameTable({{3, 1, 0x0409, 4, fullName}})}}));
    return path;
}

// `count` fonts with names and sizes out of step with their file names:
// font i is "Name (37 i mod count)", file f<i>.ttf, and padded to one of
// three sizes.
std::vector<CFontHandle> Fonts(CFontManager& manager, const std::string& folder, int count) {
    fs::create_directories(kHome.Root() / folder);
    std::vector<CFontHandle> fonts;
    for (int i = 0; i < count; ++i) {
        const fs::path path = kHome.Root() / folder / ("f" + std::to_string(i) + ".ttf");
        const std::string name = "Name " + std::to_string((37 * i) % count + 1000);
        WriteFile(
            path.string(),
            BuildFont({{"name",
                        NameTable({{3, 1, 0x0409, 4, std::u16string(name.begin(), name.end())}})}},
                      0x00010000, 100 + 100 * static_cast<std::size_t>(i % 3)));
        fonts.push_back(manager.Open(path));
    }
    return fonts;
}

void Append(CFontListModel& model, const std::vector<CFontHandle>& fonts) {
    std::vector<CFontListModel::CNewRow> rows;
    for (const CFontHandle& font : fonts) {
        rows.push_back({font, QString::fromStdU16String(font->GetDisplayName())});
    }
    model.AppendRows(std::move(rows));
}

std::set<const CFontItem*> SelectedItems(const CFontListModel& model,
                                         const QItemSelectionModel& selection) {
    std::set<const CFontItem*> items;
    for (const QModelIndex& index : selection.selectedRows()) {
        items.insert(model.ItemAt(index.row()));
    }
    return items;
}

// Every row is found again by its item and its file name.
void ExpectIndexesFindEveryRow(const CFontListModel& model) {
    for (int row = 0; row < model.rowCount(); ++row) {
        EXPECT_EQ(model.RowOf(model.ItemAt(row)), row);
        const QString file = model.index(row, CFontListModel::FileColumn).data().toString();
        EXPECT_EQ(model.RowOfFileName(file.toUpper()), row) << file.toStdString();
    }
}

std::vector<QString> Names(const CFontListModel& model) {
    std::vector<QString> names;
    for (int row = 0; row < model.rowCount(); ++row) {
        names.push_back(model.index(row, CFontListModel::NameColumn).data().toString());
    }
    return names;
}

}  // namespace

// Fonts that could not be read have no name: they gather at the front in
// ascending order and at the end in descending order, whatever their
// messages say, and keep the order they came in.
TEST(FontListModelTest, UnreadableRowsGatherAtOneEndOfTheNameOrder) {
    const fs::path corrupt = kHome.Root() / "corrupt.ttf";
    WriteFile(corrupt.string(), Bytes(64, 0x55));
    const std::vector<fs::path> paths = {
        NamedFont("z.ttf", u"Zebra Serif"),   corrupt,
        NamedFont("a.ttf", u"Aardvark Sans"), kHome.Root() / "missing.ttf",
        NamedFont("f.ttf", u"Fennec Mono"),
    };
    CFontManager manager(nullptr, nullptr);
    CFontListModel model(manager);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::vector<CFontListModel::CNewRow> rows;
    for (const fs::path& path : paths) {
        CFontHandle item = manager.Open(path);
        rows.push_back({item, QString::fromStdU16String(item->GetDisplayName())});
    }
    model.AppendRows(std::move(rows));
    ASSERT_EQ(model.rowCount(), 5);

    model.Sort(CFontListModel::NameColumn, false);
    EXPECT_EQ(Names(model),
              (std::vector<QString>{"ERROR: Font file is corrupt", "ERROR: Could not open file",
                                    "Aardvark Sans", "Fennec Mono", "Zebra Serif"}));
    model.Sort(CFontListModel::NameColumn, true);
    EXPECT_EQ(Names(model),
              (std::vector<QString>{"Zebra Serif", "Fennec Mono", "Aardvark Sans",
                                    "ERROR: Font file is corrupt", "ERROR: Could not open file"}));
}

// Each ordering's keys put every neighbouring pair in the item's order, the
// selection and the current row follow their fonts, and the indexes find
// the rows where they went.
TEST(FontListModelTest, SortKeepsTheSelectionOnItsFonts) {
    CFontManager manager(nullptr, nullptr);
    CFontListModel model(manager);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QItemSelectionModel selection(&model);
    Append(model, Fonts(manager, "sorted", 60));
    for (const int row : {3, 4, 5, 17, 42}) {
        selection.select(model.index(row, 0),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    selection.setCurrentIndex(model.index(17, 1), QItemSelectionModel::NoUpdate);
    const auto selected = SelectedItems(model, selection);
    const CFontItem* current = model.ItemAt(17);
    ASSERT_EQ(selected.size(), 5u);

    using Ordering = int (*)(const CFontItem*, const CFontItem*);
    const std::pair<int, Ordering> orderings[] = {
        {CFontListModel::FileColumn, &CFontItem::CompareByFileName},
        {CFontListModel::SizeColumn, &CFontItem::CompareBySize},
        {CFontListModel::NameColumn, &CFontItem::CompareByName}};
    for (const auto& [column, compare] : orderings) {
        for (const bool descending : {false, true}) {
            model.Sort(column, descending);
            for (int row = 1; row < model.rowCount(); ++row) {
                const CFontItem* a = model.ItemAt(row - 1);
                const CFontItem* b = model.ItemAt(row);
                const int order = descending ? compare(b, a) : compare(a, b);
                if (column != CFontListModel::SizeColumn) {
                    EXPECT_GE(order, 0) << "column " << column << " row " << row;
                } else if (a->GetFileSize() != b->GetFileSize()) {
                    EXPECT_EQ(order, 1) << "row " << row;  // the size ordering never ties
                }
            }
            EXPECT_EQ(SelectedItems(model, selection), selected);
            EXPECT_EQ(model.ItemAt(selection.currentIndex().row()), current);
            EXPECT_EQ(selection.currentIndex().column(), 1);
            ExpectIndexesFindEveryRow(model);
        }
    }
    // Equal sizes keep the order they had: a stable sort.
    model.Sort(CFontListModel::NameColumn, false);
    std::vector<const CFontItem*> byName;
    for (int row = 0; row < model.rowCount(); ++row) byName.push_back(model.ItemAt(row));
    model.Sort(CFontListModel::SizeColumn, false);
    std::vector<const CFontItem*> sameSize;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.ItemAt(row)->GetFileSize() == model.ItemAt(0)->GetFileSize()) {
            sameSize.push_back(model.ItemAt(row));
        }
    }
    std::vector<const CFontItem*> expected;
    for (const CFontItem* item : byName) {
        if (item->GetFileSize() == model.ItemAt(0)->GetFileSize())
            expected.push_back(item);
    }
    EXPECT_EQ(sameSize, expected);
}

// Rows of scattered fonts, runs of neighbours, the first and the last row go
// in one call; the rest keep their order and their selection, and the fonts
// that went are given back to the manager.
TEST(FontListModelTest, BatchRemovalAndAdditionKeepTheModelConsistent) {
    CFontManager manager(nullptr, nullptr);
    CFontListModel model(manager);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QItemSelectionModel selection(&model);
    const std::vector<CFontHandle> fonts = Fonts(manager, "batch", 50);
    Append(model, fonts);
    model.Sort(CFontListModel::NameColumn, false);

    std::vector<const CFontItem*> going;
    std::vector<const CFontItem*> staying;
    for (int row = 0; row < model.rowCount(); ++row) {
        const bool goes = row == 0 || row == 49 || row % 7 == 3 || (row >= 20 && row < 26);
        (goes ? going : staying).push_back(model.ItemAt(row));
        if (row % 5 == 0) {
            selection.select(model.index(row, 0),
                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    selection.setCurrentIndex(model.index(30, 0), QItemSelectionModel::NoUpdate);
    const CFontItem* current = model.ItemAt(30);
    std::set<const CFontItem*> selectedStaying;
    for (const CFontItem* item : SelectedItems(model, selection)) {
        if (std::find(going.begin(), going.end(), item) == going.end()) {
            selectedStaying.insert(item);
        }
    }
    std::vector<const CFontItem*> goingAndUnknown = going;
    goingAndUnknown.push_back(nullptr);  // not listed: ignored

    EXPECT_EQ(model.RemoveItems(goingAndUnknown), static_cast<int>(going.size()));
    ASSERT_EQ(model.rowCount(), static_cast<int>(staying.size()));
    for (int row = 0; row < model.rowCount(); ++row) {
        EXPECT_EQ(model.ItemAt(row), staying[static_cast<std::size_t>(row)]) << row;
    }
    EXPECT_EQ(SelectedItems(model, selection), selectedStaying);
    EXPECT_EQ(model.ItemAt(selection.currentIndex().row()), current);
    ExpectIndexesFindEveryRow(model);
    for (const CFontItem* item : going) {
        EXPECT_EQ(model.RowOf(item), -1);
    }
    EXPECT_EQ(model.RemoveItems(going), 0);

    // The rows that went let go of their handles: only the test's are left.
    for (const CFontHandle& font : fonts) {
        const bool listed = model.RowOf(font.get()) >= 0;
        EXPECT_EQ(font.use_count(), listed ? 2 : 1);
    }

    // They come back in one batch and are sorted once with the rest.
    std::vector<CFontHandle> back;
    for (const CFontItem* item : going) back.push_back(manager.Hold(item));
    Append(model, back);
    model.Sort(CFontListModel::NameColumn, false);
    EXPECT_EQ(model.rowCount(), 50);
    EXPECT_EQ(SelectedItems(model, selection), selectedStaying);
    ExpectIndexesFindEveryRow(model);
}
