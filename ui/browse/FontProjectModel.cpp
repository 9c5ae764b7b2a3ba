#include "ui/browse/FontProjectModel.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "collections/FontProjects.h"
#include "core/FileListBlock.h"
#include "core/PathText.h"
#include "fontdata/opentype/OpenTypeData.h"
#include "ui/browse/FolderScan.h"
#include "ui/browse/FolderTreeReader.h"

namespace Quillmark {

namespace {

constexpr quint16 kFullFontName = 4;

// The faces of the file that Quillmark reads as fonts with a full name:
// each face of a collection, the one face of any other file. The reader
// opens only regular files, never blocks on one, and refuses files far
// below 4 GiB.
std::vector<std::uint32_t> FacesWithFullName(const QString& path) {
    std::vector<std::uint32_t> faces;
    std::uint32_t count = 1;
    for (std::uint32_t face = 0; face < count; ++face) {
        Varnholt::COpenTypeData data;
        std::uint32_t size = 0;
        const bool read = data.LoadFile(FilePath(path), size, face) == Varnholt::FontStatus::Loaded;
        if (face == 0) {
            count = std::max<std::uint32_t>(data.GetFaceCount(), 1);
        }
        if (read && data.GetName(kFullFontName) != nullptr) {
            faces.push_back(face);
        }
    }
    return faces;
}

}  // namespace

CFontProjectModel::CFontProjectModel(CFontProjects& projects, QObject* parent)
    : QAbstractListModel(parent), m_projects(projects), m_reader(new CFolderTreeReader(this)) {
    Reload();
}

int CFontProjectModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_names.size());
}

QString CFontProjectModel::RowText(const QString& name, int fontCount) {
    return tr("%1 (%2 fonts)").arg(name).arg(fontCount);
}

QVariant CFontProjectModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const QString& name = m_names[index.row()];
    const auto fontCount = [&] {
        const auto fonts = m_projects.GetProjectFonts(name).lock();
        return fonts ? static_cast<int>(fonts->size()) : 0;
    };
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return RowText(name, fontCount());
        case Qt::DecorationRole:
            return m_icon.isNull() ? QVariant() : QVariant(m_icon);
        case NameRole:
            return name;
        case FontCountRole:
            return fontCount();
        default:
            return {};
    }
}

Qt::ItemFlags CFontProjectModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;  // drops land on a row, never between rows
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled |
           Qt::ItemNeverHasChildren;
}

QStringList CFontProjectModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list"), QString::fromLatin1(kFontProjectDataMimeType)};
}

Qt::DropActions CFontProjectModel::supportedDropActions() const {
    return Qt::CopyAction;
}

bool CFontProjectModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                        const QModelIndex& parent) const {
    return data != nullptr && parent.isValid() && parent.model() == this &&
           (data->hasUrls() || data->hasFormat(QString::fromLatin1(kFontProjectDataMimeType)));
}

bool CFontProjectModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                                     int column, const QModelIndex& parent) {
    if (action == Qt::IgnoreAction || !canDropMimeData(data, action, row, column, parent)) {
        return false;
    }
    AddFiles(NameAt(parent.row()), DroppedFiles(data));
    return true;
}

QStringList CFontProjectModel::DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr) {
        return files;
    }
    if (data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                files.append(UrlPathText(url));
            }
        }
        return files;
    }
    if (auto paths =
            DecodeFileListBlock(data->data(QString::fromLatin1(kFontProjectDataMimeType)))) {
        files = *paths;
    }
    return files;
}

QString CFontProjectModel::NameAt(int row) const {
    return row >= 0 && row < m_names.size() ? m_names[row] : QString();
}

int CFontProjectModel::RowOf(const QString& name) const {
    return static_cast<int>(m_names.indexOf(name));
}

void CFontProjectModel::Reload() {
    beginResetModel();
    m_names.clear();
    for (const auto& project : m_projects) {
        m_names.append(project.first);
    }
    endResetModel();
}

bool CFontProjectModel::AddProject(const QString& name) {
    if (m_projects.ProjectExists(name)) {
        return false;
    }
    m_projects.AddProject(name);
    const auto at = std::lower_bound(m_names.begin(), m_names.end(), name);
    const int row = static_cast<int>(at - m_names.begin());
    beginInsertRows({}, row, row);
    m_names.insert(row, name);
    endInsertRows();
    return true;
}

bool CFontProjectModel::RenameProject(const QString& oldName, const QString& newName) {
    if (!m_projects.RenameProject(oldName, newName)) {
        return false;
    }
    // Moved to its place in name order, as one row.
    const int from = RowOf(oldName);
    if (from < 0) {
        Reload();
        return true;
    }
    QStringList after = m_names;
    after.removeAt(from);
    const int to =
        static_cast<int>(std::lower_bound(after.begin(), after.end(), newName) - after.begin());
    if (to != from && beginMoveRows({}, from, from, {}, to > from ? to + 1 : to)) {
        m_names = after;
        m_names.insert(to, newName);
        endMoveRows();
    } else {
        m_names[from] = newName;
    }
    const QModelIndex changed = index(to);
    emit dataChanged(changed, changed);
    return true;
}

void CFontProjectModel::DeleteProject(const QString& name) {
    m_projects.DeleteProject(name);
    const int row = RowOf(name);
    if (row >= 0) {
        beginRemoveRows({}, row, row);
        m_names.removeAt(row);
        endRemoveRows();
    }
}

void CFontProjectModel::ProjectChanged(const QString& name) {
    if (const int row = RowOf(name); row >= 0) {
        emit dataChanged(index(row), index(row));
    }
}

void CFontProjectModel::AddFiles(const QString& project, const QStringList& paths,
                                 AddedCallback done) {
    QStringList absolute;
    absolute.reserve(paths.size());
    for (const QString& given : paths) {
        const QString path = QFileInfo(given).absoluteFilePath();
        if (!m_projects.ProjectExists(project) || !m_projects.HasFile(project, path)) {
            absolute.append(path);
        }
    }
    auto fonts = std::make_shared<std::vector<CProjectFont>>();
    ++m_pendingAdds;
    m_reader->Start(
        [absolute, fonts] {
            for (const QString& path : absolute) {
                BeforeReading(path);
                for (const std::uint32_t face : FacesWithFullName(path)) {
                    fonts->push_back({path, face});
                }
            }
        },
        [this, project, fonts, done = std::move(done)] {
            --m_pendingAdds;
            QStringList added;
            if (m_projects.ProjectExists(project)) {
                for (const CProjectFont& font : *fonts) {
                    if (!m_projects.HasFont(project, font.path, font.face)) {
                        m_projects.AddFont(project, font.path, font.face);
                        if (added.isEmpty() || added.back() != font.path) {
                            added.append(font.path);
                        }
                    }
                }
                ProjectChanged(project);
            }
            if (!added.isEmpty()) {
                emit FilesAdded(project, added);
            }
            if (done) {
                done(added);
            }
        });
}

}  // namespace Quillmark
