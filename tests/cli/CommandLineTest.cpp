// quillmark-cli's command lines: every command reads its options the same
// way; --help and --version; what is refused is refused with exit status 2
// and one message on standard error that names the option, before anything
// is read or written.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/RunCli.h"

using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kCommands = {
    "info", "chars", "scan", "render", "print", "store", "find-name", "find-char", "find-similar"};

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_work = fs::temp_directory_path() / ("quillmark-cmdline-" + std::to_string(::getpid()));
        fs::create_directories(m_work / "fonts");
        m_font = (m_work / "fonts" / "a.ttf").string();
        fs::copy_file(fs::path(QUILLMARK_TEST_DATA) / "twin-a.ttf", m_font);
    }
    void TearDown() override { fs::remove_all(m_work); }

    CRun Run(const std::vector<std::string>& args) {
        return QuillmarkTest::RunCli(QUILLMARK_CLI, args, m_work);
    }

    // Refused with status 2, nothing on standard output, and a first line
    // on standard error that holds `words`.
    void ExpectRefused(const std::vector<std::string>& args, const std::string& words) {
        std::string line;
        for (const auto& arg : args) {
            line += arg + " ";
        }
        const CRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << line << "\n" << run.err;
        EXPECT_EQ(run.out, "") << line;
        const std::string first = run.err.substr(0, run.err.find('\n'));
        EXPECT_NE(first.find(words), std::string::npos) << line << "\n" << run.err;
        EXPECT_NE(run.err.find("usage: quillmark-cli "), std::string::npos) << line;
    }

    fs::path m_work;
    std::string m_font;
};

}  // namespace

TEST_F(CommandLineTest, TheProgramAndEveryCommandHaveHelp) {
    const CRun version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("quillmark-cli ") + QUILLMARK_VERSION + "\n");

    const CRun help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: quillmark-cli COMMAND", 0), 0u) << help.out;
    for (const auto& command : kCommands) {
        EXPECT_NE(help.out.find("  " + command + " "), std::string::npos) << command;
    }

    for (const auto& command : kCommands) {
        const CRun run = Run({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command << "\n" << run.err;
        EXPECT_EQ(run.out.rfind("usage: quillmark-cli " + command + " ", 0), 0u) << run.out;
        EXPECT_NE(run.out.find("\n  -h, --help "), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "") << command;
    }
    // The usage with each option told.
    const CRun scan = Run({"scan", "--help"});
    EXPECT_EQ(scan.out.rfind("usage: quillmark-cli scan [--json] [--recursive] DIR\n", 0), 0u);
    EXPECT_NE(scan.out.find("\n  -r, --recursive "), std::string::npos) << scan.out;
    EXPECT_NE(scan.out.find("\n  --json "), std::string::npos) << scan.out;
}

TEST_F(CommandLineTest, UnknownOptionsAreRefusedByEveryCommandNamingThem) {
    // Not a file named "--jsno": nothing is read.
    ExpectRefused({"info", "--jsno", m_font}, "unrecognised option '--jsno'");
    ExpectRefused({"chars", m_font, "--jsno"}, "'--jsno'");
    ExpectRefused({"scan", "--jsno", (m_work / "fonts").string()}, "'--jsno'");
    ExpectRefused({"find-name", "--jsno", "a", (m_work / "fonts").string()}, "'--jsno'");
    ExpectRefused({"find-char", "--case", "a", (m_work / "fonts").string()}, "'--case'");
    ExpectRefused({"render", "-x", "-o", (m_work / "out.png").string(), m_font}, "'-x'");
    ExpectRefused({"print", "--jsno", "-o", (m_work / "out.pdf").string(), m_font}, "'--jsno'");
    ExpectRefused({"store", "projects", "--jsno", m_font}, "'--jsno'");
    // No abbreviations either.
    ExpectRefused({"info", "--js", m_font}, "'--js'");
    ExpectRefused({"--jsno"}, "'--jsno'");
    EXPECT_FALSE(fs::exists(m_work / "out.png"));
    EXPECT_FALSE(fs::exists(m_work / "out.pdf"));
}

TEST_F(CommandLineTest, AMissingValueIsRefusedNamingItsOption) {
    const std::string fonts = (m_work / "fonts").string();
    ExpectRefused({"find-name", "a", "--project"},
                  "the required argument for option '--project' is missing");
    // Not the store's kind taken for the file to write.
    ExpectRefused({"store", "projects", m_font, "--save"}, "option '--save' is missing");
    ExpectRefused({"store", "projects", "--save"}, "option '--save' is missing");
    // An option is no value.
    ExpectRefused({"store", "--save", "--help", "projects", m_font}, "option '--save' is missing");
    ExpectRefused({"render", m_font, "-o"}, "option '--output' is missing");
    ExpectRefused({"render", "-o", "--size", "12", m_font}, "option '-o' is missing");
    ExpectRefused({"print", "-o", (m_work / "out.pdf").string(), fonts, "--size"},
                  "option '--size' is missing");
    ExpectRefused({"store", "projects", "--save=", m_font}, "option '--save'");
    ExpectRefused({"store", "projects", "--save", "", m_font}, "--save needs a file name");
    EXPECT_FALSE(fs::exists(m_work / "out.pdf"));
}

TEST_F(CommandLineTest, NumbersAreCheckedWithTheirRange) {
    const std::string png = (m_work / "out.png").string();
    ExpectRefused({"render", "--size", "301", "-o", png, m_font},
                  "--size must be a whole number from 6 to 300, not '301'");
    ExpectRefused({"render", "--size", "5", "-o", png, m_font}, "from 6 to 300, not '5'");
    ExpectRefused({"render", "--size", "12px", "-o", png, m_font}, "--size must be");
    ExpectRefused({"render", "--size", " 12", "-o", png, m_font}, "--size must be");
    ExpectRefused({"render", "--size=99999999999", "-o", png, m_font}, "--size must be");
    ExpectRefused({"render", "--quality", "3", "-o", png, m_font},
                  "--quality must be a whole number from 0 to 2, not '3'");
    ExpectRefused({"render", "--quality", "-1", "-o", png, m_font}, "--quality must be");
    ExpectRefused({"print", "--size", "0", "-o", (m_work / "out.pdf").string(), m_font},
                  "--size must be a whole number from 1 to 500, not '0'");
    EXPECT_FALSE(fs::exists(png));
    // The edges of the range, and the value given after '='.
    EXPECT_EQ(Run({"render", "--size=6", "--quality", "2", "-o", png, m_font}).exitCode, 0);
    EXPECT_EQ(Run({"render", "--size", "300", "-o", png, m_font}).exitCode, 0);
    EXPECT_TRUE(fs::exists(png));
}

TEST_F(CommandLineTest, InfoReportsEveryFileAndFailsWhenOneCouldNotBeRead) {
    const std::string missing = (m_work / "nonexistent.ttf").string();
    const std::string junk = (m_work / "junk.ttf").string();
    std::ofstream(junk) << "not a font";
    const CRun run = Run({"info", "--json", m_font, missing, junk});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(Lines(run.out), 3) << run.out;
    EXPECT_NE(run.out.find("\"status\":2"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"status\":4"), std::string::npos) << run.out;
    EXPECT_EQ(Run({"info", missing}).exitCode, 1);
    EXPECT_EQ(Run({"info", m_font}).exitCode, 0);
}

TEST_F(CommandLineTest, OptionsGoAnywhereAndOperandsMayStartWithADash) {
    const std::string fonts = (m_work / "fonts").string();
    const CRun info = Run({"info", m_font, "--json", "--json"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(info.out.rfind("{\"path\":\"" + m_font + "\",\"status\":1", 0), 0u) << info.out;

    fs::copy_file(m_font, m_work / "fonts" / "-dash.ttf");
    const CRun dash = Run({"find-name", "--json", "--", "twin", fonts});
    EXPECT_EQ(dash.exitCode, 0) << dash.err;
    EXPECT_EQ(Lines(dash.out), 2) << dash.out;
    const CRun named = Run({"info", "--json", "--", fonts + "/-dash.ttf"});
    EXPECT_NE(named.out.find("\"status\":1"), std::string::npos) << named.out;

    // Mistakes in what the options leave, told as such.
    ExpectRefused({"store", "--save", "projects", m_font}, "no store is named");
    ExpectRefused({"find-name", "a", fonts, "--computer"}, "give one place");
    ExpectRefused({"find-name", "a", "--removable", fonts}, "--removable goes with --computer");
    ExpectRefused({"scan", fonts, fonts}, "give one folder");
    ExpectRefused({"json", "--json"}, "unknown command 'json'");
    ExpectRefused({"--json", "info"}, "'--json'");
    ExpectRefused({"--help", "info"}, "the command comes first");
}
