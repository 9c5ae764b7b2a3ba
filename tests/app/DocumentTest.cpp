// The document: title rules and the current font.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>
#include <string>
#include <vector>

#include "core/FontManagerHub.h"
#include "core/ProgramOptions.h"
#include "core/QuillmarkSignals.h"
#include "document/QuillmarkDoc.h"
#include "fontdata/manager/FontManager.h"
#include "tests/support/FontBuilder.h"
#include "tests/support/TemporaryHome.h"

using namespace Quillmark;

namespace {
const auto& kHome = QuillmarkTest::TemporaryHome();

struct CDocFixture {
    CQuillmarkSignals hub;
    CProgramOptions options;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    CQuillmarkDoc document{hub, options, manager, "/home/u/.local/share/fonts"};
};
}  // namespace

TEST(DocumentTest, TitleShowsTheFolderNameOrItsPath) {
    CDocFixture f;
    EXPECT_EQ(f.document.GetTitle(), "");
    f.hub.FireFolderSelected("/srv/type/Display Faces", nullptr);
    EXPECT_EQ(f.document.GetTitle(), "Display Faces");
    EXPECT_FALSE(f.document.IsProjectMode());

    f.options.SetShowFullPathInTitleBar(true);
    f.hub.FireOptionsChanged();
    EXPECT_EQ(f.document.GetTitle(), "/srv/type/Display Faces");

    // A virtual location shows its name even with the full path on.
    f.document.SetFolder("::computer");
    EXPECT_EQ(f.document.GetTitle(), "Computer");
    f.document.SetFolder("/");
    EXPECT_EQ(f.document.GetTitle(), "/");

    f.hub.FireProjectSelected("Posters");
    EXPECT_EQ(f.document.GetTitle(), "Posters");
    EXPECT_TRUE(f.document.IsProjectMode());
    EXPECT_EQ(f.document.GetProjectName(), "Posters");
    // The next OptionsChanged shows the folder again, as the title rule says.
    f.hub.FireOptionsChanged();
    EXPECT_EQ(f.document.GetTitle(), "/");
}

TEST(DocumentTest, CurrentFontOnlyWhileTheManagerHoldsIt) {
    CDocFixture f;
    const auto font = [&](const std::string& name) {
        const auto path = kHome.Root() / name;
        QuillmarkTest::WriteFile(
            path.string(), QuillmarkTest::BuildFont(
                               {{"name", QuillmarkTest::NameTable({{3, 1, 0x0409, 4, u"Doc"}})}}));
        return path;
    };
    CFontItem* item = f.manager.Acquire(font("doc.ttf"));
    f.hub.FireFontSelected(item);
    EXPECT_EQ(f.document.GetCurrentFont(), item);
    f.manager.Release(item);
    EXPECT_EQ(f.document.GetCurrentFont(), nullptr);

    // The current font's file leaves its folder while a list still holds it;
    // fonts opened afterwards are never taken for it, wherever they lie.
    CFontHandle shown = f.manager.Open(font("shown.ttf"));
    f.hub.FireFontSelected(shown.get());
    EXPECT_EQ(f.document.GetCurrentFont(), shown.get());
    f.manager.RemoveFile(font("shown.ttf"));
    shown.reset();
    std::vector<CFontHandle> later;
    for (int i = 0; i < 32; ++i) {
        later.push_back(f.manager.Open(font("later" + std::to_string(i) + ".ttf")));
        EXPECT_EQ(f.document.GetCurrentFont(), nullptr);
    }
}

TEST(DocumentTest, ClosingTellsWindowsThenKeepsTheMode) {
    CDocFixture f;
    bool told = false;
    f.hub.ConnectApplicationClosing([&] { told = true; });
    f.hub.FireProjectSelected("P");
    f.document.OnCloseDocument();
    EXPECT_TRUE(told);
    EXPECT_TRUE(f.options.GetUseFontProject());
}
