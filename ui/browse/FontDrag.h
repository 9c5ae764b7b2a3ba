#pragma once

// Fonts dragged out of a font list and files dropped on it.
//
// Out: the selected rows' files, as the files themselves ("text/uri-list",
// which file managers and other programs take) and Quillmark's own file
// list block when the list shows a folder or search results, or only as
// the block when the main list shows a font project, so that another
// project may take them while no file manager is offered files to move. A
// drag copies: a move is offered only while Shift is held at its start, so
// that no file manager moves a font out of its folder unasked. Fonts shared
// with other applications are private for the drag and get their sharing
// back unless the drop moved them away.
//
// In: what a drop on the main list does, decided from the dropped data and
// the list's state (see DropPlanFor).

#include <QMimeData>
#include <QPixmap>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "fontdata/manager/FontManager.h"

class QDrag;

namespace Quillmark {

class CFontRowsView;

// The folder data: the files as local file URLs, and the file list block.
std::unique_ptr<QMimeData> FolderDragData(const QStringList& paths);
// The project data: the file list block alone.
std::unique_ptr<QMimeData> ProjectDragData(const QStringList& paths);

// The picture that goes with the drag: the name of the row the drag began
// on as the list shows it, no larger than that, with the number of the
// other rows dragged beside it.
QPixmap DraggedRowsPicture(const CFontRowsView& view);

// Runs a drag (QDrag::exec by default); returns the drop's action.
using DragRunner = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions allowed)>;

// The drag sequence for these fonts: sharing taken for the drag, the drag
// run (a copy; a move offered too when `offerMove`), sharing given back
// unless the result is a move. Returns the action.
Qt::DropAction RunFontDrag(QDrag& drag, const std::vector<CFontHandle>& fonts,
                           const DragRunner& runner, bool offerMove);

// What a drop on the main list does.
struct CDropPlan {
    enum Kind {
        Nothing,       // refused: the drop is not offered
        AddToProject,  // the project shown takes the files
        ShowFolder,    // the list shows the folder of the first file
        TransferIn     // the files are copied or moved into the folder shown
    };
    Kind kind = Nothing;
    QStringList paths;  // for TransferIn: only those not already in the folder
};

struct CDropContext {
    bool projectMode = false;
    int dropOption = 0;   // FontListDropOption: 1 shows the dropped file's folder
    QString shownFolder;  // the folder the list shows (empty or virtual: none)
};

// The plan for dropped data:
// - local files with drop option 1: ShowFolder;
// - local files in project mode: AddToProject with the files (not folders);
// - local files in folder mode: TransferIn of those not in the shown folder,
//   Nothing when all lie there already;
// - no files but Quillmark's file list block, in project mode: AddToProject.
CDropPlan DropPlanFor(const QMimeData& data, const CDropContext& context);

// The local files of dropped data, in order.
QStringList DroppedFiles(const QMimeData& data);

}  // namespace Quillmark
