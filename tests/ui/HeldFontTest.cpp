// One font held by a window: its use at the font manager, given back when
// the hub asks for its font and for no other, and a holder that is gone
// never called.

#include <gtest/gtest.h>

#include <memory>

#include "core/FontManagerHub.h"
#include "core/QuillmarkSignals.h"
#include "fontdata/manager/FontManager.h"
#include "ui/common/HeldFont.h"

using namespace Quillmark;

namespace {

const std::string kData = QUILLMARK_TEST_DATA;

struct CServices {
    CQuillmarkSignals hub;
    CFontManagerHub managerHub{hub};
    CFontManager manager{&managerHub, nullptr};
    std::vector<const CFontItem*> discarded;
    CServices() {
        hub.ConnectFontDiscarded([this](const CFontItem* font) { discarded.push_back(font); });
    }
};

}  // namespace

TEST(HeldFont, HoldsOneUseAndGivesItBack) {
    CServices s;
    const CFontHandle a = s.manager.Open(kData + "/twin-a.ttf");
    const CFontHandle b = s.manager.Open(kData + "/twin-b.ttf");
    int gone = 0;
    CHeldFont held(s.hub, s.manager, [&gone] { ++gone; });
    EXPECT_FALSE(held);
    EXPECT_TRUE(held.Hold(a.get()));
    EXPECT_EQ(held.Get(), a.get());
    EXPECT_EQ(a->GetUseCount(), 2);
    // The same font again: never down to no use on the way.
    EXPECT_TRUE(held.Hold(a.get()));
    EXPECT_EQ(a->GetUseCount(), 2);
    // Another font: the first one's use goes back.
    EXPECT_TRUE(held.Hold(b.get()));
    EXPECT_EQ(a->GetUseCount(), 1);
    EXPECT_EQ(b->GetUseCount(), 2);
    // Null, or a font the manager no longer holds: none, and the use goes back.
    EXPECT_FALSE(held.Hold(nullptr));
    EXPECT_EQ(b->GetUseCount(), 1);
    held.Hold(a.get());
    held.Reset();
    EXPECT_EQ(a->GetUseCount(), 1);
    EXPECT_EQ(gone, 0) << "letting go oneself tells nobody";
    EXPECT_TRUE(s.discarded.empty());
}

TEST(HeldFont, TheHubsRequestsForItsFontAloneLetItGo) {
    CServices s;
    const CFontHandle a = s.manager.Open(kData + "/twin-a.ttf");
    const CFontHandle b = s.manager.Open(kData + "/twin-b.ttf");
    int gone = 0;
    const CFontItem* seenInCallback = a.get();
    CHeldFont* self = nullptr;
    CHeldFont held(s.hub, s.manager, [&] {
        ++gone;
        seenInCallback = self->Get();
    });
    self = &held;
    held.Hold(a.get());

    // Another font's release: not ours.
    EXPECT_EQ(s.hub.FireReleaseFont(b.get()), 0);
    EXPECT_EQ(s.hub.FireReleaseFont(nullptr), 0);
    s.hub.FireFontRemoved(b.get());
    EXPECT_EQ(gone, 0);
    EXPECT_EQ(held.Get(), a.get());

    // Ours: the use goes back, then the holder hears of it and finds no font.
    EXPECT_EQ(s.hub.FireReleaseFont(a.get()), 1);
    EXPECT_EQ(gone, 1);
    EXPECT_EQ(seenInCallback, nullptr);
    EXPECT_FALSE(held);
    EXPECT_EQ(a->GetUseCount(), 1);
    // Let go of already: asked again, it gives nothing and is not told.
    EXPECT_EQ(s.hub.FireReleaseFont(a.get()), 0);
    EXPECT_EQ(gone, 1);

    // A removed file: the same.
    held.Hold(b.get());
    s.hub.FireFontRemoved(b.get());
    EXPECT_EQ(gone, 2);
    EXPECT_FALSE(held);
    EXPECT_EQ(b->GetUseCount(), 1);

    // The manager's own request: the holder's use counts as given up.
    CFontItem* only = s.manager.Acquire(kData + "/twin-bold.ttf");
    held.Hold(only);
    s.manager.Release(only);
    EXPECT_EQ(only->GetUseCount(), 1);
    EXPECT_TRUE(s.manager.CanRelease(only));
    EXPECT_EQ(gone, 3);
    EXPECT_EQ(s.discarded, std::vector<const CFontItem*>{only});
}

TEST(HeldFont, AHolderThatIsGoneIsNeverCalled) {
    CServices s;
    const CFontHandle a = s.manager.Open(kData + "/twin-a.ttf");
    bool called = false;
    auto held = std::make_unique<CHeldFont>(s.hub, s.manager, [&called] { called = true; });
    held->Hold(a.get());
    EXPECT_EQ(a->GetUseCount(), 2);
    held.reset();
    EXPECT_EQ(a->GetUseCount(), 1) << "its use went with it";
    EXPECT_EQ(s.hub.FireReleaseFont(a.get()), 0);
    s.hub.FireFontRemoved(a.get());
    EXPECT_FALSE(called);
}
