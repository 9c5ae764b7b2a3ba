// Fonts shared with other applications, seen through fc-list in a
// temporary home.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
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
