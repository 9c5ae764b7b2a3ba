// quillmark-cli find-name [--case] [--word] [--regex] [--no-subfolders] [--json] TEXT PLACE
// quillmark-cli find-char [--no-subfolders] [--json] CHAR PLACE
// quillmark-cli find-similar [--no-subfolders] [--json] FONT PLACE
// quillmark-cli find-lang [--no-subfolders] [--json] LANG PLACE
//   PLACE: FOLDER | --computer [--removable] | --project NAME
//
// The search windows' engine and tests from the command line: each font
// found is printed as it is found; status texts go to standard error;
// Ctrl+C stops the walk and keeps what was printed.

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Json.h"
#include "fontdata/item/FontItem.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "platform/PathBytes.h"
#include "search/FontTests.h"
#include "search/Search.h"

namespace Quillmark::Cli {

namespace {

// What a find command was given.
struct CFindArguments {
    bool json = false;
    bool noSubfolders = false;
    bool computer = false;
    bool removable = false;
    std::optional<std::string> project;
    CNameQuery query;
};

// What is looked for: TEXT, CHAR, LANG or FONT.
std::string Sought(const std::string& command) {
    return command == "find-name"   ? "TEXT"
           : command == "find-char" ? "CHAR"
           : command == "find-lang" ? "LANG"
                                    : "FONT";
}

CCommandLine FindCommandLine(const std::string& command, CFindArguments& given) {
    std::string options = "[--no-subfolders] [--json]";
    std::string about;
    if (command == "find-name") {
        options = "[--case] [--word] [--regex] " + options;
        about = "Fonts whose full name holds TEXT, as the Find by Name window finds them.";
    } else if (command == "find-char") {
        about = "Fonts that have the character CHAR (or U+XXXX, U+1F600).";
    } else if (command == "find-lang") {
        about =
            "Fonts whose characters hold every character of the language LANG's\n"
            "orthography, as fontconfig knows it (its tags: de, pt-br, zh-cn; fc-list :lang=).";
    } else {
        about = "Fonts whose PANOSE classification is close to FONT's.";
    }
    CCommandLine commandLine(
        command,
        command + " " + options + " " + Sought(command) +
            " FOLDER|--computer [--removable]|--project NAME",
        about +
            "\nEach font is printed as it is found; Ctrl+C stops and keeps what was "
            "printed.");
    if (command == "find-name") {
        commandLine.Flag("case", &given.query.matchCase, "match upper and lower case")
            .Flag("word", &given.query.wholeWord, "match whole words only")
            .Flag("regex", &given.query.regularExpression, "TEXT is a regular expression");
    }
    commandLine.Flag("no-subfolders", &given.noSubfolders, "not the folders below the place")
        .Flag("json", &given.json, "one JSON object a font")
        .Flag("computer", &given.computer, "the place is the computer's drives")
        .Flag("removable", &given.removable, "with --computer: the removable drives too")
        .Text("project", "NAME", &given.project, "the place is the font project NAME");
    return commandLine;
}

// Text given on the command line as UTF-16; false when it is not UTF-8.
std::u16string FromUtf8(const std::string& text, bool* valid) {
    std::u16string out = Platform::PathBytesToText(text);
    *valid = true;
    // A byte that is no UTF-8 became a lone low surrogate; a real pair
    // starts with a high one.
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] >= 0xD800 && out[i] <= 0xDBFF) {
            ++i;
        } else if (out[i] >= 0xDC00 && out[i] <= 0xDFFF) {
            *valid = false;
        }
    }
    return out;
}

// "U+XXXX", or one character.
std::optional<char32_t> ParseCharacter(const std::string& text) {
    if ((text.starts_with("U+") || text.starts_with("u+")) && text.size() > 2 && text.size() <= 8) {
        char32_t value = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            const char c = text[i];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) {
                return std::nullopt;
            }
            value = value * 16 + static_cast<char32_t>(digit);
        }
        return value <= 0x10FFFF ? std::optional<char32_t>(value) : std::nullopt;
    }
    bool valid = false;
    const std::u16string units = FromUtf8(text, &valid);
    if (!valid || units.empty()) {
        return std::nullopt;
    }
    if (units.size() == 1) {
        return units[0];
    }
    if (units.size() == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF) {
        return 0x10000 + ((char32_t{units[0]} - 0xD800) << 10) + (char32_t{units[1]} - 0xDC00);
    }
    return std::nullopt;
}

// Prints each font as it is found, on the search's worker.
class CPrinter final : public ISearchReceiver {
public:
    CPrinter(bool json, bool distances) : m_json(json), m_distances(distances) {
        m_progress = ::isatty(STDERR_FILENO) != 0;
    }

    void SearchingFolder(const std::filesystem::path& folder) override {
        if (m_progress) {
            const std::string text = "Searching " + Platform::TerminalText(folder.native()) + "...";
            std::fprintf(stderr, "\r\033[K%.*s", 200, text.c_str());
            std::fflush(stderr);
        }
    }

    void FontFound(CFontHandle font, int value) override {
        const std::u16string& name = font->GetName();
        std::string line;
        if (m_json) {
            CJsonLine json;
            json.Begin()
                .Key("path")
                .Path(font->GetPath().native())
                .Key("faceIndex")
                .Number(font->GetFace())
                .Key("fullName")
                .String(std::u16string_view(name));
            if (m_distances) {
                json.Key("distance")
                    .Number(value)
                    .Key("words")
                    .String(std::string_view(SimilarityWords(SimilarityOf(value))));
            }
            json.End();
            line = json.Text();
        } else {
            line = Platform::TerminalText(font->GetPath().native() + font->GetFaceSuffix()) + "\t" +
                   Platform::TerminalText(Varnholt::ToUtf8(name));
            if (m_distances) {
                line += "\t" + std::to_string(value) + "\t" + SimilarityWords(SimilarityOf(value));
            }
        }
        line += '\n';
        if (m_progress) {
            std::fputs("\r\033[K", stderr);
        }
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }

    void SearchComplete(const CSearchEnd& end) override { m_end = end; }

    const CSearchEnd& End() const { return m_end; }
    bool Progress() const { return m_progress; }

private:
    const bool m_json;
    const bool m_distances;
    bool m_progress = false;
    CSearchEnd m_end;
};

}  // namespace

bool NamesProject(const std::string& command, const Arguments& args) {
    CFindArguments given;
    std::vector<std::string> operands;
    std::string mistake;
    // A mistake is told by the search itself.
    return FindCommandLine(command, given).Read(args, &operands, &mistake) ==
               CCommandLine::Outcome::Run &&
           given.project.has_value();
}

int RunFind(const std::string& command, const Arguments& args, const ProjectFiles& projectFiles) {
    CFindArguments given;
    CCommandLine commandLine = FindCommandLine(command, given);
    std::vector<std::string> operands;
    if (const auto status = commandLine.Parse(args, &operands)) {
        return *status;
    }
    const std::size_t places = (given.computer ? 1 : 0) + (given.project ? 1 : 0);
    if (places > 1) {
        return commandLine.Refuse("give one place: --computer or --project");
    }
    if (given.removable && !given.computer) {
        return commandLine.Refuse("--removable goes with --computer");
    }
    if (operands.empty()) {
        return commandLine.Refuse("no " + Sought(command) + " given");
    }
    if (operands.size() + places < 2) {
        return commandLine.Refuse("no place given");
    }
    if (operands.size() + places > 2) {
        return commandLine.Refuse(places > 0 ? "give one place: a folder, --computer or --project"
                                             : "too many operands");
    }
    const bool json = given.json;
    const bool subfolders = !given.noSubfolders;
    const bool computer = given.computer;
    const bool removable = given.removable;
    const std::optional<std::string>& project = given.project;
    CNameQuery& query = given.query;

    // A search only reads: nothing is shared with other applications.
    CFontManager manager(nullptr, nullptr);
    FontTest test;
    CFontHandle source;  // find-similar: held for the whole search
    const std::string& what = operands[0];
    if (command == "find-name") {
        bool valid = false;
        query.text = FromUtf8(what, &valid);
        if (!valid || query.text.empty()) {
            std::cerr << "quillmark-cli find-name: the text is empty or not UTF-8\n";
            return kExitUsage;
        }
        const auto compiled = CNameTest::Compile(query);
        if (!compiled) {
            std::cerr << "quillmark-cli find-name: Error in regular expression: "
                      << compiled.Failure().Reason() << "\n";
            return kExitUsage;
        }
        test = [name = compiled.Value()](CFontItem& font) { return (*name)(font); };
    } else if (command == "find-char") {
        const auto c = ParseCharacter(what);
        if (!c) {
            std::cerr << "quillmark-cli find-char: give one character or U+XXXX\n";
            return kExitUsage;
        }
        test = CharacterTest(*c, {});
    } else if (command == "find-lang") {
        auto language = Varnholt::OpenTypeFontData::CLanguageCoverage::Of(what);
        if (language == nullptr) {
            std::cerr << "quillmark-cli find-lang: \"" << Platform::TerminalText(what)
                      << "\" is not a language whose orthography fontconfig knows\n";
            return kExitUsage;
        }
        test = LanguageTest(std::move(language));
    } else {
        source = manager.Open(what);
        if (source == nullptr || source->GetStatus() != CFontItem::Loaded) {
            std::cerr << "quillmark-cli find-similar: " << Platform::TerminalText(what)
                      << ": not a font that can be read\n";
            return kExitUsage;
        }
        test = SimilarTest(source->GetData()->GetOS2().panose,
                           Platform::PathBytesToText(source->GetPath().native()), source);
    }

    CSearchLocation location;
    if (computer) {
        location = CSearchLocation::Computer(removable, subfolders);
    } else if (project) {
        if (!projectFiles) {
            std::cerr << "quillmark-cli: projects are read by quillmark-cli-qt\n";
            return kExitFailed;
        }
        CResult<CSearchLocation> fonts = projectFiles(*project);
        if (!fonts) {
            std::cerr << "quillmark-cli " << command << ": " << fonts.Failure().Reason() << "\n";
            return kExitFailed;
        }
        location = std::move(fonts).Value();
    } else {
        location = CSearchLocation::Folder(operands[1], subfolders);
    }

    // Ctrl+C from here on stops the walk; what was printed stays.
    TakeInterrupts();
    CPrinter printer(json, command == "find-similar");
    int status = 0;
    {
        CSearch search(manager, std::move(location), std::move(test), printer);
        const CStopOnInterrupt stopper(
            &search, [](void* job) noexcept { static_cast<CSearch*>(job)->Stop(); });
        WithoutInterrupts([&search] { search.Start(); });
        search.Wait();
    }
    const CSearchEnd& end = printer.End();
    if (printer.Progress()) {
        std::fputs("\r\033[K", stderr);
    }
    if (!end.failure.empty()) {
        std::fprintf(stderr, "Could not search %s\n", Platform::TerminalText(end.failure).c_str());
        status = 1;
    }
    std::fprintf(stderr,
                 end.canceled ? "Search was canceled.  Files Found: %zu\n"
                              : "Search complete.  Files Found: %zu\n",
                 end.found);
    std::fflush(stdout);
    std::fflush(stderr);
    // The items die with the process: giving back their uses one by one
    // would only cost time.
    std::_Exit(std::ferror(stdout) ? 1 : status);
}

}  // namespace Quillmark::Cli
