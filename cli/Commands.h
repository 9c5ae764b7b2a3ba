#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Result.h"
#include "search/Search.h"

namespace Quillmark::Cli {

using Arguments = std::vector<std::string>;

// The process's exit statuses.
enum ExitStatus : int {
    kExitDone = 0,    // the command did what it was asked
    kExitFailed = 1,  // it could not: a file unreadable, nothing found, output lost
    kExitUsage = 2,   // the command line was refused
};

// Each returns the process's exit status.
int RunInfo(const Arguments& args);
int RunChars(const Arguments& args);
int RunRender(const Arguments& args);
// Runs the helper that holds the commands needing Qt with this command line;
// returns only on failure.
int ExecQtTool(int argc, char** argv);
int RunScan(const Arguments& args);
int RunStore(const Arguments& args);
int RunPrint(const Arguments& args);

// find-name, find-char and find-similar. `projectFiles` reads a font
// project's file list (the helper that has Qt does); without it a search of
// a project fails.
using ProjectFiles = std::function<CResult<CSearchLocation>(const std::string& name)>;
int RunFind(const std::string& command, const Arguments& args, const ProjectFiles& projectFiles);
// Whether the find command's line names a font project (--project).
bool NamesProject(const std::string& command, const Arguments& args);
// The fonts of a project of the user's store, as a place to search: its
// files and the face of each that it holds.
CResult<CSearchLocation> ReadProjectFiles(const std::string& name);

}  // namespace Quillmark::Cli
