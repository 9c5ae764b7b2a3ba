// Fonts shared with other applications, seen through fc-list in a
// temporary home.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fontdata/item/FontItem.h"
#include "platform/FontconfigFontSystem.h"
#include "tests/support/TemporaryHome.h"

using namespace Quillmark;
namespace fs = std::filesystem;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();

std::string FcList() {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen("fc-list : family file 2>/dev/null", "r"),
                                               ::pclose);
    std::array<char, 4096> buffer{};
    while (pipe && std::fgets(buffer.data(), buffer.size(), pipe.get()) != nullptr) {
        out += buffer.data();
    }
    return out;
}

bool Listed(const std::string& family) {
    return FcList().find(family) != std::string::npos;
}

class FontSharingTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_fonts = kHome.Root() / "my fonts";
        fs::create_directories(m_fonts);
        for (const char* name : {"twin-a.ttf", "twin-b.ttf", "twin-bold.ttf", "symbol.ttf"}) {
            fs::copy_file(fs::path(QUILLMARK_TEST_DATA) / name, m_fonts / name,
                          fs::copy_options::overwrite_existing);
        }
        m_settings.autoInstall = true;
    }

    fs::path m_fonts;
    CFontItemSettings m_settings;
};

}  // namespace

TEST_F(FontSharingTest, SharedFontIsListedAtOnceAndGoneWithItsItem) {
    ASSERT_FALSE(Listed("Quillmark Twin"));
    Platform::CFontconfigFontSystem system;
    {
        CFontItem item(m_fonts / "twin-a.ttf", m_settings, &system);
        ASSERT_EQ(item.GetStatus(), CFontItem::Loaded);
        EXPECT_TRUE(fs::exists(Platform::CFontconfigFontSystem::DefaultPlaces().includeFile));
        const std::string listed = FcList();
        EXPECT_NE(listed.find("Quillmark Twin"), std::string::npos) << listed;
        EXPECT_NE(listed.find(system.ProcessFolder().string()), std::string::npos);

        item.SetShared(false);
        EXPECT_FALSE(Listed("Quillmark Twin"));
        item.SetShared(true);
        EXPECT_TRUE(Listed("Quillmark Twin"));
    }
    EXPECT_FALSE(Listed("Quillmark Twin"));
}

TEST_F(FontSharingTest, LinksLeftByACrashAreRemovedAtTheNextStart) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto* system = new Platform::CFontconfigFontSystem();
        new CFontItem(m_fonts / "twin-bold.ttf", m_settings, system);
        ::_exit(0);  // no destructor runs, as in a crash
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_TRUE(Listed("Quillmark Twin")) << "the crashed process left its link";

    Platform::CFontconfigFontSystem restarted;
    EXPECT_FALSE(Listed("Quillmark Twin"));
    EXPECT_FALSE(fs::exists(Platform::CFontconfigFontSystem::DefaultPlaces().sharedRoot /
                            std::to_string(child)));
}

TEST_F(FontSharingTest, ABatchRefreshesTheCacheOnce) {
    Platform::CFontconfigFontSystem system;
    std::vector<std::unique_ptr<CFontItem>> items;
    const int before = system.CacheRuns();
    {
        Platform::CFontSystemBatch batch(&system);
        for (const char* name : {"twin-a.ttf", "twin-b.ttf", "twin-bold.ttf", "symbol.ttf"}) {
            items.push_back(std::make_unique<CFontItem>(m_fonts / name, m_settings, &system));
        }
        EXPECT_EQ(system.CacheRuns(), before);
    }
    EXPECT_EQ(system.CacheRuns(), before + 1);
    EXPECT_TRUE(Listed("Quillmark Symbol"));
    {
        Platform::CFontSystemBatch batch(&system);
        items.clear();
    }
    EXPECT_EQ(system.CacheRuns(), before + 2);
    EXPECT_FALSE(Listed("Quillmark Twin"));
}

TEST_F(FontSharingTest, AFontWithTheLongestFileNameIsShared) {
    // 255 bytes is the longest name a Linux file system takes.
    const std::string name = std::string(251, 'n') + ".ttf";
    fs::copy_file(m_fonts / "twin-b.ttf", m_fonts / name, fs::copy_options::overwrite_existing);
    Platform::CFontconfigFontSystem system;
    CFontItem item(m_fonts / name, m_settings, &system);
    ASSERT_EQ(item.GetStatus(), CFontItem::Loaded);
    int links = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(system.ProcessFolder(), ec)) {
        if (entry.is_symlink()) {
            ++links;
            EXPECT_LE(entry.path().filename().native().size(), 255u);
            EXPECT_EQ(fs::read_symlink(entry.path()), m_fonts / name);
        }
    }
    EXPECT_EQ(links, 1);
    EXPECT_TRUE(Listed("Quillmark Twin"));
}

// The start-up clean-up of folders left by crashed processes, in a root of
// its own.
class StaleFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_base = kHome.Root() /
                 ("stale-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(m_base);
        m_places.sharedRoot = m_base / "shared-fonts";
        m_places.includeFile = m_base / "include.conf";
        m_places.userFontsFolder = m_base / "fonts";
    }

    // A folder as a crashed process leaves it: a lock nobody holds and links.
    static void LeaveCrashedFolder(const fs::path& folder) {
        fs::create_directories(folder);
        std::ofstream(folder / ".lock").put('\0');
        fs::create_symlink(fs::path(QUILLMARK_TEST_DATA) / "twin-a.ttf", folder / "0-twin-a.ttf");
    }

    fs::path m_base;
    Platform::CFontconfigFontSystem::Places m_places;
};

TEST_F(StaleFolderTest, ARootThatIsALinkIsNeverCleanedOrSharedInto) {
    // shared-fonts linked to the user's own fonts, whose folders hold no lock.
    const fs::path target = m_base / "user fonts";
    fs::create_directories(target / "Family");
    std::ofstream(target / "Family" / "font.ttf") << "font";
    LeaveCrashedFolder(target / "4000000");
    fs::create_directory_symlink(target, m_places.sharedRoot);
    {
        Platform::CFontconfigFontSystem system(m_places);
        CFontItemSettings settings;
        settings.autoInstall = true;
        fs::copy_file(fs::path(QUILLMARK_TEST_DATA) / "twin-a.ttf", m_base / "twin-a.ttf");
        CFontItem item(m_base / "twin-a.ttf", settings, &system);
        EXPECT_FALSE(fs::exists(target / std::to_string(::getpid())));
    }
    EXPECT_TRUE(fs::exists(target / "Family" / "font.ttf"));
    EXPECT_TRUE(fs::exists(target / "4000000" / ".lock"));
    EXPECT_TRUE(fs::is_symlink(target / "4000000" / "0-twin-a.ttf"));
    EXPECT_TRUE(fs::is_symlink(m_places.sharedRoot));
}

TEST_F(StaleFolderTest, OnlyFoldersOfLocksAndLinksNamedByAProcessAreRemoved) {
    const fs::path& root = m_places.sharedRoot;
    LeaveCrashedFolder(root / "4000001");
    // The links' targets stay: only the links go.
    const fs::path target = m_base / "target.ttf";
    std::ofstream(target) << "font";
    fs::create_symlink(target, root / "4000001" / "1-target.ttf");
    // A real file makes a folder not ours to remove.
    LeaveCrashedFolder(root / "4000002");
    std::ofstream(root / "4000002" / "kept.ttf") << "font";
    fs::create_directories(root / "4000003" / "sub");
    // Not named by a process id.
    fs::create_directories(root / "fonts");
    std::ofstream(root / "fonts" / "kept.ttf") << "font";
    // A folder of the right name that is a link to one.
    fs::create_directories(m_base / "elsewhere");
    std::ofstream(m_base / "elsewhere" / ".lock") << "";
    fs::create_directory_symlink(m_base / "elsewhere", root / "4000004");

    Platform::CFontconfigFontSystem system(m_places);
    EXPECT_FALSE(fs::exists(root / "4000001"));
    EXPECT_TRUE(fs::exists(target));
    EXPECT_TRUE(fs::exists(root / "4000002" / "kept.ttf"));
    EXPECT_TRUE(fs::exists(root / "4000003" / "sub"));
    EXPECT_TRUE(fs::exists(root / "fonts" / "kept.ttf"));
    EXPECT_TRUE(fs::exists(m_base / "elsewhere" / ".lock"));
}
