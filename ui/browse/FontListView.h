#pragma once

// The list of fonts as a widget: one row per font file, its name, file name
// and size above a line of preview text drawn from the font's own file. It
// draws, sorts when a header is clicked, keeps its columns filling its
// width, and reports the row the user selects; what the rows are and what a
// selection means is its controller's business.

#include <QFont>
#include <functional>

#include "ui/common/FontRowsView.h"

namespace Quillmark {

class CFontItem;
class CFontListModel;
class CProgramOptions;

class CFontListView : public CFontRowsView {
    Q_OBJECT

public:
    // The model outlives the view or goes first; the view never owns it.
    CFontListView(CFontListModel& model, const CProgramOptions& options, QFont uiFont,
                  QWidget* parent = nullptr);

    CFontListModel& Model() const { return m_model; }

    void SortBy(int column, bool descending);
    int SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_sortDescending; }

    // Selects the first row of this file name (any letter case) and nothing
    // else, and shows it; reported like a selection by the user.
    void SelectFile(const QString& fileName);
    // Selects and shows the row of `item`, when there is one, without
    // reporting it.
    void ShowFont(const CFontItem* item);

    // Runs a drag of the selected rows when the user starts one (the
    // list's commands do); without it no drag starts.
    void SetDragStarter(std::function<void()> starter) { m_dragStarter = std::move(starter); }

signals:
    // A row became selected: its font, or null when the font is unreadable.
    void FontChosen(const CFontItem* font);
    // The user sorted by clicking a column header.
    void SortChosen(int column, bool descending);

protected:
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    void OnHeaderClicked(int section);

    CFontListModel& m_model;
    int m_sortColumn = 0;
    bool m_sortDescending = false;
    bool m_reporting = true;  // false while ShowFont selects
    std::function<void()> m_dragStarter;
};

}  // namespace Quillmark
