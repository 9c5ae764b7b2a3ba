// quillmark-cli scan as a user runs it, Ctrl+C included.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/support/FontBuilder.h"
#include "tests/support/RunCli.h"

using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

CRun RunCli(const std::vector<std::string>& args, const fs::path& work,
            std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(-1)) {
    return QuillmarkTest::RunCli(QUILLMARK_CLI, args, work, interruptAfter);
}

class ScanCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_work = fs::temp_directory_path() / ("quillmark-scan-" + std::to_string(::getpid()));
        fs::create_directories(m_work / "fonts");
    }
    void TearDown() override { fs::remove_all(m_work); }

    void MakeFonts(int count) {
        const Bytes font =
            BuildFont({{"name", NameTable({CNameEntry{3, 1, 0x0409, 4, u"Scan \"Me\""}})}});
        for (int i = 0; i < count; ++i) {
            WriteFile((m_work / "fonts" / ("f" + std::to_string(i) + ".ttf")).string(), font);
        }
    }

    fs::path m_work;
};

}  // namespace

TEST_F(ScanCommandTest, JsonRowsOnStdoutAndStatusTextsOnStderr) {
    MakeFonts(3);
    WriteFile((m_work / "fonts" / "bad.OTF").string(), {0, 1});
    const CRun run = RunCli({"scan", "--json", (m_work / "fonts").string()}, m_work);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Lines(run.out), 4);
    const std::string first = run.out.substr(0, run.out.find('\n'));
    EXPECT_EQ(first, "{\"path\":\"" + (m_work / "fonts" / "bad.OTF").string() +
                         "\",\"fileName\":\"bad.OTF\",\"faceIndex\":0,\"faceCount\":1,\"status\":4,"
                         "\"displayName\":\"ERROR: Font file is "
                         "corrupt\",\"sizeText\":\"0k\"}");
    EXPECT_NE(run.out.find("\"displayName\":\"Scan \\\"Me\\\"\""), std::string::npos);
    EXPECT_NE(run.err.find("4 fonts read in "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("4 fonts displayed"), std::string::npos);
}

TEST_F(ScanCommandTest, RecursiveReadsTheSubfoldersAndNamesEachFileBelowTheFolder) {
    MakeFonts(1);
    const fs::path fonts = m_work / "fonts";
    fs::create_directories(fonts / "dejavu");
    const Bytes font = BuildFont({{"name", NameTable({CNameEntry{3, 1, 0x0409, 4, u"Deep"}})}});
    WriteFile((fonts / "dejavu" / "DejaVuSans.ttf").string(), font);
    fs::create_directory_symlink(fonts, fonts / "dejavu" / "up");  // never walked twice

    const CRun flat = RunCli({"scan", "--json", fonts.string()}, m_work);
    EXPECT_EQ(Lines(flat.out), 1) << flat.out;

    const CRun deep = RunCli({"scan", "--json", "--recursive", fonts.string()}, m_work);
    EXPECT_EQ(deep.exitCode, 0) << deep.err;
    EXPECT_EQ(Lines(deep.out), 2) << deep.out;
    EXPECT_NE(
        deep.out.find("{\"path\":\"" + (fonts / "dejavu" / "DejaVuSans.ttf").string() +
                      "\",\"fileName\":\"dejavu/DejaVuSans.ttf\",\"faceIndex\":0,\"faceCount\":1,"
                      "\"status\":1,"
                      "\"displayName\":\"Deep\""),
        std::string::npos)
        << deep.out;
    EXPECT_NE(deep.out.find("\"fileName\":\"f0.ttf\""), std::string::npos);
    EXPECT_NE(deep.err.find("2 fonts displayed"), std::string::npos) << deep.err;

    const CRun text = RunCli({"scan", "--recursive", fonts.string()}, m_work);
    EXPECT_NE(text.out.find("Deep\tdejavu/DejaVuSans.ttf\t"), std::string::npos) << text.out;
}

TEST_F(ScanCommandTest, EmptyFolderAndBadArguments) {
    const CRun empty = RunCli({"scan", (m_work / "fonts").string()}, m_work);
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "No fonts to display\n0 fonts displayed\n");
    EXPECT_EQ(RunCli({"scan", (m_work / "missing").string()}, m_work).exitCode, 2);
    EXPECT_EQ(RunCli({"scan"}, m_work).exitCode, 2);
}

TEST_F(ScanCommandTest, CtrlCCancelsAndKeepsWhatWasRead) {
    MakeFonts(20000);
    const CRun run = RunCli({"scan", "--json", (m_work / "fonts").string()}, m_work,
                            std::chrono::milliseconds(60));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("fonts read, font information scan was canceled"), std::string::npos)
        << run.err;
    const int rows = Lines(run.out);
    EXPECT_LT(rows, 20000);
    EXPECT_NE(run.err.find(std::to_string(rows) + " fonts displayed"), std::string::npos);
    // A bound for the test only; the measured time goes in the notes.
    EXPECT_LT(run.secondsAfterInterrupt, 2.0);
    std::printf("ended %.0f ms after Ctrl+C with %d fonts read\n", run.secondsAfterInterrupt * 1000,
                rows);
}

TEST_F(ScanCommandTest, StoreCommandShowsWhatTheStoresRead) {
    std::ofstream(m_work / "projects.xml")
        << "<fontprojects><project name=\"A &amp; B\"><font>/x.ttf</font></project>"
           "<project><font>/nameless.ttf</font></project>"
           "<project name=\"A &amp; B\"><font>/a.ttf</font></project></fontprojects>";
    const CRun projects = RunCli({"store", "projects", (m_work / "projects.xml").string()}, m_work);
    EXPECT_EQ(projects.exitCode, 0) << projects.err;
    EXPECT_EQ(
        projects.out,
        "{\"projects\":[{\"name\":\"A & B\",\"fonts\":[\"/a.ttf\",\"/x.ttf\"],\"faces\":[0,0]}],"
        "\"leftOut\":1}\n")
        << "the project without a name";

    std::ofstream(m_work / "favorites.xml") << "<favourites/>";
    const CRun favorites =
        RunCli({"store", "favorites", (m_work / "favorites.xml").string()}, m_work);
    EXPECT_EQ(favorites.out, "{\"error\":1,\"folders\":[]}\n");
    EXPECT_EQ(favorites.exitCode, 1) << "a file without its root could not be read";
    EXPECT_EQ(RunCli({"store", "nothing", "x"}, m_work).exitCode, 2);
}

namespace {

// File names as Linux allows them: any bytes but '/' and NUL.
class FileNamesTest : public ScanCommandTest {
protected:
    fs::path CopyFont(const std::string& name) {
        const fs::path path = m_work / "fonts" / name;
        fs::copy_file(fs::path(QUILLMARK_TEST_DATA) / "twin-a.ttf", path);
        return path;
    }
};

}  // namespace

TEST_F(FileNamesTest, JsonWritesANameThatIsNotUtf8SoThatItOpensAgain) {
    CopyFont("caf\xe9.ttf");
    const std::string folder = (m_work / "fonts").string();
    const CRun scan = RunCli({"scan", "--json", folder}, m_work);
    EXPECT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_NE(scan.out.find("\"path\":\"" + folder + "/caf\\udce9.ttf\""), std::string::npos)
        << scan.out;
    EXPECT_NE(scan.out.find("\"fileName\":\"caf\\udce9.ttf\""), std::string::npos);
    EXPECT_NE(scan.out.find("\"status\":1"), std::string::npos);  // loaded

    const CRun info = RunCli({"info", "--json", folder + "/caf\xe9.ttf"}, m_work);
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_EQ(info.out.rfind("{\"path\":\"" + folder + "/caf\\udce9.ttf\",\"status\":1", 0), 0u)
        << info.out;
}

TEST_F(FileNamesTest, TextModeShowsControlCharactersInsteadOfSendingThem) {
    CopyFont("red\x1b[31m.ttf");
    const CRun scan = RunCli({"scan", (m_work / "fonts").string()}, m_work);
    EXPECT_EQ(scan.exitCode, 0);
    EXPECT_EQ(scan.out.find('\x1b'), std::string::npos) << scan.out;
    EXPECT_NE(scan.out.find("\tred\\x1b[31m.ttf\t"), std::string::npos) << scan.out;

    const CRun info = RunCli({"info", (m_work / "fonts" / "red\x1b[31m.ttf").string()}, m_work);
    EXPECT_EQ(info.out.find('\x1b'), std::string::npos) << info.out;
}

TEST_F(FileNamesTest, RenderDrawsAFontWhoseNameIsNotUtf8AsAnyOther) {
    const fs::path plain = CopyFont("plain.ttf");
    const fs::path foreign = CopyFont("caf\xe9.ttf");
    const CRun a =
        RunCli({"render", "-o", (m_work / "plain.png").string(), plain.string()}, m_work);
    ASSERT_EQ(a.exitCode, 0) << a.err;
    // The picture's own name need not be UTF-8 either.
    const fs::path picture = m_work / "caf\xe9.png";
    const CRun b = RunCli({"render", "-o", picture.string(), foreign.string()}, m_work);
    ASSERT_EQ(b.exitCode, 0) << b.err;
    ASSERT_TRUE(fs::exists(picture));
    const std::string drawn = Slurp(m_work / "plain.png");
    EXPECT_GT(drawn.size(), 100u);
    EXPECT_EQ(Slurp(picture), drawn) << "the same font draws the same picture";
}

TEST_F(FileNamesTest, RenderOfWhatCannotBeDrawnFails) {
    const fs::path good = CopyFont("good.ttf");
    const fs::path bad = m_work / "fonts" / "bad.ttf";
    WriteFile(bad.string(), {0, 1, 0, 0, 0, 1});
    const CRun run = RunCli(
        {"render", "-o", (m_work / "out.png").string(), good.string(), bad.string()}, m_work);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.err.find("bad.ttf"), std::string::npos) << run.err;
}

// The faces of a collection: each drawn as the font it was made from draws
// (the same picture), two faces never alike; scan lists one object a face.
TEST_F(FileNamesTest, EachFaceOfACollectionDrawsAsItsOwnFileAndScansAsAFont) {
    const fs::path data = QUILLMARK_TEST_DATA;
    const auto bytes = [](const fs::path& path) {
        const std::string text = Slurp(path);
        return Bytes(text.begin(), text.end());
    };
    const Bytes regular = bytes(data / "twin-a.ttf");
    const Bytes bold = bytes(data / "twin-bold.ttf");
    const fs::path collection = m_work / "fonts" / "Twins.TTC";
    WriteFile(collection.string(), Collection({regular, bold}));
    WriteFile((m_work / "fonts" / "twin.woff").string(), Woff(bold));
    const auto render = [&](const std::string& name, std::vector<std::string> files,
                            const char* face = nullptr) {
        std::vector<std::string> args{"render", "--text", "Quillmark 1984", "-o",
                                      (m_work / name).string()};
        if (face != nullptr) {
            args.insert(args.end(), {"--face", face});
        }
        args.insert(args.end(), files.begin(), files.end());
        const CRun run = RunCli(args, m_work);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return Slurp(m_work / name);
    };
    const std::string first = render("0.png", {collection.string()}, "0");
    const std::string second = render("1.png", {collection.string()}, "1");
    EXPECT_GT(first.size(), 100u);
    EXPECT_NE(first, second) << "two faces of one file never draw alike";
    EXPECT_EQ(first, render("a.png", {(data / "twin-a.ttf").string()}));
    EXPECT_EQ(second, render("bold.png", {(data / "twin-bold.ttf").string()}));
    EXPECT_EQ(second, render("woff.png", {(m_work / "fonts" / "twin.woff").string()}))
        << "a web font draws as the font it holds";
    // Without --face, one line a face: the two pictures one above the other.
    EXPECT_EQ(
        render("both.png", {collection.string()}),
        render("pair.png", {(data / "twin-a.ttf").string(), (data / "twin-bold.ttf").string()}));
    const CRun missing = RunCli(
        {"render", "--face", "2", "-o", (m_work / "x.png").string(), collection.string()}, m_work);
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.err.find("Twins.TTC (2)"), std::string::npos) << missing.err;

    const CRun scan = RunCli({"scan", "--json", (m_work / "fonts").string()}, m_work);
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_NE(scan.out.find("\"fileName\":\"Twins.TTC\",\"faceIndex\":0,\"faceCount\":2"),
              std::string::npos)
        << scan.out;
    EXPECT_NE(scan.out.find("\"fileName\":\"Twins.TTC\",\"faceIndex\":1,\"faceCount\":2"),
              std::string::npos);
    EXPECT_NE(scan.err.find("3 fonts from 2 files read in"), std::string::npos) << scan.err;
    const CRun text = RunCli({"scan", (m_work / "fonts").string()}, m_work);
    EXPECT_NE(text.out.find("\tTwins.TTC (1)\t"), std::string::npos) << text.out;
}
