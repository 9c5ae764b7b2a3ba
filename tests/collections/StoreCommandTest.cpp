// quillmark-cli store: reading changes nothing, and a save that fails says
// "saved":false and exits non-zero (on a real full disk too).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <string>
#include <vector>

#include "tests/collections/StoreTestSupport.h"

using namespace QuillmarkTest;

namespace {

const auto& kHome = TemporaryHome();

struct CRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CRun RunStore(const QString& folder, const std::vector<QString>& args) {
    const QString outFile = folder + "/../store-out.txt";
    const QString errFile = folder + "/../store-err.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen(QFile::encodeName(outFile).constData(), "w", stdout);
        std::freopen(QFile::encodeName(errFile).constData(), "w", stderr);
        std::vector<std::string> bytes{QUILLMARK_CLI, "store"};
        for (const QString& arg : args) {
            bytes.push_back(QFile::encodeName(arg).toStdString());
        }
        std::vector<char*> argv;
        for (auto& arg : bytes) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        ::execv(QUILLMARK_CLI, argv.data());
        ::_exit(127);
    }
    CRun run;
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadBytes(outFile);
    run.err = ReadBytes(errFile);
    return run;
}

}  // namespace

TEST(StoreCommandTest, ASaveOnAFullDiskSaysSoAndLeavesTheFile) {
    const QString folder = TestFolder("cli-full");
    CSmallDisk disk(folder, "64k");
    if (!disk.Skipped().empty()) {
        GTEST_SKIP() << disk.Skipped();
    }
    const QString projects = folder + "/fontprojects.xml";
    const QString favourites = folder + "/favorites.xml";
    const QByteArray projectsText =
        "<?xml version=\"1.0\"?>\n<fontprojects><project name=\"A\"><font>/a.ttf</font>"
        "</project></fontprojects>";
    const QByteArray favouritesText =
        "<?xml version=\"1.0\"?>\n<favorites><folder>" + folder.toUtf8() + "</folder></favorites>";
    WriteBytes(projects, projectsText);
    WriteBytes(favourites, favouritesText);
    disk.Fill();

    const CRun saveProjects = RunStore(folder, {"projects", "--save", projects, projects});
    EXPECT_EQ(saveProjects.exitCode, 1);
    EXPECT_TRUE(saveProjects.out.contains("\"saved\":false")) << saveProjects.out.toStdString();
    EXPECT_EQ(ReadBytes(projects), projectsText);

    const CRun saveFavourites = RunStore(folder, {"favorites", "--save", favourites, favourites});
    EXPECT_EQ(saveFavourites.exitCode, 1);
    EXPECT_TRUE(saveFavourites.out.contains("\"saved\":false")) << saveFavourites.out.toStdString();
    EXPECT_EQ(ReadBytes(favourites), favouritesText);
    EXPECT_EQ(Entries(folder), (QStringList{"favorites.xml", "filler", "fontprojects.xml"}));
}

TEST(StoreCommandTest, ReadingChangesNothingAndASaveKeepsTheUnusableFileFirst) {
    const QString folder = TestFolder("cli-keep");
    const QString path = folder + "/fontprojects.xml";
    WriteBytes(path, "<fontprojects><project name=\"A\">");
    const CRun read = RunStore(folder, {"projects", path});
    EXPECT_EQ(read.exitCode, 1) << "the file could not be read";
    EXPECT_EQ(ReadBytes(path), "<fontprojects><project name=\"A\">");
    EXPECT_FALSE(read.out.contains("kept")) << read.out.toStdString();

    // Saved as the program does at exit; the file read was still unusable.
    const CRun save = RunStore(folder, {"projects", "--save", path, path});
    EXPECT_EQ(save.exitCode, 1);
    EXPECT_TRUE(save.out.contains("\"saved\":true")) << save.out.toStdString();
    EXPECT_TRUE(save.out.contains("\"kept\":\"" + (path + ".unreadable").toUtf8() + "\""))
        << save.out.toStdString();
    EXPECT_EQ(ReadBytes(path + ".unreadable"), "<fontprojects><project name=\"A\">");
    EXPECT_EQ(ReadBytes(path), "<?xml version=\"1.0\"?>\n<fontprojects/>");
}

// Only a regular file or a missing name is replaced: a FIFO named as the
// file to save to stays a FIFO, and the command says it was not saved.
TEST(StoreCommandTest, ASaveOntoAFifoIsRefusedAndLeavesIt) {
    const QString folder = TestFolder("cli-fifo");
    const QString projects = folder + "/fontprojects.xml";
    WriteBytes(projects,
               "<?xml version=\"1.0\"?>\n<fontprojects><project name=\"A\"><font>/a.ttf</font>"
               "</project></fontprojects>");
    for (const char* kind : {"projects", "favorites"}) {
        const QString fifo = folder + "/out-" + kind;
        ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        const CRun save = RunStore(folder, {kind, "--save", fifo, projects});
        EXPECT_EQ(save.exitCode, 1) << kind;
        EXPECT_TRUE(save.out.contains("\"saved\":false")) << save.out.toStdString();
        struct stat info {};
        ASSERT_EQ(::lstat(fifo.toLocal8Bit().constData(), &info), 0);
        EXPECT_TRUE(S_ISFIFO(info.st_mode)) << kind << ": the FIFO became a plain file";
    }
    EXPECT_EQ(Entries(folder), (QStringList{"fontprojects.xml", "out-favorites", "out-projects"}))
        << "nothing left beside it";
}

// A reading tool that could not read the file it was given says so: the
// JSON of the empty store it read, the reason on stderr, and exit status 1;
// a missing file too, since the user named a file to read.
TEST(StoreCommandTest, AFileThatCannotBeReadOrIsMissingExitsWithOne) {
    const QString folder = TestFolder("cli-unreadable");
    WriteBytes(folder + "/junk.xml", "<fontprojects><project name=\"A\">");
    WriteBytes(folder + "/noroot.xml", "<favourites/>");
    QDir().mkpath(folder + "/folder.xml");
    struct CCase {
        const char* kind;
        const char* file;
        QByteArray json;
        const char* reason;
    };
    const std::vector<CCase> cases{
        {"projects", "junk.xml", "{\"projects\":[]}\n", "not well-formed"},
        {"favorites", "junk.xml", "{\"error\":0,\"folders\":[]}\n", "not well-formed"},
        {"projects", "noroot.xml", "{\"projects\":[]}\n", "no <fontprojects> element"},
        {"favorites", "noroot.xml", "{\"error\":1,\"folders\":[]}\n", "no <favorites> element"},
        {"projects", "folder.xml", "{\"projects\":[]}\n", "not a regular file"},
        {"projects", "missing.xml", "{\"projects\":[]}\n", "missing.xml: no such file"},
        {"favorites", "missing.xml", "{\"error\":0,\"folders\":[]}\n", "no such file"},
    };
    for (const CCase& c : cases) {
        const CRun run = RunStore(folder, {c.kind, folder + "/" + c.file});
        EXPECT_EQ(run.exitCode, 1) << c.kind << " " << c.file;
        EXPECT_EQ(run.out, c.json) << c.kind << " " << c.file;
        EXPECT_TRUE(run.err.contains(c.reason)) << run.err.toStdString();
    }
    EXPECT_EQ(Entries(folder), (QStringList{"folder.xml", "junk.xml", "noroot.xml"}));

    WriteBytes(folder + "/good.xml", "<fontprojects/>");
    const CRun good = RunStore(folder, {"projects", folder + "/good.xml"});
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_EQ(good.err, "");
}

// Parts the store cannot use are counted ("leftOut"); the file is copied
// ("kept") only before a save replaces it.
TEST(StoreCommandTest, PartsLeftOutAreCountedAndTheFileCopiedBeforeASave) {
    const QString folder = TestFolder("cli-left-out");
    const QString path = folder + "/fontprojects.xml";
    const QByteArray written =
        "<fontprojects><project name=\"A\"><font>/a.ttf</font><font>a.ttf</font></project>"
        "<project/></fontprojects>";
    WriteBytes(path, written);
    const CRun read = RunStore(folder, {"projects", path});
    EXPECT_EQ(read.exitCode, 0);
    EXPECT_EQ(
        read.out,
        "{\"projects\":[{\"name\":\"A\",\"fonts\":[\"/a.ttf\"],\"faces\":[0]}],\"leftOut\":2}\n");
    EXPECT_TRUE(
        read.err.contains("1 font path that is not a full path and 1 project without a name"))
        << read.err.toStdString();
    EXPECT_EQ(Entries(folder), QStringList{"fontprojects.xml"}) << "reading changes nothing";

    const CRun save = RunStore(folder, {"projects", "--save", path, path});
    EXPECT_EQ(save.exitCode, 0);
    EXPECT_TRUE(save.out.contains("\"saved\":true,\"leftOut\":2,\"kept\":\"" +
                                  (path + ".left-out").toUtf8() + "\""))
        << save.out.toStdString();
    EXPECT_EQ(ReadBytes(path + ".left-out"), written);
    const CRun again = RunStore(folder, {"projects", path});
    EXPECT_EQ(again.out,
              "{\"projects\":[{\"name\":\"A\",\"fonts\":[\"/a.ttf\"],\"faces\":[0]}]}\n");
}
