#include "ui/browse/FolderTreeModel.h"

#include <sys/stat.h>

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QMimeData>
#include <QStandardPaths>

#include "core/PathText.h"
#include "ui/browse/FolderTreeNode.h"

namespace Quillmark {

using namespace FolderTree;

namespace {

bool IsFolder(const QString& path) {
    struct stat info {};
    return ::stat(FilePath(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

QIcon ThemeIcon(const char* name, const QIcon& fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name), fallback);
}

}  // namespace

CFolderTreeModel::CPlaces CFolderTreeModel::UserPlaces() {
    CPlaces places;
    places.home = Clean(QDir::homePath());
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    places.desktop = !desktop.isEmpty() && IsFolder(desktop) ? Clean(desktop) : places.home;
    return places;
}

CFolderTreeModel::CFolderTreeModel(QObject* parent) : CFolderTreeModel(UserPlaces(), parent) {}

CFolderTreeModel::CFolderTreeModel(CPlaces places, QObject* parent)
    : QAbstractItemModel(parent), m_places(std::move(places)), m_watcher(this), m_settle(this) {
    // The C locale's collation is the code points' order, which knows
    // neither letter case nor numbers: names are then sorted as in English.
    if (QLocale().language() == QLocale::C) {
        m_collator.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(true);

    const QAbstractFileIconProvider provider;
    m_folderIcon = ThemeIcon("folder", provider.icon(QAbstractFileIconProvider::Folder));
    const std::pair<QStandardPaths::StandardLocation, const char*> special[] = {
        {QStandardPaths::DocumentsLocation, "folder-documents"},
        {QStandardPaths::DownloadLocation, "folder-download"},
        {QStandardPaths::MusicLocation, "folder-music"},
        {QStandardPaths::PicturesLocation, "folder-pictures"},
        {QStandardPaths::MoviesLocation, "folder-videos"},
        {QStandardPaths::TemplatesLocation, "folder-templates"},
        {QStandardPaths::PublicShareLocation, "folder-publicshare"},
    };
    for (const auto& [location, icon] : special) {
        const QString path = QStandardPaths::writableLocation(location);
        if (!path.isEmpty() && Clean(path) != m_places.home) {
            m_specialIcons.insert(Clean(path), ThemeIcon(icon, m_folderIcon));
        }
    }

    m_root = std::make_unique<CNode>();
    m_root->kind = Kind::Desktop;
    m_root->path = QString::fromLatin1(kDesktopPath);
    m_root->fsPath = m_places.desktop;
    m_root->name = tr("Desktop");
    m_root->hasSubfolders = true;

    m_settle.setSingleShot(true);
    m_settle.setInterval(150);
    connect(&m_settle, &QTimer::timeout, this, &CFolderTreeModel::OnSettled);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &CFolderTreeModel::OnDirectoryChanged);
    m_mountTable = m_mounts.Path();
    connect(&m_mounts, &Platform::CMountTableWatcher::Changed, this,
            &CFolderTreeModel::OnMountTableChanged);
    // Paths waiting on a read are walked again after its answer, never
    // inside it: an answer may come while a walk runs.
    m_reach.setSingleShot(true);
    m_reach.setInterval(0);
    connect(&m_reach, &QTimer::timeout, this, &CFolderTreeModel::Reach);
}

// A read still running answers nobody: the reader drops what it brings.
CFolderTreeModel::~CFolderTreeModel() = default;

// ---- the tree as Qt sees it ----

CFolderTreeModel::CNode* CFolderTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<CNode*>(index.internalPointer()) : nullptr;
}

QModelIndex CFolderTreeModel::IndexOf(const CNode* node) const {
    return node != nullptr ? createIndex(node->row, 0, const_cast<CNode*>(node)) : QModelIndex();
}

QModelIndex CFolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) {
        return {};
    }
    if (!parent.isValid()) {
        return row == 0 ? IndexOf(m_root.get()) : QModelIndex();
    }
    const CNode* node = NodeOf(parent);
    if (parent.column() != 0 || row >= static_cast<int>(node->children.size())) {
        return {};
    }
    return IndexOf(node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex CFolderTreeModel::parent(const QModelIndex& child) const {
    const CNode* node = NodeOf(child);
    return node != nullptr ? IndexOf(node->parent) : QModelIndex();
}

int CFolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return 1;
    }
    return parent.column() == 0 ? static_cast<int>(NodeOf(parent)->children.size()) : 0;
}

int CFolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool CFolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return true;
    }
    const CNode* node = NodeOf(parent);
    if (parent.column() != 0) {
        return false;
    }
    // Being listed: the row "Reading…" under it.
    return node->loaded || !node->children.empty() ? !node->children.empty() : node->hasSubfolders;
}

bool CFolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    const CNode* node = NodeOf(parent);
    return node != nullptr && !node->loaded && !node->placeholder && node->read != CRead::List;
}

void CFolderTreeModel::fetchMore(const QModelIndex& parent) {
    CNode* node = NodeOf(parent);
    if (node != nullptr && !node->placeholder) {
        Load(node, m_readWait);
    }
}

QVariant CFolderTreeModel::data(const QModelIndex& index, int role) const {
    const CNode* node = NodeOf(index);
    if (node == nullptr) {
        return {};
    }
    if (node->placeholder) {
        switch (role) {
            case Qt::DisplayRole:
            case Qt::AccessibleTextRole:
                return node->name;
            case Qt::ToolTipRole:
                return tr("The folder is being read.");
            case KindRole:
                return static_cast<int>(Kind::Folder);
            case CanChangeRole:
                return false;
            default:
                return {};
        }
    }
    switch (role) {
        case Qt::DisplayRole:
            return Shown(node->name);
        case Qt::EditRole:
            return node->name;
        case Qt::ToolTipRole:
            return Shown(node->fsPath);
        case Qt::DecorationRole:
            return IconOf(*node);
        case Qt::AccessibleTextRole:
            return Shown(node->name);
        case PathRole:
            return node->path;
        case FileSystemPathRole:
            return node->fsPath;
        case KindRole:
            return static_cast<int>(node->kind);
        case CanChangeRole:
            return node->kind == Kind::Folder;
        default:
            return {};
    }
}

QIcon CFolderTreeModel::IconOf(const CNode& node) const {
    switch (node.kind) {
        case Kind::Desktop:
            return ThemeIcon("user-desktop", m_folderIcon);
        case Kind::Home:
            return ThemeIcon("user-home", m_folderIcon);
        case Kind::Computer:
            return ThemeIcon("computer", m_folderIcon);
        case Kind::Volume:
            switch (node.volumeKind) {
                case Platform::VolumeKind::Removable:
                    return ThemeIcon("drive-removable-media", m_folderIcon);
                case Platform::VolumeKind::Network:
                    return ThemeIcon("folder-remote", m_folderIcon);
                case Platform::VolumeKind::Optical:
                    return ThemeIcon("drive-optical", m_folderIcon);
                case Platform::VolumeKind::Fixed:
                case Platform::VolumeKind::Ram:
                    break;
            }
            return ThemeIcon("drive-harddisk", m_folderIcon);
        case Kind::Folder:
            break;
    }
    const auto special = m_specialIcons.constFind(node.fsPath);
    return special != m_specialIcons.cend() ? *special : m_folderIcon;
}

Qt::ItemFlags CFolderTreeModel::flags(const QModelIndex& index) const {
    const CNode* node = NodeOf(index);
    if (node == nullptr || node->placeholder) {
        return Qt::NoItemFlags;  // shown disabled; never selected
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!node->fsPath.isEmpty()) {
        flags |= Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    }
    if (node->kind == Kind::Folder) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QStringList CFolderTreeModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* CFolderTreeModel::mimeData(const QModelIndexList& indexes) const {
    QList<QUrl> urls;
    for (const QModelIndex& index : indexes) {
        const CNode* node = NodeOf(index);
        if (node != nullptr && !node->placeholder && !node->fsPath.isEmpty()) {
            urls.append(FileUrl(node->fsPath));
        }
    }
    if (urls.isEmpty()) {
        return nullptr;
    }
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

Qt::DropActions CFolderTreeModel::supportedDragActions() const {
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}

Qt::DropActions CFolderTreeModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::MoveAction;
}

// ---- what the window asks ----

QModelIndex CFolderTreeModel::DesktopIndex() const {
    return IndexOf(m_root.get());
}

QModelIndex CFolderTreeModel::ComputerIndex() const {
    return IndexOf(m_computer);
}

QString CFolderTreeModel::PathOf(const QModelIndex& index) const {
    const CNode* node = NodeOf(index);
    return node != nullptr ? node->path : QString();
}

QString CFolderTreeModel::FileSystemPathOf(const QModelIndex& index) const {
    const CNode* node = NodeOf(index);
    return node != nullptr ? node->fsPath : QString();
}

CFolderTreeModel::Kind CFolderTreeModel::KindOf(const QModelIndex& index) const {
    const CNode* node = NodeOf(index);
    return node != nullptr ? node->kind : Kind::Folder;
}

bool CFolderTreeModel::IsLoaded(const QModelIndex& index) const {
    const CNode* node = NodeOf(index);
    return node != nullptr && node->loaded;
}

bool CFolderTreeModel::IsReading(const QModelIndex& index) const {
    const CNode* node = NodeOf(index);
    return node != nullptr && node->read != CRead::None;
}

}  // namespace Quillmark
