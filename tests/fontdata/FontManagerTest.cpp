// The font manager: counts, signals, and many threads at once.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "fontdata/manager/FontManager.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/OtherThread.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

// Records what the manager tells; ReleaseFont asks the callbacks in order
// and sums their answers.
class CRecordingObserver final : public IFontManagerObserver {
public:
    int ReleaseFont(const CFontItem* item) override {
        asked.push_back(item);
        int sum = 0;
        for (const auto& holder : holders) sum += holder(item);
        return sum;
    }
    void FontDiscarded(std::shared_ptr<const CFontItem> item) override {
        std::lock_guard lock(mutex);
        discarded.push_back(item.get());
        discardedAlive.push_back(item);
        discardedOn.push_back(std::this_thread::get_id());
        if (onDiscarded)
            onDiscarded(item.get());
    }
    void FontRemoved(const CFontItem* item) override {
        removed.push_back(item);
        if (onRemoved)
            onRemoved(item);
    }

    std::vector<std::function<int(const CFontItem*)>> holders;
    std::function<void(const CFontItem*)> onDiscarded;
    std::function<void(const CFontItem*)> onRemoved;
    std::mutex mutex;
    std::vector<const CFontItem*> asked;
    std::vector<const CFontItem*> discarded;  // guarded by mutex
    std::vector<std::shared_ptr<const CFontItem>> discardedAlive;
    std::vector<std::thread::id> discardedOn;
    std::vector<const CFontItem*> removed;
};

bool LockIsFree(std::function<void()> call) {
    return EndsOnAnotherThread(std::move(call));
}

class FontManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("quillmark-manager-" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "sub");
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
    CRecordingObserver m_observer;
    std::vector<const CFontItem*>& discarded = m_observer.discarded;
    std::vector<const CFontItem*>& removed = m_observer.removed;
    CFontManager m_manager{&m_observer, nullptr};
};

}  // namespace

TEST_F(FontManagerTest, AcquiringTwiceGivesOneItemDiscardedOnceAtTheLastRelease) {
    CFontItem* a = m_manager.Acquire(Font("a.ttf"));
    CFontItem* again = m_manager.Acquire(Font("a.ttf"));
    ASSERT_EQ(a, again);
    EXPECT_EQ(a->GetUseCount(), 2);
    EXPECT_EQ(m_manager.Release(a), 1);
    EXPECT_TRUE(discarded.empty());
    EXPECT_EQ(m_manager.Release(a), 0);
    EXPECT_EQ(discarded, std::vector<const CFontItem*>{a});
    EXPECT_FALSE(m_manager.Contains(a));
    EXPECT_EQ(m_manager.Release(a), 0) << "an item no longer held is ignored";
    EXPECT_EQ(m_manager.Find(a), nullptr);
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

TEST_F(FontManagerTest, AHandleOutlivingItsRemovedFileNeverLetsGoOfAnotherFont) {
    CFontHandle stale = m_manager.Open(Font("a.ttf"));
    const CFontItem* a = stale.get();
    m_manager.RemoveFile(Font("a.ttf"));
    EXPECT_FALSE(m_manager.Contains(a));
    // Fonts opened now can never take the address of the item the stale
    // handle still holds.
    std::vector<CFontHandle> others;
    for (int i = 0; i < 64; ++i) {
        others.push_back(m_manager.Open(Font("b" + std::to_string(i) + ".ttf")));
        EXPECT_NE(others.back().get(), a);
    }
    EXPECT_EQ(stale->GetPath(), Font("a.ttf")) << "the stale handle's item is alive";
    stale.reset();
    for (const CFontHandle& other : others) {
        EXPECT_TRUE(m_manager.Contains(other.get()));
        EXPECT_EQ(other->GetUseCount(), 1);
    }
    EXPECT_TRUE(discarded.empty());
}

// What the soak compares at its end: the paths held, and the items alive
// beside those the manager holds.
TEST_F(FontManagerTest, TheItemsAliveCountThoseStillHeldAfterTheManagerDroppedThem) {
    const std::size_t before = CFontItem::Alive();
    CFontHandle a = m_manager.Open(Font("a.ttf"));
    CFontHandle b = m_manager.Open(Font("sub/b.ttf"));
    std::vector<std::string> paths = m_manager.Paths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths,
              (std::vector<std::string>{Font("a.ttf").native(), Font("sub/b.ttf").native()}));
    EXPECT_EQ(CFontItem::Alive(), before + 2);
    m_manager.RemoveFile(Font("a.ttf"));
    EXPECT_EQ(m_manager.Paths(), std::vector<std::string>{Font("sub/b.ttf").native()});
    EXPECT_EQ(CFontItem::Alive(), before + 2) << "the handle still holds the removed file's item";
    a.reset();
    EXPECT_EQ(CFontItem::Alive(), before + 1);
    b.reset();
    EXPECT_TRUE(m_manager.Paths().empty());
    EXPECT_EQ(CFontItem::Alive(), before + 1) << "kept by the observer that was told";
    m_observer.discardedAlive.clear();
    EXPECT_EQ(CFontItem::Alive(), before);
}

TEST_F(FontManagerTest, HandlesOfOneFileShareItsItemAndOutliveTheManagerSafely) {
    auto manager = std::make_unique<CFontManager>(&m_observer, nullptr);
    CFontHandle first = manager->Open(Font("a.ttf"));
    CFontHandle second = manager->Open(Font("a.ttf"));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->GetUseCount(), 2);
    EXPECT_EQ(manager->Find(first.get()), first);
    EXPECT_EQ(manager->Hold(reinterpret_cast<const CFontItem*>(&first)), nullptr);
    second.reset();
    manager.reset();
    EXPECT_EQ(first->GetPath(), Font("a.ttf"));
    first.reset();  // gives nothing back to a manager that is gone
    EXPECT_TRUE(discarded.empty());
}

TEST_F(FontManagerTest, ObserversAreCalledWithoutTheLockAndMayCallBack) {
    CFontItem* a = m_manager.Acquire(Font("a.ttf"));
    bool freeWhileAsked = false;
    m_observer.holders.push_back([&](const CFontItem* f) {
        // A window letting go, while a worker reads another file meanwhile.
        freeWhileAsked = LockIsFree([&] { m_manager.Release(m_manager.Acquire(Font("w.ttf"))); });
        m_manager.Release(f);
        return 1;
    });
    bool freeWhileDiscarded = false;
    m_observer.onDiscarded = [&](const CFontItem*) {
        freeWhileDiscarded = LockIsFree([&] { m_manager.Count(); });
    };
    EXPECT_TRUE(m_manager.CanRelease(a));
    EXPECT_TRUE(freeWhileAsked);
    EXPECT_TRUE(freeWhileDiscarded);

    CFontItem* b = m_manager.Acquire(Font("b.ttf"));
    bool freeWhileRemoved = false;
    m_observer.onRemoved = [&](const CFontItem* f) {
        freeWhileRemoved = LockIsFree([&] { m_manager.Contains(f); });
        EXPECT_TRUE(m_manager.Contains(f)) << "told before it is dropped";
    };
    m_manager.RemoveFile(Font("b.ttf"));
    EXPECT_TRUE(freeWhileRemoved);
    EXPECT_FALSE(m_manager.Contains(b));
}

TEST_F(FontManagerTest, AFontDiscardedOnAWorkerIsToldThereAndKeptAliveForTheTelling) {
    CFontItem* a = m_manager.Acquire(Font("a.ttf"));
    std::thread worker([&] { m_manager.Release(a); });
    const std::thread::id workerId = worker.get_id();
    worker.join();
    ASSERT_EQ(discarded, std::vector<const CFontItem*>{a});
    EXPECT_EQ(m_observer.discardedOn.front(), workerId);
    EXPECT_EQ(m_observer.discardedAlive.front()->GetPath(), Font("a.ttf"));
}

TEST_F(FontManagerTest, HoldersOfAFolderAreAskedInTheOrderTheFontsWereMade) {
    // Made in the reverse of the paths' order.
    std::vector<const CFontItem*> made;
    for (int i = 20; i > 0; --i) {
        made.push_back(m_manager.Acquire(Font("sub/f" + std::to_string(100 + i) + ".ttf")));
    }
    m_observer.holders.push_back([&](const CFontItem* f) {
        m_manager.Release(f);
        return 1;
    });
    m_manager.ReleaseFontsUnder((m_dir / "sub").string());
    EXPECT_EQ(m_observer.asked, made);
    EXPECT_EQ(m_manager.Count(), 0u);
}

// A font system that checks, at every call, that the manager's lock is free.
class CLockCheckingFontSystem final : public Platform::IFontSystem {
public:
    CFontManager* manager = nullptr;
    int calls = 0;
    int callsUnderLock = 0;
    bool IsInstalledFolder(const fs::path&) override { return false; }
    void Register(const fs::path&, std::uint32_t) override { Check(); }
    void Unregister(const fs::path&, std::uint32_t) override { Check(); }
    void EndBatch() override { Check(); }

private:
    void Check() {
        if (manager == nullptr)
            return;
        ++calls;
        if (!LockIsFree([this] { manager->Count(); }))
            ++callsUnderLock;
    }
};

TEST_F(FontManagerTest, SharingNeverTalksToTheDesktopWhileTheLockIsHeld) {
    CLockCheckingFontSystem system;
    CFontManager manager(&m_observer, &system);
    system.manager = &manager;
    CFontItem* a = manager.Acquire(Font("a.ttf"));
    CFontItem* b = manager.Acquire(Font("sub/b.ttf"));
    manager.ShareAll(true);
    manager.ShareAll(false);
    manager.ShareAll(true);
    manager.Release(a);
    m_observer.holders.push_back([&](const CFontItem* f) {
        manager.Release(f);
        return 1;
    });
    manager.ReleaseFontsUnder((m_dir / "sub").string());
    EXPECT_FALSE(manager.Contains(b));
    EXPECT_GT(system.calls, 4);
    EXPECT_EQ(system.callsUnderLock, 0);
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
    m_observer.holders.push_back([&](const CFontItem* f) {
        if (f == a && listHolds) {
            listHolds = false;
            m_manager.Release(f);
            return 1;
        }
        return 0;
    });
    m_observer.holders.push_back([&](const CFontItem*) { return 0; });
    EXPECT_FALSE(m_manager.CanRelease(a));
    EXPECT_TRUE(m_manager.Contains(a));
    EXPECT_TRUE(m_manager.CanRelease(reinterpret_cast<const CFontItem*>(&listHolds)))
        << "not managed";
}

TEST_F(FontManagerTest, ReleaseFontsUnderLetsGoOfEveryFontOfAFolder) {
    CFontItem* a = m_manager.Acquire(Font("sub/a.ttf"));
    CFontItem* b = m_manager.Acquire(Font("sub/b.ttf"));
    CFontItem* c = m_manager.Acquire(Font("c.ttf"));
    m_observer.holders.push_back([&](const CFontItem* f) {
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
