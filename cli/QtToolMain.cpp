// quillmark-cli-qt: the parts of quillmark-cli that need Qt (drawing, the
// stores), run by quillmark-cli so that its font reading never loads Qt.

#include <iostream>
#include <string>

#include "cli/Commands.h"

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const Quillmark::Cli::Arguments args(argv + std::min(argc, 2), argv + argc);
    if (command == "render") {
        return Quillmark::Cli::RunRender(args);
    }
    if (command == "print") {
        return Quillmark::Cli::RunPrint(args);
    }
    if (command == "find-name" || command == "find-char" || command == "find-similar" ||
        command == "find-lang") {
        return Quillmark::Cli::RunFind(command, args, Quillmark::Cli::ReadProjectFiles);
    }
    if (command == "store") {
        return Quillmark::Cli::RunStore(args);
    }
    std::cerr << "quillmark-cli-qt: unknown command '" << command << "'\n";
    return Quillmark::Cli::kExitUsage;
}
