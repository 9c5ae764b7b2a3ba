#pragma once

// The widget both font lists are made of, the main window's and a search
// window's results: rows of one height drawn whole by the font list's
// delegate (name, file name and size above a preview line in the font's own
// design), the three columns kept filling the width, the header clickable
// for sorting. What a click on the header or a selection means is the
// derived view's business.

#include <QFont>
#include <QTreeView>

class QAbstractItemModel;

namespace Quillmark {

class CColumnFitter;
class CFontListDelegate;
class CProgramOptions;

class CFontRowsView : public QTreeView {
    Q_OBJECT

public:
    // The model outlives the view or goes first; the view never owns it.
    CFontRowsView(QAbstractItemModel& model, const CProgramOptions& options, QFont uiFont,
                  QWidget* parent = nullptr);
    ~CFontRowsView() override;

    CFontListDelegate& Delegate() const { return *m_delegate; }
    CColumnFitter& Columns() const { return *m_columns; }

    // While rows keep changing (results arriving), a paint reads new fonts
    // for this long at most and paints again for the rest, after the input
    // waiting by then (0: every font at once).
    void SetPaintBudget(int milliseconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    CFontListDelegate* m_delegate;
    CColumnFitter* m_columns = nullptr;
    int m_paintBudget = 0;
};

}  // namespace Quillmark
