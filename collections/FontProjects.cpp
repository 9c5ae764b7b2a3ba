#include "collections/FontProjects.h"

#include <QCoreApplication>

#include "collections/DataFiles.h"
#include "core/PathText.h"

namespace Quillmark {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CFontProjects", text);
}
const QString kRoot = QStringLiteral("fontprojects");
const QString kProject = QStringLiteral("project");
const QString kName = QStringLiteral("name");
const QString kFont = QStringLiteral("font");
}  // namespace

struct CFontProjects::Record {
    Map projects;
    mutable CXmlStoreFile file{kRoot, {kProject, kFont}};
};

CFontProjects::CFontProjects() : m_d(std::make_shared<Record>()) {}

void CFontProjects::Load(const QString& path, CXmlStoreFile::Keep keep) {
    Map projects;
    const auto read = [&](const CStoreElement& root, CLeftOut& leftOut) {
        leftOut.AddUnknownAttributes(root, {});
        for (const CStoreElement& project : root.children) {
            leftOut.AddUnknownAttributes(project, {kName});
            const QString* name = project.Attribute(kName);
            if (!name) {
                leftOut.Add(Tr("1 project without a name"), Tr("%1 projects without a name"));
                continue;
            }
            auto& fonts = projects[*name];
            if (!fonts) {
                fonts = std::make_shared<FontSet>();
            }
            for (const CStoreElement& font : project.children) {
                leftOut.AddUnknownAttributes(font, {});
                // Which file a relative path names would depend on the
                // folder the program was started from.
                if (!IsFullPath(font.text)) {
                    leftOut.Add(Tr("1 font path that is not a full path"),
                                Tr("%1 font paths that are not full paths"));
                    continue;
                }
                fonts->insert(font.text);
            }
        }
    };
    CStoreElement root;
    if (m_d->file.Load(path, root, keep, read) == CXmlStoreFile::LoadResult::Missing) {
        return;
    }
    m_d->projects = std::move(projects);
}

CResult<> CFontProjects::Save(const QString& path, const CFileWriter& writer) const {
    CStoreElement root = m_d->file.NewRoot();
    root.children.reserve(m_d->projects.size());
    for (const auto& [name, fonts] : m_d->projects) {
        CStoreElement& project = root.AddChild(kProject);
        project.attributes.emplace_back(kName, name);
        project.children.reserve(fonts->size());
        for (const QString& font : *fonts) {
            project.AddChild(kFont).text = font;
        }
    }
    return m_d->file.Save(path, root, writer);
}

void CFontProjects::AddProject(const QString& name) {
    if (m_d->projects.count(name) == 0) {
        m_d->projects.emplace(name, std::make_shared<FontSet>());
    }
}

void CFontProjects::DeleteProject(const QString& name) {
    m_d->projects.erase(name);
}

bool CFontProjects::RenameProject(const QString& oldName, const QString& newName) {
    if (m_d->projects.count(newName) != 0) {
        return false;
    }
    const auto it = m_d->projects.find(oldName);
    if (it == m_d->projects.end()) {
        return false;
    }
    auto fonts = std::move(it->second);
    m_d->projects.erase(it);
    m_d->projects.emplace(newName, std::move(fonts));
    return true;
}

bool CFontProjects::ProjectExists(const QString& name) const {
    return m_d->projects.count(name) != 0;
}

CFontProjects::const_iterator CFontProjects::FindProject(const QString& name) const {
    return m_d->projects.find(name);
}

CFontProjects::const_iterator CFontProjects::begin() const {
    return m_d->projects.begin();
}
CFontProjects::const_iterator CFontProjects::end() const {
    return m_d->projects.end();
}
std::size_t CFontProjects::Count() const {
    return m_d->projects.size();
}

CFontProjects::FontSet& CFontProjects::SetOf(const QString& project) const {
    const auto it = m_d->projects.find(project);
    if (it == m_d->projects.end()) {
        throw CFontProjectException{1};
    }
    return *it->second;
}

void CFontProjects::AddFont(const QString& project, const QString& path) {
    SetOf(project).insert(path);
}

void CFontProjects::RemoveFont(const QString& project, const QString& path) {
    SetOf(project).erase(path);
}

bool CFontProjects::HasFont(const QString& project, const QString& path) const {
    return SetOf(project).count(path) != 0;
}

std::weak_ptr<CFontProjects::FontSet> CFontProjects::GetProjectFonts(const QString& project) const {
    const auto it = m_d->projects.find(project);
    return it == m_d->projects.end() ? std::weak_ptr<FontSet>() : it->second;
}

QString CFontProjects::KeptUnreadableCopy() const {
    return m_d->file.KeptCopy();
}

QString CFontProjects::TakeKeptFileNotice() {
    return m_d->file.TakeNotice(Tr("font projects"));
}

const CXmlStoreFile& CFontProjects::StoreFile() const {
    return m_d->file;
}

void CFontProjects::ImportEarlierEdition() {
    ImportEarlierEditionFile(QString::fromLatin1(kFileName));
}

}  // namespace Quillmark
