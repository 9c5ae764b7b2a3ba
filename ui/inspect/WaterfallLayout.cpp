#include "ui/inspect/WaterfallLayout.h"

#include <algorithm>

#include "ui/inspect/DetailFrameState.h"

namespace Quillmark {

std::vector<CWaterfallLine> CWaterfallLayout::Lines(qreal width, qreal labelWidth) {
    std::vector<CWaterfallLine> lines;
    qreal top = kMargin;
    const qreal textLeft = kMargin + labelWidth + kMargin;
    const qreal textWidth = std::max<qreal>(0, width - textLeft - kMargin);
    for (const unsigned short size : CDetailFrameState::kStandardSizes) {
        CWaterfallLine line;
        line.size = size;
        line.text = QRectF(textLeft, top, textWidth, size);
        // The label sits on the line's middle, whatever the line's size.
        line.label = QRectF(kMargin, top, labelWidth, size);
        lines.push_back(line);
        top += size + kGap;
    }
    return lines;
}

qreal CWaterfallLayout::Height() {
    qreal height = kMargin;
    for (const unsigned short size : CDetailFrameState::kStandardSizes) {
        height += size + kGap;
    }
    return height - kGap + kMargin;
}

QString CWaterfallLayout::Label(unsigned short size) {
    return CDetailFrameState::SizeText(size);
}

}  // namespace Quillmark
