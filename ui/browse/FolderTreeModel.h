#pragma once

// The folders of the computer as a tree, for the main window's left pane:
//
//   Desktop                 the user's desktop folder (home where there is none)
//     Home                  the home folder
//     Computer
//       /                   the file system's root
//       one per volume      mounted disks, network shares and removable media
//     the desktop folder's subfolders
//
// Folders only, hidden ones left out, sorted by name without regard to case
// and with numbers in their natural order. A folder's subfolders are listed
// when it is first expanded.
//
// The disk is read off the window's thread (CFolderTreeReader): a folder on
// a mount that hangs never hangs the window. A read is waited for a moment
// (SetReadWaitMilliseconds), so that a folder that answers at once is listed
// at once; one that does not shows a single disabled row "Reading…" under it
// until it answers, and is not read again meanwhile. Every read carries a
// token, and its answer finds its item by it, if the item is still there. "Desktop" and "Computer"
// are places of the tree, not folders: their parsing names begin with "::" ("::desktop",
// "::computer"); every other item's parsing name is its absolute path.
//
// The tree keeps itself in step with the disk: one file-system watcher
// follows every folder whose subfolders are listed, and every folder without
// subfolders that a view shows (so that one made in it gives it an expand
// button; a folder of many thousand would need as many watches, and a
// folder scrolled into view is looked at again instead); a burst of changes is read once it
// settles, by listing the folder again and comparing names, so that a change the tree made itself
// is never added twice. The mount table is watched for volumes that come and go.
//
// No widgets: the view and the commands around it are the window's.

#include <QAbstractItemModel>
#include <QCollator>
#include <QFileSystemWatcher>
#include <QHash>
#include <QIcon>
#include <QPersistentModelIndex>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <memory>
#include <vector>

#include "platform/Result.h"
#include "platform/desktop/MountTable.h"
#include "platform/desktop/MountTableWatcher.h"
#include "ui/browse/FolderTreeReader.h"

namespace Quillmark::Platform {
class CHeldFolder;
}

namespace Quillmark {

struct CSubfolder;

class CFolderTreeModel : public QAbstractItemModel {
    Q_OBJECT

public:
    enum Role {
        PathRole = Qt::UserRole + 1,  // QString: the parsing name
        FileSystemPathRole,           // QString: the folder on disk, empty for Computer
        KindRole,                     // int: Kind
        CanChangeRole,                // bool: may be renamed and deleted
    };
    enum class Kind { Desktop, Home, Computer, Volume, Folder };

    static constexpr const char* kDesktopPath = "::desktop";
    static constexpr const char* kComputerPath = "::computer";

    struct CPlaces {
        QString desktop;  // the desktop folder; the home folder where there is none
        QString home;
        QString root = QStringLiteral("/");  // what the item "/" shows (tests: a folder of theirs)
    };
    // The user's places, from QStandardPaths.
    static CPlaces UserPlaces();

    explicit CFolderTreeModel(QObject* parent = nullptr);
    CFolderTreeModel(CPlaces places, QObject* parent = nullptr);
    ~CFolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Renames the folder (Qt::EditRole) as RenameFolder does; false when it
    // could not be.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    // The folders as text/uri-list.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

    QModelIndex DesktopIndex() const;
    QModelIndex ComputerIndex() const;
    QString PathOf(const QModelIndex& index) const;
    QString FileSystemPathOf(const QModelIndex& index) const;
    Kind KindOf(const QModelIndex& index) const;
    bool IsLoaded(const QModelIndex& index) const;
    // Whether the item's folder is being read (listed, or looked at for
    // subfolders) and has not answered yet.
    bool IsReading(const QModelIndex& index) const;

    // The item of a parsing name, listing the folders on the way down as
    // needed; invalid when the path does not exist or leads through a
    // folder the tree does not show (a hidden one), or when a folder on the
    // way has not answered within the read wait.
    QModelIndex IndexForPath(const QString& path);
    // The same, telling the last case apart: then `*pending` is set, the
    // item returned is the folder being read, and PathReachable(path) is
    // emitted once the way down has come further: IndexForPath then
    // answers, or is pending on a folder further down.
    QModelIndex IndexForPath(const QString& path, bool* pending);

    // The items a view shows now (and a margin around them): those without
    // subfolders are looked at again and watched while shown.
    void SetShown(const QModelIndexList& shown);

    // Lists every folder whose subfolders are listed again, keeping what is
    // listed listed; reads the mount table again.
    void Refresh();
    // Lists the folder again wherever the tree shows it (now, without
    // waiting for the watcher).
    void SyncFolder(const QString& folder);

    // Makes "New Folder" in the item's folder, or "New Folder (2)" up to
    // "New Folder (255)" when that name is taken, lists the parent's
    // subfolders and returns the new item, or why none could be made.
    CResult<QModelIndex> CreateFolder(const QModelIndex& parent);
    // Renames the folder in place, never onto anything already there; the
    // item keeps its place in the tree (and what is listed under it).
    CResult<> RenameFolder(const QModelIndex& index, const QString& newName);

    // Whether `urls` may be dropped on the item: local files, none of them
    // a folder that holds the item (or the item itself), not all of them
    // already in it.
    bool CanDropOn(const QModelIndex& target, const QList<QUrl>& urls) const;

    // The folders followed for changes, each once (for tests and measurements).
    int WatchCount() const { return static_cast<int>(m_watches.size()); }
    // Folders the system refused to watch (its limit of watches reached, or
    // a folder it cannot watch): they are then followed only by a refresh.
    int RefusedWatchCount() const { return m_refusedWatches; }
    bool IsWatched(const QModelIndex& index) const;
    // How long a burst of changes must settle before it is read.
    void SetSettleMilliseconds(int milliseconds) { m_settle.setInterval(milliseconds); }
    // How long a call that reads the disk (fetchMore, IndexForPath,
    // SyncFolder, Refresh, SetShown) waits for it before leaving the answer
    // to come later; changes heard from the watcher are never waited for.
    static constexpr int kReadWaitMilliseconds = 100;
    void SetReadWaitMilliseconds(int milliseconds) {
        m_readWait = std::chrono::milliseconds(milliseconds);
    }
    // Reads started and not answered yet.
    int PendingReads() const { return m_reader.Pending(); }

signals:
    // A folder the tree shows was given a new name (by the tree or not).
    void FolderRenamed(const QString& oldPath, const QString& newPath);
    // A row is about to go (its folder has gone): told before the views
    // hear of it, so that whoever follows the selection can tell a move
    // of the user's from one of the rows'.
    void RowGoing(const QModelIndex& parent, int row);
    // A path asked of IndexForPath while a folder on its way was being read
    // may be asked again: it is reached, missing, or waits further down.
    void PathReachable(const QString& path);

private:
    struct CNode;
    // What a pending read of a folder reads: whether it has subfolders, or them all.
    enum class CRead { None, Look, List };

    CNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const CNode* node) const;
    std::unique_ptr<CNode> MakeFolderNode(CNode* parent, const CSubfolder& subfolder) const;
    std::unique_ptr<CNode> MakeVolumeNode(CNode* parent, const Platform::Volume& volume) const;
    QIcon IconOf(const CNode& node) const;
    int FixedChildren(const CNode& node) const;  // places listed before the folders
    bool Less(const CNode& a, const CNode& b) const;
    bool LessName(const QString& a, const QString& b) const;

    using CClock = std::chrono::steady_clock;
    struct CListing;
    struct CWanted {
        QString path;
        quint64 since = 0;  // listings older than this may be stale for it
    };

    // Lists the node's subfolders unless they are or a read is pending;
    // whether they are listed on return (waited for up to `wait`).
    bool Load(CNode* node, std::chrono::milliseconds wait);
    // Each starts a read, waited for up to `wait` (none: the answer comes
    // through the event loop, never during the call); the reader's id.
    quint64 StartList(CNode* node, std::chrono::milliseconds wait);
    quint64 StartLook(CNode* node, std::chrono::milliseconds wait);
    // Waits for the node's pending read; whether it answered.
    bool AwaitRead(CNode* node, std::chrono::milliseconds wait);
    // Waits for reads started together, all within the one deadline; the
    // nodes may be gone meanwhile.
    void AwaitAll(const std::vector<quint64>& reads, CClock::time_point deadline);
    quint64 BeginRead(CNode* node, CRead read);
    CNode* EndRead(quint64 token);
    void OnListed(quint64 token, const CListing& listing);
    void OnLooked(quint64 token, const QString& folder, bool hasSubfolders);
    void ApplyLoad(CNode* node, const CListing& listing);
    void ApplySync(CNode* node, const CListing& listing);
    void ShowReading(CNode* node);
    void RemovePlaceholder(CNode* node);
    std::chrono::milliseconds Remaining(CClock::time_point deadline) const;
    QModelIndex Walk(const QString& path, bool* pending, quint64 since,
                     std::chrono::milliseconds wait);
    void Reach();

    void InsertSorted(CNode* parent, std::vector<std::unique_ptr<CNode>> nodes);
    void RemoveChild(CNode* parent, int row);
    // Reads the node's subfolders again (a folder not listed: whether it has
    // any); a node whose read is pending is read again once it answers.
    // The reader's id of the read started, 0 for none.
    quint64 Sync(CNode* node, std::chrono::milliseconds wait);
    void SyncVolumes();
    void SetHasSubfolders(CNode* node, bool hasSubfolders);
    void Repath(CNode* node, const QString& oldPrefix, const QString& newPrefix);

    void Watch(CNode* node);
    void Unwatch(CNode* node);
    void UnwatchTree(CNode* node);
    bool WantsWatch(const CNode* node) const;
    void OnDirectoryChanged(const QString& path);
    void OnSettled();
    void OnMountTableChanged();

    void ForEachNodeOf(const QString& folder, const std::function<void(CNode*)>& action);

    const CPlaces m_places;
    std::unique_ptr<CNode> m_root;
    CNode* m_computer = nullptr;
    QCollator m_collator;
    QHash<QString, QIcon> m_specialIcons;  // user folders with icons of their own
    QIcon m_folderIcon;

    // One watch a folder, however many items show it and under whatever
    // path: a folder is known by its device and inode, so that one reached
    // through a link as well is watched once and every item of it hears.
    using CFileKey = std::pair<quint64, quint64>;
    struct CWatch {
        QString path;  // as given to the watcher, which reports changes by it
        int uses = 0;  // items that want it watched
        // A folder whose name is not UTF-8 (which the watcher cannot name)
        // held open while watched: `path` is then the held folder's name.
        std::shared_ptr<Platform::CHeldFolder> held;
    };
    // Sets the name `watch` is given to the watcher for `folder`.
    static void NameWatch(CWatch& watch, const QString& folder);
    bool AddUse(CNode* node, QStringList& toAdd);
    void DropUse(CNode* node, QStringList& toRemove);

    QFileSystemWatcher m_watcher;
    QHash<CFileKey, CWatch> m_watches;
    QHash<QString, CFileKey> m_watchedPaths;
    QSet<QString> m_changed;  // heard, not yet read
    int m_refusedWatches = 0;
    std::vector<CNode*> m_shown;  // items a view shows (their `shown` flag set)
    QTimer m_settle;

    Platform::CMountTableWatcher m_mounts;
    QString m_mountTable;  // its path, a key of m_changed

    CFolderTreeReader m_reader;
    std::chrono::milliseconds m_readWait{kReadWaitMilliseconds};
    QHash<quint64, CNode*> m_reads;  // the nodes of the reads pending, by token
    quint64 m_nextToken = 0;
    quint64 m_serial = 0;                             // counts the listings that came
    std::vector<CWanted> m_wanted;                    // paths whose way down waits for a read
    QHash<QString, QPersistentModelIndex> m_reached;  // while PathReachable is told
    QTimer m_reach;
};

}  // namespace Quillmark
