#include "ui/browse/FolderTreeModel.h"

#include <algorithm>

#include "ui/browse/FolderScan.h"
#include "ui/browse/FolderTreeNode.h"

namespace Quillmark {

using namespace FolderTree;
using std::chrono::milliseconds;

quint64 CFolderTreeModel::Sync(CNode* node, milliseconds wait) {
    if (node->kind == Kind::Computer) {
        SyncVolumes();
        return 0;
    }
    if (node->placeholder || node->fsPath.isEmpty()) {
        return 0;
    }
    if (node->read != CRead::None) {
        // Not read twice at once: once it answers, read again, so that
        // nothing told meanwhile is missed.
        node->readAgain = true;
        return node->readJob;
    }
    return node->loaded ? StartList(node, wait) : StartLook(node, wait);
}

void CFolderTreeModel::ApplySync(CNode* node, const CListing& listing) {
    if (!listing.ok) {
        return;  // gone or unreadable: its parent's listing says which
    }
    QHash<QString, const CSubfolder*> listed;
    listed.reserve(static_cast<qsizetype>(listing.subfolders.size()));
    for (const CSubfolder& subfolder : listing.subfolders) {
        listed.insert(subfolder.name, &subfolder);
    }
    const int fixed = FixedChildren(*node);
    for (int row = static_cast<int>(node->children.size()) - 1; row >= fixed; --row) {
        CNode* child = node->children[static_cast<std::size_t>(row)].get();
        const auto found = listed.find(child->name);
        if (found == listed.end()) {
            RemoveChild(node, row);
            continue;
        }
        const bool hasSubfolders = (*found)->hasSubfolders;
        listed.erase(found);
        if (!child->loaded && child->read == CRead::None) {
            SetHasSubfolders(child, hasSubfolders);
        }
    }
    std::vector<std::unique_ptr<CNode>> added;
    for (const CSubfolder& subfolder : listing.subfolders) {
        if (listed.contains(subfolder.name)) {
            added.push_back(MakeFolderNode(node, subfolder));
        }
    }
    InsertSorted(node, std::move(added));
}

void CFolderTreeModel::SyncVolumes() {
    if (m_computer == nullptr || !m_computer->loaded) {
        return;
    }
    std::vector<Platform::Volume> volumes;
    {
        // Read as a listing of Computer would read it.
        Platform::Volume root;
        root.mountPoint = m_places.root;
        volumes.push_back(root);
        for (const Platform::Volume& volume : Platform::UserVolumes()) {
            if (Clean(volume.mountPoint) != QLatin1String("/")) {
                volumes.push_back(volume);
            } else {
                volumes.front().kind = volume.kind;
            }
        }
    }
    for (int row = static_cast<int>(m_computer->children.size()) - 1; row >= 0; --row) {
        const CNode& node = *m_computer->children[static_cast<std::size_t>(row)];
        const bool mounted = std::any_of(volumes.begin(), volumes.end(), [&](const auto& v) {
            return Clean(v.mountPoint) == node.fsPath && v.kind == node.volumeKind;
        });
        if (!mounted) {
            RemoveChild(m_computer, row);
        }
    }
    std::vector<std::unique_ptr<CNode>> added;
    for (const Platform::Volume& volume : volumes) {
        const QString mountPoint = Clean(volume.mountPoint);
        const bool shown =
            std::any_of(m_computer->children.begin(), m_computer->children.end(),
                        [&](const auto& node) { return node->fsPath == mountPoint; });
        if (!shown) {
            added.push_back(MakeVolumeNode(m_computer, volume));
        }
    }
    std::vector<CNode*> looks;
    for (const auto& node : added) {
        looks.push_back(node.get());
    }
    InsertSorted(m_computer, std::move(added));
    for (CNode* node : looks) {
        StartLook(node, milliseconds(0));
    }
}

void CFolderTreeModel::Refresh() {
    if (!m_root->loaded) {
        return;
    }
    const CClock::time_point deadline = CClock::now() + m_readWait;
    SyncVolumes();  // the mount table: at once
    // Every listed folder read again, and every volume; all started before
    // any answer is taken (an answer changes the tree), then waited for.
    std::vector<CNode*> nodes;
    std::vector<CNode*> pending{m_root.get()};
    while (!pending.empty()) {
        CNode* node = pending.back();
        pending.pop_back();
        if (node->kind != Kind::Computer &&
            (node->loaded || (node->kind == Kind::Volume && node->read == CRead::None))) {
            nodes.push_back(node);
        }
        for (const auto& child : node->children) {
            if (child->loaded || child->kind == Kind::Volume) {
                pending.push_back(child.get());
            }
        }
    }
    std::vector<quint64> reads;
    for (CNode* node : nodes) {
        reads.push_back(Sync(node, milliseconds(0)));
    }
    AwaitAll(reads, deadline);
}

void CFolderTreeModel::SyncFolder(const QString& folder) {
    const CClock::time_point deadline = CClock::now() + m_readWait;
    std::vector<quint64> reads;
    ForEachNodeOf(Clean(folder),
                  [this, &reads](CNode* node) { reads.push_back(Sync(node, milliseconds(0))); });
    AwaitAll(reads, deadline);
}

void CFolderTreeModel::ForEachNodeOf(const QString& folder,
                                     const std::function<void(CNode*)>& action) {
    // Found first, then acted on: acting changes only each node's children.
    std::vector<CNode*> found;
    std::vector<CNode*> pending{m_root.get()};
    while (!pending.empty()) {
        CNode* node = pending.back();
        pending.pop_back();
        if (node->fsPath == folder && !node->placeholder) {
            found.push_back(node);
        }
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
    for (CNode* node : found) {
        action(node);
    }
}

}  // namespace Quillmark
