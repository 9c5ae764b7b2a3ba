#include "collections/FontProjects.h"

#include <QCoreApplication>
#include <algorithm>
#include <optional>

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
const QString kFace = QStringLiteral("face");
// More faces than a collection may hold (the reader's bound).
constexpr std::uint32_t kFaceLimit = 1024;

// The face an element names: 0 without the attribute; nullopt for a value
// that is not a face number ("1.0", "-1", "+2", "x", 1024 or more).
std::optional<std::uint32_t> FaceOf(const CStoreElement& font) {
    const QString* text = font.Attribute(kFace);
    if (text == nullptr) {
        return 0;
    }
    if (text->isEmpty() || text->size() > 4 ||
        !std::all_of(text->begin(), text->end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return std::nullopt;
    }
    const std::uint32_t face = text->toUInt();
    return face < kFaceLimit ? std::optional(face) : std::nullopt;
}
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
                leftOut.AddUnknownAttributes(font, {kFace});
                // Which file a relative path names would depend on the
                // folder the program was started from.
                if (!IsFullPath(font.text)) {
                    leftOut.Add(Tr("1 font path that is not a full path"),
                                Tr("%1 font paths that are not full paths"));
                    continue;
                }
                const std::optional<std::uint32_t> face = FaceOf(font);
                if (!face) {
                    leftOut.Add(Tr("1 font whose face is not a face number"),
                                Tr("%1 fonts whose face is not a face number"));
                    continue;
                }
                fonts->insert({font.text, *face});
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
        for (const CProjectFont& font : *fonts) {
            CStoreElement& element = project.AddChild(kFont);
            element.text = font.path;
            if (font.face != 0) {
                element.attributes.emplace_back(kFace, QString::number(font.face));
            }
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

void CFontProjects::AddFont(const QString& project, const QString& path, std::uint32_t face) {
    SetOf(project).insert({path, face});
}

void CFontProjects::RemoveFont(const QString& project, const QString& path, std::uint32_t face) {
    SetOf(project).erase({path, face});
}

bool CFontProjects::HasFont(const QString& project, const QString& path, std::uint32_t face) const {
    return SetOf(project).count({path, face}) != 0;
}

bool CFontProjects::HasFile(const QString& project, const QString& path) const {
    const FontSet& fonts = SetOf(project);
    const auto first = fonts.lower_bound({path, 0});
    return first != fonts.end() && first->path == path;
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
