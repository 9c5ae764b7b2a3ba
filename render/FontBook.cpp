#include "render/FontBook.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/PathText.h"
#include "fontdata/item/FontItem.h"
#include "render/ExactFont.h"
#include "render/PreviewLine.h"

namespace Quillmark {

CFontBookLayout::CFontBookLayout(QSizeF pageSize, int dpiX, int dpiY, int pointSize,
                                 int titleHeight)
    : CFontBookLayout(pageSize, QMargins(dpiX / 2, dpiY / 2, dpiX / 2, dpiY / 2), dpiY, pointSize,
                      titleHeight) {}

CFontBookLayout::CFontBookLayout(QSizeF pageSize, QMargins margins, int dpiY, int pointSize,
                                 int titleHeight)
    : m_margins(margins),
      m_printableWidth(
          std::max(1, static_cast<int>(pageSize.width()) - margins.left() - margins.right())),
      m_titleHeight(titleHeight),
      m_sampleHeight(SampleHeight(pointSize, dpiY)),
      m_blockHeight(std::max(1, titleHeight + 2 * m_sampleHeight)) {
    const int printableHeight =
        static_cast<int>(pageSize.height()) - margins.top() - margins.bottom();
    // A block taller than the page still gets a page of its own, cut at
    // the bottom margin, rather than no page at all.
    m_blocksPerPage = std::max(1, printableHeight / m_blockHeight);
}

int CFontBookLayout::TitlePixelSize(int dpiY) {
    return std::max(1, static_cast<int>(std::lround(0.1389 * dpiY)));
}

int CFontBookLayout::SampleHeight(int pointSize, int dpiY) {
    // Twentieths of a point, as the size is kept, then to pixels.
    const long long twips = static_cast<long long>(pointSize) * 20;
    return static_cast<int>(twips * dpiY / 1440);
}

int CFontBookLayout::PageCount(int fonts) const {
    if (fonts <= 0) {
        return 1;
    }
    return (fonts + m_blocksPerPage - 1) / m_blocksPerPage;
}

int CFontBookLayout::CountOnPage(int page, int fonts) const {
    const int first = FirstOnPage(page);
    return std::clamp(fonts - first, 0, m_blocksPerPage);
}

CFontBookEntry FontBookEntryOf(const CFontItem& item, const CFontBookText& text) {
    CFontBookEntry entry;
    entry.path = PathText(item.GetPath());
    entry.fileName = ShownPath(item.GetFileName()) + QString::fromStdString(item.GetFaceSuffix());
    entry.readable = item.GetStatus() == CFontItem::Loaded;
    entry.name = QString::fromStdU16String(entry.readable ? item.GetName() : item.GetDisplayName());
    entry.data = item.GetData();
    if (entry.readable) {
        const QString line1 = PreviewTextFor(item, text.line1);
        const QString line2 = PreviewTextFor(item, text.line2);
        if (line1 != text.line1 || line2 != text.line2) {
            entry.lines = {line1};
            // The same substitute twice says nothing more.
            if (line2 != line1) {
                entry.lines.append(line2);
            }
        }
    }
    return entry;
}

QFont FontBookTitleFont(int dpiY) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setPixelSize(CFontBookLayout::TitlePixelSize(dpiY));
    return font;
}

QString FontBookTitle(const CFontBookEntry& entry) {
    return QStringLiteral("%1 (%2)").arg(entry.name, entry.fileName);
}

CFontBookLayout FontBookLayoutFor(QPagedPaintDevice& device, const CFontBookText& text) {
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    const QFontMetrics title(FontBookTitleFont(dpiY), &device);
    const QSizeF sheet = device.pageLayout().fullRectPixels(dpiY).size();
    if (!text.margins) {
        return CFontBookLayout(sheet, dpiX, dpiY, text.pointSize, title.height());
    }
    const auto pixels = [](qreal points, int dpi) {
        return std::max(0, static_cast<int>(std::lround(points * dpi / 72.0)));
    };
    const QMarginsF& points = *text.margins;
    const QMargins margins(pixels(points.left(), dpiX), pixels(points.top(), dpiY),
                           pixels(points.right(), dpiX), pixels(points.bottom(), dpiY));
    return CFontBookLayout(sheet, margins, dpiY, text.pointSize, title.height());
}

int PaintFontBook(QPainter& painter, QPagedPaintDevice& device,
                  const std::vector<CFontBookEntry>& fonts, const CFontBookText& text, int fromPage,
                  int toPage) {
    const CFontBookLayout layout = FontBookLayoutFor(device, text);
    const int count = static_cast<int>(fonts.size());
    const int pages = layout.PageCount(count);
    const int first = fromPage > 0 ? std::min(fromPage, pages) : 1;
    const int last = toPage > 0 ? std::clamp(toPage, first, pages) : pages;
    const QFont titleFont = FontBookTitleFont(device.logicalDpiY());
    const QFontMetrics titleMetrics(titleFont, &device);
    auto& cache = Platform::CExactFontCache::Instance();

    int painted = 0;
    for (int page = first; page <= last; ++page) {
        if (painted > 0) {
            device.newPage();
        }
        ++painted;
        const int firstFont = layout.FirstOnPage(page);
        const int onPage = layout.CountOnPage(page, count);
        const QRect sheet(0, 0, device.width(), device.height());
        painter.save();
        // Nothing is drawn into the bottom margin, not even by a block taller
        // than the page.
        painter.setClipRect(sheet.adjusted(0, 0, 0, -layout.BottomMargin()));
        for (int i = 0; i < onPage; ++i) {
            const CFontBookEntry& entry = fonts[static_cast<std::size_t>(firstFont + i)];
            const int top = layout.TopMargin() + i * layout.BlockHeight();
            const QRect titleRect(layout.LeftMargin(), top, layout.PrintableWidth(),
                                  layout.TitleHeight());
            painter.setFont(titleFont);
            painter.setPen(Qt::black);
            painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                             titleMetrics.elidedText(FontBookTitle(entry), Qt::ElideRight,
                                                     layout.PrintableWidth()));
            if (!entry.readable) {
                continue;
            }
            Platform::CTextLook look;
            look.cellHeight = layout.SampleHeight();
            look.quality = Rendering::Default;
            look.data = entry.data;
            look.symbolFont = entry.data != nullptr && entry.data->IsSymbolFont();
            int lineTop = top + layout.TitleHeight();
            const QStringList lines =
                entry.lines.isEmpty() ? QStringList{text.line1, text.line2} : entry.lines;
            for (const QString& line : lines) {
                const QRectF rect(layout.LeftMargin(), lineTop, layout.PrintableWidth(),
                                  layout.SampleHeight());
                if (!cache.DrawLine(painter, rect, entry.path, look, line, Qt::black)) {
                    // Said once, where the samples would be.
                    DrawUndrawableNote(painter, rect, titleFont, Qt::black);
                    break;
                }
                lineTop += layout.SampleHeight();
            }
        }
        painter.restore();
    }
    return painted;
}

}  // namespace Quillmark
