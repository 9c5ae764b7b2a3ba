#pragma once

// The list of fonts as a widget: one row per font file, its name, file name
// and size above a line of preview text drawn from the font's own file. It
// draws, sorts when a header is clicked, keeps its columns filling its
// width, and reports the current row's font while it is selected; what the
// rows are and what a selection means is its controller's business.

#include <QFont>
#include <QPersistentModelIndex>

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

    // Selects the first row of this file name (any letter case) and nothing
    // else, and shows it; reported like a selection by the user.
    void SelectFile(const QString& fileName);
    // Selects and shows the row of `item`, when there is one, without
    // reporting it.
    void ShowFont(const CFontItem* item);

signals:
    // Another row became the current one while selected, or the current
    // row became selected: its font, or null when the font is unreadable.
    void FontChosen(const CFontItem* font);

protected:
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void ReportCurrent();

    CFontListModel& m_model;
    bool m_reporting = true;           // false while ShowFont selects
    QPersistentModelIndex m_reported;  // the row last reported
};

}  // namespace Quillmark
