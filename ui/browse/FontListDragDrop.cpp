#include "ui/browse/FontListCommands.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>

#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/item/FontItem.h"
#include "ui/common/FontRows.h"
#include "ui/common/FontRowsView.h"

namespace Quillmark {

// ---------------------------------------------------------------- drag and drop

void CFontListCommands::StartDrag() {
    std::vector<CFontHandle> fonts = SelectedFonts();
    if (fonts.empty()) {
        return;
    }
    // The files go: a collection's once, however many of its faces are selected.
    QStringList paths;
    for (const CFontHandle& font : fonts) {
        const QString path = PathText(font->GetPath());
        if (!paths.contains(path)) {
            paths.append(path);
        }
    }
    const bool projectData = ProjectMode();
    auto* drag = new QDrag(&m_view);
    drag->setMimeData((projectData ? ProjectDragData(paths) : FolderDragData(paths)).release());
    const QPixmap picture = DraggedRowsPicture(m_view);
    if (!picture.isNull()) {
        drag->setPixmap(picture);
        drag->setHotSpot(QPoint(12, picture.deviceIndependentSize().toSize().height() / 2));
    }
    const bool offerMove = m_view.DragModifiers().testFlag(Qt::ShiftModifier);
    RunFontDrag(*drag, fonts, m_hooks.runDrag, offerMove);
    drag->deleteLater();
}

CDropPlan CFontListCommands::PlanDrop(const QMimeData& data) const {
    CDropContext context;
    context.projectMode = ProjectMode();
    context.dropOption = static_cast<int>(m_options.GetFontListDropOption());
    context.shownFolder = m_document.GetFolderPath();
    return DropPlanFor(data, context);
}

void CFontListCommands::CarryOut(const CDropPlan& plan, Qt::DropAction action) {
    switch (plan.kind) {
        case CDropPlan::Nothing:
            return;
        case CDropPlan::AddToProject:
            m_hub.FireAddFilesToProject(plan.paths);
            return;
        case CDropPlan::ShowFolder: {
            const QFileInfo first(plan.paths.value(0));
            if (first.isDir()) {
                m_hub.FireFolderSelected(first.absoluteFilePath(), nullptr);
            } else {
                const QString file = first.fileName();
                m_hub.FireFolderSelected(first.absolutePath(), &file);
            }
            return;
        }
        case CDropPlan::TransferIn: {
            const Platform::TransferResult result =
                Platform::TransferFiles(plan.paths, m_document.GetFolderPath(),
                                        action == Qt::MoveAction ? Platform::TransferMode::Move
                                                                 : Platform::TransferMode::Copy,
                                        m_hooks.conflictAsker(Platform::ConflictChoice::KeepBoth));
            if (!result.failedSource.isEmpty()) {
                m_hooks.tell(action == Qt::MoveAction ? tr("Move Files") : tr("Copy Files"),
                             tr("\u201C%1\u201D could not be %2: %3")
                                 .arg(ShownPath(FilePath(result.failedSource)),
                                      action == Qt::MoveAction ? tr("moved") : tr("copied"),
                                      result.failure));
            }
            return;
        }
    }
}

bool CFontListCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_view && event->type() == QEvent::KeyPress) {
        return HandleKey(*static_cast<QKeyEvent*>(event));
    }
    if (watched != m_viewport) {
        return false;
    }
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (event->type() == QEvent::DragEnter) {
                m_dragPlan = PlanDrop(*drag->mimeData());
            }
            if (m_dragPlan.kind == CDropPlan::Nothing) {
                drag->ignore();
                return true;
            }
            if (m_dragPlan.kind == CDropPlan::TransferIn &&
                drag->proposedAction() == Qt::MoveAction &&
                (drag->possibleActions() & Qt::MoveAction)) {
                drag->setDropAction(Qt::MoveAction);
            } else if (drag->possibleActions() & Qt::CopyAction) {
                drag->setDropAction(Qt::CopyAction);
            } else {
                drag->ignore();
                return true;
            }
            drag->accept();
            return true;
        }
        case QEvent::DragLeave:
            m_dragPlan = {};
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const CDropPlan plan = PlanDrop(*drop->mimeData());
            m_dragPlan = {};
            if (plan.kind == CDropPlan::Nothing) {
                drop->ignore();
                return true;
            }
            const Qt::DropAction action = plan.kind == CDropPlan::TransferIn &&
                                                  drop->proposedAction() == Qt::MoveAction &&
                                                  (drop->possibleActions() & Qt::MoveAction)
                                              ? Qt::MoveAction
                                              : Qt::CopyAction;
            drop->setDropAction(action);
            drop->accept();
            // The source of the drag waits for this drop to end: the files
            // are transferred after it.
            QTimer::singleShot(0, this, [this, plan, action] { CarryOut(plan, action); });
            return true;
        }
        default:
            return false;
    }
}

}  // namespace Quillmark
