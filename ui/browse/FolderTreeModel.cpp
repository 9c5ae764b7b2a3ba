#include "ui/browse/FolderTreeModel.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractFileIconProvider>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>

#include "core/PathText.h"
#include "platform/Files.h"
#include "platform/desktop/FileTransfer.h"
#include "ui/browse/FolderScan.h"

namespace Quillmark {

struct CFolderTreeModel::CNode {
    Kind kind = Kind::Folder;
    CNode* parent = nullptr;
    int row = 0;  // in the parent's children
    std::vector<std::unique_ptr<CNode>> children;
    QString path;    // the parsing name
    QString fsPath;  // the folder on disk; empty for Computer
    QString name;    // the folder's own name (a volume: its mount point's)
    Platform::VolumeKind volumeKind = Platform::VolumeKind::Fixed;
    bool loaded = false;                // the children are listed
    bool hasSubfolders = false;         // before they are listed
    bool watched = false;               // counted in m_watches
    bool shown = false;                 // in m_shown
    std::pair<quint64, quint64> key{};  // the folder's device and inode, while watched
};

namespace {

QString Join(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString Clean(const QString& path) {
    return QDir::cleanPath(path);
}

// A name to show: bytes that are not UTF-8 (kept as lone surrogates) as U+FFFD.
QString Shown(const QString& name) {
    QString shown = name;
    for (QChar& c : shown) {
        if (c.isSurrogate()) {
            c = QChar(QChar::ReplacementCharacter);
        }
    }
    return shown;
}

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

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
    WatchMountTable();
}

CFolderTreeModel::~CFolderTreeModel() {
    if (m_mountFd >= 0) {
        delete m_mountNotifier;
        ::close(m_mountFd);
    }
}

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
    return node->loaded ? !node->children.empty() : node->hasSubfolders;
}

bool CFolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    const CNode* node = NodeOf(parent);
    return node != nullptr && !node->loaded;
}

void CFolderTreeModel::fetchMore(const QModelIndex& parent) {
    if (CNode* node = NodeOf(parent)) {
        Load(node);
    }
}

QVariant CFolderTreeModel::data(const QModelIndex& index, int role) const {
    const CNode* node = NodeOf(index);
    if (node == nullptr) {
        return {};
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
    if (node == nullptr) {
        return Qt::NoItemFlags;
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

bool CFolderTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || NodeOf(index) == nullptr) {
        return false;
    }
    return RenameFolder(index, value.toString());
}

QStringList CFolderTreeModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* CFolderTreeModel::mimeData(const QModelIndexList& indexes) const {
    QList<QUrl> urls;
    for (const QModelIndex& index : indexes) {
        const CNode* node = NodeOf(index);
        if (node != nullptr && !node->fsPath.isEmpty()) {
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

QModelIndex CFolderTreeModel::IndexForPath(const QString& path) {
    if (path == QLatin1String(kDesktopPath)) {
        return DesktopIndex();
    }
    Load(m_root.get());
    if (path == QLatin1String(kComputerPath)) {
        return ComputerIndex();
    }
    if (!path.startsWith(QLatin1Char('/')) || !IsFolder(path)) {
        return {};
    }
    const QString clean = Clean(path);
    const auto holds = [&clean](const QString& anchor) {
        return !anchor.isEmpty() && (clean == anchor || anchor == QLatin1String("/") ||
                                     clean.startsWith(anchor + QLatin1Char('/')));
    };
    // The deepest place that holds the path: Home before the desktop
    // when they are one folder, a volume before the root.
    std::vector<CNode*> anchors;
    for (const auto& child : m_root->children) {
        if (child->kind == Kind::Home) {
            anchors.push_back(child.get());
        }
    }
    anchors.push_back(m_root.get());
    Load(m_computer);
    for (const auto& volume : m_computer->children) {
        anchors.push_back(volume.get());
    }
    CNode* node = nullptr;
    for (CNode* anchor : anchors) {
        if (holds(anchor->fsPath) &&
            (node == nullptr || anchor->fsPath.size() > node->fsPath.size())) {
            node = anchor;
        }
    }
    if (node == nullptr) {
        return {};
    }
    const QStringList segments =
        clean.mid(node->fsPath.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const auto childNamed = [this](CNode* parent, const QString& name) -> CNode* {
        for (std::size_t i = static_cast<std::size_t>(FixedChildren(*parent));
             i < parent->children.size(); ++i) {
            if (parent->children[i]->name == name) {
                return parent->children[i].get();
            }
        }
        return nullptr;
    };
    for (const QString& segment : segments) {
        Load(node);
        CNode* next = childNamed(node, segment);
        if (next == nullptr) {
            // Made since the folder was listed, and the watcher has not
            // told yet (or does not watch it): listed again now.
            Sync(node, false);
            next = childNamed(node, segment);
        }
        if (next == nullptr) {
            return {};
        }
        node = next;
    }
    return IndexOf(node);
}

// ---- listing ----

int CFolderTreeModel::FixedChildren(const CNode& node) const {
    if (node.kind != Kind::Desktop || !node.loaded) {
        return 0;
    }
    return static_cast<int>(std::count_if(node.children.begin(), node.children.end(),
                                          [](const auto& c) { return c->kind != Kind::Folder; }));
}

bool CFolderTreeModel::LessName(const QString& a, const QString& b) const {
    const int order = m_collator.compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

bool CFolderTreeModel::Less(const CNode& a, const CNode& b) const {
    if (a.kind == Kind::Volume && b.kind == Kind::Volume) {
        // The root first, then by mount point.
        const bool aRoot = a.fsPath == m_places.root;
        const bool bRoot = b.fsPath == m_places.root;
        return aRoot != bRoot ? aRoot : a.path < b.path;
    }
    return LessName(a.name, b.name);
}

std::unique_ptr<CFolderTreeModel::CNode> CFolderTreeModel::MakeFolderNode(
    CNode* parent, const CSubfolder& subfolder) const {
    auto node = std::make_unique<CNode>();
    node->parent = parent;
    node->name = subfolder.name;
    node->fsPath = Join(parent->fsPath, subfolder.name);
    node->path = node->fsPath;
    node->hasSubfolders = subfolder.hasSubfolders;
    return node;
}

std::unique_ptr<CFolderTreeModel::CNode> CFolderTreeModel::MakeVolumeNode(
    CNode* parent, const Platform::Volume& volume) const {
    auto node = std::make_unique<CNode>();
    node->kind = Kind::Volume;
    node->parent = parent;
    node->fsPath = Clean(volume.mountPoint);
    node->path = node->fsPath;
    node->name = node->fsPath == m_places.root || node->fsPath == QLatin1String("/")
                     ? QStringLiteral("/")
                     : QFileInfo(node->fsPath).fileName();
    node->volumeKind = volume.kind;
    node->hasSubfolders = HasSubfolders(node->fsPath);
    return node;
}

namespace {

// The root first, then the user's volumes, each mount point once.
std::vector<Platform::Volume> ComputerVolumes(const QString& rootFolder) {
    std::vector<Platform::Volume> volumes;
    Platform::Volume root;
    root.mountPoint = rootFolder;
    volumes.push_back(root);
    for (const Platform::Volume& volume : Platform::UserVolumes()) {
        if (QDir::cleanPath(volume.mountPoint) != QLatin1String("/")) {
            volumes.push_back(volume);
        } else {
            volumes.front().kind = volume.kind;
        }
    }
    return volumes;
}

}  // namespace

void CFolderTreeModel::Load(CNode* node) {
    if (node == nullptr || node->loaded) {
        return;
    }
    std::vector<std::unique_ptr<CNode>> children;
    if (node->kind == Kind::Computer) {
        for (const Platform::Volume& volume : ComputerVolumes(m_places.root)) {
            children.push_back(MakeVolumeNode(node, volume));
        }
    } else {
        std::vector<CSubfolder> listing;
        ListSubfolders(node->fsPath, listing);
        // Sorted through keys made once a name: a folder may hold many thousand.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(listing.size());
        for (const CSubfolder& subfolder : listing) {
            keys.push_back(m_collator.sortKey(subfolder.name));
        }
        std::vector<std::size_t> order(listing.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const int byKey = keys[a].compare(keys[b]);
            return byKey != 0 ? byKey < 0 : listing[a].name < listing[b].name;
        });
        if (node->kind == Kind::Desktop) {
            auto home = std::make_unique<CNode>();
            home->kind = Kind::Home;
            home->parent = node;
            home->fsPath = m_places.home;
            home->path = m_places.home;
            home->name = tr("Home");
            home->hasSubfolders = HasSubfolders(m_places.home);
            children.push_back(std::move(home));
            auto computer = std::make_unique<CNode>();
            computer->kind = Kind::Computer;
            computer->parent = node;
            computer->path = QString::fromLatin1(kComputerPath);
            computer->name = tr("Computer");
            computer->hasSubfolders = true;
            m_computer = computer.get();
            children.push_back(std::move(computer));
        }
        for (std::size_t i : order) {
            children.push_back(MakeFolderNode(node, listing[i]));
        }
    }
    const QModelIndex parent = IndexOf(node);
    if (!children.empty()) {
        beginInsertRows(parent, 0, static_cast<int>(children.size()) - 1);
    }
    node->children = std::move(children);
    for (std::size_t i = 0; i < node->children.size(); ++i) {
        node->children[i]->row = static_cast<int>(i);
    }
    node->loaded = true;
    if (!node->children.empty()) {
        endInsertRows();
    }
    Watch(node);
}

void CFolderTreeModel::InsertSorted(CNode* parent, std::vector<std::unique_ptr<CNode>> nodes) {
    const QModelIndex parentIndex = IndexOf(parent);
    for (auto& node : nodes) {
        const auto first = parent->children.begin() + FixedChildren(*parent);
        const auto at =
            std::upper_bound(first, parent->children.end(), node,
                             [this](const auto& a, const auto& b) { return Less(*a, *b); });
        const int row = static_cast<int>(at - parent->children.begin());
        beginInsertRows(parentIndex, row, row);
        CNode* added = node.get();
        parent->children.insert(at, std::move(node));
        for (std::size_t i = static_cast<std::size_t>(row); i < parent->children.size(); ++i) {
            parent->children[i]->row = static_cast<int>(i);
        }
        endInsertRows();
        Watch(added);
    }
}

void CFolderTreeModel::RemoveChild(CNode* parent, int row) {
    const QModelIndex parentIndex = IndexOf(parent);
    emit RowGoing(parentIndex, row);
    beginRemoveRows(parentIndex, row, row);
    const auto at = parent->children.begin() + row;
    UnwatchTree(at->get());
    if (at->get() == m_computer) {
        m_computer = nullptr;
    }
    parent->children.erase(at);
    for (std::size_t i = static_cast<std::size_t>(row); i < parent->children.size(); ++i) {
        parent->children[i]->row = static_cast<int>(i);
    }
    endRemoveRows();
}

void CFolderTreeModel::SetHasSubfolders(CNode* node, bool hasSubfolders) {
    if (node->hasSubfolders == hasSubfolders) {
        return;
    }
    node->hasSubfolders = hasSubfolders;
    Watch(node);
    Unwatch(node);
    // Views decide on an expand button when they lay their rows out.
    const QModelIndex index = IndexOf(node);
    emit layoutAboutToBeChanged({index.parent()});
    emit layoutChanged({index.parent()});
    emit dataChanged(index, index);
}

void CFolderTreeModel::Sync(CNode* node, bool deep) {
    if (node->kind == Kind::Computer) {
        SyncVolumes();
        if (deep && node->loaded) {
            for (const auto& volume : node->children) {
                Sync(volume.get(), true);
            }
        }
        return;
    }
    if (!node->loaded) {
        SetHasSubfolders(node, HasSubfolders(node->fsPath));
        return;
    }
    std::vector<CSubfolder> listing;
    if (!ListSubfolders(node->fsPath, listing)) {
        return;  // gone or unreadable: its parent's listing says which
    }
    QHash<QString, const CSubfolder*> listed;
    listed.reserve(static_cast<qsizetype>(listing.size()));
    for (const CSubfolder& subfolder : listing) {
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
        if (!child->loaded) {
            SetHasSubfolders(child, hasSubfolders);
        } else if (deep) {
            Sync(child, true);
        }
    }
    std::vector<std::unique_ptr<CNode>> added;
    for (const CSubfolder& subfolder : listing) {
        if (listed.contains(subfolder.name)) {
            added.push_back(MakeFolderNode(node, subfolder));
        }
    }
    InsertSorted(node, std::move(added));
    if (deep) {
        for (int row = 0; row < fixed; ++row) {
            Sync(node->children[static_cast<std::size_t>(row)].get(), true);
        }
    }
}

void CFolderTreeModel::SyncVolumes() {
    if (m_computer == nullptr || !m_computer->loaded) {
        return;
    }
    const std::vector<Platform::Volume> volumes = ComputerVolumes(m_places.root);
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
    InsertSorted(m_computer, std::move(added));
}

void CFolderTreeModel::Refresh() {
    if (m_root->loaded) {
        Sync(m_root.get(), true);
    }
}

void CFolderTreeModel::SyncFolder(const QString& folder) {
    ForEachNodeOf(Clean(folder), [this](CNode* node) { Sync(node, false); });
}

void CFolderTreeModel::ForEachNodeOf(const QString& folder,
                                     const std::function<void(CNode*)>& action) {
    // Found first, then acted on: acting changes only each node's children.
    std::vector<CNode*> found;
    std::vector<CNode*> pending{m_root.get()};
    while (!pending.empty()) {
        CNode* node = pending.back();
        pending.pop_back();
        if (node->fsPath == folder) {
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

// ---- changes made here ----

QModelIndex CFolderTreeModel::CreateFolder(const QModelIndex& parentIndex) {
    m_failure.clear();
    CNode* parent = NodeOf(parentIndex);
    if (parent == nullptr || parent->fsPath.isEmpty()) {
        m_failure = tr("A new folder can only be made in a folder.");
        return {};
    }
    Load(parent);
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
            m_failure = tr("The folder could not be made: %1").arg(ErrorText(error.value()));
            return {};
        }
    }
    if (name.isEmpty()) {
        m_failure = tr("The names New Folder to New Folder (255) are all taken here.");
        return {};
    }
    for (const auto& child : parent->children) {
        if (child->kind == Kind::Folder && child->name == name) {
            return IndexOf(child.get());
        }
    }
    CSubfolder subfolder{name, false};
    auto node = MakeFolderNode(parent, subfolder);
    CNode* added = node.get();
    std::vector<std::unique_ptr<CNode>> nodes;
    nodes.push_back(std::move(node));
    InsertSorted(parent, std::move(nodes));
    return IndexOf(added);
}

bool CFolderTreeModel::RenameFolder(const QModelIndex& index, const QString& newName) {
    m_failure.clear();
    CNode* node = NodeOf(index);
    if (node == nullptr || node->kind != Kind::Folder) {
        m_failure = tr("This item cannot be renamed.");
        return false;
    }
    if (newName == node->name) {
        return true;
    }
    if (newName.isEmpty() || newName == QLatin1String(".") || newName == QLatin1String("..") ||
        newName.contains(QLatin1Char('/')) || newName.contains(QChar(0))) {
        m_failure = tr("“%1” cannot be a folder's name.").arg(Shown(newName));
        return false;
    }
    const QString oldPath = node->fsPath;
    const QString newPath = Join(node->parent->fsPath, newName);
    // Never onto what is there: rename(2) alone would replace an empty folder.
    if (const std::error_code error =
            Platform::RenameNoReplace(FilePath(oldPath), FilePath(newPath))) {
        m_failure =
            error.value() == EEXIST || error.value() == ENOTEMPTY
                ? tr("There is already a file or folder named “%1” here.").arg(Shown(newName))
                : tr("“%1” could not be renamed: %2")
                      .arg(Shown(node->name), ErrorText(error.value()));
        return false;
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
    return true;
}

void CFolderTreeModel::Repath(CNode* node, const QString& oldPrefix, const QString& newPrefix) {
    const QString oldPath = node->fsPath;
    node->fsPath = newPrefix + node->fsPath.mid(oldPrefix.size());
    // The system ends a watch whose folder moves: watched again under the
    // new name.
    if (node->watched) {
        const auto watch = m_watches.find(node->key);
        if (watch != m_watches.end() && watch->path == oldPath) {
            m_watcher.removePath(oldPath);
            m_watchedPaths.remove(oldPath);
            watch->path = node->fsPath;
            m_watchedPaths.insert(node->fsPath, node->key);
            if (!m_watcher.addPath(node->fsPath)) {
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
        watch.path = node->fsPath;
        m_watchedPaths.insert(watch.path, key);
        toAdd.append(watch.path);
    }
    node->key = key;
    node->watched = true;
    return true;
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
    for (CNode* node : m_shown) {
        if (std::find(before.begin(), before.end(), node) != before.end() || node->loaded ||
            node->fsPath.isEmpty()) {
            continue;
        }
        // Not heard of while out of sight: looked at again.
        SetHasSubfolders(node, HasSubfolders(node->fsPath));
        Watch(node);
    }
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
            SyncFolder(path);
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
        for (CNode* node : found) {
            Sync(node, false);
        }
    }
}

void CFolderTreeModel::WatchMountTable() {
    m_mountTable = Clean(Platform::MountTablePath());
    if (m_mountTable.startsWith(QLatin1String("/proc/"))) {
        // The kernel's table is no file to watch: it tells of a change as
        // an exceptional condition (POLLPRI) on the open file.
        m_mountFd = ::open(FilePath(m_mountTable).c_str(), O_RDONLY | O_CLOEXEC);
        if (m_mountFd >= 0) {
            m_mountNotifier = new QSocketNotifier(m_mountFd, QSocketNotifier::Exception, this);
            connect(m_mountNotifier, &QSocketNotifier::activated, this,
                    &CFolderTreeModel::OnMountTableChanged);
        }
        return;
    }
    // A table given as a file may be replaced whole: its folder is watched too.
    m_mountWatcher.addPath(QFileInfo(m_mountTable).absolutePath());
    if (QFileInfo::exists(m_mountTable)) {
        m_mountWatcher.addPath(m_mountTable);
    }
    connect(&m_mountWatcher, &QFileSystemWatcher::fileChanged, this,
            &CFolderTreeModel::OnMountTableChanged);
    connect(&m_mountWatcher, &QFileSystemWatcher::directoryChanged, this,
            &CFolderTreeModel::OnMountTableChanged);
}

void CFolderTreeModel::OnMountTableChanged() {
    if (m_mountFd >= 0) {
        // Read to the end, as the kernel expects of a reader it told.
        char buffer[4096];
        ::lseek(m_mountFd, 0, SEEK_SET);
        while (::read(m_mountFd, buffer, sizeof buffer) > 0) {
        }
    } else if (!m_mountWatcher.files().contains(m_mountTable) && QFileInfo::exists(m_mountTable)) {
        m_mountWatcher.addPath(m_mountTable);
    }
    m_changed.insert(m_mountTable);
    m_settle.start();
}

}  // namespace Quillmark
