// quillmark-cli: Quillmark's engine from the command line.

#include <iostream>
#include <string>

#include "cli/Commands.h"

namespace {

constexpr const char* kUsage =
    "usage: quillmark-cli COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  info [--json] FILE...   what the font reader finds in each file\n"
    "  chars [--json] FILE...  the characters the font map shows, with their Unicode names\n"
    "  scan [--json] DIR       read the fonts of a folder as the font list does\n"
    "  render [--text T] [--size PX] [--quality 0|1|2] -o OUT.png FILE...\n"
    "                          each file's preview line, as the font list draws it\n"
    "  store projects|favorites [--save OUT] FILE\n"
    "                          what the font projects or favourites store reads from FILE\n";

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc < 2) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string command = argv[1];
    const Quillmark::Cli::Arguments args(argv + 2, argv + argc);
    if (command == "info") {
        return Quillmark::Cli::RunInfo(args);
    }
    if (command == "chars") {
        return Quillmark::Cli::RunChars(args);
    }
    if (command == "scan") {
        return Quillmark::Cli::RunScan(args);
    }
    if (command == "render" || command == "store") {
        return Quillmark::Cli::ExecQtTool(argc, argv);
    }
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << "quillmark-cli: unknown command '" << command << "'\n" << kUsage;
    return 2;
}
