#include "ui/browse/FolderTreeView.h"

#include <sys/stat.h>

#include <algorithm>

#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>

#include "core/PathText.h"
#include "ui/browse/FolderTreeModel.h"

namespace Quillmark {

// Commits a new name through the model; a name refused reopens the editor
// with what was typed.
class CFolderTreeView::CNameDelegate : public QStyledItemDelegate {
public:
    explicit CNameDelegate(CFolderTreeView* view) : QStyledItemDelegate(view), m_view(view) {}

    void SetPendingText(const QModelIndex& index, const QString& text) {
        m_pendingIndex = index;
        m_pendingText = text;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line != nullptr && index == m_pendingIndex && !m_pendingText.isEmpty()) {
            line->setText(m_pendingText);
            line->selectAll();
            m_pendingText.clear();
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                      const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr) {
            return;
        }
        const QString text = line->text();
        // No text: the editing was cancelled.
        if (text.isEmpty() || text == index.data(Qt::EditRole).toString()) {
            return;
        }
        if (const CResult<> renamed = m_view->Model().RenameFolder(index, text); !renamed) {
            const QPersistentModelIndex at(index);
            const QString why = QString::fromStdString(renamed.Failure().Reason());
            // Once this editor has closed.
            QTimer::singleShot(0, m_view, [view = m_view, at, text, why] {
                emit view->RenameFailed(why);
                if (at.isValid()) {
                    view->EditName(at, text);
                }
            });
        }
    }

private:
    CFolderTreeView* m_view;
    QPersistentModelIndex m_pendingIndex;
    mutable QString m_pendingText;
};

CFolderTreeView::CFolderTreeView(CFolderTreeModel& model, QWidget* parent)
    : QTreeView(parent),
      m_model(model),
      m_delegate(new CNameDelegate(this)),
      m_menu(new QMenu(this)) {
    setObjectName(QStringLiteral("FolderTree"));
    setAccessibleName(tr("Folders"));
    setModel(&model);
    setItemDelegate(m_delegate);
    setHeaderHidden(true);
    // As wide as the widest name shown: a long one scrolls, never cut short.
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    setAutoExpandDelay(700);

    // Once the view has settled after what moves its rows.
    m_shownLater = new QTimer(this);
    m_shownLater->setSingleShot(true);
    m_shownLater->setInterval(0);
    connect(m_shownLater, &QTimer::timeout, this, &CFolderTreeView::UpdateShown);
    const auto later = [this] { m_shownLater->start(); };
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, later);
    connect(this, &QTreeView::expanded, this, later);
    connect(this, &QTreeView::collapsed, this, later);
    connect(&model, &QAbstractItemModel::rowsInserted, this, later);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, later);
    connect(&model, &QAbstractItemModel::rowsMoved, this, later);
    connect(&model, &QAbstractItemModel::layoutChanged, this, later);

    m_menu->setObjectName(QStringLiteral("FolderMenu"));
    m_toggle = AddAction(tr("Exp&and"));
    m_menu->addSeparator();
    m_open = AddAction(tr("&Open"));
    m_fileManager = AddAction(tr("Open in &File Manager"));
    m_menu->addSeparator();
    m_newFolder = AddAction(tr("Create new folder"));
    m_delete = AddAction(tr("&Delete"), QKeySequence(Qt::Key_Delete));
    m_rename = AddAction(tr("Rena&me"), QKeySequence(Qt::Key_F2));
    m_menu->addSeparator();
    m_properties = AddAction(tr("P&roperties..."));

    const auto target = [this] {
        return m_menuTarget.isValid() ? QModelIndex(m_menuTarget) : currentIndex();
    };
    connect(m_toggle, &QAction::triggered, this, [this, target] {
        const QModelIndex index = target();
        setExpanded(index, !isExpanded(index));
    });
    connect(m_rename, &QAction::triggered, this, [this, target] { EditName(target()); });
    const std::pair<QAction*, Command> commands[] = {{m_open, Command::Open},
                                                     {m_fileManager, Command::OpenInFileManager},
                                                     {m_newFolder, Command::NewFolder},
                                                     {m_delete, Command::Delete},
                                                     {m_properties, Command::Properties}};
    for (const auto& [action, command] : commands) {
        connect(action, &QAction::triggered, this,
                [this, target, command = command] { emit CommandChosen(command, target()); });
    }
}

CFolderTreeView::~CFolderTreeView() = default;

QAction* CFolderTreeView::AddAction(const QString& text, const QKeySequence& shortcut) {
    QAction* action = m_menu->addAction(text);
    action->setObjectName(QString(text).remove(QLatin1Char('&')));
    // Shown in the menu; the keys themselves are the view's (keyPressEvent).
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WidgetShortcut);
    return action;
}

void CFolderTreeView::SetSearchCommand(std::function<void(const QString& folder)> search) {
    if (m_search == nullptr) {
        m_search = new QAction(tr("S&earch for fonts..."), m_menu);
        m_search->setObjectName(QStringLiteral("Search for fonts..."));
        m_search->setShortcut(QKeySequence::Find);
        m_search->setShortcutContext(Qt::WidgetShortcut);
        // Right after "Open in File Manager".
        const QList<QAction*> actions = m_menu->actions();
        m_menu->insertAction(actions.value(actions.indexOf(m_fileManager) + 1), m_search);
    }
    m_search->disconnect(this);
    connect(m_search, &QAction::triggered, this, [this, search = std::move(search)] {
        const QModelIndex index =
            m_menuTarget.isValid() ? QModelIndex(m_menuTarget) : currentIndex();
        const QString folder = m_model.FileSystemPathOf(index);
        if (!folder.isEmpty()) {
            search(folder);
        }
    });
}

QMenu* CFolderTreeView::MenuFor(const QModelIndex& index) {
    m_menuTarget = index;
    const bool expandable = m_model.hasChildren(index);
    const bool onDisk = !m_model.FileSystemPathOf(index).isEmpty();
    const bool canChange = index.data(CFolderTreeModel::CanChangeRole).toBool();
    m_toggle->setEnabled(expandable);
    m_toggle->setText(expandable && isExpanded(index) ? tr("Coll&apse") : tr("Exp&and"));
    m_toggle->setObjectName(m_toggle->text().remove(QLatin1Char('&')));
    m_open->setEnabled(onDisk);
    m_fileManager->setEnabled(onDisk);
    m_properties->setEnabled(onDisk);
    if (m_search != nullptr) {
        m_search->setEnabled(onDisk);
    }
    m_newFolder->setEnabled(onDisk);
    m_delete->setEnabled(canChange);
    m_rename->setEnabled(canChange);
    return m_menu;
}

void CFolderTreeView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTreeView::scrollTo(index, hint);
    if (!index.isValid()) {
        return;
    }
    // QTreeView scrolls sideways by the whole column, so a column wider than
    // the pane shows its left end and a deep folder's name lies past the
    // edge. The item's own rectangle begins after its indentation: its icon
    // and the start of its name are brought into sight, with one level of
    // the lines to its parent.
    const QRect item = visualRect(index);
    const int icon = iconSize().isValid()
                         ? iconSize().width()
                         : style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const int lead = icon + 4 * fontMetrics().averageCharWidth();
    if (item.left() >= 0 && item.left() + lead <= viewport()->width()) {
        return;
    }
    QScrollBar* bar = horizontalScrollBar();
    bar->setValue(std::max(0, bar->value() + item.left() - indentation()));
}

void CFolderTreeView::EditName(const QModelIndex& index, const QString& text) {
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEditable)) {
        return;
    }
    m_delegate->SetPendingText(index, text);
    scrollTo(index);
    edit(index);
}

void CFolderTreeView::contextMenuEvent(QContextMenuEvent* event) {
    QModelIndex index;
    QPoint at;
    if (event->reason() == QContextMenuEvent::Mouse) {
        index = indexAt(viewport()->mapFrom(this, event->pos()));
        at = event->globalPos();
    } else {
        index = currentIndex();
        at = viewport()->mapToGlobal(visualRect(index).bottomLeft());
    }
    if (!index.isValid()) {
        return;
    }
    MenuFor(index)->exec(at);
    m_menuTarget = QPersistentModelIndex();
}

void CFolderTreeView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && state() != EditingState && currentIndex().isValid()) {
        if (currentIndex().data(CFolderTreeModel::CanChangeRole).toBool()) {
            emit CommandChosen(Command::Delete, currentIndex());
        }
        event->accept();
        return;
    }
    m_keyboardMove = state() != EditingState;
    QTreeView::keyPressEvent(event);
    m_keyboardMove = false;
}

void CFolderTreeView::mousePressEvent(QMouseEvent* event) {
    // A right click opens the menu on the folder under it: the selection,
    // and with it the current location, stays where it is.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void CFolderTreeView::startDrag(Qt::DropActions) {
    const QModelIndex index = currentIndex();
    if (!index.isValid() || !(index.flags() & Qt::ItemIsDragEnabled)) {
        return;
    }
    QMimeData* mime = m_model.mimeData({index});
    if (mime == nullptr) {
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    if (!icon.isNull()) {
        drag->setPixmap(icon.pixmap(iconSize().isValid() ? iconSize() : QSize(16, 16)));
    }
    // Places (home, volumes) are copied or linked, never moved away.
    Qt::DropActions actions = Qt::CopyAction | Qt::LinkAction;
    if (index.data(CFolderTreeModel::CanChangeRole).toBool()) {
        actions |= Qt::MoveAction;
    }
    drag->exec(actions, Qt::CopyAction);
}

namespace {

QStringList LocalPaths(const QMimeData* data) {
    QStringList paths;
    if (data != nullptr) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                paths.append(UrlPathText(url));
            }
        }
    }
    return paths;
}

}  // namespace

Qt::DropAction CFolderTreeView::ChooseDropAction(const QStringList& sources, const QString& target,
                                                 Qt::KeyboardModifiers modifiers,
                                                 Qt::DropActions possible) {
    Qt::DropAction wanted = Qt::MoveAction;
    if (modifiers & Qt::ControlModifier) {
        wanted = Qt::CopyAction;
    } else if (!(modifiers & Qt::ShiftModifier)) {
        struct stat to {};
        if (::stat(FilePath(target).c_str(), &to) != 0) {
            wanted = Qt::CopyAction;
        }
        for (const QString& source : sources) {
            struct stat from {};
            if (::lstat(FilePath(source).c_str(), &from) != 0 || from.st_dev != to.st_dev) {
                wanted = Qt::CopyAction;
            }
        }
    }
    if (possible & wanted) {
        return wanted;
    }
    for (Qt::DropAction action : {Qt::CopyAction, Qt::MoveAction}) {
        if (possible & action) {
            return action;
        }
    }
    return Qt::IgnoreAction;
}

void CFolderTreeView::SetDropTarget(const QModelIndex& index) {
    if (index != m_dropTarget) {
        m_dropTarget = index;
        viewport()->update();
    }
}

void CFolderTreeView::dragEnterEvent(QDragEnterEvent* event) {
    QTreeView::dragEnterEvent(event);
    if (event->mimeData()->hasUrls()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void CFolderTreeView::dragMoveEvent(QDragMoveEvent* event) {
    QTreeView::dragMoveEvent(event);  // scrolls, and opens a folder held over
    const QModelIndex index = indexAt(event->position().toPoint());
    const QMimeData* mime = event->mimeData();
    if (mime->hasUrls() && m_model.CanDropOn(index, mime->urls())) {
        const Qt::DropAction action =
            ChooseDropAction(LocalPaths(mime), m_model.FileSystemPathOf(index), event->modifiers(),
                             event->possibleActions());
        if (action != Qt::IgnoreAction) {
            event->setDropAction(action);
            event->accept();
            SetDropTarget(index);
            return;
        }
    }
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
    SetDropTarget({});
}

void CFolderTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
    QTreeView::dragLeaveEvent(event);
    SetDropTarget({});
}

void CFolderTreeView::dropEvent(QDropEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    SetDropTarget({});
    setState(NoState);
    stopAutoScroll();
    const QMimeData* mime = event->mimeData();
    if (!mime->hasUrls() || !m_model.CanDropOn(index, mime->urls())) {
        event->ignore();
        return;
    }
    const QStringList sources = LocalPaths(mime);
    const QString target = m_model.FileSystemPathOf(index);
    const Qt::DropAction action =
        ChooseDropAction(sources, target, event->modifiers(), event->possibleActions());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
    // After the drag has ended: the transfer may ask questions.
    const auto mode =
        action == Qt::MoveAction ? Platform::TransferMode::Move : Platform::TransferMode::Copy;
    QTimer::singleShot(0, this,
                       [this, sources, target, mode] { emit FilesDropped(sources, target, mode); });
}

void CFolderTreeView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    m_shownLater->start();
}

void CFolderTreeView::UpdateShown() {
    QModelIndexList shown;
    const QModelIndex top = indexAt(QPoint(1, 1));
    if (top.isValid()) {
        const int page = viewport()->height() / std::max(1, rowHeight(top)) + 1;
        QModelIndex index = top;
        for (int i = 0; i < page && indexAbove(index).isValid(); ++i) {
            index = indexAbove(index);
        }
        for (int i = 0; i < 3 * page && index.isValid(); ++i) {
            shown.append(index);
            index = indexBelow(index);
        }
    }
    m_model.SetShown(shown);
}

void CFolderTreeView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (m_dropTarget.isValid() && index == m_dropTarget) {
        QStyleOptionViewItem highlighted = option;
        highlighted.state |= QStyle::State_Selected;
        QTreeView::drawRow(painter, highlighted, index);
        return;
    }
    QTreeView::drawRow(painter, option, index);
}

}  // namespace Quillmark
