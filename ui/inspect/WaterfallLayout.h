#pragma once

// Where the waterfall draws, without widgets: one line of the text at each
// standard preview size, smallest first, each under the last with its size
// beside it ("24 px") in a margin of its own.

#include <QRectF>
#include <QString>
#include <vector>

namespace Quillmark {

struct CWaterfallLine {
    unsigned short size = 0;  // the cell height, pixels
    QRectF label;             // where the size is written
    QRectF text;              // where the line is drawn
};

class CWaterfallLayout {
public:
    static constexpr qreal kMargin = 8;
    static constexpr qreal kGap = 6;  // between one line's cell and the next

    // The lines at `width` pixels, with a label column `labelWidth` wide.
    static std::vector<CWaterfallLine> Lines(qreal width, qreal labelWidth);
    // The height all the lines take, margins included.
    static qreal Height();
    // The label of a size: "24 px".
    static QString Label(unsigned short size);
};

}  // namespace Quillmark
