// The reader over the fonts of Debian's font packages, checked against
// HarfBuzz and against a read of the whole file.

#include <gtest/gtest.h>
#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "fontdata/opentype/OpenTypeData.h"

using Varnholt::COpenTypeData;

namespace {

std::vector<std::filesystem::path> RealFonts() {
    std::vector<std::filesystem::path> fonts;
    for (const char* root :
         {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype/liberation2",
          "/usr/share/fonts/truetype/noto", "/usr/share/texmf/fonts/opentype/public/tex-gyre"}) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(root, ec)) {
            auto ext = entry.path().extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
            if (entry.is_regular_file() && (ext == ".ttf" || ext == ".otf")) {
                fonts.push_back(entry.path());
            }
        }
    }
    std::sort(fonts.begin(), fonts.end());
    return fonts;
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct HbFace {
    explicit HbFace(const std::filesystem::path& path) {
        hb_blob_t* blob = hb_blob_create_from_file(path.c_str());
        face = hb_face_create(blob, 0);
        hb_blob_destroy(blob);
    }
    ~HbFace() { hb_face_destroy(face); }
    HbFace(const HbFace&) = delete;
    HbFace& operator=(const HbFace&) = delete;
    hb_face_t* face;
};

std::u16string HbName(hb_face_t* face, hb_ot_name_id_t id) {
    const hb_language_t english = hb_language_from_string("en-us", -1);
    unsigned int length = hb_ot_name_get_utf16(face, id, english, nullptr, nullptr);
    std::vector<std::uint16_t> buffer(length + 1);
    unsigned int size = length + 1;
    hb_ot_name_get_utf16(face, id, english, &size, buffer.data());
    return {buffer.begin(), buffer.begin() + size};
}

}  // namespace

TEST(RealFontsTest, PackagedFontsReadAsHarfBuzzReadsThem) {
    const auto fonts = RealFonts();
    if (fonts.size() < 50) {
        GTEST_SKIP() << "the font packages are not installed (./test.sh installs them)";
    }
    for (const auto& path : fonts) {
        SCOPED_TRACE(path.string());
        COpenTypeData data;
        std::uint32_t size = 0;
        ASSERT_EQ(data.LoadFile(path, size), 1);
        ASSERT_EQ(size, std::filesystem::file_size(path));

        HbFace hb(path);
        const auto* fullName = data.GetName(4);
        ASSERT_NE(fullName, nullptr);
        EXPECT_EQ(*fullName, HbName(hb.face, HB_OT_NAME_ID_FULL_NAME));

        // PANOSE: bytes 32 to 41 of the OS/2 table as HarfBuzz hands it out.
        hb_blob_t* os2 = hb_face_reference_table(hb.face, HB_TAG('O', 'S', '/', '2'));
        unsigned int os2Length = 0;
        const char* os2Bytes = hb_blob_get_data(os2, &os2Length);
        ASSERT_GE(os2Length, 42u);
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(data.GetOS2().panose[i], std::uint8_t(os2Bytes[32 + i]));
        }
        hb_blob_destroy(os2);

        // Every BMP character HarfBuzz maps is covered by the Unicode map.
        const auto& map = data.GetCharacterMap();
        const auto unicode = std::find_if(map.subtables.begin(), map.subtables.end(),
                                          [](const auto& s) { return s.encodingID == 1; });
        if (unicode == map.subtables.end()) {
            EXPECT_TRUE(data.IsSymbolFont());
            continue;
        }
        const std::set<std::uint16_t> ours(unicode->codes.get(),
                                           unicode->codes.get() + unicode->count);
        hb_set_t* theirs = hb_set_create();
        hb_face_collect_unicodes(hb.face, theirs);
        hb_codepoint_t c = HB_SET_VALUE_INVALID;
        int missing = 0;
        while (hb_set_next(theirs, &c) && c < 0xFFFF) {
            missing += ours.count(static_cast<std::uint16_t>(c)) == 0;
        }
        hb_set_destroy(theirs);
        EXPECT_EQ(missing, 0);
    }
}

TEST(RealFontsTest, ReadingOnlyTheNeededRangesGivesTheWholeFilesAnswers) {
    const auto fonts = RealFonts();
    if (fonts.empty()) {
        GTEST_SKIP() << "the font packages are not installed";
    }
    for (const auto& path : fonts) {
        SCOPED_TRACE(path.string());
        const auto bytes = ReadAll(path);
        COpenTypeData whole;
        COpenTypeData ranges;
        ASSERT_EQ(whole.Load(bytes), ranges.Load(path, static_cast<std::uint32_t>(bytes.size())));
        ASSERT_EQ(whole.GetNameRecords().size(), ranges.GetNameRecords().size());
        for (std::size_t i = 0; i < whole.GetNameRecords().size(); ++i) {
            EXPECT_EQ(whole.GetNameRecords()[i].GetRecord().text,
                      ranges.GetNameRecords()[i].GetRecord().text);
        }
        const auto& a = whole.GetCharacterMap();
        const auto& b = ranges.GetCharacterMap();
        ASSERT_EQ(a.subtables.size(), b.subtables.size());
        EXPECT_EQ(a.symbol, b.symbol);
        for (std::size_t i = 0; i < a.subtables.size(); ++i) {
            ASSERT_EQ(a.subtables[i].count, b.subtables[i].count);
            EXPECT_TRUE(std::equal(a.subtables[i].codes.get(),
                                   a.subtables[i].codes.get() + a.subtables[i].count,
                                   b.subtables[i].codes.get()));
        }
        EXPECT_EQ(whole.GetOS2().panose, ranges.GetOS2().panose);
    }
}
