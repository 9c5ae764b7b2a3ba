// What reading a font holds in memory, counted by the allocator and by the
// file image, never timed.
//
// The font: 16,000 Windows names whose texts overlap (record i reads 65,534
// bytes at string offset 4 × i), 257 KB in all. Each text is 64 KB, so a
// reader that copies every text, or keeps every range it reads, holds 1 GB
// for it. One font's memory may be at most 4 × its file size plus a fixed
// amount.

#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <list>
#include <new>
#include <thread>
#include <vector>

#include "fontdata/opentype/FontImage.h"
#include "fontdata/opentype/OpenTypeData.h"
#include "fontdata/opentype/internal/TextPool.h"
#include "tests/support/FontBuilder.h"

using namespace QuillmarkTest;
using Varnholt::COpenTypeData;
using Varnholt::FontStatus;
using Varnholt::OpenTypeFontData::CFileImage;

// Every allocation of this test program goes through these; a thread that
// counts adds up what it holds and the most it held.
namespace {
thread_local bool t_counting = false;
thread_local std::int64_t t_held = 0;
thread_local std::int64_t t_peak = 0;
}  // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    if (t_counting) {
        t_held += static_cast<std::int64_t>(malloc_usable_size(p));
        t_peak = std::max(t_peak, t_held);
    }
    return p;
}

void operator delete(void* p) noexcept {
    if (p != nullptr && t_counting) {
        t_held -= static_cast<std::int64_t>(malloc_usable_size(p));
    }
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

constexpr std::uint16_t kRecords = 16000;
constexpr std::uint16_t kTextBytes = 65534;
// Beside 4 × the file: the name records kept (at most 65,535, about 56 bytes
// each) and their texts decoded once (at most 2 × 128 KB however they
// overlap).
constexpr std::int64_t kFixed = 4 << 20;

// The most memory `work` held at once, run on a thread of its own so that no
// buffer kept from earlier work is reused.
template <typename Work>
std::int64_t PeakBytes(Work work) {
    std::int64_t peak = 0;
    std::thread([&] {
        t_held = 0;
        t_peak = 0;
        t_counting = true;
        work();
        t_counting = false;
        peak = t_peak;
    }).join();
    return peak;
}

class ReaderMemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_font = BuildFont({{"name", OverlappingNameTable(kRecords, kTextBytes)}});
        m_path = std::filesystem::temp_directory_path() /
                 ("quillmark-memory-" + std::to_string(::getpid()) + ".ttf");
        WriteFile(m_path.string(), m_font);
    }
    void TearDown() override { std::filesystem::remove(m_path); }
    std::int64_t FileSize() const { return static_cast<std::int64_t>(m_font.size()); }

    Bytes m_font;
    std::filesystem::path m_path;
};

}  // namespace

TEST_F(ReaderMemoryTest, OverlappingNamesCostAFewTimesTheFileNotACopyEach) {
    ASSERT_EQ(m_font.size(), 257568u);
    const std::int64_t fromFile = PeakBytes([&] {
        COpenTypeData data;
        std::uint32_t size = 0;
        ASSERT_EQ(data.LoadFile(m_path, size), FontStatus::Loaded);
        EXPECT_EQ(data.GetNameRecords().size(), kRecords);
    });
    EXPECT_LE(fromFile, 4 * FileSize() + kFixed);
    const std::int64_t fromMemory = PeakBytes([&] {
        COpenTypeData data;
        ASSERT_EQ(data.Load(m_font), FontStatus::Loaded);
        EXPECT_EQ(data.GetNameRecords().size(), kRecords);
    });
    EXPECT_LE(fromMemory, 4 * FileSize() + kFixed);
    std::printf("a file of %lld bytes: at most %lld bytes held reading it, %lld from memory\n",
                static_cast<long long>(FileSize()), static_cast<long long>(fromFile),
                static_cast<long long>(fromMemory));
}

// The ranges the naming table once asked for, one pair a record, each
// overlapping the last: the image holds at most twice the file.
TEST_F(ReaderMemoryTest, FileImageHoldsAtMostTwiceTheFileWhateverItIsAskedFor) {
    std::uint64_t held = 0;
    std::thread([&] {
        CFileImage image(static_cast<std::uint32_t>(m_font.size()));
        ASSERT_TRUE(image.Open(m_path));
        const std::uint64_t storage = 12 + 16 + 6;
        for (std::uint64_t i = 0; i < kRecords; ++i) {
            const std::uint64_t record = storage + 12 * i;
            const std::uint8_t* fields = image.Bytes(record, 12);
            ASSERT_NE(fields, nullptr);
            ASSERT_TRUE(std::equal(fields, fields + 12, m_font.begin() + record));
            const std::uint8_t* text = image.Bytes(storage + 4 * i, kTextBytes);
            ASSERT_NE(text, nullptr);
            const std::uint64_t checked = i % 1000 == 0 ? kTextBytes : 16;  // all of some
            ASSERT_TRUE(std::equal(text, text + checked, m_font.begin() + storage + 4 * i));
        }
        held = image.BytesHeld();
    }).join();
    EXPECT_LE(held, 2 * m_font.size());
}

// 2,000 Windows Unicode encoding records that all name one format 4
// subtable of 65,535 characters: a font of 16 KB. A reader that lists the
// characters once a record holds 2,000 × 128 KB = 256 MB for it.
TEST(ReaderCmapMemoryTest, RecordsNamingOneSubtableShareItsCoverage) {
    constexpr std::uint16_t kMaps = 2000;
    const Bytes subtable = Format4({{0x0000, 0xFFFE}, {0xFFFF, 0xFFFF}});
    CByteWriter cmap;
    cmap.U16(0).U16(kMaps);  // version, numTables
    const std::uint32_t at = 4 + 8 * std::uint32_t{kMaps};
    for (std::uint16_t i = 0; i < kMaps; ++i) {
        cmap.U16(3).U16(1).U32(at);  // (3,1), every record the same offset
    }
    cmap.Append(subtable);
    const Bytes font = BuildFont({{"cmap", cmap.Take()}});
    ASSERT_LT(font.size(), 16500u);

    std::size_t maps = 0;
    const std::int64_t held = PeakBytes([&] {
        COpenTypeData data;
        ASSERT_EQ(data.Load(font), FontStatus::Loaded);
        const auto& subtables = data.GetCharacterMap().subtables;
        maps = subtables.size();
        for (const auto& map : subtables) {
            ASSERT_EQ(map.count, 65535);
        }
        // Each entry still lists every character, 0x0000 to 0xFFFE.
        const std::vector<std::uint16_t> codes = subtables.back().Codes();
        ASSERT_EQ(codes.size(), 65535u);
        EXPECT_EQ(codes.front(), 0x0000);
        EXPECT_EQ(codes.back(), 0xFFFE);
    });
    EXPECT_EQ(maps, kMaps);
    // One list of 128 KB expanded at the end, the entries, and 4 × the file.
    EXPECT_LE(held, 4 * static_cast<std::int64_t>(font.size()) + (1 << 20));
    std::printf("a cmap of %zu bytes naming one subtable %u times: at most %lld bytes held\n",
                font.size(), unsigned{kMaps}, static_cast<long long>(held));
}

// Fonts keep one copy of a name text they have in common, whichever thread
// reads them, and the copy goes with the last font that has it.
TEST(ReaderTextPoolTest, FontsShareTheNameTextsTheyHaveInCommon) {
    using Varnholt::OpenTypeFontData::PooledTextCount;
    const std::size_t before = PooledTextCount();
    const Bytes sans = BuildFont({{"name", NameTable({{3, 1, 0x0409, 4, u"Pooled Sans"},
                                                      {3, 1, 0x0409, 13, u"Shared licence"}})}});
    const Bytes serif = BuildFont({{"name", NameTable({{3, 1, 0x0409, 4, u"Pooled Serif"},
                                                       {3, 1, 0x0409, 13, u"Shared licence"}})}});
    {
        std::vector<std::list<COpenTypeData>> fonts(4);
        std::vector<std::thread> readers;
        for (auto& mine : fonts) {
            readers.emplace_back([&] {
                for (int i = 0; i < 200; ++i) {
                    ASSERT_EQ(mine.emplace_back().Load(i % 2 == 0 ? sans : serif),
                              FontStatus::Loaded);
                }
            });
        }
        for (auto& reader : readers) {
            reader.join();
        }
        const std::u16string_view licence = *fonts[0].front().GetName(13);
        EXPECT_EQ(licence, u"Shared licence");
        for (const auto& mine : fonts) {
            ASSERT_EQ(mine.size(), 200u);
            std::size_t i = 0;
            for (const COpenTypeData& font : mine) {
                EXPECT_EQ(font.GetName(13)->data(), licence.data()) << "one copy";
                EXPECT_EQ(*font.GetName(4), i++ % 2 == 0 ? u"Pooled Sans" : u"Pooled Serif");
            }
        }
        EXPECT_NE(fonts[0].front().GetName(4)->data(), fonts[0].back().GetName(4)->data());
        EXPECT_EQ(PooledTextCount(), before + 3);
    }
    EXPECT_EQ(PooledTextCount(), before) << "the texts went with their fonts";
}
