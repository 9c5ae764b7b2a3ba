#pragma once

// What the font map shows and where: the font's character list, the grid's
// arithmetic (cell size, columns, extent, hit test, the cell rectangles),
// the keyboard's moves and the hover, selection and button state. No
// widgets: the view asks it everything and draws.
//
// Cell indexes are 1-based: cell k (from 0, row by row from the top left)
// shows entry k + 1 of the code list, and 0 means no cell, so entry 0 of the
// list is never shown.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>

#include "fontdata/opentype/CmapTable.h"

namespace Quillmark {

class CFontMapModel {
public:
    // The fills of a hovered and a pressed cell, and the colour of the
    // cells' right and bottom edges (0xRRGGBB).
    static constexpr std::uint32_t kHoverFill = 0xC0C0C0;
    static constexpr std::uint32_t kPressedFill = 0x808080;
    static constexpr std::uint32_t kEdgeColor = 0xC0C0C0;
    // The room around the widest glyph and the cell height in each cell.
    static constexpr int kCellPadding = 8;
    // Tooltips are cut to this many characters.
    static constexpr int kMaxToolTip = 79;

    // The character list shown (the first Windows format 4 map of the
    // font, then the characters past U+FFFF of its 32-bit map); `count`
    // entries. Without a font, nothing is shown.
    void SetCodes(std::shared_ptr<const char32_t[]> codes, int count);
    // The list a font's character map gives: its first 16-bit map's list as
    // it stands (its first entry is never shown), then the characters past
    // U+FFFF of its 32-bit map, in code order.
    static std::pair<std::shared_ptr<const char32_t[]>, int> CodesOf(
        const Varnholt::OpenTypeFontData::CcmapTable::Data& map);
    void ClearFont();
    bool HasFont() const { return m_hasFont; }
    int Count() const { return m_count; }
    // The character of a cell; 0 for no cell.
    char32_t Code(int index) const;

    // The cell from the font's text height and its widest glyph.
    void SetCellFromFont(int textHeight, int maxCharWidth);
    int CellWidth() const { return m_cellWidth; }
    int CellHeight() const { return m_cellHeight; }

    // Lays the grid out for a client area of `client` (the viewport): its
    // usable width is one less, and less the vertical scroll bar's width
    // while the bar is not shown, so that the bar's coming and going never
    // changes the columns. Without a font the extent is the client size.
    void Layout(QSize client, bool scrollBarShown, int scrollBarWidth);
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    int TotalWidth() const { return m_totalWidth; }
    int TotalHeight() const { return m_totalHeight; }

    // The cell under a point of the whole grid (scroll position added); 0
    // for none.
    int HitTest(QPoint point) const;
    // A cell's rectangle in the whole grid; empty for no cell.
    QRect CellRect(int index) const;
    // The cells a band of the grid from `top`, `height` high, shows: the
    // first index and one past the last (equal when none).
    std::pair<int, int> VisibleCells(int top, int height) const;
    // The scroll position that shows the whole of `cell` with the least
    // move from `top` in a view `height` high.
    static int ScrollToShow(const QRect& cell, int top, int height);

    // The selection a key gives from the current one (Qt::Key values);
    // `visibleRows` whole rows fit the view. The current one when the key
    // moves nothing.
    int SelectionAfterKey(int key, bool control, int visibleRows) const;

    // "%04X - %s", cut to kMaxToolTip characters; without a name, the code.
    static QString ToolTip(char32_t code, const QString& name);

    // The state of the pointer and the selection.
    int hover = 0;
    int selected = 0;
    bool mouseDown = false;
    int contextDown = -1;  // the cell under the right button when it went down
    int contextIndex = 0;  // the cell the open or last context menu acts on

private:
    std::shared_ptr<const char32_t[]> m_codes;
    int m_count = 0;
    bool m_hasFont = false;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_columns = 0;
    int m_rows = 0;
    int m_totalWidth = 0;
    int m_totalHeight = 0;
};

}  // namespace Quillmark
