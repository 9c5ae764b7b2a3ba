#include "collections/FontProjects.h"

namespace Quillmark {

namespace {
const QString kRoot = QStringLiteral("fontprojects");
const QString kProject = QStringLiteral("project");
const QString kName = QStringLiteral("name");
const QString kFont = QStringLiteral("font");
}  // namespace

struct CFontProjects::Record {
    Map projects;
    mutable CXmlStoreFile file{kRoot};
};

CFontProjects::CFontProjects() : m_d(std::make_shared<Record>()) {}

void CFontProjects::Load(const QString& path) {
    QDomDocument document;
    QDomElement root;
    const auto result = m_d->file.Load(path, document, root);
    if (result == CXmlStoreFile::LoadResult::Missing) {
        return;
    }
    m_d->projects.clear();
    if (result != CXmlStoreFile::LoadResult::Parsed) {
        return;
    }
    for (QDomNode node = root.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement project = node.toElement();
        if (project.isNull() || project.tagName() != kProject || !project.hasAttribute(kName)) {
            continue;
        }
        auto& fonts = m_d->projects[project.attribute(kName)];
        if (!fonts) {
            fonts = std::make_shared<FontSet>();
        }
        for (QDomNode child = project.firstChild(); !child.isNull(); child = child.nextSibling()) {
            const QDomElement font = child.toElement();
            if (!font.isNull() && font.tagName() == kFont) {
                fonts->insert(font.text());
            }
        }
    }
}

bool CFontProjects::Save(const QString& path, const CFileWriter& writer) const {
    QDomDocument document;
    QDomElement root = m_d->file.NewDocument(document);
    for (const auto& [name, fonts] : m_d->projects) {
        QDomElement project = document.createElement(kProject);
        project.setAttribute(kName, name);
        root.appendChild(project);
        for (const QString& font : *fonts) {
            QDomElement element = document.createElement(kFont);
            element.appendChild(document.createTextNode(font));
            project.appendChild(element);
        }
    }
    return m_d->file.Save(path, document, writer);
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

void CFontProjects::ImportEarlierEdition() {
    ImportEarlierEditionFile(QString::fromLatin1(kFileName));
}

}  // namespace Quillmark
