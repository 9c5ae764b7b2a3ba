#pragma once

#include <string>
#include <vector>

namespace Quillmark::Cli {

using Arguments = std::vector<std::string>;

// Each returns the process's exit status.
int RunInfo(const Arguments& args);
int RunRender(const Arguments& args);
// Runs the drawing helper with the arguments after `render`; returns only on failure.
int ExecRender(int argc, char** argv);
int RunScan(const Arguments& args);

}  // namespace Quillmark::Cli
