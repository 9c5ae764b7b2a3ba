// The font map's arithmetic alone: layout, hit test, visible cells, the
// keyboard's moves and the tooltip text; and the copied character's RTF.

#include <gtest/gtest.h>

#include <numeric>

#include "ui/inspect/CharacterCopy.h"
#include "ui/inspect/FontMapModel.h"

using namespace Quillmark;

namespace {

// A model of `count` codes 0x20, 0x21, ...
CFontMapModel ModelOf(int count, int cellWidth, int cellHeight) {
    std::shared_ptr<char32_t[]> codes(new char32_t[static_cast<std::size_t>(count)]);
    std::iota(codes.get(), codes.get() + count, char32_t{0x20});
    CFontMapModel model;
    model.SetCodes(codes, count);
    model.SetCellFromFont(cellHeight - CFontMapModel::kCellPadding,
                          cellWidth - CFontMapModel::kCellPadding);
    return model;
}

}  // namespace

TEST(FontMapLayout, CellsColumnsAndExtentFromTheClientSize) {
    CFontMapModel model = ModelOf(95, 30, 40);
    EXPECT_EQ(model.CellWidth(), 30);
    EXPECT_EQ(model.CellHeight(), 40);

    // Bar not shown: 311 - 1 - 16 = 294 usable, 9 columns.
    model.Layout({311, 200}, false, 16);
    EXPECT_EQ(model.Columns(), 9);
    EXPECT_EQ(model.Rows(), 95 / 9 + 1);
    EXPECT_EQ(model.TotalWidth(), 30 * 9 + 1);
    EXPECT_EQ(model.TotalHeight(), 40 * 11 + 1);
    // The bar shown takes the same width from the client: same columns.
    model.Layout({311 - 16, 200}, true, 16);
    EXPECT_EQ(model.Columns(), 9);
    // Exactly room for 10 cells: 300 usable, the grid 301 wide.
    model.Layout({301, 200}, true, 16);
    EXPECT_EQ(model.Columns(), 10);
    EXPECT_EQ(model.TotalWidth(), 301);
    model.Layout({300, 200}, true, 16);
    EXPECT_EQ(model.Columns(), 9);

    // Narrower than a cell: no columns, no rows, and nothing is hit.
    model.Layout({20, 200}, true, 16);
    EXPECT_EQ(model.Columns(), 0);
    EXPECT_EQ(model.Rows(), 0);
    EXPECT_EQ(model.HitTest({5, 5}), 0);
    EXPECT_EQ(model.VisibleCells(0, 200), std::make_pair(0, 0));

    // Without a font the extent is the client.
    model.ClearFont();
    model.Layout({311, 200}, false, 16);
    EXPECT_EQ(model.TotalWidth(), 311);
    EXPECT_EQ(model.TotalHeight(), 200);
    EXPECT_EQ(model.HitTest({5, 5}), 0);
}

TEST(FontMapLayout, HitTestAndCellRectanglesAgree) {
    // 95 codes 0x20..0x7E: 94 cells, the first showing "!" (entry 1).
    CFontMapModel model = ModelOf(95, 30, 40);
    model.Layout({301, 400}, true, 16);  // 10 columns
    ASSERT_EQ(model.Columns(), 10);
    EXPECT_EQ(model.HitTest({0, 0}), 1);
    EXPECT_EQ(model.Code(1), u'!');
    EXPECT_EQ(model.Code(0), 0);
    EXPECT_EQ(model.Code(95), 0);
    EXPECT_EQ(model.HitTest({29, 39}), 1);
    EXPECT_EQ(model.HitTest({30, 0}), 2);
    EXPECT_EQ(model.HitTest({0, 40}), 11);
    EXPECT_EQ(model.HitTest({299, 80}), 30);
    // The last cell, 94, is row 9 column 3; cell 95 would be entry 95.
    EXPECT_EQ(model.HitTest({3 * 30 + 1, 9 * 40 + 1}), 94);
    EXPECT_EQ(model.HitTest({4 * 30 + 1, 9 * 40 + 1}), 0);
    // The right and bottom edges of the grid, and points outside it.
    EXPECT_EQ(model.HitTest({model.TotalWidth() - 1, 0}), 0);
    EXPECT_EQ(model.HitTest({0, model.TotalHeight() - 1}), 0);
    EXPECT_EQ(model.HitTest({-1, 5}), 0);
    EXPECT_EQ(model.HitTest({5, -1}), 0);
    for (int index = 1; index < 95; ++index) {
        const QRect cell = model.CellRect(index);
        ASSERT_EQ(model.HitTest(cell.topLeft()), index);
        ASSERT_EQ(model.HitTest(cell.bottomRight()), index);
    }
    EXPECT_TRUE(model.CellRect(0).isEmpty());
    EXPECT_TRUE(model.CellRect(95).isEmpty());

    // The cells of a band of the grid: rows 1 and 2 from y 45 to 119.
    EXPECT_EQ(model.VisibleCells(45, 75), std::make_pair(11, 31));
    EXPECT_EQ(model.VisibleCells(0, 1000), std::make_pair(1, 95));
    EXPECT_EQ(model.VisibleCells(9 * 40, 40), std::make_pair(91, 95));
}

TEST(FontMapLayout, ScrollingShowsTheWholeCellWithTheLeastMove) {
    const QRect cell(0, 400, 30, 40);
    EXPECT_EQ(CFontMapModel::ScrollToShow(cell, 0, 300), 400 + 40 - 300);  // at the bottom
    EXPECT_EQ(CFontMapModel::ScrollToShow(cell, 420, 300), 400);           // at the top
    EXPECT_EQ(CFontMapModel::ScrollToShow(cell, 300, 300), 300);           // already shown
    EXPECT_EQ(CFontMapModel::ScrollToShow(cell, 0, 20), 400);  // taller than the view: its top
    EXPECT_EQ(CFontMapModel::ScrollToShow(QRect(), 77, 300), 77);
}

TEST(FontMapKeyboard, EveryKeyAndBothEnds) {
    // 100 entries: cells 1..99, 10 columns, 3 whole rows in view.
    CFontMapModel model = ModelOf(100, 30, 40);
    model.Layout({301, 130}, true, 16);
    ASSERT_EQ(model.Columns(), 10);
    const auto after = [&](int selected, int key, bool control = false) {
        model.selected = selected;
        return model.SelectionAfterKey(key, control, 3);
    };
    EXPECT_EQ(after(3, Qt::Key_PageUp), 1);
    EXPECT_EQ(after(45, Qt::Key_PageUp), 15);
    EXPECT_EQ(after(45, Qt::Key_PageDown), 75);
    EXPECT_EQ(after(80, Qt::Key_PageDown), 99);
    EXPECT_EQ(after(45, Qt::Key_End), 50);
    EXPECT_EQ(after(50, Qt::Key_End), 50);  // already the row's last
    EXPECT_EQ(after(91, Qt::Key_End), 99);  // the last row is short
    EXPECT_EQ(after(45, Qt::Key_End, true), 99);
    EXPECT_EQ(after(45, Qt::Key_Home), 41);
    EXPECT_EQ(after(41, Qt::Key_Home), 41);
    EXPECT_EQ(after(10, Qt::Key_Home), 1);
    EXPECT_EQ(after(45, Qt::Key_Home, true), 1);
    EXPECT_EQ(after(2, Qt::Key_Left), 1);
    EXPECT_EQ(after(1, Qt::Key_Left), 1);
    EXPECT_EQ(after(11, Qt::Key_Up), 1);
    EXPECT_EQ(after(10, Qt::Key_Up), 10);  // the first row's last cell stays
    EXPECT_EQ(after(98, Qt::Key_Right), 99);
    EXPECT_EQ(after(99, Qt::Key_Right), 99);
    EXPECT_EQ(after(89, Qt::Key_Down), 99);
    EXPECT_EQ(after(95, Qt::Key_Down), 95);  // 105 is past the end
    EXPECT_EQ(after(45, Qt::Key_A), 45);
    // Nothing selected yet: the keys that move forward start from cell 1.
    EXPECT_EQ(after(0, Qt::Key_Right), 1);
    EXPECT_EQ(after(0, Qt::Key_Home), 1);
    EXPECT_EQ(after(0, Qt::Key_Down), 10);

    // No columns (the view narrower than a cell): only the moves that need
    // none; nothing divides by zero.
    model.Layout({20, 130}, true, 16);
    EXPECT_EQ(after(45, Qt::Key_End), 45);
    EXPECT_EQ(after(45, Qt::Key_Home), 45);
    EXPECT_EQ(after(45, Qt::Key_Up), 45);
    EXPECT_EQ(after(45, Qt::Key_Down), 45);
    EXPECT_EQ(after(45, Qt::Key_End, true), 99);
    EXPECT_EQ(after(45, Qt::Key_Right), 46);

    // A font with one entry or none has no cells: no key selects one.
    for (int count : {0, 1}) {
        CFontMapModel empty = ModelOf(count, 30, 40);
        empty.Layout({301, 130}, true, 16);
        for (int key : {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End, Qt::Key_Right,
                        Qt::Key_Down}) {
            for (bool control : {false, true}) {
                EXPECT_EQ(empty.SelectionAfterKey(key, control, 3), 0) << count << " " << key;
            }
        }
    }
}

TEST(FontMapToolTip, CodeAndNameCutTo79Characters) {
    EXPECT_EQ(CFontMapModel::ToolTip(u'A', QStringLiteral("LATIN CAPITAL LETTER A")),
              QStringLiteral("0041 - LATIN CAPITAL LETTER A"));
    EXPECT_EQ(CFontMapModel::ToolTip(0xFFFD, QStringLiteral("REPLACEMENT CHARACTER")),
              QStringLiteral("FFFD - REPLACEMENT CHARACTER"));
    EXPECT_EQ(CFontMapModel::ToolTip(0xE000, QString()), QStringLiteral("E000"));
    EXPECT_EQ(CFontMapModel::ToolTip(0x1F600, QStringLiteral("GRINNING FACE")),
              QStringLiteral("1F600 - GRINNING FACE"));
    const QString tip = CFontMapModel::ToolTip(0x0041, QString(100, QLatin1Char('X')));
    EXPECT_EQ(tip.size(), 79);
    EXPECT_TRUE(tip.startsWith(QStringLiteral("0041 - XXX")));
}

// The map lists the 16-bit map's characters as they stand, first, then the
// 32-bit map's past U+FFFF; a font with only the latter shows them all.
TEST(FontMapCodes, The16BitListFirstThenEachCharacterPastUFFFF) {
    using Varnholt::OpenTypeFontData::CcmapTable;
    CcmapTable::Data map;
    EXPECT_EQ(CFontMapModel::CodesOf(map).second, 0);
    map.supplementary = {{0x1F600, 0x1F602}, {0x20000, 0x20000}};
    auto [only, onlyCount] = CFontMapModel::CodesOf(map);
    ASSERT_EQ(onlyCount, 5);
    CFontMapModel model;
    model.SetCodes(only, onlyCount);
    EXPECT_EQ(model.Code(0), 0u) << "entry 0 is never shown";
    EXPECT_EQ(model.Code(1), 0x1F600u);
    EXPECT_EQ(model.Code(3), 0x1F602u);
    EXPECT_EQ(model.Code(4), 0x20000u);
    EXPECT_EQ(model.Code(5), 0u);
}

TEST(CharacterCopy, RtfAsBuiltWithNamesOutsideAsciiEscaped) {
    EXPECT_EQ(CharacterRtf(u'A', QStringLiteral("Serif Sample")),
              QByteArray("{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset0 Serif "
                         "Sample;}}\\pard\\f0\\fs24 \\u65?}"));
    EXPECT_EQ(CharacterRtf(0x00E9, QStringLiteral("Serif Sample")),
              QByteArray("{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset0 Serif "
                         "Sample;}}\\pard\\f0\\fs24 \\u233?}"));
    // Every character is written unsigned, as the character is; past
    // U+FFFF, its two UTF-16 units.
    EXPECT_TRUE(CharacterRtf(0xFFFD, QStringLiteral("X")).endsWith("\\u65533?}"));
    EXPECT_TRUE(CharacterRtf(0x1F600, QStringLiteral("X")).endsWith("\\fs24 \\u55357?\\u56832?}"));
    // Outside ASCII: each UTF-16 unit an escape; nothing is lost.
    EXPECT_EQ(CharacterRtf(u'A', QString::fromUtf8("Caf\u00E9 \u6C38")),
              QByteArray("{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset0 Caf\\u233? "
                         "\\u27704?;}}\\pard\\f0\\fs24 \\u65?}"));
    // RTF's own characters in a name are escaped: the text stays well formed.
    EXPECT_EQ(CharacterRtf(u'A', QStringLiteral("A{b}\\c")),
              QByteArray("{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset0 A\\{b\\}\\\\c;}}"
                         "\\pard\\f0\\fs24 \\u65?}"));
}
