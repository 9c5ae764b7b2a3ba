// quillmark-cli find-name, find-char and find-similar as a user runs them:
// what is printed, in which order, the three places, Ctrl+C.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/search/SearchFonts.h"
#include "tests/support/RunCli.h"

using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

CRun RunCli(const std::vector<std::string>& args, const fs::path& work,
            std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(-1)) {
    return QuillmarkTest::RunCli(QUILLMARK_CLI, args, work, interruptAfter);
}

class FindCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_work = fs::temp_directory_path() / ("quillmark-find-" + std::to_string(::getpid()));
        fs::create_directories(m_work / "fonts");
        m_fonts = (m_work / "fonts").string();
    }
    void TearDown() override { fs::remove_all(m_work); }

    std::string Font(const std::string& relative, const CSearchFont& font) {
        return WriteSearchFont(m_work / "fonts" / relative, font).string();
    }

    fs::path m_work;
    std::string m_fonts;
};

}  // namespace

TEST_F(FindCommandTest, FindNamePrintsEachFontAsFoundSubfoldersFirst) {
    const std::string own = Font("a.ttf", {.fullName = u"Sans Serif Bold"});
    const std::string inner = Font("z/b.OTF", {.fullName = u"Other Sans"});
    Font("c.ttf", {.fullName = u"Sansation"});
    const CRun text = RunCli({"find-name", "--word", "sans", m_fonts}, m_work);
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out, inner + "\tOther Sans\n" + own + "\tSans Serif Bold\n");
    EXPECT_NE(text.err.find("Search complete.  Files Found: 2"), std::string::npos) << text.err;

    const CRun json =
        RunCli({"find-name", "--json", "--case", "--no-subfolders", "Sans", m_fonts}, m_work);
    EXPECT_EQ(json.out, "{\"path\":\"" + own +
                            "\",\"faceIndex\":0,\"fullName\":\"Sans Serif Bold\"}\n" +
                            "{\"path\":\"" + m_fonts +
                            "/c.ttf\",\"faceIndex\":0,\"fullName\":\"Sansation\"}\n");
    EXPECT_EQ(RunCli({"find-name", "--case", "sans", m_fonts}, m_work).out, "");
}

TEST_F(FindCommandTest, MistakesAreToldAndSearchNothing) {
    const CRun regex = RunCli({"find-name", "--regex", "(", m_fonts}, m_work);
    EXPECT_EQ(regex.exitCode, 2);
    EXPECT_NE(regex.err.find("Error in regular expression"), std::string::npos);
    EXPECT_EQ(RunCli({"find-char", "U+110000", m_fonts}, m_work).exitCode, 2);
    EXPECT_EQ(RunCli({"find-char", "ab", m_fonts}, m_work).exitCode, 2);
    EXPECT_EQ(RunCli({"find-similar", m_fonts + "/none.ttf", m_fonts}, m_work).exitCode, 2);
    EXPECT_EQ(RunCli({"find-name", "x"}, m_work).exitCode, 2);
    EXPECT_EQ(RunCli({"find-name", "x", m_fonts, "--computer"}, m_work).exitCode, 2);
    // A place that cannot be searched fails, and says why.
    const CRun missing = RunCli({"find-name", "x", m_fonts + "/missing"}, m_work);
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("Could not search " + m_fonts + "/missing"), std::string::npos)
        << missing.err;
}

TEST_F(FindCommandTest, FindCharAndFindSimilar) {
    const std::string latin = Font("latin.ttf", {.characters = {{0x20, 0x7E}, {0xE9, 0xE9}}});
    Font("ascii.ttf", {.characters = {{0x20, 0x7E}}});
    EXPECT_EQ(RunCli({"find-char", "é", m_fonts}, m_work).out, latin + "\tTest Regular\n");
    EXPECT_EQ(RunCli({"find-char", "U+00E9", m_fonts}, m_work).out, latin + "\tTest Regular\n");

    const std::string source =
        Font("s/source.ttf", {.fullName = u"Source", .panose = {2, 2, 5, 3, 4, 2, 2, 2, 2, 2}});
    const std::string bolder =
        Font("s/bolder.ttf", {.fullName = u"Bolder", .panose = {2, 2, 7, 3, 4, 2, 2, 2, 2, 2}});
    const CRun similar = RunCli({"find-similar", "--json", source, m_fonts + "/s"}, m_work);
    EXPECT_EQ(
        similar.out,
        "{\"path\":\"" + bolder +
            "\",\"faceIndex\":0,\"fullName\":\"Bolder\",\"distance\":20,\"words\":\"Moderately "
            "Similar\"}\n");
    EXPECT_EQ(RunCli({"find-similar", source, m_fonts + "/s"}, m_work).out,
              bolder + "\tBolder\t20\tModerately Similar\n");
}

TEST_F(FindCommandTest, AProjectOfTheUserStore) {
    const std::string b = Font("x/b.ttf", {.fullName = u"Beta"});
    const std::string a = Font("y/a.ttf", {.fullName = u"Alpha"});
    Font("y/c.ttf", {.fullName = u"Alpha Not In The Project"});
    fs::create_directories(m_work / "data/Varnholt/Quillmark");
    std::ofstream(m_work / "data/Varnholt/Quillmark/fontprojects.xml")
        << "<?xml version=\"1.0\"?>\n<fontprojects><project name=\"Mine\"><font>" << b
        << "</font><font>" << a << "</font></project></fontprojects>\n";
    const CRun run = RunCli({"find-name", "a", "--project", "Mine"}, m_work);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, b + "\tBeta\n" + a + "\tAlpha\n");
    EXPECT_EQ(run.err.find("Searching"), std::string::npos);
    // The project named in one word, before the text.
    const CRun joined = RunCli({"find-name", "--project=Mine", "a"}, m_work);
    EXPECT_EQ(joined.exitCode, 0) << joined.err;
    EXPECT_EQ(joined.out, run.out);
    const CRun unknown = RunCli({"find-name", "a", "--project", "Theirs"}, m_work);
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("Theirs"), std::string::npos);
}

TEST_F(FindCommandTest, CtrlCStopsTheWalkAndKeepsWhatWasPrinted) {
    const Bytes font = SearchFontBytes({.fullName = u"Many"});
    for (int i = 0; i < 20000; ++i) {
        WriteFile(m_fonts + "/f" + std::to_string(i) + ".ttf", font);
    }
    const CRun run = RunCli({"find-name", "many", m_fonts}, m_work, std::chrono::milliseconds(60));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const int rows = Lines(run.out);
    EXPECT_LT(rows, 20000);
    EXPECT_NE(run.err.find("Search was canceled.  Files Found: " + std::to_string(rows)),
              std::string::npos)
        << run.err;
}
