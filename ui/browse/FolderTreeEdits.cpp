#include "ui/browse/FolderTreeModel.h"

#include <sys/stat.h>

#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "core/PathText.h"
#include "platform/Files.h"
#include "platform/desktop/FileTransfer.h"
#include "ui/browse/FolderScan.h"
#include "ui/browse/FolderTreeNode.h"

namespace Quillmark {

using namespace FolderTree;

namespace {

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

CFailure Refused(std::error_code code, const QString& reason) {
    return CFailure(code, reason.toStdString());
}
CFailure Refused(std::errc code, const QString& reason) {
    return Refused(std::make_error_code(code), reason);
}

}  // namespace

bool CFolderTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || NodeOf(index) == nullptr) {
        return false;
    }
    return static_cast<bool>(RenameFolder(index, value.toString()));
}

// ---- changes made here ----

CResult<QModelIndex> CFolderTreeModel::CreateFolder(const QModelIndex& parentIndex) {
    CNode* parent = NodeOf(parentIndex);
    if (parent == nullptr || parent->fsPath.isEmpty()) {
        return Refused(std::errc::not_a_directory,
                       tr("A new folder can only be made in a folder."));
    }
    if (!Load(parent, m_readWait)) {
        return Refused(
            std::errc::resource_unavailable_try_again,
            tr("“%1” is still being read: a new folder can be made in it once it answers.")
                .arg(Shown(parent->name)));
    }
    QString name;
    for (int number = 1; number <= 255 && name.isEmpty(); ++number) {
        const QString candidate =
            number == 1 ? tr("New Folder") : tr("New Folder (%1)").arg(number);
        const QString path = Join(parent->fsPath, candidate);
        if (PathExists(path)) {
            continue;
        }
        const std::error_code error = Platform::MakeFolder(FilePath(path));
        if (!error) {
            name = candidate;
        } else if (error.value() != EEXIST) {
            return Refused(error,
                           tr("The folder could not be made: %1").arg(ErrorText(error.value())));
        }
    }
    if (name.isEmpty()) {
        return Refused(std::errc::file_exists,
                       tr("The names New Folder to New Folder (255) are all taken here."));
    }
    for (const auto& child : parent->children) {
        if (child->kind == Kind::Folder && child->name == name) {
            return CResult<QModelIndex>(IndexOf(child.get()));
        }
    }
    CSubfolder subfolder{name, false};
    auto node = MakeFolderNode(parent, subfolder);
    CNode* added = node.get();
    std::vector<std::unique_ptr<CNode>> nodes;
    nodes.push_back(std::move(node));
    InsertSorted(parent, std::move(nodes));
    return CResult<QModelIndex>(IndexOf(added));
}

CResult<> CFolderTreeModel::RenameFolder(const QModelIndex& index, const QString& newName) {
    CNode* node = NodeOf(index);
    if (node == nullptr || node->kind != Kind::Folder || node->placeholder) {
        return Refused(std::errc::operation_not_permitted, tr("This item cannot be renamed."));
    }
    if (newName == node->name) {
        return {};
    }
    if (newName.isEmpty() || newName == QLatin1String(".") || newName == QLatin1String("..") ||
        newName.contains(QLatin1Char('/')) || newName.contains(QChar(0))) {
        return Refused(std::errc::invalid_argument,
                       tr("“%1” cannot be a folder's name.").arg(Shown(newName)));
    }
    const QString oldPath = node->fsPath;
    const QString newPath = Join(node->parent->fsPath, newName);
    // Never onto what is there: rename(2) alone would replace an empty folder.
    if (const std::error_code error =
            Platform::RenameNoReplace(FilePath(oldPath), FilePath(newPath))) {
        return Refused(
            error,
            error.value() == EEXIST || error.value() == ENOTEMPTY
                ? tr("There is already a file or folder named “%1” here.").arg(Shown(newName))
                : tr("“%1” could not be renamed: %2")
                      .arg(Shown(node->name), ErrorText(error.value())));
    }
    Repath(node, oldPath, newPath);
    node->name = newName;
    // Its new place among its siblings; what is listed under it stays.
    CNode* parent = node->parent;
    const int fromRow = node->row;
    int toRow = FixedChildren(*parent);
    for (const auto& sibling : parent->children) {
        if (sibling.get() != node && sibling->kind == Kind::Folder && !Less(*node, *sibling)) {
            ++toRow;
        }
    }
    if (toRow != fromRow) {
        const QModelIndex parentIndex = IndexOf(parent);
        beginMoveRows(parentIndex, fromRow, fromRow, parentIndex,
                      toRow > fromRow ? toRow + 1 : toRow);
        std::unique_ptr<CNode> self =
            std::move(parent->children[static_cast<std::size_t>(fromRow)]);
        parent->children.erase(parent->children.begin() + fromRow);
        parent->children.insert(parent->children.begin() + toRow, std::move(self));
        for (std::size_t i = 0; i < parent->children.size(); ++i) {
            parent->children[i]->row = static_cast<int>(i);
        }
        endMoveRows();
    }
    const QModelIndex moved = IndexOf(node);
    emit dataChanged(moved, moved);
    emit FolderRenamed(oldPath, newPath);
    return {};
}

void CFolderTreeModel::Repath(CNode* node, const QString& oldPrefix, const QString& newPrefix) {
    if (node->placeholder) {
        return;  // no folder of its own
    }
    const QString oldPath = node->fsPath;
    node->fsPath = newPrefix + node->fsPath.mid(oldPrefix.size());
    // The system ends a watch whose folder moves: watched again under the
    // new name.
    if (node->watched) {
        const auto watch = m_watches.find(node->key);
        // A held folder's name follows the folder, but the watcher drops
        // the watch of a folder that moved all the same: held anew.
        if (watch != m_watches.end() && (watch->path == oldPath || watch->held)) {
            m_watcher.removePath(watch->path);
            m_watchedPaths.remove(watch->path);
            NameWatch(*watch, node->fsPath);
            m_watchedPaths.insert(watch->path, node->key);
            if (!m_watcher.addPath(watch->path)) {
                ++m_refusedWatches;
            }
        }
    }
    if (node->kind == Kind::Folder) {
        node->path = node->fsPath;
    }
    for (const auto& child : node->children) {
        Repath(child.get(), oldPrefix, newPrefix);
    }
}

bool CFolderTreeModel::CanDropOn(const QModelIndex& target, const QList<QUrl>& urls) const {
    const CNode* node = NodeOf(target);
    if (node == nullptr || node->fsPath.isEmpty() || urls.isEmpty()) {
        return false;
    }
    bool anyFromElsewhere = false;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            return false;
        }
        const QString source = Clean(UrlPathText(url));
        if (Platform::IsSameOrBelow(node->fsPath, source)) {
            return false;  // a folder into itself or below itself
        }
        if (Clean(QFileInfo(source).absolutePath()) != node->fsPath) {
            anyFromElsewhere = true;
        }
    }
    return anyFromElsewhere;
}

}  // namespace Quillmark
