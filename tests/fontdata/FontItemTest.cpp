// Font items over built and packaged fonts, with a font system that records
// what it is asked.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "fontdata/item/FontItem.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/OtherThread.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

class CRecordingFontSystem : public Platform::IFontSystem {
public:
    bool IsInstalledFolder(const fs::path& folder) override { return folder == installedFolder; }
    void Register(const fs::path& file, std::uint32_t flags) override {
        calls.push_back("register " + file.filename().string() + " " + std::to_string(flags));
    }
    void Unregister(const fs::path& file, std::uint32_t flags) override {
        calls.push_back("unregister " + file.filename().string() + " " + std::to_string(flags));
    }
    fs::path installedFolder;
    std::vector<std::string> calls;
};

Bytes NamedFont(const std::vector<CNameEntry>& names) {
    return BuildFont({{"name", NameTable(names)}});
}

class FontItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("quillmark-item-" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "installed");
        m_system.installedFolder = m_dir / "installed";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path Write(const std::string& name, const Bytes& bytes) {
        return WriteFile((m_dir / name).string(), bytes);
    }

    fs::path m_dir;
    CRecordingFontSystem m_system;
    CFontItemSettings m_settings;
};

const std::vector<CNameEntry> kFullAndFamily = {{3, 1, 0x0409, 1, u"Family"},
                                                {3, 1, 0x0409, 4, u"Family Full"}};

}  // namespace

TEST_F(FontItemTest, ReadableFontHasItsNameSizeAndPreview) {
    const fs::path path =
        Write("good.ttf", BuildFont({{"name", NameTable(kFullAndFamily)}}, 0x00010000, 3000));
    CFontItem item(path, m_settings, &m_system);
    EXPECT_EQ(item.GetStatus(), CFontItem::Loaded);
    EXPECT_EQ(item.GetName(), u"Family Full");
    EXPECT_EQ(item.GetDisplayName(), u"Family Full");
    EXPECT_EQ(item.GetFileSize(), 3000u);
    EXPECT_EQ(item.GetSizeText(), "2k");
    EXPECT_EQ(item.GetFileName(), "good.ttf");
    EXPECT_EQ(item.GetUseCount(), 1);
    EXPECT_TRUE(item.IsPath(path));
    EXPECT_FALSE(item.IsPath(m_dir / "GOOD.ttf"));
    EXPECT_TRUE(item.IsUnder(m_dir.string()));
    EXPECT_TRUE(item.IsUnder(m_dir.string() + "/"));
    EXPECT_TRUE(item.IsUnder("/"));
    // A folder whose name only begins like the font's folder holds nothing of it.
    EXPECT_FALSE(item.IsUnder(m_dir.string().substr(0, m_dir.string().size() - 1)));
    EXPECT_FALSE(item.IsUnder(path.string()));
    EXPECT_EQ(item.GetFaceName(), u"Family Full");
    EXPECT_EQ(item.GetResourceFlags(), Platform::kPrivateFont);
    EXPECT_TRUE(m_system.calls.empty()) << "private fonts need nothing of the desktop";
}

TEST_F(FontItemTest, NameFallsBackToTheFamilyThenTheFontIsCorrupt) {
    CFontItem family(Write("family.ttf", NamedFont({{3, 1, 0x0409, 1, u"Only Family"}})),
                     m_settings, &m_system);
    EXPECT_EQ(family.GetStatus(), CFontItem::Loaded);
    EXPECT_EQ(family.GetName(), u"Only Family");
    EXPECT_EQ(family.GetFaceName(), u"Only Family");

    CFontItem german(Write("german.ttf", NamedFont({{3, 1, 0x0407, 4, u"Deutsch"}})), m_settings,
                     &m_system);
    EXPECT_EQ(german.GetStatus(), CFontItem::Corrupt);
    EXPECT_EQ(german.GetDisplayName(), u"ERROR: Font file is corrupt");
    EXPECT_TRUE(german.GetFaceName().empty());

    CFontItem empty(Write("empty.ttf", {}), m_settings, &m_system);
    EXPECT_EQ(empty.GetStatus(), CFontItem::Corrupt);
    CFontItem missing(m_dir / "missing.ttf", m_settings, &m_system);
    EXPECT_EQ(missing.GetStatus(), CFontItem::CouldNotOpen);
    EXPECT_EQ(missing.GetSizeText(), "0k");
    EXPECT_EQ(missing.GetDisplayName(), u"ERROR: Could not open file");

    // A file of 50 MiB or more is never opened, and says why.
    const auto large = Write("large.ttf", NamedFont({{3, 1, 0x0409, 4, u"Large"}}));
    std::filesystem::resize_file(large, 50u << 20);
    CFontItem tooLarge(large, m_settings, &m_system);
    EXPECT_EQ(tooLarge.GetStatus(), CFontItem::TooLarge);
    EXPECT_EQ(tooLarge.GetDisplayName(), u"ERROR: Font file is too large");
}

TEST_F(FontItemTest, FaceNameIsCutTo31Units) {
    const std::u16string forty = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
    CFontItem item(Write("long.ttf", NamedFont({{3, 1, 0x0409, 4, forty}})), m_settings, &m_system);
    EXPECT_EQ(item.GetName(), forty);
    EXPECT_EQ(item.GetFaceName(), forty.substr(0, 31));
}

TEST_F(FontItemTest, AutoInstallSharesAtOnceAndUnsharesAtTheEnd) {
    m_settings.autoInstall = true;
    {
        CFontItem item(Write("shared.ttf", NamedFont(kFullAndFamily)), m_settings, &m_system);
        EXPECT_EQ(item.GetResourceFlags(), Platform::kSharedFont);
        item.MakeTemporarilyPrivate();
        EXPECT_TRUE(item.IsTemporarilyPrivate());
        EXPECT_EQ(item.GetResourceFlags(), Platform::kPrivateFont);
        item.RestoreSharing();
        EXPECT_FALSE(item.IsTemporarilyPrivate());
        item.SetShared(true);  // already shared: nothing
    }
    EXPECT_EQ(m_system.calls,
              (std::vector<std::string>{"register shared.ttf 0", "unregister shared.ttf 0",
                                        "register shared.ttf 0", "unregister shared.ttf 0"}));
}

TEST_F(FontItemTest, InstalledFontsAreNeverRegisteredOrShared) {
    m_settings.autoInstall = true;
    {
        CFontItem item(
            WriteFile((m_dir / "installed" / "i.ttf").string(), NamedFont(kFullAndFamily)),
            m_settings, &m_system);
        EXPECT_TRUE(item.IsInstalled());
        item.SetShared(false);
        item.SetShared(true);
        item.MakeTemporarilyPrivate();
        EXPECT_FALSE(item.IsTemporarilyPrivate());
    }
    // A folder written in another letter case is another folder here.
    fs::create_directories(m_dir / "INSTALLED");
    CFontItem other(WriteFile((m_dir / "INSTALLED" / "o.ttf").string(), NamedFont(kFullAndFamily)),
                    m_settings, &m_system);
    EXPECT_FALSE(other.IsInstalled());
    EXPECT_EQ(m_system.calls, (std::vector<std::string>{"register o.ttf 0"}));
}

TEST_F(FontItemTest, UnreadableFontsAreNeverShared) {
    m_settings.autoInstall = true;
    CFontItem item(Write("bad.ttf", {1, 2, 3}), m_settings, &m_system);
    item.SetShared(false);
    item.SetShared(true);
    EXPECT_TRUE(m_system.calls.empty());
}

TEST_F(FontItemTest, SimilarityKeepsTheFirstDistance) {
    CFontItem item(Write("s.ttf", NamedFont(kFullAndFamily)), m_settings, &m_system);
    EXPECT_EQ(item.GetSimilarity(u"/ref.ttf"), 0);
    item.SetSimilarity(u"/ref.ttf", 12);
    item.SetSimilarity(u"/ref.ttf", 3);
    item.SetSimilarity(u"/REF.ttf", 5);
    EXPECT_EQ(item.GetSimilarity(u"/ref.ttf"), 12);
    EXPECT_EQ(item.GetSimilarity(u"/REF.ttf"), 5);
}

TEST_F(FontItemTest, OrderingsCompareTheSecondWithTheFirst) {
    const Bytes small = NamedFont({{3, 1, 0x0409, 4, u"\u00c9cole Sans"}});
    const Bytes large =
        BuildFont({{"name", NameTable({{3, 1, 0x0409, 4, u"apex"}})}}, 0x00010000, 4096);
    CFontItem ecole(Write("B.ttf", small), m_settings, &m_system);
    CFontItem apex(Write("a.ttf", large), m_settings, &m_system);
    EXPECT_EQ(ecole.GetSortKey(), u"\u00e9cole sans");
    // By name: "apex" < "école sans" in code unit order: positive when first sorts first.
    EXPECT_GT(CFontItem::CompareByName(&apex, &ecole), 0);
    EXPECT_LT(CFontItem::CompareByName(&ecole, &apex), 0);
    EXPECT_EQ(CFontItem::CompareByName(&apex, &apex), 0);
    // By file name, without regard to case: "a.ttf" before "B.ttf".
    EXPECT_GT(CFontItem::CompareByFileName(&apex, &ecole), 0);
    // By size: 1 when the first is smaller, never equal.
    EXPECT_EQ(CFontItem::CompareBySize(&ecole, &apex), 1);
    EXPECT_EQ(CFontItem::CompareBySize(&apex, &ecole), -1);
    EXPECT_EQ(CFontItem::CompareBySize(&apex, &apex), -1);
}

// A font system that, like fontconfig, refreshes the desktop's cache when a
// change is made outside a batch or a batch ends, and checks at each refresh
// that the item's lock is free: a refresh takes seconds.
class CRefreshingFontSystem final : public Platform::IFontSystem {
public:
    const CFontItem* item = nullptr;
    int refreshes = 0;
    int refreshesUnderLock = 0;
    bool IsInstalledFolder(const fs::path&) override { return false; }
    void Register(const fs::path&, std::uint32_t) override { Changed(); }
    void Unregister(const fs::path&, std::uint32_t) override { Changed(); }
    void BeginBatch() override { ++m_depth; }
    void EndBatch() override {
        if (--m_depth == 0 && m_dirty) {
            Refresh();
        }
    }

private:
    void Changed() {
        m_dirty = true;
        if (m_depth == 0) {
            Refresh();
        }
    }
    void Refresh() {
        m_dirty = false;
        ++refreshes;
        if (item == nullptr) {
            return;
        }
        const CFontItem* asked = item;
        if (!EndsOnAnotherThread([asked] { asked->GetResourceFlags(); })) {
            ++refreshesUnderLock;
        }
    }
    int m_depth = 0;
    bool m_dirty = false;
};

TEST_F(FontItemTest, SharingRefreshesTheDesktopOnlyWithTheItemsLockFree) {
    CRefreshingFontSystem system;
    CFontItem item(Write("refresh.ttf", NamedFont(kFullAndFamily)), m_settings, &system);
    system.item = &item;
    item.SetShared(true);
    item.MakeTemporarilyPrivate();
    item.RestoreSharing();
    item.SetShared(false);
    EXPECT_EQ(system.refreshes, 4);
    EXPECT_EQ(system.refreshesUnderLock, 0);
}
