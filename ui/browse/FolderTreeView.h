#pragma once

// The folder tree as a widget: folders with their icons, expanded on
// demand, the folder menu, renaming in place, and folders dragged out and
// files dropped in. What a command does to the disk and to the rest of the
// program is its controller's business: the view says what was asked.

#include <QModelIndex>
#include <QPersistentModelIndex>
#include <QTreeView>
#include <functional>

#include "platform/desktop/FileTransfer.h"

class QAction;
class QMenu;
class QTimer;

namespace Quillmark {

class CFolderTreeModel;

class CFolderTreeView : public QTreeView {
    Q_OBJECT

public:
    enum class Command { Open, OpenInFileManager, NewFolder, Delete, Properties };

    // The model outlives the view; the view never owns it.
    explicit CFolderTreeView(CFolderTreeModel& model, QWidget* parent = nullptr);
    ~CFolderTreeView() override;

    CFolderTreeModel& Model() const { return m_model; }

    // The folder menu for an item, its entries enabled as the item allows.
    // The caller shows it (or, in tests, triggers an entry).
    QMenu* MenuFor(const QModelIndex& index);
    // Starts renaming the item in place with `text` in the editor (its own
    // name when empty).
    void EditName(const QModelIndex& index, const QString& text = {});
    // Offers "Search for fonts..." in the folder menu, which calls search
    // with the folder's path; absent until set.
    void SetSearchCommand(std::function<void(const QString& folder)> search);
    // The folder under a drag now, while a drop there is allowed.
    QModelIndex DropTarget() const { return m_dropTarget; }
    // True while a key press moves the selection (the arrow keys, Page
    // Up, Home...): the folders passed are not yet the user's choice.
    bool IsMovingByKeyboard() const { return m_keyboardMove; }

    // The action of a drop of `sources` on `target`: Ctrl copies, Shift
    // moves; otherwise what stays on one disk is moved, else copied.
    static Qt::DropAction ChooseDropAction(const QStringList& sources, const QString& target,
                                           Qt::KeyboardModifiers modifiers,
                                           Qt::DropActions possible);

    // Brings the item into sight as the tree does, then sideways too when
    // its name would start past the edge (a deep folder in a narrow pane).
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    void CommandChosen(Command command, const QModelIndex& index);
    // A rename was refused: why, for the status bar.
    void RenameFailed(const QString& why);
    // Files and folders dropped on a folder.
    void FilesDropped(const QStringList& sources, const QString& targetFolder,
                      Platform::TransferMode mode);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class CNameDelegate;
    QAction* AddAction(const QString& text, const QKeySequence& shortcut = {});
    void SetDropTarget(const QModelIndex& index);
    // Tells the model which items are in sight, a page around them included.
    void UpdateShown();

    CFolderTreeModel& m_model;
    CNameDelegate* m_delegate;
    QMenu* m_menu;
    QAction* m_toggle;
    QAction* m_open;
    QAction* m_fileManager;
    QAction* m_newFolder;
    QAction* m_delete;
    QAction* m_rename;
    QAction* m_properties;
    QAction* m_search = nullptr;
    QPersistentModelIndex m_menuTarget;
    QPersistentModelIndex m_dropTarget;
    QTimer* m_shownLater;
    bool m_keyboardMove = false;
};

}  // namespace Quillmark
