// The font manager: counts, signals, and many threads at once.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "core/FontManagerHub.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/FontBuilder.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

class FontManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("quillmark-manager-" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "sub");
        m_hub.ConnectFontDiscarded([this](const CFontItem* f) { discarded.push_back(f); });
        m_hub.ConnectFontRemoved([this](const CFontItem* f) { removed.push_back(f); });
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path Font(const std::string& name) {
        const fs::path path = m_dir / name;
        if (!fs::exists(path)) {
            WriteFile(path.string(),
                      BuildFont({{"name", NameTable({CNameEntry{3, 1, 0x0409, 4, u"Font"}})}}));
        }
        return path;
    }

    fs::path m_dir;
    CQuillmarkSignals m_hub;
    CFontManagerHub m_managerHub{m_hub};
    CFontManager m_manager{&m_managerHub, nullptr};
    std::vector<const CFontItem*> discarded;
    std::vector<const CFontItem*> removed;
};

}  // namespace

TEST_F(FontManagerTest, AcquiringTwiceGivesOneItemDiscardedOnceAtTheLastRelease) {
    CFontItem* a = m_manager.Acquire(Font("a.ttf"));
    CFontItem* again = m_manager.Acquire(Font("a.ttf"));
    ASSERT_EQ(a, again);
    EXPECT_EQ(a->GetUseCount(), 2);
    EXPECT_EQ(m_manager.Retain(a), a);
    EXPECT_EQ(m_manager.Release(a), 2);
    EXPECT_EQ(m_manager.Release(a), 1);
    EXPECT_TRUE(discarded.empty());
    EXPECT_EQ(m_manager.Release(a), 0);
    EXPECT_EQ(discarded, std::vector<const CFontItem*>{a});
    EXPECT_FALSE(m_manager.Contains(a));
    EXPECT_EQ(m_manager.Release(a), 0) << "an item no longer held is ignored";
    EXPECT_EQ(m_manager.Retain(a), nullptr);
    EXPECT_EQ(discarded.size(), 1u);
}

TEST_F(FontManagerTest, HandlesGiveTheirUseBack) {
    CFontItem* a = m_manager.Acquire(Font("a.ttf"));
    CFontHandle handle = m_manager.Hold(a);
    CFontHandle copy = handle;
    EXPECT_EQ(a->GetUseCount(), 2);
    m_manager.Release(a);
    handle.reset();
    EXPECT_TRUE(m_manager.Contains(a));
    copy.reset();
    EXPECT_FALSE(m_manager.Contains(a));
}

TEST_F(FontManagerTest, RemoveFileTellsEveryoneWhateverTheCountAndIgnoresUnknownPaths) {
    m_manager.RemoveFile(m_dir / "unknown.ttf");
    EXPECT_TRUE(removed.empty());
    CFontItem* a = m_manager.Acquire(Font("a.ttf"));
    m_manager.Acquire(Font("a.ttf"));
    m_manager.RemoveFile(Font("a.ttf"));
    EXPECT_EQ(removed, std::vector<const CFontItem*>{a});
    EXPECT_FALSE(m_manager.Contains(a));
    EXPECT_TRUE(discarded.empty());
}

TEST_F(FontManagerTest, CanReleaseAsksEveryHolderAndFailsWhenOneKeepsTheFont) {
    CFontItem* a = m_manager.Acquire(Font("a.ttf"));  // held by the list below
    m_manager.Acquire(Font("a.ttf"));                 // held by a stubborn window
    bool listHolds = true;
    m_hub.ConnectReleaseFont([&](const CFontItem* f) {
        if (f == a && listHolds) {
            listHolds = false;
            m_manager.Release(f);
            return 1;
        }
        return 0;
    });
    m_hub.ConnectReleaseFont([&](const CFontItem*) { return 0; });
    EXPECT_FALSE(m_manager.CanRelease(a));
    EXPECT_TRUE(m_manager.Contains(a));
    EXPECT_TRUE(m_manager.CanRelease(reinterpret_cast<const CFontItem*>(&listHolds)))
        << "not managed";
}

TEST_F(FontManagerTest, ReleaseFontsUnderLetsGoOfEveryFontOfAFolder) {
    CFontItem* a = m_manager.Acquire(Font("sub/a.ttf"));
    CFontItem* b = m_manager.Acquire(Font("sub/b.ttf"));
    CFontItem* c = m_manager.Acquire(Font("c.ttf"));
    m_hub.ConnectReleaseFont([&](const CFontItem* f) {
        m_manager.Release(f);
        return 1;
    });
    const std::string sub = (m_dir / "sub").string();
    EXPECT_TRUE(m_manager.HasFontsUnder(sub));
    m_manager.ReleaseFontsUnder(sub);
    EXPECT_FALSE(m_manager.HasFontsUnder(sub));
    EXPECT_FALSE(m_manager.Contains(a));
    EXPECT_FALSE(m_manager.Contains(b));
    EXPECT_TRUE(m_manager.Contains(c));
    EXPECT_EQ(discarded.size(), 2u);
}

TEST_F(FontManagerTest, ShareAllReachesEveryItem) {
    CFontItem* a = m_manager.Acquire(Font("a.ttf"));
    m_manager.ShareAll(true);
    EXPECT_TRUE(m_manager.IsSharedAll());
    EXPECT_EQ(a->GetResourceFlags(), Platform::kSharedFont);
    m_manager.ShareAll(false);
    EXPECT_EQ(a->GetResourceFlags(), Platform::kPrivateFont);
}

// Run under ThreadSanitizer in the test run.
TEST_F(FontManagerTest, ManyThreadsGetOneItemPerPath) {
    constexpr int kThreads = 8;
    constexpr int kFiles = 40;
    std::vector<fs::path> paths;
    for (int i = 0; i < kFiles; ++i) {
        paths.push_back(Font("f" + std::to_string(i) + ".ttf"));
    }
    std::vector<std::vector<CFontItem*>> got(kThreads);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            while (!go.load()) {
            }
            // Every thread asks for every file, from a different start, twice.
            for (int round = 0; round < 2; ++round) {
                for (int i = 0; i < kFiles; ++i) {
                    got[t].push_back(m_manager.Acquire(paths[(i + t * 5) % kFiles]));
                }
            }
        });
    }
    go = true;
    for (auto& thread : threads) thread.join();

    EXPECT_EQ(m_manager.Count(), static_cast<std::size_t>(kFiles));
    for (int i = 0; i < kFiles; ++i) {
        CFontItem* item = m_manager.Acquire(paths[i]);
        EXPECT_EQ(item->GetUseCount(), 2 * kThreads + 1);
        EXPECT_EQ(item->GetStatus(), CFontItem::Loaded);
        m_manager.Release(item);
    }
    // Release from many threads at once; every item goes exactly once.
    threads.clear();
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (CFontItem* item : got[t]) m_manager.Release(item);
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(m_manager.Count(), 0u);
}
