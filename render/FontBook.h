#pragma once

// The printed font list, a "font book": one block a font in list order, a
// title line with the font's name and file name in a small sans, then two
// sample lines drawn from the font's own file. The same pages go to a
// printer, a print preview and quillmark-cli's PDF.

#include <QFont>
#include <QMargins>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "fontdata/opentype/OpenTypeData.h"

class QPagedPaintDevice;
class QPainter;

namespace Quillmark {

class CFontItem;

// One font as the book prints it.
struct CFontBookEntry {
    QString path;
    QString name;      // the full name; for an unreadable file, the reason it is unreadable
    QString fileName;  // without its folder
    bool readable = false;
    std::shared_ptr<const Varnholt::COpenTypeData> data;  // for a readable font
    // The sample lines for this font when it cannot show the book's own
    // (a font of another script): empty to print the book's lines.
    QStringList lines;
};

struct CFontBookText {
    int pointSize = 20;  // PrintCharSize: the sample lines' size
    QString line1;       // PrintSampleTextLine1
    QString line2;       // PrintSampleTextLine2
    // The margins of a page set up by the user, in points; half an inch on
    // every side when unset.
    std::optional<QMarginsF> margins;
};

// The entry of a font item: its full name, or its status text when
// unreadable. A font that does not map the book's lines gets the lines the
// font list would show it with instead (a line of its own script), so
// that its sample shows its design rather than empty boxes.
CFontBookEntry FontBookEntryOf(const CFontItem& item, const CFontBookText& text);

// The page layout, in device pixels: half-inch margins on every side (or
// the margins given), the title line about 10 points high, each sample line
// `pointSize` points.
class CFontBookLayout {
public:
    // `pageSize`: the whole sheet in device pixels; `dpiX`/`dpiY` the device's
    // pixels per inch; `titleHeight` the title font's line height in pixels.
    CFontBookLayout(QSizeF pageSize, int dpiX, int dpiY, int pointSize, int titleHeight);
    // The same with margins of the user's, in pixels.
    CFontBookLayout(QSizeF pageSize, QMargins margins, int dpiY, int pointSize, int titleHeight);

    // The title font's pixel size for a device of this vertical resolution.
    static int TitlePixelSize(int dpiY);
    // The sample height: points through twentieths of a point to pixels.
    static int SampleHeight(int pointSize, int dpiY);

    int LeftMargin() const { return m_margins.left(); }
    int TopMargin() const { return m_margins.top(); }
    int BottomMargin() const { return m_margins.bottom(); }
    int PrintableWidth() const { return m_printableWidth; }
    int TitleHeight() const { return m_titleHeight; }
    int SampleHeight() const { return m_sampleHeight; }
    int BlockHeight() const { return m_blockHeight; }
    // At least 1, even when one block is taller than the page.
    int BlocksPerPage() const { return m_blocksPerPage; }
    // 1 for no font.
    int PageCount(int fonts) const;
    // The first font of page `page` (from 1) and how many follow on it.
    int FirstOnPage(int page) const { return (page - 1) * m_blocksPerPage; }
    int CountOnPage(int page, int fonts) const;

private:
    QMargins m_margins;
    int m_printableWidth;
    int m_titleHeight;
    int m_sampleHeight;
    int m_blockHeight;
    int m_blocksPerPage;
};

// The title font: a sans (Arial where fontconfig finds it or a font that
// stands in for it) of TitlePixelSize(dpiY) pixels, normal weight.
QFont FontBookTitleFont(int dpiY);

// The title line, "NAME (FILE NAME)".
QString FontBookTitle(const CFontBookEntry& entry);

// Paints every page on `device` with `painter` (begun on it), calling
// newPage() between pages; `fromPage`/`toPage` (from 1, 0 for all) limit
// the range as a print dialog asks. The device's paint area must be the
// whole sheet (no margins of its own): the book keeps its own. Returns the
// number of pages painted.
int PaintFontBook(QPainter& painter, QPagedPaintDevice& device,
                  const std::vector<CFontBookEntry>& fonts, const CFontBookText& text,
                  int fromPage = 0, int toPage = 0);

// The layout PaintFontBook uses on this device.
CFontBookLayout FontBookLayoutFor(QPagedPaintDevice& device, const CFontBookText& text);

}  // namespace Quillmark
