#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <vector>

#include "cli/Commands.h"

namespace Quillmark::Cli {

// The helper is found beside this program (the build tree) or in the
// installed libexec folder.
int ExecQtTool(int argc, char** argv) {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::vector<std::filesystem::path> candidates;
    if (!ec) {
        candidates.push_back(self.parent_path() / "quillmark-cli-qt");
        candidates.push_back(self.parent_path().parent_path() / QUILLMARK_LIBEXEC_RELATIVE /
                             "quillmark-cli-qt");
    }
    std::vector<char*> args;
    args.push_back(const_cast<char*>("quillmark-cli-qt"));
    for (int i = 1; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    args.push_back(nullptr);
    for (const auto& candidate : candidates) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            ::execv(candidate.c_str(), args.data());
            std::cerr << "quillmark-cli: cannot run " << candidate << ": " << std::strerror(errno)
                      << "\n";
            return kExitFailed;
        }
    }
    std::cerr << "quillmark-cli: its helper quillmark-cli-qt is not installed\n";
    return kExitFailed;
}

}  // namespace Quillmark::Cli
