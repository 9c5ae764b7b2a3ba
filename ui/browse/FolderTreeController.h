#pragma once

// The folder tree in the main window: its model and view wired to the hub
// and the document. Selecting a folder makes it the current location;
// a folder chosen elsewhere is selected in the tree; the folder menu's
// commands act on the disk (new folder, rename, delete to the trash) and on
// the desktop (open, file manager, properties); files dropped on a folder
// are copied or moved into it, never overwriting anything unasked.

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>
#include <boost/signals2/trackable.hpp>
#include <functional>

#include "platform/desktop/FileTransfer.h"
#include "ui/browse/FolderTreeView.h"

namespace Quillmark {

class CFolderTreeModel;
class CFontManager;
class CQuillmarkDoc;
class CQuillmarkSignals;

class CFolderTreeController : public QObject, public boost::signals2::trackable {
    Q_OBJECT

public:
    // How the commands talk to the user; tests replace these.
    struct Hooks {
        // A Yes/No question; true for Yes.
        std::function<bool(const QString& question)> ask;
        // A name clash while files are dropped on a folder.
        Platform::ConflictAsker askConflict;
        // Shows a folder's properties.
        std::function<void(const QString& path)> showProperties;
        // Opens a folder with the desktop, or in its file manager.
        std::function<bool(const QString& path)> open;
        std::function<bool(const QString& path)> openInFileManager;
    };

    // `model` null: the user's own places. The tree lists the desktop at once.
    CFolderTreeController(CQuillmarkSignals& hub, CQuillmarkDoc& document, CFontManager& manager,
                          QObject* parent = nullptr, CFolderTreeModel* model = nullptr);
    ~CFolderTreeController() override;

    // The view, made here; whoever places it in a window owns it.
    CFolderTreeView* View() const { return m_view; }
    CFolderTreeModel& Model() const { return *m_model; }

    void SetHooks(Hooks hooks);
    void SetStatusSink(std::function<void(int pane, const QString& text)> sink) {
        m_status = std::move(sink);
    }
    // Whether the program has finished starting: before, a folder selected
    // in the tree is only stored in the document, never announced.
    void SetStartedTest(std::function<bool()> started) { m_started = std::move(started); }

    // The folder menu's commands on an item.
    void Run(CFolderTreeView::Command command, const QModelIndex& index);
    // Copies or moves files and folders into a folder (a drop).
    void Drop(const QStringList& sources, const QString& targetFolder, Platform::TransferMode mode);

    // Expands the tree down to a parsing name; the item, or invalid. When a
    // folder on the way is still being read, the tree shows it being read
    // and goes on down once it answers (`*pending` then set).
    QModelIndex ExpandTo(const QString& path, bool* pending = nullptr);

    // A folder reached with the keys is the location once the selection
    // has rested this long: walking the tree neither loads nor records
    // every folder passed, as a file manager's tree does.
    static constexpr int kKeyboardSettleMilliseconds = 500;
    void SetKeyboardSettleMilliseconds(int milliseconds) { m_keySettle.setInterval(milliseconds); }

private:
    void OnSelectionChanged();
    void OnKeySettled();
    void OnSelectedFolderGone();
    void OnClicked(const QModelIndex& index);
    void NewFolder(const QModelIndex& index);
    void Delete(const QModelIndex& index);
    void ShowStatus(const QString& text);
    QModelIndex Selected() const;
    void Announce(const QString& path);

    // Slots of the hub.
    void OnFolderSelected(const QString& path);
    void OnExpandFolderInTree(const QString& path);
    bool OnCanGoUp();
    void OnGoUp();
    void OnPathReachable(const QString& path);

    CQuillmarkSignals& m_hub;
    CQuillmarkDoc& m_document;
    CFontManager& m_manager;
    CFolderTreeModel* m_model;  // a child
    QPointer<CFolderTreeView> m_view;
    Hooks m_hooks;
    std::function<void(int, const QString&)> m_status;
    std::function<bool()> m_started = [] { return true; };

    bool m_emitting = false;       // FolderSelected is being fired from here
    bool m_selecting = false;      // the tree follows someone else's FolderSelected
    bool m_modelChanging = false;  // rows go: the selection moves without the user
    QTimer m_keySettle;            // runs while a selection made with the keys has not rested
    QPersistentModelIndex m_selectionGoneTo;  // the selected folder went: its parent, listed
    // The parent folder of the folder awaited; empty when there is none.
    QString AwaitedParent() const;
    // A path expanded to (and selected, when chosen elsewhere) whose way
    // down waits for a folder being read; given up once the user chooses.
    QString m_awaited;
    bool m_awaitSelects = false;
};

}  // namespace Quillmark
