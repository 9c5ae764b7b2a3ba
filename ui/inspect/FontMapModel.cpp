#include "ui/inspect/FontMapModel.h"

#include <Qt>
#include <algorithm>

namespace Quillmark {

void CFontMapModel::SetCodes(std::shared_ptr<const char32_t[]> codes, int count) {
    m_codes = std::move(codes);
    m_count = m_codes != nullptr ? count : 0;
    m_hasFont = true;
}

std::pair<std::shared_ptr<const char32_t[]>, int> CFontMapModel::CodesOf(
    const Varnholt::OpenTypeFontData::CcmapTable::Data& map) {
    // The 16-bit map's list as it stands (its first entry is never shown),
    // then the 32-bit map's characters past U+FFFF, in code order.
    std::vector<std::uint16_t> first;
    if (!map.subtables.empty()) {
        first = map.subtables.front().Codes();
    }
    std::size_t count = first.size();
    for (const auto& range : map.supplementary) {
        count += std::size_t{range.last} - range.first + 1;
    }
    if (count == 0) {
        return {nullptr, 0};
    }
    // A list without a first entry gets one that is not shown, so that the
    // characters past U+FFFF are all shown.
    const bool placeholder = first.empty();
    count += placeholder ? 1 : 0;
    auto codes = std::make_shared<char32_t[]>(count);
    std::size_t at = placeholder ? 1 : 0;
    for (const std::uint16_t code : first) {
        codes[at++] = code;
    }
    for (const auto& range : map.supplementary) {
        for (char32_t code = range.first; code <= range.last; ++code) {
            codes[at++] = code;
        }
    }
    return {std::move(codes), static_cast<int>(count)};
}

void CFontMapModel::ClearFont() {
    m_codes.reset();
    m_count = 0;
    m_hasFont = false;
}

char32_t CFontMapModel::Code(int index) const {
    if (index <= 0 || index >= m_count) {
        return 0;
    }
    return m_codes[static_cast<std::size_t>(index)];
}

void CFontMapModel::SetCellFromFont(int textHeight, int maxCharWidth) {
    m_cellHeight = std::max(0, textHeight) + kCellPadding;
    m_cellWidth = std::max(0, maxCharWidth) + kCellPadding;
}

void CFontMapModel::Layout(QSize client, bool scrollBarShown, int scrollBarWidth) {
    if (!m_hasFont) {
        m_columns = 0;
        m_rows = 0;
        m_totalWidth = client.width();
        m_totalHeight = client.height();
        return;
    }
    int usable = client.width() - 1;
    if (!scrollBarShown) {
        usable -= scrollBarWidth;
    }
    m_columns = m_cellWidth > 0 ? std::max(0, usable) / m_cellWidth : 0;
    m_rows = m_columns != 0 ? m_count / m_columns + 1 : 0;
    m_totalHeight = m_cellHeight * m_rows + 1;
    m_totalWidth = m_cellWidth * m_columns + 1;
}

int CFontMapModel::HitTest(QPoint point) const {
    // A point left of or above the grid (the pointer dragged out of the
    // view) is on no cell.
    if (!m_hasFont || m_columns == 0 || point.x() < 0 || point.y() < 0 ||
        point.x() >= m_totalWidth - 1 || point.y() >= m_totalHeight - 1) {
        return 0;
    }
    const int row = point.y() / m_cellHeight;
    const int column = point.x() / m_cellWidth;
    const int index = m_columns * row + column + 1;
    return index < m_count ? index : 0;
}

QRect CFontMapModel::CellRect(int index) const {
    if (index <= 0 || index >= m_count || m_columns == 0) {
        return {};
    }
    const int cell = index - 1;
    return {(cell % m_columns) * m_cellWidth, (cell / m_columns) * m_cellHeight, m_cellWidth,
            m_cellHeight};
}

std::pair<int, int> CFontMapModel::VisibleCells(int top, int height) const {
    if (!m_hasFont || m_columns == 0 || m_cellHeight <= 0 || m_count <= 1) {
        return {0, 0};
    }
    const int firstRow = std::max(0, top) / m_cellHeight;
    const int lastRow = std::max(0, top + height - 1) / m_cellHeight;
    const int first = std::min(m_count, m_columns * firstRow + 1);
    const int end =
        static_cast<int>(std::min<qint64>(m_count, qint64{m_columns} * (lastRow + 1) + 1));
    return {first, std::max(first, end)};
}

int CFontMapModel::ScrollToShow(const QRect& cell, int top, int height) {
    if (cell.isEmpty()) {
        return top;
    }
    if (cell.top() < top) {
        return cell.top();
    }
    if (cell.bottom() >= top + height) {
        return std::min(cell.top(), cell.bottom() + 1 - height);
    }
    return top;
}

int CFontMapModel::SelectionAfterKey(int key, bool control, int visibleRows) const {
    const int last = m_count - 1;  // the last cell
    const int s = selected;
    if (!m_hasFont || last < 1) {
        return s;
    }
    const int page = m_columns * std::max(0, visibleRows);
    switch (key) {
        case Qt::Key_PageUp:
            return std::max(1, s - page);
        case Qt::Key_PageDown:
            return std::min(last, s + page);
        case Qt::Key_End:
            if (control) {
                return last;
            }
            if (m_columns == 0) {
                return s;
            }
            // The next multiple of the columns: the row's last cell.
            return std::min(last, (s + m_columns - 1) / m_columns * m_columns);
        case Qt::Key_Home:
            if (control || m_columns == 0) {
                return control ? 1 : s;
            }
            return s <= 0 ? 1 : (s - 1) / m_columns * m_columns + 1;
        case Qt::Key_Left:
            return s >= 2 ? s - 1 : s;
        case Qt::Key_Up:
            return m_columns != 0 && s > m_columns ? s - m_columns : s;
        case Qt::Key_Right:
            return s < last ? s + 1 : s;
        case Qt::Key_Down:
            return m_columns != 0 && s + m_columns < m_count ? s + m_columns : s;
        default:
            return s;
    }
}

QString CFontMapModel::ToolTip(char32_t code, const QString& name) {
    const QString hex =
        QStringLiteral("%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper();
    if (name.isEmpty()) {
        return hex;
    }
    return (hex + QStringLiteral(" - ") + name).left(kMaxToolTip);
}

}  // namespace Quillmark
