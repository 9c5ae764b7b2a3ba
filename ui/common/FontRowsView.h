#pragma once

// The widget both font lists are made of, the main window's and a search
// window's results: rows of one height drawn whole by the font list's
// delegate (name, file name and size above a preview line in the font's own
// design), the three columns kept filling the width, the header clickable
// sorts the rows (a second click on the sort column turns the order round),
// and a drag of rows runs what the list's commands give. What a selection
// means is the derived view's business.

#include <QFont>
#include <QTreeView>
#include <functional>

namespace Quillmark {

class CColumnFitter;
class CFontListDelegate;
class CFontRows;
class CProgramOptions;

class CFontRowsView : public QTreeView {
    Q_OBJECT

public:
    // The model outlives the view or goes first; the view never owns it.
    CFontRowsView(CFontRows& rows, const CProgramOptions& options, QFont uiFont,
                  QWidget* parent = nullptr);
    ~CFontRowsView() override;

    CFontRows& Rows() const { return m_rows; }
    CFontListDelegate& Delegate() const { return *m_delegate; }
    CColumnFitter& Columns() const { return *m_columns; }

    // While rows keep changing (results arriving), a paint reads new fonts
    // for this long at most and paints again for the rest, after the input
    // waiting by then (0: every font at once).
    void SetPaintBudget(int milliseconds);

    // Sorts the rows and shows the order in the header.
    void SortBy(int column, bool descending);
    int SortColumn() const;
    bool SortDescending() const;

    // Runs a drag of the selected rows when the user starts one (the
    // list's commands do); without it no drag starts.
    void SetDragStarter(std::function<void()> starter) { m_dragStarter = std::move(starter); }
    // The keyboard modifiers held when the drag now starting began: at the
    // press of the button or while the mouse moved.
    Qt::KeyboardModifiers DragModifiers() const;

signals:
    // The user sorted by clicking a column header.
    void SortChosen(int column, bool descending);

protected:
    void paintEvent(QPaintEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void OnHeaderClicked(int section);

    CFontRows& m_rows;
    CFontListDelegate* m_delegate;
    CColumnFitter* m_columns = nullptr;
    int m_paintBudget = 0;
    std::function<void()> m_dragStarter;
    Qt::KeyboardModifiers m_dragModifiers;
};

}  // namespace Quillmark
