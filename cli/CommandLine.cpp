#include "cli/CommandLine.h"

#include <algorithm>
#include <boost/program_options/parsers.hpp>
#include <boost/program_options/positional_options.hpp>
#include <boost/program_options/variables_map.hpp>
#include <charconv>
#include <iostream>

#include "platform/PathBytes.h"

namespace Quillmark::Cli {

namespace po = boost::program_options;

namespace {

// The operands are read as the values of an option of this name, which the
// user may not type.
constexpr const char* kOperands = "operand";

// No abbreviations: "--js" is not taken for "--json".
constexpr int kStyle =
    po::command_line_style::default_style & ~po::command_line_style::allow_guessing;

// "--long" or "-s, --long" for a name given as "long" or "long,s".
std::string ShownName(const std::string& name) {
    const std::size_t comma = name.find(',');
    if (comma == std::string::npos) {
        return "--" + name;
    }
    return "-" + name.substr(comma + 1) + ", --" + name.substr(0, comma);
}

// Taken for an option, never for an option's value, unless written as
// --name=value: a token that starts with '-' and is not a negative number.
bool LooksLikeOption(const std::string& token) {
    return token.size() > 1 && token[0] == '-' && (token[1] < '0' || token[1] > '9');
}

std::string LongName(const std::string& name) {
    return "--" + name.substr(0, name.find(','));
}

}  // namespace

std::optional<int> WholeNumber(const std::string& text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

CCommandLine::CCommandLine(std::string command, std::string usage, std::string about)
    : m_command(std::move(command)), m_usage(std::move(usage)), m_about(std::move(about)) {}

CCommandLine& CCommandLine::Flag(const char* name, bool* target, const char* help) {
    // An implicit value, not a switch, so that a repeat is no mistake.
    m_options.add_options()(name, po::value<bool>(target)->implicit_value(true)->zero_tokens(),
                            help);
    m_shown.emplace_back(ShownName(name), help);
    return *this;
}

CCommandLine& CCommandLine::Text(const char* name, const char* valueName, std::string* target,
                                 const char* help) {
    m_options.add_options()(name, po::value<std::string>(target), help);
    m_shown.emplace_back(ShownName(name) + " " + valueName, help);
    return *this;
}

CCommandLine& CCommandLine::Text(const char* name, const char* valueName,
                                 std::optional<std::string>* target, const char* help) {
    m_options.add_options()(
        name,
        po::value<std::string>()->notifier([target](const std::string& text) { *target = text; }),
        help);
    m_shown.emplace_back(ShownName(name) + " " + valueName, help);
    return *this;
}

CCommandLine& CCommandLine::Number(const char* name, const char* valueName, int low, int high,
                                   int* target, const char* help) {
    const std::string option = LongName(name);
    m_options.add_options()(name, po::value<std::string>()->notifier([=](const std::string& text) {
        const std::optional<int> value = WholeNumber(text, low, high);
        if (!value) {
            throw po::error(option + " must be a whole number from " + std::to_string(low) +
                            " to " + std::to_string(high) + ", not '" + text + "'");
        }
        *target = *value;
    }),
                            help);
    m_shown.emplace_back(ShownName(name) + " " + valueName, help);
    return *this;
}

CCommandLine::Outcome CCommandLine::Read(const Arguments& args, std::vector<std::string>* operands,
                                         std::string* mistake) {
    bool help = false;
    std::vector<std::string> found;
    po::options_description all;
    all.add(m_options);
    all.add_options()("help,h", po::value<bool>(&help)->implicit_value(true)->zero_tokens());
    all.add_options()(kOperands, po::value<std::vector<std::string>>(&found));
    po::positional_options_description positional;
    positional.add(kOperands, -1);
    try {
        const po::parsed_options parsed =
            po::command_line_parser(args).options(all).positional(positional).style(kStyle).run();
        for (const po::option& option : parsed.options) {
            if (option.string_key == kOperands && option.position_key < 0) {
                throw po::unknown_option(option.original_tokens.front());
            }
            // "--save --help": the option's value is missing, not "--help".
            if (option.original_tokens.size() == 2 && LooksLikeOption(option.original_tokens[1])) {
                throw po::error("the required argument for option '" + option.original_tokens[0] +
                                "' is missing");
            }
        }
        po::variables_map values;
        po::store(parsed, values);
        po::notify(values);
    } catch (const po::error& error) {
        if (mistake != nullptr) {
            *mistake = error.what();
        }
        return Outcome::Mistake;
    }
    if (help) {
        return Outcome::Help;
    }
    *operands = std::move(found);
    return Outcome::Run;
}

std::optional<int> CCommandLine::Parse(const Arguments& args, std::vector<std::string>* operands) {
    std::string mistake;
    switch (Read(args, operands, &mistake)) {
        case Outcome::Run:
            return std::nullopt;
        case Outcome::Help:
            std::cout << Help() << std::flush;
            return kExitDone;
        case Outcome::Mistake:
            break;
    }
    return Refuse(mistake);
}

int CCommandLine::Refuse(const std::string& message) const {
    // What the user typed is shown, never sent to the terminal raw.
    std::cerr << "quillmark-cli " << m_command << ": " << Platform::TerminalText(message) << "\n"
              << "usage: quillmark-cli " << m_usage << "\n";
    return kExitUsage;
}

std::string CCommandLine::Help() const {
    std::vector<std::pair<std::string, std::string>> shown = m_shown;
    shown.emplace_back("-h, --help", "print this usage");
    std::size_t width = 0;
    for (const auto& [name, help] : shown) {
        width = std::max(width, name.size());
    }
    std::string text = "usage: quillmark-cli " + m_usage + "\n\n" + m_about + "\n\noptions:\n";
    for (const auto& [name, help] : shown) {
        text += "  " + name + std::string(width - name.size() + 2, ' ') + help + "\n";
    }
    return text;
}

}  // namespace Quillmark::Cli
