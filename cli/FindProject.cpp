// The file list of one of the user's font projects, for the find commands:
// read from the store as Quillmark reads it at start, changing nothing.

#include "cli/Commands.h"
#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "platform/Paths.h"

namespace Quillmark::Cli {

std::optional<std::vector<std::filesystem::path>> ReadProjectFiles(const std::string& name,
                                                                   std::string* error) {
    const std::filesystem::path store = Platform::DataFolder() / CFontProjects::kFileName;
    CFontProjects projects;
    projects.Load(PathText(store), CXmlStoreFile::Keep::BeforeReplacing);
    const auto project = projects.FindProject(QString::fromStdString(name));
    if (project == projects.end()) {
        *error = "no font project is named " + name;
        return std::nullopt;
    }
    std::vector<std::filesystem::path> files;
    for (const QString& file : *project->second) {
        files.push_back(FilePath(file));
    }
    return files;
}

}  // namespace Quillmark::Cli
