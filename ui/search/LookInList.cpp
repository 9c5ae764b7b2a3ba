#include "ui/search/LookInList.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

#include "core/PathText.h"
#include "platform/Paths.h"
#include "platform/desktop/MountTable.h"

namespace Quillmark {

namespace {

QString Clean(const QString& path) {
    return path.isEmpty() ? path : QDir::cleanPath(path);
}

// Whether `path` lies below `folder` (not `folder` itself).
bool IsBelow(const QString& path, const QString& folder) {
    if (folder.isEmpty() || path.size() <= folder.size() || !path.startsWith(folder)) {
        return false;
    }
    return folder.endsWith('/') || path.at(folder.size()) == '/';
}

}  // namespace

CLookInPlaces CLookInPlaces::OfThisDesktop() {
    CLookInPlaces places;
    places.desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    places.home = QDir::homePath();
    places.fontsFolder = PathText(Platform::UserFontsFolder());
    for (const Platform::Volume& volume : Platform::UserVolumes()) {
        places.volumes.push_back(
            {volume.mountPoint, volume.kind == Platform::VolumeKind::Removable});
    }
    return places;
}

const CLookInEntry* CLookInList::At(int index) const {
    return index >= 0 && index < static_cast<int>(m_entries.size())
               ? &m_entries[static_cast<std::size_t>(index)]
               : nullptr;
}

int CLookInList::Fill(const CLookInPlaces& places, const QString& location, bool isProject) {
    using Kind = CLookInEntry::Kind;
    m_entries.clear();
    const bool hasDesktop = !places.desktop.isEmpty() && QFileInfo(places.desktop).isDir();
    const QString desktopPath = hasDesktop ? places.desktop : places.home;
    m_entries.push_back({Kind::Folder, QObject::tr("Desktop"), Clean(desktopPath), 0,
                         QStringLiteral("user-desktop")});
    QDir desktop(desktopPath);
    for (const QString& name :
         desktop.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        m_entries.push_back(
            {Kind::Folder, name, Clean(desktop.filePath(name)), 1, QStringLiteral("folder")});
    }
    m_entries.push_back(
        {Kind::Folder, QObject::tr("Home"), Clean(places.home), 1, QStringLiteral("user-home")});
    const int computer = static_cast<int>(m_entries.size());
    m_entries.push_back(
        {Kind::Computer, QObject::tr("Computer"), {}, 1, QStringLiteral("computer")});
    for (const auto& volume : places.volumes) {
        const QString name = volume.mountPoint == QLatin1String("/")
                                 ? QObject::tr("File System")
                                 : QFileInfo(volume.mountPoint).fileName();
        m_entries.push_back({Kind::Folder, name, Clean(volume.mountPoint), 2,
                             volume.removable ? QStringLiteral("drive-removable-media")
                                              : QStringLiteral("drive-harddisk")});
    }

    int selection = -1;
    const QString chosen = isProject ? QString() : Clean(location);
    if (chosen == QLatin1String(kComputer)) {
        selection = computer;
    } else if (!chosen.isEmpty()) {
        // The chosen folder's own entry, else the deepest entry it lies
        // below, with the rest of its path inserted there, one level deeper
        // each.
        int anchor = -1;
        for (int i = 0; i < static_cast<int>(m_entries.size()); ++i) {
            const CLookInEntry& entry = m_entries[static_cast<std::size_t>(i)];
            // Where the desktop is the home folder, the path is Home's.
            if (entry.kind != Kind::Folder || entry.path.isEmpty() || (i == 0 && !hasDesktop)) {
                continue;
            }
            if (entry.path == chosen) {
                selection = i;
                break;
            }
            if (IsBelow(chosen, entry.path) &&
                (anchor < 0 ||
                 entry.path.size() > m_entries[static_cast<std::size_t>(anchor)].path.size())) {
                anchor = i;
            }
        }
        if (selection < 0 && anchor >= 0 && chosen != Clean(places.fontsFolder)) {
            const CLookInEntry base = m_entries[static_cast<std::size_t>(anchor)];
            QString rest = chosen.mid(base.path.size());
            const QStringList parts = rest.split('/', Qt::SkipEmptyParts);
            QString path = base.path;
            int at = anchor;
            for (int i = 0; i < parts.size(); ++i) {
                path = path.endsWith('/') ? path + parts[i] : path + '/' + parts[i];
                m_entries.insert(
                    m_entries.begin() + ++at,
                    {Kind::Folder, parts[i], path, base.indent + 1 + i, QStringLiteral("folder")});
            }
            selection = at;
        } else if (selection < 0 && chosen != Clean(places.fontsFolder)) {
            // Below no entry (a volume the table does not list): the path
            // as an entry of its own.
            m_entries.push_back({Kind::Folder, chosen, chosen, 0, QStringLiteral("folder")});
            selection = static_cast<int>(m_entries.size()) - 1;
        }
    }

    const int fonts = static_cast<int>(m_entries.size());
    m_entries.push_back({Kind::Folder, QObject::tr("Fonts Folder"), Clean(places.fontsFolder), 0,
                         QStringLiteral("preferences-desktop-font")});
    if (selection < 0 && !chosen.isEmpty() && chosen == Clean(places.fontsFolder)) {
        selection = fonts;
    }
    m_entries.push_back(
        {Kind::Browse, QObject::tr("Browse For Folder..."), {}, 0, QStringLiteral("folder-open")});
    if (places.favorites) {
        m_entries.push_back({Kind::Favorite,
                             QObject::tr("Select Favorite Folder..."),
                             {},
                             0,
                             QStringLiteral("folder-favorites")});
    }
    if (places.projects) {
        m_entries.push_back({Kind::Project,
                             QObject::tr("Select Project..."),
                             {},
                             0,
                             QStringLiteral("view-list-details")});
        if (isProject && !location.isEmpty()) {
            m_entries.push_back({Kind::Project, location.left(259), location, 1,
                                 QStringLiteral("view-list-details")});
            selection = static_cast<int>(m_entries.size()) - 1;
        }
    }
    return selection >= 0 ? selection : 0;
}

}  // namespace Quillmark
