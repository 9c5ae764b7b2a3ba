#pragma once

// Keeps the three columns of a font list filling its width. The column
// right of the one the user widened gives way, down to its minimum (the
// header text's width plus 48 pixels), which then holds the widened column
// back; any other change of width goes to the name column. Double-clicking
// a divider gives the column right of it to the column left of it.

#include <QFont>
#include <QObject>

class QTreeView;

namespace Quillmark {

class CColumnFitter : public QObject {
    Q_OBJECT

public:
    // `view` has its model set; the fitter lives as long as the view.
    CColumnFitter(QTreeView& view, const QFont& uiFont);

    // Fills the width; `changedSection` is the column the user changed, or
    // -1 when the width changed.
    void Fill(int changedSection = -1);
    // After a load: fills the width while every row fits without scrolling.
    void FitAfterLoad();
    // Sets the widths as they are, without fitting (stored widths at start).
    void SetWidths(int name, int file, int size);
    int MinimumWidth(int column) const { return m_minimumWidths[column]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSectionResized(int section);
    void OnHandleDoubleClicked(int section);

    QTreeView& m_view;
    QObject* m_viewport = nullptr;  // compared only, never called
    int m_minimumWidths[3] = {0, 0, 0};
    bool m_resizing = false;  // the fitter itself changes widths
};

}  // namespace Quillmark
