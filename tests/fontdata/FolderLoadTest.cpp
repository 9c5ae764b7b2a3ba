// The folder load: which files, how many threads, in what order.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <new>
#include <thread>

#include "fontdata/manager/FolderLoad.h"
#include "tests/support/FontBuilder.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

class FolderLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("quillmark-load-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void Font(const std::string& name, const std::u16string& full = u"Font") {
        WriteFile((m_dir / name).string(),
                  BuildFont({{"name", NameTable({CNameEntry{3, 1, 0x0409, 4, full}})}}));
    }

    fs::path m_dir;
    CFontManager m_manager{nullptr, nullptr};
};

std::vector<std::size_t> ChunkSizes(std::size_t files, unsigned processors) {
    const auto plan = CFolderLoad::PlanFor(files, processors);
    std::vector<std::size_t> sizes;
    for (std::size_t first = 0; first < files; first += plan.chunk) {
        sizes.push_back(std::min(plan.chunk, files - first));
    }
    EXPECT_EQ(sizes.size(), plan.threads);
    return sizes;
}

}  // namespace

TEST(FolderLoadPlanTest, OneThreadPerFiftyFilesUpToTheProcessors) {
    EXPECT_EQ(CFolderLoad::PlanFor(49, 8).threads, 1u);
    EXPECT_EQ(CFolderLoad::PlanFor(49, 8).chunk, 50u);
    EXPECT_EQ(ChunkSizes(100, 8), (std::vector<std::size_t>{51, 49}));
    EXPECT_EQ(ChunkSizes(1000, 4), (std::vector<std::size_t>{251, 251, 251, 247}));
    EXPECT_EQ(CFolderLoad::PlanFor(1000, 0).threads, 1u);
    EXPECT_EQ(CFolderLoad::PlanFor(1, 2).threads, 1u);
    EXPECT_EQ(CFolderLoad::PlanFor(0, 2).threads, 1u);
}

TEST_F(FolderLoadTest, EnumeratesEveryFontTypeOfAnyCaseSortedWithoutFolders) {
    for (const char* name :
         {"b.ttf", "ARIAL.TTF", "X.OTF", "a.otf", "c.ttc", "g.WOFF2", "d.fon", "e.ttfx", "f.txt"}) {
        Font(name);
    }
    fs::create_directories(m_dir / "folder.ttf");
    fs::create_directories(m_dir / "sub");
    Font("sub/deep.ttf");
    std::vector<std::string> names;
    for (const auto& path : CFolderLoad::Enumerate(m_dir)) {
        EXPECT_EQ(path.parent_path(), m_dir);
        names.push_back(path.filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ARIAL.TTF", "X.OTF", "a.otf", "b.ttf", "c.ttc",
                                               "g.WOFF2"}));
    EXPECT_TRUE(CFolderLoad::Enumerate(m_dir / "missing").empty());
}

TEST_F(FolderLoadTest, ListsSubfoldersOnceEachWithoutLoopsOrHiddenFolders) {
    Font("top.ttf");
    for (const char* folder : {"dejavu", "dejavu/bold", "liberation", ".hidden", "empty"}) {
        fs::create_directories(m_dir / folder);
    }
    Font("dejavu/DejaVuSans.ttf");
    Font("dejavu/bold/DejaVuSans-Bold.TTF");
    Font("liberation/LiberationMono.otf");
    Font(".hidden/secret.ttf");
    // Links that lead back up and sideways: each folder is read once.
    fs::create_directory_symlink(m_dir, m_dir / "dejavu/bold/up");
    fs::create_directory_symlink(m_dir / "liberation", m_dir / "again");
    const std::string prefix = m_dir.string() + '/';

    const CFolderLoad::Listing flat = CFolderLoad::List(m_dir, false);
    EXPECT_EQ(flat.error, 0);
    EXPECT_EQ(flat.paths, (std::vector<std::string>{prefix + "top.ttf"}));

    const CFolderLoad::Listing deep = CFolderLoad::List(m_dir, true);
    EXPECT_EQ(deep.error, 0);
    std::vector<std::string> below;
    for (const std::string& path : deep.paths) {
        ASSERT_EQ(path.rfind(prefix, 0), 0u) << path;
        below.push_back(path.substr(prefix.size()));
    }
    // "again" and "liberation" are one folder, read under the name walked
    // first; the link up leads nowhere new.
    EXPECT_EQ(below, (std::vector<std::string>{"again/LiberationMono.otf", "dejavu/DejaVuSans.ttf",
                                               "dejavu/bold/DejaVuSans-Bold.TTF", "top.ttf"}));
    EXPECT_EQ(CFolderLoad::Subfolders(m_dir, 100),
              (std::vector<std::string>{prefix + "again", prefix + "dejavu", prefix + "dejavu/bold",
                                        prefix + "empty"}));
    EXPECT_EQ(CFolderLoad::Subfolders(m_dir, 1).size(), 1u);

    EXPECT_TRUE(CFolderLoad::HasFontsInSubfolders(m_dir));
    EXPECT_FALSE(CFolderLoad::HasFontsInSubfolders(m_dir / "dejavu/bold/up/empty"));
    EXPECT_FALSE(CFolderLoad::HasFontsInSubfolders(m_dir / "liberation"))
        << "a font of the folder itself is no font of a subfolder";
    EXPECT_TRUE(CFolderLoad::HasFontsInSubfolders(m_dir, 2));
    EXPECT_FALSE(CFolderLoad::HasFontsInSubfolders(m_dir, 0)) << "no folder may be looked at";
}

TEST_F(FolderLoadTest, AFolderThatCannotBeListedSaysWhyAndSubfoldersThatCannotAreSkipped) {
    EXPECT_EQ(CFolderLoad::List(m_dir / "missing", true).error, ENOENT);
    Font("plain.ttf");
    EXPECT_EQ(CFolderLoad::List(m_dir / "plain.ttf", false).error, ENOTDIR);
    EXPECT_EQ(CFolderLoad::List(m_dir, false).error, 0);

    fs::create_directories(m_dir / "locked");
    Font("locked/inside.ttf");
    fs::permissions(m_dir / "locked", fs::perms::none);
    const CFolderLoad::Listing listing = CFolderLoad::List(m_dir, true);
    fs::permissions(m_dir / "locked", fs::perms::owner_all);
    EXPECT_EQ(listing.error, 0) << "the folder itself was read";
    if (::geteuid() == 0) {
        EXPECT_EQ(listing.paths.size(), 2u) << "root reads the locked folder all the same";
    } else {
        EXPECT_EQ(listing.paths, (std::vector<std::string>{(m_dir / "plain.ttf").string()}));
    }
}

TEST_F(FolderLoadTest, RowsComeInPathOrderWithNamesOrStatusMessages) {
    for (int i = 0; i < 120; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.ttf", i);
        Font(name, u"Font " + std::u16string(1, char16_t(u'A' + i % 26)));
    }
    WriteFile((m_dir / "zz-broken.ttf").string(), {1, 2, 3});
    CFolderLoad load(m_manager, CFolderLoad::Enumerate(m_dir), nullptr, 2);
    EXPECT_EQ(load.Threads(), 2u);
    load.Start();
    load.Wait();
    EXPECT_EQ(load.Done(), 121u);
    auto rows = load.TakeRows();
    ASSERT_EQ(rows.size(), 121u);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_LT(rows[i - 1].item->GetPath(), rows[i].item->GetPath());
    }
    EXPECT_EQ(rows[1].displayName, u"Font B");
    EXPECT_EQ(rows.back().displayName, u"ERROR: Font file is corrupt");
    for (const auto& row : rows) {
        EXPECT_EQ(row.item->GetUseCount(), 1);
    }
    rows.clear();
    EXPECT_EQ(m_manager.Count(), 0u);
}

TEST_F(FolderLoadTest, CancellingKeepsWhatWasReadAndLeavesNoUses) {
    for (int i = 0; i < 200; ++i) {
        Font("f" + std::to_string(i) + ".ttf");
    }
    {
        CFolderLoad load(m_manager, CFolderLoad::Enumerate(m_dir), nullptr, 2);
        load.Cancel();
        load.Start();
        load.Wait();
        EXPECT_TRUE(load.IsCanceled());
        auto rows = load.TakeRows();
        EXPECT_EQ(rows.size(), load.Done());
        EXPECT_LT(rows.size(), 200u);
        rows.clear();
    }
    {
        // Rows nobody took are given back when the load ends.
        CFolderLoad load(m_manager, CFolderLoad::Enumerate(m_dir), nullptr, 2);
        load.Start();
        load.Wait();
        EXPECT_EQ(m_manager.Count(), 200u);
    }
    EXPECT_EQ(m_manager.Count(), 0u);
}

TEST_F(FolderLoadTest, ReadyRowsComeInChunkOrderWhileTheWorkersRun) {
    for (int i = 0; i < 120; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.ttf", i);
        Font(name);
    }
    const auto paths = CFolderLoad::Enumerate(m_dir);
    CFolderLoad load(m_manager, paths, nullptr, 2);
    // The first chunk waits until the test lets it go; the second runs.
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    load.SetAcquirer([&](const fs::path& path) {
        if (path < paths[61]) {
            std::unique_lock lock(mutex);
            opened.wait(lock, [&] { return open; });
        }
        return m_manager.Open(path);
    });
    std::atomic<int> calls{0};
    load.SetReadyHandler([&] { ++calls; });
    load.Start();
    while (load.Done() < 59) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The second chunk is read, but its rows wait for the first chunk's.
    EXPECT_TRUE(load.TakeReadyRows().empty());
    {
        std::lock_guard lock(mutex);
        open = true;
    }
    opened.notify_all();

    std::vector<CFolderLoadRow> rows;
    while (!load.Finished() || rows.size() < 120) {
        auto ready = load.TakeReadyRows();
        std::move(ready.begin(), ready.end(), std::back_inserter(rows));
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        ASSERT_LE(rows.size(), 120u);
    }
    ASSERT_EQ(rows.size(), 120u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].item->GetPath(), paths[i]);
    }
    // Told of rows, and at the end; never once a file.
    EXPECT_GE(calls.load(), 1);
    EXPECT_LT(calls.load(), 120);
    EXPECT_TRUE(load.TakeReadyRows().empty());
}

TEST_F(FolderLoadTest, OutOfMemoryInAWorkerStopsTheLoadAndKeepsItsRows) {
    for (int i = 0; i < 120; ++i) {
        Font("f" + std::to_string(100 + i) + ".ttf");
    }
    std::atomic<int> acquires{0};
    {
        CFolderLoad load(m_manager, CFolderLoad::Enumerate(m_dir), nullptr, 1);
        load.SetAcquirer([&](const fs::path& path) -> CFontHandle {
            if (++acquires == 31) {
                throw std::bad_alloc();
            }
            return m_manager.Open(path);
        });
        std::atomic<int> calls{0};
        load.SetReadyHandler([&] { ++calls; });
        load.Start();
        load.Wait();
        EXPECT_TRUE(load.IsOutOfMemory());
        EXPECT_TRUE(load.IsCanceled());
        EXPECT_EQ(load.Done(), 30u);
        EXPECT_EQ(acquires.load(), 31) << "no file is read after the failure";
        EXPECT_GE(calls.load(), 1) << "the end is told";
        auto rows = load.TakeRows();
        ASSERT_EQ(rows.size(), 30u);
        EXPECT_EQ(m_manager.Count(), 30u);
        rows.clear();
    }
    EXPECT_EQ(m_manager.Count(), 0u);
}

TEST(FolderLoadTextTest, StatusTexts) {
    EXPECT_EQ(CFolderLoad::NoFontsText(), "No fonts to display");
    EXPECT_EQ(CFolderLoad::ReadText(386, 0.0123, false), "386 fonts read in 0.01 seconds");
    EXPECT_EQ(CFolderLoad::ReadText(12, 3.5, true),
              "12 fonts read, font information scan was canceled");
    EXPECT_EQ(CFolderLoad::DisplayedText(0), "0 fonts displayed");
    // Fonts are faces: the files are told when collections make them differ.
    EXPECT_EQ(CFolderLoad::ReadText(12, 0.5, false, 12), "12 fonts read in 0.50 seconds");
    EXPECT_EQ(CFolderLoad::ReadText(12, 0.5, false, 3),
              "12 fonts from 3 files read in 0.50 seconds");
    EXPECT_EQ(CFolderLoad::ReadText(12, 0.5, true, 1),
              "12 fonts from 1 file read, font information scan was canceled");
    EXPECT_EQ(CFolderLoad::DisplayedText(10, 2), "10 fonts from 2 files displayed");
}

// A collection lists one row a face, in face order after the file's place
// among the others, each face its own item with its own name or status; the
// file's faces leave together when it goes.
TEST_F(FolderLoadTest, ACollectionIsOneRowAFaceInFaceOrder) {
    const auto named = [](const std::u16string& full) {
        return BuildFont({{"name", NameTable({CNameEntry{3, 1, 0x0409, 4, full}})}});
    };
    Font("a.ttf", u"Alone");
    Bytes nameless = BuildFont({{"head", Bytes(54, 0)}});
    WriteFile((m_dir / "b.ttc").string(),
              Collection({named(u"Face Zero"), nameless, named(u"Face Two")}));
    Font("c.otf", u"After");
    CFolderLoad load(m_manager, CFolderLoad::Enumerate(m_dir), nullptr, 1);
    load.Start();
    const auto rows = load.TakeRows();
    EXPECT_EQ(load.Done(), 3u) << "files";
    EXPECT_EQ(load.Faces(), 5u);
    std::vector<std::u16string> names;
    std::vector<std::string> files;
    for (const auto& row : rows) {
        names.push_back(row.displayName);
        files.push_back(row.item->GetFileName().native() + row.item->GetFaceSuffix());
    }
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u"Alone", u"Face Zero", u"ERROR: Font file is corrupt",
                                           u"Face Two", u"After"}));
    EXPECT_EQ(files,
              (std::vector<std::string>{"a.ttf", "b.ttc (0)", "b.ttc (1)", "b.ttc (2)", "c.otf"}));
    EXPECT_EQ(rows[3].item->GetFace(), 2u);
    EXPECT_EQ(rows[3].item->GetFaceCount(), 3u);
    EXPECT_EQ(rows[3].item->GetData()->GetFaceIndex(), 2u);
    EXPECT_EQ(m_manager.Count(), 5u);
    // The same face asked for again is the same item; another face is not.
    EXPECT_EQ(m_manager.Open(m_dir / "b.ttc", 2).get(), rows[3].item.get());
    EXPECT_NE(m_manager.Open(m_dir / "b.ttc", 0).get(), rows[3].item.get());

    m_manager.RemoveFile(m_dir / "b.ttc");
    EXPECT_EQ(m_manager.Count(), 2u) << "every face of the file went";
    EXPECT_FALSE(m_manager.Contains(rows[1].item.get()));
    EXPECT_FALSE(m_manager.Contains(rows[3].item.get()));
    EXPECT_TRUE(m_manager.Contains(rows[4].item.get()));
}

// A font project names the face of each file it holds: only that face is
// listed.
TEST_F(FolderLoadTest, GivenFacesListOnlyThoseFaces) {
    const auto named = [](const std::u16string& full) {
        return BuildFont({{"name", NameTable({CNameEntry{3, 1, 0x0409, 4, full}})}});
    };
    WriteFile((m_dir / "b.ttc").string(),
              Collection({named(u"Zero"), named(u"One"), named(u"Two")}));
    Font("a.ttf", u"Alone");
    CFolderLoad load(
        m_manager,
        std::vector<std::string>{(m_dir / "b.ttc").native(), (m_dir / "a.ttf").native(),
                                 (m_dir / "b.ttc").native()},
        nullptr, 1);
    load.SetFaces({2, 0, 0});
    load.Start();
    std::vector<std::u16string> names;
    for (const auto& row : load.TakeRows()) {
        names.push_back(row.displayName);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Two", u"Alone", u"Zero"}));
}
