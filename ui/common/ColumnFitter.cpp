#include "ui/common/ColumnFitter.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTreeView>

namespace Quillmark {

CColumnFitter::CColumnFitter(QTreeView& view, const QFont& uiFont) : QObject(&view), m_view(view) {
    QHeaderView* bar = view.header();
    const QFontMetrics metrics(uiFont);
    for (int column = 0; column < 3; ++column) {
        m_minimumWidths[column] =
            metrics.horizontalAdvance(
                view.model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
            48;
    }
    connect(bar, &QHeaderView::sectionResized, this,
            [this](int section, int, int) { OnSectionResized(section); });
    connect(bar, &QHeaderView::sectionHandleDoubleClicked, this,
            &CColumnFitter::OnHandleDoubleClicked);
    // The width the columns fill is the viewport's.
    m_viewport = view.viewport();
    m_viewport->installEventFilter(this);
}

bool CColumnFitter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_viewport && event->type() == QEvent::Resize) {
        Fill(-1);
    }
    return QObject::eventFilter(watched, event);
}

void CColumnFitter::Fill(int changedSection) {
    QHeaderView* bar = m_view.header();
    const int width = m_view.viewport()->width();
    const bool sizeShown = !bar->isSectionHidden(2);
    int sizes[3] = {bar->sectionSize(0), bar->sectionSize(1), sizeShown ? bar->sectionSize(2) : 0};
    const int last = sizeShown ? 2 : 1;
    if (changedSection == 0 || (changedSection == 1 && sizeShown)) {
        const int giving = changedSection + 1;
        const int others = width - sizes[0] - sizes[1] - sizes[2] + sizes[giving];
        sizes[giving] = std::max(m_minimumWidths[giving], others);
        sizes[changedSection] =
            std::max(0, width - (sizes[0] + sizes[1] + sizes[2] - sizes[changedSection]));
    } else {
        sizes[0] = std::max(m_minimumWidths[0], width - sizes[1] - sizes[2]);
    }
    m_resizing = true;
    for (int column = 0; column <= last; ++column) {
        bar->resizeSection(column, sizes[column]);
    }
    m_resizing = false;
}

void CColumnFitter::FitAfterLoad() {
    const QScrollBar* scroll = m_view.verticalScrollBar();
    if (scroll->isVisible() && scroll->maximum() > 0) {
        return;
    }
    Fill(-1);
}

void CColumnFitter::SetWidths(int name, int file, int size) {
    QHeaderView* bar = m_view.header();
    m_resizing = true;
    bar->resizeSection(0, name);
    bar->resizeSection(1, file);
    bar->resizeSection(2, size);
    m_resizing = false;
}

void CColumnFitter::OnSectionResized(int section) {
    if (m_resizing) {
        return;
    }
    Fill(section);
}

void CColumnFitter::OnHandleDoubleClicked(int section) {
    if (section > 1) {
        return;
    }
    QHeaderView* bar = m_view.header();
    m_resizing = true;
    bar->resizeSection(section, bar->sectionSize(section) + bar->sectionSize(section + 1));
    bar->resizeSection(section + 1, 0);
    m_resizing = false;
}

}  // namespace Quillmark
