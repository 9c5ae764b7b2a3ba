// Fifty SIGKILLs (ten in the sanitizer builds) at random moments of an exit
// with stores of 10 MB leave every store file either old or new, and no
// temporary file behind: at most, when the kill lands in the microseconds
// between naming the whole new file and renaming it over the store, that file
// under a name of Quillmark's own, which the next start removes.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <chrono>
#include <iostream>
#include <random>
#include <thread>

#include "collections/DataFiles.h"
#include "collections/FavoriteFolders.h"
#include "collections/FontProjects.h"
#include "tests/collections/StoreTestSupport.h"

using namespace Quillmark;
using namespace QuillmarkTest;

namespace {

const auto& kHome = TemporaryHome();

#ifdef QUILLMARK_FEWER_KILLS
constexpr int kKills = 10;
#else
constexpr int kKills = 50;
#endif
// Each child saves at most this many times: it never runs on by itself.
constexpr int kSavesAtMost = 400;

// A version of both stores, about 10 MB each. The favourites lie on a drive
// that is not there, so that they are all written.
struct CVersion {
    CFontProjects projects;
    CFavoriteFolders favourites;
};

void Fill(CVersion& version, const QString& tag) {
    const QString padding(60, QLatin1Char('p'));
    for (int p = 0; p < 20; ++p) {
        const QString name = QString("Project %1 %2").arg(p).arg(tag);
        version.projects.AddProject(name);
        for (int f = 0; f < 4700; ++f) {
            version.projects.AddFont(
                name,
                QString("/home/someone/fonts/%1/%2/%3-%4.ttf").arg(tag, padding).arg(p).arg(f));
        }
    }
    for (int f = 0; f < 85000; ++f) {
        version.favourites.Add(
            QString("/quillmark-no-such-drive/%1/%2/folder-%3").arg(tag, padding).arg(f));
    }
}

// One exit: the favourites, then the projects.
bool Exit(const CVersion& version, const QString& favourites, const QString& projects) {
    try {
        version.favourites.Save(favourites);
    } catch (const CFavoriteFoldersException&) {
        return false;
    }
    return static_cast<bool>(version.projects.Save(projects));
}

}  // namespace

TEST(StoreKillTest, KillsDuringExitsLeaveEachFileOldOrNewAndNoTemporaryFile) {
    const QString folder = QFileInfo(DataFilePath("favorites.xml", true)).absolutePath();
    const QString favourites = folder + "/favorites.xml";
    const QString projects = folder + "/fontprojects.xml";
    CVersion oldVersion;
    CVersion newVersion;
    Fill(oldVersion, "old");
    Fill(newVersion, "new");

    ASSERT_TRUE(Exit(newVersion, favourites, projects));
    const QByteArray newFavourites = ReadBytes(favourites);
    const QByteArray newProjects = ReadBytes(projects);
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(Exit(oldVersion, favourites, projects));
    const qint64 exitMilliseconds = std::max<qint64>(timer.elapsed(), 1);
    const QByteArray oldFavourites = ReadBytes(favourites);
    const QByteArray oldProjects = ReadBytes(projects);
    ASSERT_GT(oldFavourites.size(), 10'000'000);
    ASSERT_GT(oldProjects.size(), 10'000'000);
    ASSERT_NE(oldFavourites, newFavourites);
    ASSERT_NE(oldProjects, newProjects);

    std::mt19937 random(20240611);
    // Up to one exit and a half after the child is ready: the kill lands
    // anywhere in a save of either store, in its writing, syncing or renaming.
    std::uniform_int_distribution<qint64> moment(0, exitMilliseconds * 1500);
    int killedWhileSaving = 0;
    int leftBehind = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            (void)::write(ready[1], "r", 1);
            for (int save = 0; save < kSavesAtMost; ++save) {
                Exit((save + kill) % 2 == 0 ? newVersion : oldVersion, favourites, projects);
            }
            ::_exit(0);
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        killedWhileSaving += WIFSIGNALED(status) ? 1 : 0;

        const QByteArray nowFavourites = ReadBytes(favourites);
        const QByteArray nowProjects = ReadBytes(projects);
        EXPECT_TRUE(nowFavourites == oldFavourites || nowFavourites == newFavourites)
            << "kill " << kill << ": favorites.xml of " << nowFavourites.size() << " bytes";
        EXPECT_TRUE(nowProjects == oldProjects || nowProjects == newProjects)
            << "kill " << kill << ": fontprojects.xml of " << nowProjects.size() << " bytes";
        // A kill between naming the whole new file and renaming it over the
        // store (a few microseconds) leaves that one name of Quillmark's own;
        // never a temporary name that could be a user's file.
        QStringList others = Entries(folder);
        others.removeAll("favorites.xml");
        others.removeAll("fontprojects.xml");
        for (const QString& other : others) {
            EXPECT_TRUE(other == "favorites.xml.quillmark-new" ||
                        other == "fontprojects.xml.quillmark-new")
                << "kill " << kill << " left " << other.toStdString();
        }
        if (!others.isEmpty()) {
            ++leftBehind;
            // The next start removes it.
            CFontProjects started;
            started.Load(projects);
            CFavoriteFolders startedFavourites;
            startedFavourites.Load(favourites);
        }
        ASSERT_EQ(Entries(folder), (QStringList{"favorites.xml", "fontprojects.xml"}))
            << "kill " << kill;
    }
    std::cout << "[ NOTE     ] " << leftBehind << " of " << kKills
              << " kills came between naming a new file and renaming it\n";
    EXPECT_EQ(killedWhileSaving, kKills) << "every child was still saving";

    // What is there loads.
    CFontProjects loaded;
    loaded.Load(projects);
    EXPECT_EQ(loaded.Count(), 20u);
    EXPECT_TRUE(loaded.TakeKeptFileNotice().isEmpty());
}
