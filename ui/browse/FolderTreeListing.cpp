#include "ui/browse/FolderTreeModel.h"

#include <QFileInfo>
#include <algorithm>
#include <numeric>

#include "ui/browse/FolderScan.h"
#include "ui/browse/FolderTreeNode.h"

namespace Quillmark {

using namespace FolderTree;
using std::chrono::milliseconds;

namespace {

// The root first, then the user's volumes, each mount point once. Only the
// mount table is read: no volume is touched.
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

// ---- finding a path ----

QModelIndex CFolderTreeModel::IndexForPath(const QString& path) {
    return IndexForPath(path, nullptr);
}

QModelIndex CFolderTreeModel::IndexForPath(const QString& path, bool* pending) {
    if (pending != nullptr) {
        *pending = false;
    }
    // Asked again while PathReachable is told: the answer found, as it
    // stands (walked again, a folder missing would be listed again, and
    // told again, for ever).
    if (const auto reached = m_reached.constFind(path); reached != m_reached.cend()) {
        return *reached;
    }
    // A listing that came before this call may not hold a folder made since.
    return Walk(path, pending, m_serial + 1, m_readWait);
}

QModelIndex CFolderTreeModel::Walk(const QString& path, bool* pending, quint64 since,
                                   milliseconds wait) {
    const CClock::time_point deadline = CClock::now() + wait;
    const auto waiting = [&](CNode* node) -> QModelIndex {
        if (pending == nullptr) {
            return {};
        }
        *pending = true;
        const bool known = std::any_of(m_wanted.begin(), m_wanted.end(),
                                       [&path](const CWanted& w) { return w.path == path; });
        if (!known) {
            // Only the last few asked are followed: a user who went on
            // through many slow folders wants the last.
            constexpr std::size_t kFollowed = 8;
            if (m_wanted.size() >= kFollowed) {
                m_wanted.erase(m_wanted.begin());
            }
            m_wanted.push_back({path, since});
        }
        return IndexOf(node);
    };
    if (path == QLatin1String(kDesktopPath)) {
        return DesktopIndex();
    }
    if (!Load(m_root.get(), Remaining(deadline))) {
        return waiting(m_root.get());
    }
    if (path == QLatin1String(kComputerPath)) {
        return ComputerIndex();
    }
    // Not looked at on disk here: the walk down finds whether it is a
    // folder, without touching a folder that may hang.
    if (!path.startsWith(QLatin1Char('/'))) {
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
    Load(m_computer, milliseconds(0));  // the mount table only: at once
    if (m_computer != nullptr) {
        for (const auto& volume : m_computer->children) {
            anchors.push_back(volume.get());
        }
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
            if (!parent->children[i]->placeholder && parent->children[i]->name == name) {
                return parent->children[i].get();
            }
        }
        return nullptr;
    };
    for (const QString& segment : segments) {
        if (!Load(node, Remaining(deadline))) {
            return waiting(node);
        }
        CNode* next = childNamed(node, segment);
        if (next == nullptr && node->read != CRead::None) {
            // Read again now: its answer may hold it.
            if (!AwaitRead(node, Remaining(deadline)) || node->read != CRead::None) {
                return waiting(node);
            }
            next = childNamed(node, segment);
        }
        if (next == nullptr && node->listedAt < since) {
            // Made since the folder was listed, and the watcher has not
            // told yet (or does not watch it): listed again now.
            Sync(node, Remaining(deadline));
            if (node->read != CRead::None) {
                return waiting(node);
            }
            next = childNamed(node, segment);
        }
        if (next == nullptr) {
            return {};
        }
        node = next;
    }
    return IndexOf(node);
}

void CFolderTreeModel::Reach() {
    // Each walked again without waiting: one still on its way is followed
    // further, the others are told.
    const std::vector<CWanted> wanted = std::exchange(m_wanted, {});
    for (const CWanted& asked : wanted) {
        bool pending = false;
        const std::size_t before = m_wanted.size();
        const QModelIndex found = Walk(asked.path, &pending, asked.since, milliseconds(0));
        if (!pending) {
            m_reached.insert(asked.path, QPersistentModelIndex(found));
            emit PathReachable(asked.path);
            m_reached.remove(asked.path);
        } else if (m_wanted.size() == before) {
            m_wanted.push_back(asked);  // asked again meanwhile: kept once
        }
    }
}

// ---- reading ----

std::chrono::milliseconds CFolderTreeModel::Remaining(CClock::time_point deadline) const {
    return std::max(milliseconds(0),
                    std::chrono::duration_cast<milliseconds>(deadline - CClock::now()));
}

quint64 CFolderTreeModel::BeginRead(CNode* node, CRead read) {
    const quint64 token = ++m_nextToken;
    node->read = read;
    node->readToken = token;
    m_reads.insert(token, node);
    return token;
}

CFolderTreeModel::CNode* CFolderTreeModel::EndRead(quint64 token) {
    CNode* node = m_reads.take(token);
    if (node == nullptr || node->readToken != token) {
        return nullptr;  // gone meanwhile: the answer is dropped
    }
    node->read = CRead::None;
    node->readToken = 0;
    node->readJob = 0;
    if (!m_wanted.empty()) {
        m_reach.start();
    }
    return node;
}

bool CFolderTreeModel::Load(CNode* node, milliseconds wait) {
    if (node == nullptr || node->loaded) {
        return node != nullptr;
    }
    if (node->kind == Kind::Computer) {
        CListing none;
        none.ok = true;
        ApplyLoad(node, none);
        return true;
    }
    const CClock::time_point deadline = CClock::now() + wait;
    // Not read twice: a read pending is waited for as a new one would be.
    if (node->read != CRead::None && (!AwaitRead(node, wait) || node->read != CRead::None)) {
        if (!node->loaded && node->read == CRead::Look) {
            node->listWanted = true;  // listed once the look answers
            ShowReading(node);
        }
        return node->loaded;
    }
    if (!node->loaded) {
        StartList(node, Remaining(deadline));
    }
    return node->loaded;
}

bool CFolderTreeModel::AwaitRead(CNode* node, milliseconds wait) {
    return node->read == CRead::None || m_reader.Wait(node->readJob, wait);
}

void CFolderTreeModel::AwaitAll(const std::vector<quint64>& reads, CClock::time_point deadline) {
    for (const quint64 read : reads) {
        if (read != 0) {
            m_reader.Wait(read, Remaining(deadline));
        }
    }
}

quint64 CFolderTreeModel::StartList(CNode* node, milliseconds wait) {
    const quint64 token = BeginRead(node, CRead::List);
    auto listing = std::make_shared<CListing>();
    listing->folder = node->fsPath;
    const bool desktop = node->kind == Kind::Desktop;
    auto work = [listing, folder = node->fsPath, desktop, home = m_places.home] {
        listing->ok = ListSubfolders(folder, listing->subfolders);
        if (desktop) {
            listing->homeHasSubfolders = HasSubfolders(home);
        }
    };
    const quint64 job =
        m_reader.Start(std::move(work), [this, token, listing] { OnListed(token, *listing); });
    node->readJob = job;
    if (wait.count() > 0 && m_reader.Wait(job, wait)) {
        return job;
    }
    ShowReading(node);  // a folder listed already keeps its rows instead
    return job;
}

quint64 CFolderTreeModel::StartLook(CNode* node, milliseconds wait) {
    const quint64 token = BeginRead(node, CRead::Look);
    auto has = std::make_shared<bool>(false);
    const quint64 job = m_reader.Start(
        [has, folder = node->fsPath] { *has = HasSubfolders(folder); },
        [this, token, has, folder = node->fsPath] { OnLooked(token, folder, *has); });
    node->readJob = job;
    if (wait.count() > 0) {
        m_reader.Wait(job, wait);
    }
    return job;
}

void CFolderTreeModel::OnListed(quint64 token, const CListing& listing) {
    CNode* node = EndRead(token);
    if (node == nullptr) {
        return;
    }
    if (listing.folder != node->fsPath) {
        // Renamed meanwhile: read again under its new name.
        node->readAgain = false;
        StartList(node, milliseconds(0));
        return;
    }
    node->listedAt = ++m_serial;
    if (!node->loaded) {
        ApplyLoad(node, listing);
    } else {
        ApplySync(node, listing);
    }
    if (std::exchange(node->readAgain, false)) {
        Sync(node, milliseconds(0));
    }
}

void CFolderTreeModel::OnLooked(quint64 token, const QString& folder, bool hasSubfolders) {
    CNode* node = EndRead(token);
    if (node == nullptr) {
        return;
    }
    if (folder != node->fsPath) {
        StartLook(node, milliseconds(0));  // renamed meanwhile
        return;
    }
    if (!node->loaded) {
        SetHasSubfolders(node, hasSubfolders);
        Watch(node);
    }
    if (std::exchange(node->listWanted, false) && !node->loaded) {
        node->readAgain = false;  // the listing reads it anew
        StartList(node, milliseconds(0));
    } else if (std::exchange(node->readAgain, false)) {
        Sync(node, milliseconds(0));
    }
}

void CFolderTreeModel::ShowReading(CNode* node) {
    if (node->loaded || (!node->children.empty() && node->children.front()->placeholder)) {
        return;
    }
    auto reading = std::make_unique<CNode>();
    reading->parent = node;
    reading->placeholder = true;
    reading->name = tr("Reading…");
    beginInsertRows(IndexOf(node), 0, 0);
    node->children.insert(node->children.begin(), std::move(reading));
    for (std::size_t i = 0; i < node->children.size(); ++i) {
        node->children[i]->row = static_cast<int>(i);
    }
    endInsertRows();
}

void CFolderTreeModel::RemovePlaceholder(CNode* node) {
    if (node->children.empty() || !node->children.front()->placeholder) {
        return;
    }
    beginRemoveRows(IndexOf(node), 0, 0);
    UnwatchTree(node->children.front().get());  // out of m_shown
    node->children.erase(node->children.begin());
    for (std::size_t i = 0; i < node->children.size(); ++i) {
        node->children[i]->row = static_cast<int>(i);
    }
    endRemoveRows();
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

// A volume is taken to have subfolders until a look says (a network one
// may hang): see StartLook.
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
    node->hasSubfolders = true;
    return node;
}

void CFolderTreeModel::ApplyLoad(CNode* node, const CListing& listing) {
    RemovePlaceholder(node);
    std::vector<std::unique_ptr<CNode>> children;
    if (node->kind == Kind::Computer) {
        for (const Platform::Volume& volume : ComputerVolumes(m_places.root)) {
            children.push_back(MakeVolumeNode(node, volume));
        }
    } else {
        const std::vector<CSubfolder>& subfolders = listing.subfolders;
        // Sorted through keys made once a name: a folder may hold many thousand.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(subfolders.size());
        for (const CSubfolder& subfolder : subfolders) {
            keys.push_back(m_collator.sortKey(subfolder.name));
        }
        std::vector<std::size_t> order(subfolders.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const int byKey = keys[a].compare(keys[b]);
            return byKey != 0 ? byKey < 0 : subfolders[a].name < subfolders[b].name;
        });
        if (node->kind == Kind::Desktop) {
            auto home = std::make_unique<CNode>();
            home->kind = Kind::Home;
            home->parent = node;
            home->fsPath = m_places.home;
            home->path = m_places.home;
            home->name = tr("Home");
            home->hasSubfolders = listing.homeHasSubfolders;
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
            children.push_back(MakeFolderNode(node, subfolders[i]));
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
    if (node->kind == Kind::Computer) {
        for (const auto& volume : node->children) {
            StartLook(volume.get(), milliseconds(0));
        }
    }
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

}  // namespace Quillmark
