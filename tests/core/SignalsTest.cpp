// The signals hub: combiners, order, and receivers that go away.

#include <gtest/gtest.h>

#include <boost/bind/bind.hpp>
#include <memory>
#include <string>
#include <vector>

#include "core/QuillmarkSignals.h"

using namespace Quillmark;
using namespace boost::placeholders;

namespace {

class CReceiver : public boost::signals2::trackable {
public:
    explicit CReceiver(std::vector<std::string>& log, std::string name)
        : m_log(log), m_name(std::move(name)) {}
    void OnFolder(const QString& folder, const QString* file) {
        m_log.push_back(m_name + ":" + folder.toStdString() +
                        (file ? ":" + file->toStdString() : ""));
    }
    int OnRelease(const CFontItem* font) {
        m_log.push_back(m_name + ":release");
        return font == held ? 1 : 0;
    }
    const CFontItem* held = nullptr;

private:
    std::vector<std::string>& m_log;
    std::string m_name;
};

const CFontItem* FakeFont(int n) {
    return reinterpret_cast<const CFontItem*>(static_cast<std::uintptr_t>(0x1000 * n));
}

}  // namespace

TEST(SignalsTest, CanGoUpIsFalseWithoutSlotsAndStopsAtTheFirstFalse) {
    CQuillmarkSignals hub;
    EXPECT_FALSE(hub.FireCanGoUp());
    hub.ConnectCanGoUp([] { return true; });
    EXPECT_TRUE(hub.FireCanGoUp());

    CQuillmarkSignals chain;
    std::vector<int> called;
    chain.ConnectCanGoUp([&] {
        called.push_back(1);
        return true;
    });
    chain.ConnectCanGoUp([&] {
        called.push_back(2);
        return false;
    });
    chain.ConnectCanGoUp([&] {
        called.push_back(3);
        return true;
    });
    EXPECT_FALSE(chain.FireCanGoUp());
    EXPECT_EQ(called, (std::vector<int>{1, 2}));
}

TEST(SignalsTest, ReleaseFontSumsTheHoldersThatLetGo) {
    CQuillmarkSignals hub;
    EXPECT_EQ(hub.FireReleaseFont(FakeFont(1)), 0);
    std::vector<std::string> log;
    CReceiver a(log, "a"), b(log, "b"), c(log, "c");
    a.held = FakeFont(1);
    c.held = FakeFont(1);
    for (CReceiver* r : {&a, &b, &c}) {
        hub.ConnectReleaseFont(boost::bind(&CReceiver::OnRelease, r, _1));
    }
    EXPECT_EQ(hub.FireReleaseFont(FakeFont(1)), 2);
    EXPECT_EQ(hub.FireReleaseFont(FakeFont(2)), 0);
}

TEST(SignalsTest, SlotsRunInConnectionOrderAndTrackableReceiversDisconnect) {
    CQuillmarkSignals hub;
    std::vector<std::string> log;
    auto first = std::make_unique<CReceiver>(log, "first");
    CReceiver second(log, "second");
    hub.ConnectFolderSelected(boost::bind(&CReceiver::OnFolder, first.get(), _1, _2));
    // Dropping the returned connection does not disconnect.
    {
        auto connection =
            hub.ConnectFolderSelected(boost::bind(&CReceiver::OnFolder, &second, _1, _2));
    }
    const QString file = QStringLiteral("a.ttf");
    hub.FireFolderSelected(QStringLiteral("/fonts"), nullptr);
    hub.FireFolderSelected(QStringLiteral("/more"), &file);
    EXPECT_EQ(log, (std::vector<std::string>{"first:/fonts", "second:/fonts", "first:/more:a.ttf",
                                             "second:/more:a.ttf"}));
    log.clear();
    first.reset();
    hub.FireFolderSelected(QStringLiteral("/after"), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"second:/after"}));
}

TEST(SignalsTest, AnExceptionFromASlotStopsTheRemainingSlots) {
    CQuillmarkSignals hub;
    int later = 0;
    hub.ConnectRefreshRequested([] { throw std::runtime_error("slot failed"); });
    hub.ConnectRefreshRequested([&] { ++later; });
    EXPECT_THROW(hub.FireRefreshRequested(), std::runtime_error);
    EXPECT_EQ(later, 0);
}

TEST(SignalsTest, SlotsMayFireOtherSignals) {
    CQuillmarkSignals hub;
    std::vector<char16_t> appended;
    hub.ConnectAppendCharacterToPreview([&](char16_t c) { appended.push_back(c); });
    hub.ConnectCharacterSelected(
        [&](char16_t c, const QString&) { hub.FireAppendCharacterToPreview(c); });
    hub.FireCharacterSelected(u'\u00e9', QStringLiteral("LATIN SMALL LETTER E WITH ACUTE"));
    EXPECT_EQ(appended, std::vector<char16_t>{u'\u00e9'});
}
