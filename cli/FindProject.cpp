// The file list of one of the user's font projects, for the find commands:
// read from the store as Quillmark reads it at start, changing nothing.

#include "cli/Commands.h"
#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "platform/Paths.h"

namespace Quillmark::Cli {

CResult<CSearchLocation> ReadProjectFiles(const std::string& name) {
    const std::filesystem::path store = Platform::DataFolder() / CFontProjects::kFileName;
    CFontProjects projects;
    projects.Load(PathText(store), CXmlStoreFile::Keep::BeforeReplacing);
    const auto project = projects.FindProject(QString::fromStdString(name));
    if (project == projects.end()) {
        return CFailure(std::make_error_code(std::errc::no_such_file_or_directory),
                        "no font project is named " + name);
    }
    std::vector<std::filesystem::path> files;
    std::vector<std::uint32_t> faces;
    for (const CProjectFont& font : *project->second) {
        files.push_back(FilePath(font.path));
        faces.push_back(font.face);
    }
    return CSearchLocation::Project(std::move(files), std::move(faces));
}

}  // namespace Quillmark::Cli
