// quillmark-cli: Quillmark's engine from the command line.

#include <boost/program_options/options_description.hpp>
#include <boost/program_options/parsers.hpp>
#include <boost/program_options/variables_map.hpp>
#include <iostream>
#include <string>

#include "cli/Commands.h"
#include "platform/PathBytes.h"

using Quillmark::Cli::kExitDone;
using Quillmark::Cli::kExitFailed;
using Quillmark::Cli::kExitUsage;

namespace {

constexpr const char* kUsage =
    "usage: quillmark-cli COMMAND [ARGS]\n"
    "       quillmark-cli COMMAND --help\n"
    "       quillmark-cli --help | --version\n"
    "\n"
    "commands:\n"
    "  info [--json] FILE...   what the font reader finds in each file\n"
    "  chars [--json] FILE...  the characters the font map shows, with their Unicode names\n"
    "  scan [--json] [--recursive] DIR\n"
    "                          read the fonts of a folder (and its subfolders) as the font\n"
    "                          list does\n"
    "  render [--text T] [--size PX] [--quality 0|1|2] [--face N] [--variations AXES]\n"
    "         [--features FEATURES] -o OUT.png FILE...\n"
    "                          each file's preview line, as the font list draws it\n"
    "  print [--size PT] [--page a4|letter] -o OUT.pdf DIR|FILE...\n"
    "                          the pages Quillmark prints for a font list, as a PDF\n"
    "  store projects|favorites [--save OUT] FILE\n"
    "                          what the font projects or favourites store reads from FILE\n"
    "  find-name [--case] [--word] [--regex] [--no-subfolders] [--json] TEXT PLACE\n"
    "                          fonts whose full name holds TEXT\n"
    "  find-char [--no-subfolders] [--json] CHAR PLACE\n"
    "                          fonts that have the character CHAR (or U+XXXX)\n"
    "  find-similar [--no-subfolders] [--json] FONT PLACE\n"
    "                          fonts whose PANOSE classification is close to FONT's\n"
    "  find-lang [--no-subfolders] [--json] LANG PLACE\n"
    "                          fonts whose characters write the language LANG (de, zh-cn)\n"
    "    PLACE: FOLDER, --computer [--removable], or --project NAME\n";

// The program's own options, before any command: --help and --version.
int RunProgramOptions(int argc, char** argv) {
    namespace po = boost::program_options;
    po::options_description options;
    options.add_options()("help,h", "")("version", "");
    po::variables_map values;
    try {
        // The parser skips argv[0], the program's name.
        const po::parsed_options parsed = po::command_line_parser(argc, argv)
                                              .options(options)
                                              .style(po::command_line_style::default_style &
                                                     ~po::command_line_style::allow_guessing)
                                              .run();
        for (const po::option& option : parsed.options) {
            if (option.position_key >= 0) {
                throw po::error("the command comes first, before its options: '" +
                                option.original_tokens.front() + "'");
            }
        }
        po::store(parsed, values);
    } catch (const po::error& error) {
        std::cerr << "quillmark-cli: " << Quillmark::Platform::TerminalText(error.what()) << "\n"
                  << kUsage;
        return kExitUsage;
    }
    if (values.count("version") != 0) {
        std::cout << "quillmark-cli " << QUILLMARK_VERSION << "\n";
    } else {
        std::cout << kUsage;
    }
    return std::cout.flush() ? kExitDone : kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc < 2) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string command = argv[1];
    const Quillmark::Cli::Arguments args(argv + 2, argv + argc);
    if (command.starts_with("-")) {
        return RunProgramOptions(argc, argv);
    }
    if (command == "info") {
        return Quillmark::Cli::RunInfo(args);
    }
    if (command == "chars") {
        return Quillmark::Cli::RunChars(args);
    }
    if (command == "scan") {
        return Quillmark::Cli::RunScan(args);
    }
    if (command == "find-name" || command == "find-char" || command == "find-similar" ||
        command == "find-lang") {
        // Font projects are kept in a store that is read with Qt.
        if (Quillmark::Cli::NamesProject(command, args)) {
            return Quillmark::Cli::ExecQtTool(argc, argv);
        }
        return Quillmark::Cli::RunFind(command, args, nullptr);
    }
    if (command == "render" || command == "store" || command == "print") {
        return Quillmark::Cli::ExecQtTool(argc, argv);
    }
    if (command == "help") {
        std::cout << kUsage;
        return kExitDone;
    }
    std::cerr << "quillmark-cli: unknown command '" << Quillmark::Platform::TerminalText(command)
              << "'\n"
              << kUsage;
    return kExitUsage;
}
