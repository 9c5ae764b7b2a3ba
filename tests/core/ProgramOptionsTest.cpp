// Options saved to and read from the settings store in a temporary home.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QtEndian>
#include <algorithm>
#include <filesystem>
#include <type_traits>

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
// Within the range each number is read with: a size, a colour, a column.
quint32 Changed(quint32 def, int) {
    return def ^ 1u;
}
QString Changed(const QString& def, int n) {
    return def + QStringLiteral(" \u00e9\u4e2d\U0001F600 \"&<> ") + QString::number(n);
}
CPair Changed(const CPair& def, int n) {
    return {def[0] + n * 10, def[1] - n};
}
CWindowMetrics Changed(const CWindowMetrics&, int n) {
    return {{n, n + 1, n + 2, n + 3}, {n + 4, n + 5, -n}};
}
ShowCommand Changed(ShowCommand def, int) {
    return def == ShowCommand::Normal ? ShowCommand::Maximized : ShowCommand::Normal;
}
// Also numbers the program has no name for: they must survive a save.
template <typename E>
requires std::is_enum_v<E> E Changed(E def, int n) {
    return static_cast<E>(static_cast<quint32>(def) + 1000u + static_cast<quint32>(n));
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
    EXPECT_EQ(options.GetStartupOption(), StartupLocation::LastLocation);
    EXPECT_EQ(options.GetFontMapRenderingOption(), Rendering::Default);
    EXPECT_EQ(options.GetMainWindowMaximized(), ShowCommand::Normal);
    EXPECT_EQ(options.GetPreviewBackgroundColor(), 0xFFFFFFu);
    EXPECT_EQ(options.GetLocationsLimit(), 20u);
    EXPECT_EQ(options.GetWindowMetrics(), CWindowMetrics());
    EXPECT_FALSE(options.GetWindowMetrics().placement.IsSet());
    EXPECT_EQ(options.GetFindWindowSize(), CPairDefault());
}

TEST_F(ProgramOptionsTest, EveryValueIsSavedAndReadBack) {
    CProgramOptions saved;
    int n = 0;
#define X(kind, name, def) saved.Set##name(Changed(saved.Get##name(), ++n));
#include "core/OptionsTable.inc"
#undef X
    ASSERT_EQ(n, 50);
    ASSERT_TRUE(saved.Save());
    EXPECT_TRUE(QFile::exists(CKey::FileName()));
    EXPECT_EQ(RawStore()->childKeys().size(), 50);

    CProgramOptions loaded;
    loaded.Load();
#define X(kind, name, def) EXPECT_EQ(loaded.Get##name(), saved.Get##name()) << #name;
#include "core/OptionsTable.inc"
#undef X
}

TEST_F(ProgramOptionsTest, CopiesShareOneRecord) {
    CProgramOptions options;
    CProgramOptions copy = options;
    copy.SetWindowMetrics({{10, 20, 300, 200}, {-1, 7, -1}});
    copy.SetCharDetailRenderingOption(Rendering::Subpixel);
    EXPECT_EQ(options.GetWindowMetrics().placement.ToRect(), QRect(10, 20, 300, 200));
    EXPECT_EQ(options.GetWindowMetrics().splitters.folderTree, 7);
    EXPECT_EQ(options.GetCharDetailRenderingOption(), Rendering::Subpixel);
}

// The typed options are stored as the numbers and records they always were:
// a settings file written before reads the same, and is written back the same.
TEST_F(ProgramOptionsTest, TypedOptionsKeepTheirStoredForm) {
    QByteArray metrics(28, '\0');
    const qint32 fields[7] = {30, 40, 1000, 700, 210, 330, 420};
    for (int i = 0; i < 7; ++i) qToLittleEndian<qint32>(fields[i], metrics.data() + 4 * i);
    {
        auto store = RawStore();
        store->setValue("MainWindowMaximized", 1u);
        store->setValue("WindowMetrics", metrics);
        store->setValue("StartupOption", 1u);
        store->setValue("FontListRenderingOption", 1u);
        store->setValue("FontMapRenderingOption", 2u);
        store->setValue("CharDetailRenderingOption", 0u);
    }
    CProgramOptions options;
    options.Load();
    EXPECT_EQ(options.GetMainWindowMaximized(), ShowCommand::Maximized);
    const CWindowMetrics read = options.GetWindowMetrics();
    EXPECT_EQ(read.placement.ToRect(), QRect(30, 40, 1000, 700));
    EXPECT_EQ(read.splitters, (CSplitterSizes{210, 330, 420}));
    EXPECT_EQ(options.GetStartupOption(), StartupLocation::DefaultProject);
    EXPECT_EQ(options.GetFontListRenderingOption(), Rendering::Antialiased);
    EXPECT_EQ(options.GetFontMapRenderingOption(), Rendering::Subpixel);
    EXPECT_EQ(options.GetCharDetailRenderingOption(), Rendering::Default);

    QFile::remove(CKey::FileName());
    ASSERT_TRUE(options.Save());
    auto store = RawStore();
    EXPECT_EQ(store->value("MainWindowMaximized").toUInt(), 1u);
    EXPECT_EQ(store->value("WindowMetrics").toByteArray(), metrics);
    EXPECT_EQ(store->value("RestoredMetrics").toByteArray(), QByteArray(28, '\xff'));
    EXPECT_EQ(store->value("StartupOption").toUInt(), 1u);
    EXPECT_EQ(store->value("FontListRenderingOption").toUInt(), 1u);
    EXPECT_EQ(store->value("FontMapRenderingOption").toUInt(), 2u);
    EXPECT_EQ(store->value("CharDetailRenderingOption").toUInt(), 0u);
}

// A folder whose name is not UTF-8 is held as text with lone surrogates for
// its odd bytes; the settings file is UTF-8 text, so such a value must come
// back as the same folder, and ordinary text stays readable as it was.
TEST_F(ProgramOptionsTest, AFolderNameThatIsNotUtf8ComesBackByteForByte) {
    const QString odd = QStringLiteral("/tmp/d") + QChar(0xDCE9) + QStringLiteral("j") +
                        QChar(0xDCE0) + QStringLiteral("/\u00e9t\u00e9");
    const QString plain = QStringLiteral("/home/\u00e9t\u00e9/Fonts");
    {
        CProgramOptions options;
        options.SetLastFolder(odd);
        options.SetDefaultFolder(plain);
        ASSERT_TRUE(options.Save());
    }
    // The process keeps what it saved; a later time makes it read the file.
    QFile file(CKey::FileName());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
    file.close();
    CProgramOptions loaded;
    loaded.Load();
    EXPECT_EQ(loaded.GetLastFolder(), odd);
    EXPECT_EQ(loaded.GetDefaultFolder(), plain);
    EXPECT_EQ(RawStore()->value("DefaultFolder").toString(), plain)
        << "text that is whole stays text in the file";
}

TEST_F(ProgramOptionsTest, LocationsLimitReadsAsAtLeastOne) {
    RawStore()->setValue("LocationsLimit", 0u);
    CProgramOptions options;
    options.Load();
    EXPECT_EQ(options.GetLocationsLimit(), 1u);
    options.SetLocationsLimit(7);
    EXPECT_EQ(options.GetLocationsLimit(), 7u);
    options.SetLocationsLimit(0);
    EXPECT_EQ(options.GetLocationsLimit(), 1u);
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
        store.setValue("MainWindowMaximized", 2u);                // so is the show command
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
    EXPECT_EQ(options.GetWindowMetrics(), (CWindowMetrics{{1, 2, 3, 4}, {5, -1, -1}}));
    EXPECT_EQ(options.GetRestoredMetrics(), CWindowMetrics());
    EXPECT_FALSE(options.GetAutoInstall());
    EXPECT_EQ(options.GetMainWindowMaximized(), ShowCommand::Normal);
    EXPECT_TRUE(options.GetShowFullPathInTitleBar());
    EXPECT_EQ(options.GetFontListCharSize(), 0x30u);
    EXPECT_EQ(options.GetFontMapSize(), 24u);
    EXPECT_EQ(options.GetPrintCharSize(), 20u);
    EXPECT_EQ(options.GetFontListText(), "");
    EXPECT_EQ(options.GetPreviewText(), "Quillmark 3");
    EXPECT_EQ(options.GetPrintSampleTextLine1(), "");
    EXPECT_EQ(options.GetPrintSampleTextLine2(), "AB");
}

// A settings file written by hand: what could not be chosen in the program is
// not drawn either.
TEST_F(ProgramOptionsTest, ValuesOutsideWhatTheProgramOffersReadAsTheNearestItOffers) {
    {
        auto store = RawStore();
        store->setValue("PreviewFontSize", 100000u);
        store->setValue("FontMapSize", 0u);
        store->setValue("FontListCharSize", 5u);
        store->setValue("PrintCharSize", 4000000000u);
        store->setValue("FontNameColumnWidth", 0u);
        store->setValue("FileNameColumnWidth", 1000000u);
        store->setValue("FontListSortColumn", 7u);
        store->setValue("FontDetailMode", 9u);
        store->setValue("FontListDropOption", 3u);
        // White on white, and colours with bits above the 24 of a colour.
        store->setValue("PreviewFontColor", 0xFFFFFFu);
        store->setValue("PreviewBackgroundColor", 0xFFFFFFu);
        store->setValue("FontMapFontColor", 0xFF0000FFu);
        store->setValue("FontMapBackgroundColor", 0x000000FFu);
        // Numbers the program has no name for are kept, as before.
        store->setValue("FontMapRenderingOption", 1234u);
    }
    CProgramOptions options;
    options.Load();
    EXPECT_EQ(options.GetPreviewFontSize(), 300u);
    EXPECT_EQ(options.GetFontMapSize(), 6u);
    EXPECT_EQ(options.GetFontListCharSize(), 6u);
    EXPECT_EQ(options.GetPrintCharSize(), 500u);
    EXPECT_EQ(options.GetFontNameColumnWidth(), CProgramOptions::kSmallestColumnWidth);
    EXPECT_EQ(options.GetFileNameColumnWidth(), CProgramOptions::kLargestColumnWidth);
    EXPECT_EQ(options.GetFontListSortColumn(), 2u);
    EXPECT_EQ(options.GetFontDetailMode(), 2u);  // the waterfall, the last mode
    EXPECT_EQ(options.GetFontListDropOption(), 1u);
    EXPECT_EQ(options.GetPreviewFontColor(), 0x000000u);
    EXPECT_EQ(options.GetPreviewBackgroundColor(), 0xFFFFFFu);
    EXPECT_EQ(options.GetFontMapFontColor(), 0x000000u) << "red on red is no text to see";
    EXPECT_EQ(options.GetFontMapBackgroundColor(), 0xFFFFFFu);
    EXPECT_EQ(static_cast<quint32>(options.GetFontMapRenderingOption()), 1234u);

    // Values in range are read as they stand.
    {
        auto store = RawStore();
        store->setValue("PreviewFontSize", 300u);
        store->setValue("FontMapSize", 6u);
        store->setValue("PreviewFontColor", 0x123456u);
        store->setValue("PreviewBackgroundColor", 0x123457u);
    }
    options.Load();
    EXPECT_EQ(options.GetPreviewFontSize(), 300u);
    EXPECT_EQ(options.GetFontMapSize(), 6u);
    EXPECT_EQ(options.GetPreviewFontColor(), 0x123456u);
    EXPECT_EQ(options.GetPreviewBackgroundColor(), 0x123457u);
}

// A layout under a section Qt reads under another name ("[/3.0]", by hand or
// damage) is not seen; Qt writes such entries out again under a name it does
// see. A save of the options must not make the next start read another
// layout than this one did.
TEST_F(ProgramOptionsTest, ASaveNeverChangesTheLayoutTheNextStartReads) {
    {
        QFile file(CKey::FileName());
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[/3.0]\nMainRebarLayout=@ByteArray(A\xffZ)\n[3.0]\nPreviewFontSize=36\n");
    }
    CProgramOptions options;
    ASSERT_TRUE(options.Load());
    EXPECT_EQ(options.GetPreviewFontSize(), 36u);
    const QByteArray layout = CProgramOptions::GetMainRebarLayout();
    ASSERT_TRUE(options.Save());
    // As the next start reads it: QSettings reads a file again only when its
    // time changed.
    const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(CKey::FileName()).constData(), times, 0), 0);
    EXPECT_EQ(CProgramOptions::GetMainRebarLayout(), layout);
    CProgramOptions again;
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.GetPreviewFontSize(), 36u);
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

    // The program writes a layout only as binary data; text there is none.
    RawStore()->setValue("MainRebarLayout", QStringLiteral("text, not a layout"));
    EXPECT_EQ(CProgramOptions::GetMainRebarLayoutSize(), 0);
    EXPECT_TRUE(CProgramOptions::GetMainRebarLayout().isEmpty());
}

namespace {

// A 64 KB tmpfs over the settings folder for the life of the object; only
// root may mount one.
class CSmallDisk {
public:
    CSmallDisk() : m_folder(QFileInfo(CKey::FileName()).absolutePath().toStdString()) {
        std::filesystem::create_directories(m_folder);
        m_mounted =
            ::geteuid() == 0 && ::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~CSmallDisk() {
        if (m_mounted) {
            ::umount2(m_folder.c_str(), MNT_DETACH);
        }
    }
    bool Mounted() const { return m_mounted; }
    // Fills the disk to the last byte.
    void Fill() {
        QFile filler(QString::fromStdString(m_folder + "/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    void Empty() { std::filesystem::remove(m_folder + "/filler"); }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_folder;
    bool m_mounted = false;
};

QByteArray FileBytes() {
    QFile file(CKey::FileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST_F(ProgramOptionsTest, AFullDiskKeepsTheEarlierSettingsAndSaysSo) {
    CSmallDisk disk;
    if (!disk.Mounted()) {
        GTEST_SKIP() << "a small tmpfs needs root; the full-disk case is not tried";
    }
    CProgramOptions options;
    options.SetFontListText(QStringLiteral("kept"));
    ASSERT_TRUE(options.Save());
    const QByteArray before = FileBytes();
    ASSERT_FALSE(before.isEmpty());

    disk.Fill();
    options.SetFontListText(QString(2000, QLatin1Char('n')));
    EXPECT_FALSE(options.Save()) << "a failed write must be reported";
    EXPECT_FALSE(CProgramOptions::SetMainRebarLayout(QByteArray(4000, 'r')));
    EXPECT_EQ(FileBytes(), before) << "the earlier file must stay whole";
    EXPECT_EQ(disk.Files(), (std::vector<std::string>{"Quillmark.conf", "filler"}))
        << "no temporary file is left behind";

    // With room again the next save goes through.
    disk.Empty();
    EXPECT_TRUE(options.Save());
    CProgramOptions again;
    again.Load();
    EXPECT_EQ(again.GetFontListText(), QString(2000, QLatin1Char('n')));
    QFile::remove(CKey::FileName());
}
