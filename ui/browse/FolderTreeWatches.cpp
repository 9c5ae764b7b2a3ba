#include "ui/browse/FolderTreeModel.h"

#include <sys/stat.h>

#include <algorithm>

#include "core/PathText.h"
#include "platform/Files.h"
#include "ui/browse/FolderTreeNode.h"

namespace Quillmark {

using namespace FolderTree;

// ---- watching ----

bool CFolderTreeModel::WantsWatch(const CNode* node) const {
    if (node->fsPath.isEmpty()) {
        return false;
    }
    // A folder listed, or one shown without an expand button: a subfolder
    // made in it must give it one.
    return node->loaded || (node->shown && !node->hasSubfolders);
}

bool CFolderTreeModel::AddUse(CNode* node, QStringList& toAdd) {
    struct stat info {};
    if (::stat(FilePath(node->fsPath).c_str(), &info) != 0) {
        return false;
    }
    const CFileKey key{static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino)};
    CWatch& watch = m_watches[key];
    if (watch.uses++ == 0) {
        NameWatch(watch, node->fsPath);
        m_watchedPaths.insert(watch.path, key);
        toAdd.append(watch.path);
    }
    node->key = key;
    node->watched = true;
    return true;
}

void CFolderTreeModel::NameWatch(CWatch& watch, const QString& folder) {
    watch.held.reset();
    watch.path = folder;
    const std::filesystem::path bytes = FilePath(folder);
    if (!Platform::IsUtf8(bytes.native())) {
        auto held = std::make_shared<Platform::CHeldFolder>(bytes);
        if (held->IsHeld()) {
            watch.path = QString::fromStdString(held->Alias());
            watch.held = std::move(held);
        }
    }
}

void CFolderTreeModel::DropUse(CNode* node, QStringList& toRemove) {
    node->watched = false;
    const auto found = m_watches.find(node->key);
    if (found != m_watches.end() && --found->uses == 0) {
        toRemove.append(found->path);
        m_watchedPaths.remove(found->path);
        m_watches.erase(found);
    }
}

bool CFolderTreeModel::IsWatched(const QModelIndex& index) const {
    const CNode* node = NodeOf(index);
    return node != nullptr && node->watched && m_watches.contains(node->key);
}

void CFolderTreeModel::Watch(CNode* node) {
    QStringList add;
    if (!node->watched && WantsWatch(node) && AddUse(node, add) && !add.isEmpty()) {
        m_refusedWatches += static_cast<int>(m_watcher.addPaths(add).size());
    }
}

void CFolderTreeModel::Unwatch(CNode* node) {
    if (node->watched && !WantsWatch(node)) {
        QStringList remove;
        DropUse(node, remove);
        if (!remove.isEmpty()) {
            m_watcher.removePaths(remove);
        }
    }
}

void CFolderTreeModel::UnwatchTree(CNode* node) {
    QStringList remove;
    std::vector<CNode*> pending{node};
    while (!pending.empty()) {
        CNode* n = pending.back();
        pending.pop_back();
        if (n->watched) {
            DropUse(n, remove);
        }
        if (n->shown) {
            m_shown.erase(std::find(m_shown.begin(), m_shown.end(), n));
        }
        if (n->read != CRead::None) {
            m_reads.remove(n->readToken);  // its answer then finds nothing
        }
        for (const auto& child : n->children) {
            pending.push_back(child.get());
        }
    }
    if (!remove.isEmpty()) {
        m_watcher.removePaths(remove);
    }
}

void CFolderTreeModel::SetShown(const QModelIndexList& shown) {
    std::vector<CNode*> now;
    now.reserve(static_cast<std::size_t>(shown.size()));
    for (const QModelIndex& index : shown) {
        if (CNode* node = NodeOf(index); node != nullptr && !node->shown) {
            node->shown = true;
            now.push_back(node);
        }
    }
    // Out of sight: no longer watched unless listed.
    for (CNode* node : m_shown) {
        if (!shown.contains(IndexOf(node))) {
            node->shown = false;
            Unwatch(node);
        } else {
            now.push_back(node);
        }
    }
    const std::vector<CNode*> before = std::exchange(m_shown, now);
    std::vector<CNode*> looks;
    for (CNode* node : m_shown) {
        if (std::find(before.begin(), before.end(), node) != before.end() || node->loaded ||
            node->fsPath.isEmpty() || node->read != CRead::None) {
            continue;
        }
        looks.push_back(node);
    }
    // Not heard of while out of sight: looked at again (and watched once it
    // answers). One look each, so that a folder that hangs holds up no other;
    // all started, then waited for together.
    const CClock::time_point deadline = CClock::now() + m_readWait;
    std::vector<quint64> reads;
    for (CNode* node : looks) {
        reads.push_back(StartLook(node, std::chrono::milliseconds(0)));
    }
    AwaitAll(reads, deadline);
}

void CFolderTreeModel::OnDirectoryChanged(const QString& path) {
    m_changed.insert(path);
    m_settle.start();
}

void CFolderTreeModel::OnSettled() {
    const QSet<QString> changed = std::exchange(m_changed, {});
    for (const QString& path : changed) {
        if (path == m_mountTable) {
            SyncVolumes();
            continue;
        }
        const auto key = m_watchedPaths.constFind(path);
        if (key == m_watchedPaths.cend()) {
            ForEachNodeOf(Clean(path), [this](CNode* node) { Sync(node, {}); });
            continue;
        }
        // Every item of that folder, whatever path it is shown under; found
        // anew for each folder, as reading one may remove items of another.
        const CFileKey file = *key;
        std::vector<CNode*> found;
        std::vector<CNode*> pending{m_root.get()};
        while (!pending.empty()) {
            CNode* node = pending.back();
            pending.pop_back();
            if (node->watched && node->key == file) {
                found.push_back(node);
            }
            for (const auto& child : node->children) {
                pending.push_back(child.get());
            }
        }
        // Never waited for: the watcher's news of a folder that hangs must
        // not hang the window.
        for (CNode* node : found) {
            Sync(node, std::chrono::milliseconds(0));
        }
    }
}

void CFolderTreeModel::OnMountTableChanged() {
    m_changed.insert(m_mountTable);
    m_settle.start();
}

}  // namespace Quillmark
