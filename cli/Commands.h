#pragma once

#include <string>
#include <vector>

namespace Quillmark::Cli {

using Arguments = std::vector<std::string>;

// Each returns the process's exit status.
int RunInfo(const Arguments& args);
int RunChars(const Arguments& args);
int RunRender(const Arguments& args);
// Runs the helper that holds the commands needing Qt with this command line;
// returns only on failure.
int ExecQtTool(int argc, char** argv);
int RunScan(const Arguments& args);
int RunStore(const Arguments& args);

}  // namespace Quillmark::Cli
