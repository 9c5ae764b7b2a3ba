// Options saved to and read from the settings store in a temporary home.

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QtEndian>

#include "core/Key.h"
#include "core/ProgramOptions.h"
#include "tests/support/TemporaryHome.h"

using namespace Quillmark;

namespace {

const auto& kHome = QuillmarkTest::TemporaryHome();

std::unique_ptr<QSettings> RawStore() {
    auto store = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             "Varnholt, Inc", "Quillmark");
    store->beginGroup("3.0");
    return store;
}

// A value unlike the default for each kind, derived from the option's place.
bool Changed(bool def, int) {
    return !def;
}
quint32 Changed(quint32 def, int n) {
    return def + 1000u + static_cast<quint32>(n);
}
QString Changed(const QString& def, int n) {
    return def + QStringLiteral(" \u00e9\u4e2d\U0001F600 \"&<> ") + QString::number(n);
}
template <std::size_t N>
std::array<qint32, N> Changed(const std::array<qint32, N>& def, int n) {
    auto v = def;
    for (std::size_t i = 0; i < N; ++i)
        v[i] = static_cast<qint32>(n * 10 + static_cast<int>(i)) - 3;
    return v;
}

class ProgramOptionsTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(CKey::FileName()); }
};

}  // namespace

TEST_F(ProgramOptionsTest, MissingKeyLeavesEveryDefault) {
    CProgramOptions options;
    options.Load();
    EXPECT_FALSE(QFile::exists(CKey::FileName())) << "loading never creates the key";
    EXPECT_EQ(CKey::FileName().toStdString(),
              (kHome.Root() / ".config" / "Varnholt, Inc" / "Quillmark.conf").string());
    EXPECT_EQ(options.GetFontListCharSize(), 24u);
    EXPECT_EQ(options.GetFontListText(), "The quick brown fox jumped over the lazy dog 0123456789");
    EXPECT_EQ(options.GetDefaultFolder(), "/");
    EXPECT_EQ(options.GetLastFolder(), "/");
    EXPECT_TRUE(options.GetSearchSubFolders());
    EXPECT_EQ(options.GetStartupOption(), 2u);
    EXPECT_EQ(options.GetPreviewBackgroundColor(), 0xFFFFFFu);
    EXPECT_EQ(options.GetLocationsLimit(), 20u);
    EXPECT_EQ(options.GetWindowMetrics(), CMetrics7Default());
    EXPECT_EQ(options.GetFindWindowSize(), CPairDefault());
}

TEST_F(ProgramOptionsTest, EveryValueIsSavedAndReadBack) {
    CProgramOptions saved;
    int n = 0;
#define X(kind, name, def) saved.Set##name(Changed(saved.Get##name(), ++n));
#include "core/OptionsTable.inc"
#undef X
    ASSERT_EQ(n, 49);
    ASSERT_TRUE(saved.Save());
    EXPECT_TRUE(QFile::exists(CKey::FileName()));
    EXPECT_EQ(RawStore()->childKeys().size(), 49);

    CProgramOptions loaded;
    loaded.Load();
#define X(kind, name, def) EXPECT_EQ(loaded.Get##name(), saved.Get##name()) << #name;
#include "core/OptionsTable.inc"
#undef X
}

TEST_F(ProgramOptionsTest, CopiesShareOneRecordAndRestoredMetricsCopyTheWindow) {
    CProgramOptions options;
    CProgramOptions copy = options;
    copy.SetWindowPosition({10, 20});
    copy.SetWindowSize({300, 200});
    copy.SetWindowMetricsField(5, 7);
    EXPECT_EQ(options.GetWindowPosition(), QPoint(10, 20));
    options.SaveRestoredMetrics();
    EXPECT_EQ(options.GetRestoredMetrics(), (CMetrics7{10, 20, 300, 200, -1, 7, -1}));
}

TEST_F(ProgramOptionsTest, ValuesOfTheWrongSizeFollowTheStoreRules) {
    {
        auto raw = RawStore();
        QSettings& store = *raw;
        QByteArray five(20, '\0');
        for (int i = 0; i < 5; ++i) qToLittleEndian<qint32>(i + 1, five.data() + 4 * i);
        store.setValue("WindowMetrics", five);                    // 20 bytes: the first five fields
        store.setValue("RestoredMetrics", QByteArray(32, '\1'));  // larger than 28: ignored
        store.setValue("AutoInstall", 2u);                        // a bool is true only for 1
        store.setValue("ShowFullPathInTitleBar", 1u);
        store.setValue("FontListCharSize", QByteArray("\x30\x00", 2));  // 2 bytes: the low bytes
        store.setValue("FontMapSize", QByteArray(8, '\1'));             // 8 bytes: ignored
        store.setValue("PrintCharSize", "4294967296");  // does not fit 32 bits: ignored
        store.setValue("FontListText", QString());      // an empty value loads as empty
        store.setValue("PreviewText", QByteArray());    // no data: the default stays
        store.setValue("PrintSampleTextLine1", QByteArray("\0\0", 2));  // just the terminator
        store.setValue("PrintSampleTextLine2", QByteArray("A\0B\0\0\0C\0", 8));  // stops at NUL
    }
    CProgramOptions options;
    options.Load();
    EXPECT_EQ(options.GetWindowMetrics(), (CMetrics7{1, 2, 3, 4, 5, -1, -1}));
    EXPECT_EQ(options.GetRestoredMetrics(), CMetrics7Default());
    EXPECT_FALSE(options.GetAutoInstall());
    EXPECT_TRUE(options.GetShowFullPathInTitleBar());
    EXPECT_EQ(options.GetFontListCharSize(), 0x30u);
    EXPECT_EQ(options.GetFontMapSize(), 24u);
    EXPECT_EQ(options.GetPrintCharSize(), 20u);
    EXPECT_EQ(options.GetFontListText(), "");
    EXPECT_EQ(options.GetPreviewText(), "Quillmark 3");
    EXPECT_EQ(options.GetPrintSampleTextLine1(), "");
    EXPECT_EQ(options.GetPrintSampleTextLine2(), "AB");
}

TEST_F(ProgramOptionsTest, RebarLayoutLivesOutsideLoadAndSave) {
    EXPECT_EQ(CProgramOptions::GetMainRebarLayoutSize(), 0);
    const QByteArray layout("\x01\x02\x03\x04\x05", 5);
    ASSERT_TRUE(CProgramOptions::SetMainRebarLayout(layout));
    EXPECT_EQ(CProgramOptions::GetMainRebarLayoutSize(), 5);
    EXPECT_EQ(CProgramOptions::GetMainRebarLayout(), layout);
    CProgramOptions options;
    ASSERT_TRUE(options.Save());
    EXPECT_EQ(CProgramOptions::GetMainRebarLayout(), layout) << "Save leaves it alone";
}
