#pragma once

// One command's command line, read with Boost.Program_options, so that
// every command reads the same way: options before, between or after the
// operands, `--name=value` or `--name value`, `--` before an operand that
// starts with '-', `--help`. An unknown option, a missing value or a number
// out of its range is refused with one message naming the option, and the
// command's usage, on standard error (exit status 2).

#include <boost/program_options/options_description.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Commands.h"

namespace Quillmark::Cli {

class CCommandLine {
public:
    // `usage` is what follows "usage: quillmark-cli " (more lines may follow,
    // indented); `about` says in a line what the command does.
    CCommandLine(std::string command, std::string usage, std::string about);

    // An option that only switches something on; given twice, it stays on.
    CCommandLine& Flag(const char* name, bool* target, const char* help);
    // `name` is "long" or "long,s" (s: the one-letter form).
    CCommandLine& Text(const char* name, const char* valueName, std::string* target,
                       const char* help);
    CCommandLine& Text(const char* name, const char* valueName, std::optional<std::string>* target,
                       const char* help);
    // A whole number from `low` to `high`: anything else is refused.
    CCommandLine& Number(const char* name, const char* valueName, int low, int high, int* target,
                         const char* help);

    enum class Outcome { Run, Help, Mistake };
    // Reads `args` into the targets and `operands`, telling nothing; on a
    // mistake `mistake` says what it is.
    Outcome Read(const Arguments& args, std::vector<std::string>* operands, std::string* mistake);
    // As Read, but tells: no value when the command is to run, else the exit
    // status (0 once the usage was printed for --help, 2 after a mistake).
    std::optional<int> Parse(const Arguments& args, std::vector<std::string>* operands);

    // Refuses what the command was given: `message` and the usage on
    // standard error; returns the exit status 2.
    int Refuse(const std::string& message) const;
    // "usage: quillmark-cli COMMAND ...", what the command does, its options.
    std::string Help() const;
    const std::string& Usage() const { return m_usage; }

private:
    std::string m_command;
    std::string m_usage;
    std::string m_about;
    boost::program_options::options_description m_options;
    // Each option as --help shows it, with its help text.
    std::vector<std::pair<std::string, std::string>> m_shown;
};

// The number `text` writes when it is a whole number from `low` to `high`.
std::optional<int> WholeNumber(const std::string& text, int low, int high);

}  // namespace Quillmark::Cli
