// One search on its worker: the walk's order, its bounds (subfolders,
// mounts, link loops, system folders), stopping, projects, failures, and a
// source font let go of while the search runs.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "fontdata/item/FontItem.h"
#include "search/Search.h"
#include "tests/search/SearchFonts.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

// Records what a search tells, from its worker.
class CRecorder final : public ISearchReceiver {
public:
    void SearchingFolder(const fs::path& folder) override {
        std::lock_guard lock(mutex);
        EXPECT_FALSE(complete) << "a folder after the end";
        folders.push_back(folder);
    }
    void FontFound(CFontHandle font, int value) override {
        std::lock_guard lock(mutex);
        EXPECT_FALSE(complete) << "a font after the end";
        found.push_back(font->GetPath());
        values.push_back(value);
        fonts.push_back(std::move(font));
    }
    void SearchComplete(const CSearchEnd& searchEnd) override {
        std::lock_guard lock(mutex);
        EXPECT_FALSE(complete) << "two ends";
        complete = true;
        end = searchEnd;
        ended.notify_all();
    }

    void Reset() {
        std::lock_guard lock(mutex);
        folders.clear();
        found.clear();
        values.clear();
        fonts.clear();
        complete = false;
        end = {};
    }

    std::mutex mutex;
    std::condition_variable ended;
    std::vector<fs::path> folders;
    std::vector<fs::path> found;
    std::vector<int> values;
    std::vector<CFontHandle> fonts;
    bool complete = false;
    CSearchEnd end;
};

std::optional<int> Everything(CFontItem& font) {
    return font.GetStatus() == CFontItem::Loaded ? std::optional<int>(0) : std::nullopt;
}

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qm-search-XXXXXX").string();
        m_root = ::mkdtemp(pattern.data());
    }
    void TearDown() override {
        ::unsetenv("QUILLMARK_MOUNT_TABLE");
        fs::remove_all(m_root);
    }

    fs::path Font(const std::string& relative, const CSearchFont& font = {}) {
        return WriteSearchFont(m_root / relative, font);
    }

    // Runs a search to its end.
    void Run(CSearchLocation location, FontTest test = Everything, unsigned helpers = 1) {
        CSearch search(m_manager, std::move(location), std::move(test), m_recorder);
        search.SetReadHelpers(helpers);
        search.Start();
        search.Wait();
        ASSERT_TRUE(m_recorder.complete);
    }

    fs::path m_root;
    CFontManager m_manager{nullptr, nullptr};
    CRecorder m_recorder;
};

}  // namespace

TEST_F(SearchTest, SubfoldersComeBeforeTheFolderOwnFontsOfAnyLetterCase) {
    const fs::path own = Font("b.ttf");
    const fs::path upper = Font("Z.TTF");
    const fs::path openType = Font("d.OTF");
    const fs::path inner = Font("sub/a.ttf");
    const fs::path deepest = Font("sub/deeper/c.otf");
    const fs::path later = Font("zsub/e.ttf");
    std::ofstream(m_root / "notes.txt") << "no font";
    fs::create_directories(m_root / "folder.ttf");  // a folder, whatever its name
    for (const unsigned helpers : {0u, 1u, 3u}) {
        m_recorder.Reset();
        Run(CSearchLocation::Folder(m_root), Everything, helpers);
        EXPECT_EQ(m_recorder.found,
                  (std::vector<fs::path>{deepest, inner, later, upper, own, openType}))
            << helpers << " helpers";
        EXPECT_EQ(m_recorder.folders,
                  (std::vector<fs::path>{m_root, m_root / "folder.ttf", m_root / "sub",
                                         m_root / "sub/deeper", m_root / "zsub"}));
        EXPECT_EQ(m_recorder.end.found, 6u);
        EXPECT_FALSE(m_recorder.end.canceled);
        EXPECT_TRUE(m_recorder.end.failure.empty());
    }
}

TEST_F(SearchTest, WithoutSubfoldersOnlyTheFolderItself) {
    const fs::path own = Font("own.ttf");
    Font("sub/inner.ttf");
    Run(CSearchLocation::Folder(m_root, false));
    EXPECT_EQ(m_recorder.found, std::vector<fs::path>{own});
    EXPECT_EQ(m_recorder.folders, std::vector<fs::path>{m_root});
}

TEST_F(SearchTest, ALinkLoopIsWalkedOnceAndLinkedFontsAreFound) {
    const fs::path inner = Font("sub/inner.ttf");
    fs::create_directory_symlink(m_root, m_root / "sub/back-to-root");
    fs::create_directory_symlink(m_root / "sub", m_root / "again");
    fs::create_directory_symlink("/proc", m_root / "proc-link");
    fs::create_symlink(inner, m_root / "linked.ttf");
    Run(CSearchLocation::Folder(m_root));
    // "again" is reached first and walks sub; sub itself is then walked already.
    EXPECT_EQ(m_recorder.found,
              (std::vector<fs::path>{m_root / "again/inner.ttf", m_root / "linked.ttf"}));
    EXPECT_EQ(m_recorder.folders, (std::vector<fs::path>{m_root, m_root / "again"}));
}

TEST_F(SearchTest, ComputerWalksFixedVolumesWithoutCrossingIntoOtherMounts) {
    const fs::path top = Font("disk/top.ttf");
    Font("disk/net/share.ttf");
    Font("disk/ram/scratch.ttf");
    const fs::path second = Font("disk/second/inner.ttf");
    Font("disk/dvd/cd.ttf");
    Font("usb/stick.ttf");
    const std::string d = (m_root / "disk").string();
    std::ofstream(m_root / "mounts") << "/dev/sdz1 " << d << " ext4 rw 0 0\n"
                                     << "server:/export " << d << "/net nfs4 rw 0 0\n"
                                     << "tmpfs " << d << "/ram tmpfs rw 0 0\n"
                                     << "/dev/sdz2 " << d << "/second ext4 rw 0 0\n"
                                     << "/dev/sr0 " << d << "/dvd iso9660 ro 0 0\n"
                                     << "proc /proc proc rw 0 0\n";
    ::setenv("QUILLMARK_MOUNT_TABLE", (m_root / "mounts").c_str(), 1);
    Run(CSearchLocation::Computer(false));
    // The second disk once, as a volume of its own, after the first.
    EXPECT_EQ(m_recorder.found, (std::vector<fs::path>{top, second}));
    EXPECT_EQ(m_recorder.folders.front(), m_root / "disk");
    EXPECT_EQ(
        std::count(m_recorder.folders.begin(), m_recorder.folders.end(), m_root / "disk/second"),
        1);
    EXPECT_EQ(std::count(m_recorder.folders.begin(), m_recorder.folders.end(), m_root / "disk/net"),
              0);
}

TEST(ComputerVolumesTest, RemovableOnlyWhenAskedNeverNetworkOpticalOrRam) {
    const std::vector<Platform::CMount> mounts = {
        {"/dev/sda1", "/", "ext4"},
        {"/dev/sdb1", "/media/user/STICK", "vfat"},
        {"server:/x", "/mnt/net", "nfs"},
        {"/dev/sr0", "/media/cdrom", "iso9660"},
        {"tmpfs", "/mnt/ram", "tmpfs"},
        {"/dev/sdc1", "/data", "ext4"},
        {"/dev/sdc2", "/data", "ext4"},  // the last mount on a point wins
        {"server:/y", "/home/shared", "nfs4"},
        {"/dev/sdd1", "/home/shared", "ext4"},
        {"/dev/sde1", "/mnt/hidden", "ext4"},
        {"server:/z", "/mnt/hidden", "nfs4"},  // a network share over a disk
    };
    EXPECT_EQ(VolumesToWalk(mounts, false),
              (std::vector<std::string>{"/", "/data", "/home/shared"}));
    EXPECT_EQ(VolumesToWalk(mounts, true),
              (std::vector<std::string>{"/", "/data", "/home/shared", "/media/user/STICK"}));
}

TEST_F(SearchTest, AFolderThatCannotBeSearchedSaysSoAndEnds) {
    Run(CSearchLocation::Folder(m_root / "missing"));
    EXPECT_NE(m_recorder.end.failure.find("missing"), std::string::npos);
    EXPECT_EQ(m_recorder.end.found, 0u);
    m_recorder.Reset();
    Run(CSearchLocation::Folder("/proc"));
    EXPECT_FALSE(m_recorder.end.failure.empty());
    m_recorder.Reset();
    ::setenv("QUILLMARK_MOUNT_TABLE", (m_root / "no-table").c_str(), 1);
    Run(CSearchLocation::Computer(false));
    EXPECT_NE(m_recorder.end.failure.find("no-table"), std::string::npos);
}

TEST_F(SearchTest, AProjectIsItsFileListInOrderWithoutFolders) {
    const fs::path b = Font("x/b.ttf");
    const fs::path a = Font("y/a.ttf");
    std::vector<fs::path> files = {b, m_root / "gone.ttf", a};
    CSearchLocation project = CSearchLocation::Project(files);
    files.clear();  // the search has its own copy
    Run(std::move(project));
    EXPECT_EQ(m_recorder.found, (std::vector<fs::path>{b, a}));
    EXPECT_TRUE(m_recorder.folders.empty());
}

TEST_F(SearchTest, StopEndsTheWalkAndKeepsWhatWasFound) {
    for (int i = 0; i < 200; ++i) {
        Font("f" + std::to_string(1000 + i) + ".ttf");
    }
    std::atomic<int> opened{0};
    CSearch search(m_manager, CSearchLocation::Folder(m_root), Everything, m_recorder);
    search.SetOpener([&](const fs::path& path) {
        if (++opened > 20) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return m_manager.Open(path);
    });
    search.Start();
    while (opened.load() < 20) {
        std::this_thread::yield();
    }
    search.Stop();
    search.Wait();
    ASSERT_TRUE(m_recorder.complete);
    EXPECT_TRUE(m_recorder.end.canceled);
    EXPECT_LT(m_recorder.end.found, 200u);
    EXPECT_EQ(m_recorder.end.found, m_recorder.found.size());
    EXPECT_FALSE(search.IsRunning());
}

TEST_F(SearchTest, DestroyingARunningSearchStopsItsWorkerFirst) {
    for (int i = 0; i < 100; ++i) {
        Font("f" + std::to_string(1000 + i) + ".ttf");
    }
    std::atomic<bool> started{false};
    {
        CSearch search(m_manager, CSearchLocation::Folder(m_root), Everything, m_recorder);
        search.SetOpener([&](const fs::path& path) {
            started = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return m_manager.Open(path);
        });
        search.Start();
        while (!started.load()) {
            std::this_thread::yield();
        }
    }
    // The worker has ended: it said so, and says nothing more.
    std::lock_guard lock(m_recorder.mutex);
    EXPECT_TRUE(m_recorder.complete);
    EXPECT_TRUE(m_recorder.end.canceled);
}

TEST_F(SearchTest, ASourceLetGoOfDuringTheSearchIsNeverRead) {
    const fs::path sourcePath = Font("a-source.ttf", {.panose = {2, 2, 5, 3, 4, 2, 2, 2, 2, 2}});
    const fs::path bolder = Font("b-bolder.ttf", {.panose = {2, 2, 6, 3, 4, 2, 2, 2, 2, 2}});
    const fs::path lighter = Font("c-lighter.ttf", {.panose = {2, 2, 4, 3, 4, 2, 2, 2, 2, 2}});
    CFontHandle source = m_manager.Open(sourcePath);
    const std::weak_ptr<CFontItem> watch = source;
    const Panose panose = source->GetData()->GetOS2().panose;

    std::mutex gate;
    std::unique_lock hold(gate);
    std::atomic<bool> waiting{false};
    CSearch search(m_manager, CSearchLocation::Folder(m_root, false),
                   SimilarTest(panose, sourcePath.u16string(), source), m_recorder);
    search.SetReadHelpers(0);
    search.SetOpener([&](const fs::path& path) {
        if (path == bolder) {
            waiting = true;
            std::lock_guard wait(gate);  // until the source is gone
        }
        return m_manager.Open(path);
    });
    search.Start();
    // The source is let go of (its window let go, its file was removed):
    // the item is destroyed while the worker waits.
    while (!waiting.load()) {
        std::this_thread::yield();
    }
    m_manager.RemoveFile(sourcePath);
    source.reset();
    ASSERT_TRUE(watch.expired());
    hold.unlock();
    search.Wait();
    // The source was met before it went, and skipped; the others compare
    // with the bytes taken at the start.
    EXPECT_EQ(m_recorder.found, (std::vector<fs::path>{bolder, lighter}));
    EXPECT_EQ(m_recorder.values, (std::vector<int>{10, 10}));
}
