// The font list's rows and their orderings, over fonts built in code.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <filesystem>

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
