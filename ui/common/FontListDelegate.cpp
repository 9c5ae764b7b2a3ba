#include "ui/common/FontListDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "fontdata/item/FontItem.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"
#include "ui/common/FontListRoles.h"

namespace Quillmark {

namespace {
constexpr int kMargin = 2;
constexpr int kIconSize = 16;
}  // namespace

CFontListDelegate::CFontListDelegate(const CProgramOptions& options, QFont uiFont, QObject* parent)
    : QStyledItemDelegate(parent), m_options(options), m_uiFont(std::move(uiFont)) {
    const QStyle* style = QApplication::style();
    m_fontIcon = QIcon::fromTheme(QStringLiteral("font-x-generic"),
                                  style->standardIcon(QStyle::SP_FileIcon));
    m_errorIcon = QIcon::fromTheme(QStringLiteral("dialog-error"),
                                   style->standardIcon(QStyle::SP_MessageBoxCritical));
    Refresh();
}

void CFontListDelegate::Refresh() {
    m_textHeight = QFontMetrics(m_uiFont).height();
    m_previewHeight = static_cast<int>(m_options.GetFontListCharSize());
    m_previewLook = {m_previewHeight, m_options.GetFontListRenderingOption()};
    m_previewText = m_options.GetFontListText();
}

int CFontListDelegate::FirstLineHeight() const {
    return std::max(kIconSize, m_textHeight) + 4;
}

int CFontListDelegate::RowHeight() const {
    return FirstLineHeight() + m_previewHeight + 4;
}

QSize CFontListDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {1, RowHeight()};
}

void CFontListDelegate::BeginPaint(int budgetMs) {
    m_budgetMs = budgetMs;
    m_paintClock.start();
    m_readOne = false;
    m_leftUndrawn = false;
}

bool CFontListDelegate::MayRead(bool ready) const {
    if (ready || m_budgetMs <= 0) {
        return true;
    }
    if (m_readOne && m_paintClock.elapsed() >= m_budgetMs) {
        m_leftUndrawn = true;
        return false;
    }
    m_readOne = true;
    return true;
}

void CFontListDelegate::PaintRow(QPainter* painter, const QRect& row, const QModelIndex& index,
                                 bool selected, const CColumns& columns,
                                 const QPalette& palette) const {
    const QColor background =
        selected ? palette.color(QPalette::Highlight) : palette.color(QPalette::Base);
    const QColor foreground =
        selected ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text);
    painter->fillRect(row, background);
    const auto* item =
        static_cast<const CFontItem*>(index.data(FontList::ItemRole).value<const void*>());
    if (item == nullptr) {
        return;
    }
    const QAbstractItemModel* model = index.model();
    const Varnholt::FontStatus status = item->GetStatus();
    int left = row.left();

    // Search by character: the character in a framed cell at the left.
    if (m_searchCharacter != 0 && status == CFontItem::Loaded) {
        const int side = row.height() - 4;
        const QRect cell(left + kMargin, row.top() + kMargin, side, side);
        painter->fillRect(cell, palette.color(QPalette::Window));
        painter->setPen(Qt::black);
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
        Platform::CTextLook look;
        look.cellHeight = side;
        look.quality = m_options.GetCharDetailRenderingOption();
        look.data = item->GetData();
        look.symbolFont = look.data != nullptr && look.data->IsSymbolFont();
        const QString path = PathText(item->GetPath());
        auto& fonts = Platform::CExactFontCache::Instance();
        if (MayRead(fonts.Holds(path, look))) {
            const QString text = QString::fromUcs4(&m_searchCharacter, 1);
            const qreal width = fonts.Shape(path, look, text).width;
            fonts.DrawLine(*painter,
                           QRectF(cell.left() + (side - width) / 2, cell.top(), width + 1, side),
                           path, look, text, palette.color(QPalette::WindowText));
        }
        left += side + kMargin;
    }

    const int iconOffset = m_textHeight > kIconSize ? (m_textHeight - kIconSize) / 2 : 0;
    const int textOffset = m_textHeight <= kIconSize ? (kIconSize - m_textHeight) / 2 : 0;
    const QIcon& icon = status == CFontItem::Loaded ? m_fontIcon : m_errorIcon;
    const int iconWidth = std::min(kIconSize, columns.width[0] - kMargin);
    if (iconWidth > 0) {
        icon.paint(painter,
                   QRect(left + kMargin, row.top() + kMargin + iconOffset, iconWidth, kIconSize));
    }

    painter->setFont(m_uiFont);
    painter->setPen(foreground);
    const QFontMetrics metrics(m_uiFont);
    const int textTop = row.top() + kMargin + textOffset;
    for (int column = 0; column < FontList::ColumnCount; ++column) {
        if (columns.width[column] <= 0) {
            continue;
        }
        int from = columns.left[column];
        // A little room before the next column's text.
        const int to = columns.left[column] + columns.width[column] - 6;
        if (column == 0) {
            from = left + kMargin + kIconSize + kMargin;
        }
        if (to - from <= 0) {
            continue;
        }
        const QString text = model->index(index.row(), column).data(Qt::DisplayRole).toString();
        painter->drawText(QRect(from, textTop, to - from, m_textHeight),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          metrics.elidedText(text, Qt::ElideRight, to - from));
    }

    if (status == CFontItem::Loaded && MayRead(PreviewLineReady(*item, m_previewLook))) {
        const int top = row.top() + FirstLineHeight() + kMargin;
        const QRectF line(left + kMargin, top, row.right() - left - kMargin, row.bottom() - top);
        if (!DrawPreviewLine(*painter, line, *item, m_previewLook, m_previewText, foreground)) {
            // Half the row's text colour: grey, or pale on a selected row.
            QColor note = foreground;
            note.setAlphaF(0.5);
            DrawUndrawableNote(*painter, line, m_uiFont, note);
        }
    }
    painter->setPen(QColor(0x80, 0x80, 0x80));
    painter->drawLine(row.left(), row.bottom(), row.right(), row.bottom());
}

}  // namespace Quillmark
