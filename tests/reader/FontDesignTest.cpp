// The design of real faces: a variable font's axes and instances, layout
// features with their names, scripts and the languages a face covers, read
// from Debian's fonts (which the test run installs).

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fontdata/design/FontDesign.h"
#include "fontdata/opentype/OpenTypeData.h"

namespace {

using namespace Varnholt::OpenTypeFontData;

constexpr const char* kInter = "/usr/share/fonts/truetype/inter-vf/Inter.var.ttf";
constexpr const char* kInterRoman = "/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf";
constexpr const char* kNotoSans = "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf";
constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kDejaVuWoff = "/usr/share/fonts/woff/dejavu/DejaVuSans.woff";
constexpr const char* kNotoCjk = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc";
constexpr const char* kArabic = "/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf";

CFontDesign Read(const char* path, std::uint32_t face = 0) {
    CFontDesign design;
    EXPECT_EQ(ReadFontDesign(path, face, design), Varnholt::FontStatus::Loaded) << path;
    return design;
}

std::vector<std::string> Languages(const char* path, std::uint32_t face = 0) {
    Varnholt::COpenTypeData data;
    EXPECT_EQ(data.Load(path, MeasureFileSize(path), face), Varnholt::FontStatus::Loaded);
    return CoveredLanguages(data.GetCharacterMap());
}

bool Has(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

TEST(FontDesignTest, AVariableFontGivesItsAxesAndNamedInstancesInFileOrder) {
    const CFontDesign design = Read(kInter);
    ASSERT_TRUE(design.IsVariable());
    ASSERT_EQ(design.axes.size(), 2u);
    EXPECT_EQ(TagText(design.axes[0].tag), "wght");
    EXPECT_EQ(design.axes[0].name, u"Weight");
    EXPECT_EQ(design.axes[0].minimum, 100);
    EXPECT_EQ(design.axes[0].defaultValue, 400);
    EXPECT_EQ(design.axes[0].maximum, 900);
    EXPECT_FALSE(design.axes[0].hidden);
    EXPECT_EQ(TagText(design.axes[1].tag), "slnt");
    EXPECT_EQ(design.axes[1].minimum, -10);
    EXPECT_EQ(design.AxisIndex(MakeTag('s', 'l', 'n', 't')), 1);
    EXPECT_EQ(design.AxisIndex(MakeTag('w', 'd', 't', 'h')), -1);

    ASSERT_EQ(design.instances.size(), 18u);
    EXPECT_EQ(design.instances[0].name, u"Thin");
    EXPECT_EQ(design.instances[0].coordinates, (std::vector<float>{100, 0}));
    EXPECT_EQ(design.instances[1].name, u"Thin Italic");
    EXPECT_EQ(design.instances[1].coordinates, (std::vector<float>{100, -10}));
}

TEST(FontDesignTest, AStaticFontHasNoAxes) {
    const CFontDesign design = Read(kDejaVu);
    EXPECT_FALSE(design.IsVariable());
    EXPECT_TRUE(design.instances.empty());
}

TEST(FontDesignTest, FeaturesCarryRegisteredOrTheFontsOwnNames) {
    const CFontDesign inter = Read(kInterRoman);
    ASSERT_NE(inter.Feature(MakeTag('s', 's', '0', '1')), nullptr);
    // Inter names its stylistic sets itself.
    EXPECT_EQ(inter.Feature(MakeTag('s', 's', '0', '1'))->name, u"Open digits");
    EXPECT_EQ(inter.Feature(MakeTag('t', 'n', 'u', 'm'))->name, u"Tabular Figures");
    EXPECT_TRUE(inter.Feature(MakeTag('t', 'n', 'u', 'm'))->substitution);
    // Character variants without a name of their own are numbered.
    ASSERT_NE(inter.Feature(MakeTag('c', 'v', '0', '1')), nullptr);
    // Sorted and each once, though a tag is listed once a script.
    EXPECT_TRUE(std::is_sorted(inter.features.begin(), inter.features.end(),
                               [](const auto& a, const auto& b) { return a.tag < b.tag; }));
    EXPECT_EQ(std::adjacent_find(inter.features.begin(), inter.features.end(),
                                 [](const auto& a, const auto& b) { return a.tag == b.tag; }),
              inter.features.end());

    const CFontDesign noto = Read(kNotoSans);
    const CLayoutFeature* smcp = noto.Feature(MakeTag('s', 'm', 'c', 'p'));
    ASSERT_NE(smcp, nullptr);
    EXPECT_EQ(smcp->name, u"Small Capitals");
    EXPECT_FALSE(smcp->onByDefault);
    const CLayoutFeature* kern = noto.Feature(MakeTag('k', 'e', 'r', 'n'));
    ASSERT_NE(kern, nullptr);
    EXPECT_TRUE(kern->positioning);
    EXPECT_TRUE(kern->onByDefault);
    EXPECT_EQ(Read(kDejaVu).Feature(MakeTag('s', 'm', 'c', 'p')), nullptr);
}

TEST(FontDesignTest, RegisteredNamesAndScriptNames) {
    EXPECT_EQ(RegisteredFeatureName(MakeTag('o', 'n', 'u', 'm')), u"Oldstyle Figures");
    EXPECT_EQ(RegisteredFeatureName(MakeTag('s', 's', '0', '3')), u"Stylistic Set 3");
    EXPECT_EQ(RegisteredFeatureName(MakeTag('s', 's', '2', '1')), u"");  // only 20 sets
    EXPECT_EQ(RegisteredFeatureName(MakeTag('c', 'v', '4', '2')), u"Character Variant 42");
    EXPECT_EQ(RegisteredFeatureName(MakeTag('z', 'z', 'z', 'z')), u"");
    EXPECT_EQ(ScriptName(MakeTag('l', 'a', 't', 'n')), u"Latin");
    EXPECT_EQ(ScriptName(MakeTag('n', 's', 'h', 'u')), u"N\u00fcshu");
    EXPECT_EQ(ScriptName(MakeTag('l', 'a', 'o', ' ')), u"Lao");
}

TEST(FontDesignTest, ScriptsOfTheLayoutTables) {
    const CFontDesign cjk = Read(kNotoCjk, 3);
    const auto has = [&](const char* tag) {
        return std::binary_search(cjk.scripts.begin(), cjk.scripts.end(), TagFromText(tag));
    };
    EXPECT_TRUE(has("hani"));
    EXPECT_TRUE(has("kana"));
    EXPECT_TRUE(has("latn"));
    EXPECT_TRUE(std::is_sorted(cjk.scripts.begin(), cjk.scripts.end()));
}

TEST(FontDesignTest, AWebFontHasTheDesignOfTheFontItWasMadeFrom) {
    const CFontDesign woff = Read(kDejaVuWoff);
    const CFontDesign ttf = Read(kDejaVu);
    ASSERT_FALSE(ttf.features.empty());
    ASSERT_EQ(woff.features.size(), ttf.features.size());
    for (std::size_t i = 0; i < ttf.features.size(); ++i) {
        EXPECT_EQ(woff.features[i].tag, ttf.features[i].tag);
    }
    EXPECT_EQ(woff.scripts, ttf.scripts);
}

TEST(FontDesignTest, WhatIsNotAFontHasNoDesign) {
    CFontDesign design;
    const std::vector<std::uint8_t> junk(512, 0x41);
    EXPECT_EQ(ReadFontDesign(junk, design), Varnholt::FontStatus::Corrupt);
    EXPECT_FALSE(design.IsVariable());
    EXPECT_EQ(ReadFontDesign(std::span<const std::uint8_t>(), design),
              Varnholt::FontStatus::Corrupt);
    EXPECT_EQ(ReadFontDesign("/nonexistent/font.ttf", 0, design),
              Varnholt::FontStatus::CouldNotOpen);
    // A face the collection does not have.
    EXPECT_EQ(ReadFontDesign(kNotoCjk, 99, design), Varnholt::FontStatus::Corrupt);
}

TEST(FontDesignTest, LanguagesAreThoseWhoseOrthographyIsCoveredWhole) {
    const auto dejavu = Languages(kDejaVu);
    EXPECT_TRUE(Has(dejavu, "de"));
    EXPECT_TRUE(Has(dejavu, "ru"));
    EXPECT_FALSE(Has(dejavu, "ja"));
    EXPECT_TRUE(std::is_sorted(dejavu.begin(), dejavu.end()));
    const auto arabic = Languages(kArabic);
    EXPECT_TRUE(Has(arabic, "ar"));
    EXPECT_FALSE(Has(arabic, "de"));
    const auto cjk = Languages(kNotoCjk, 2);
    EXPECT_TRUE(Has(cjk, "ja"));
    EXPECT_TRUE(Has(cjk, "zh-cn"));
    EXPECT_GT(KnownLanguageCount(), 200u);

    // A map of nothing but a symbol subtable covers no language.
    CcmapTable::Data symbols;
    symbols.symbol = true;
    CcmapTable::Subtable subtable;
    subtable.encodingID = 0;
    auto coverage = std::make_shared<CcmapTable::Coverage>();
    coverage->ranges.push_back({0x0020, 0x024F});
    subtable.coverage = coverage;
    symbols.subtables.push_back(subtable);
    EXPECT_TRUE(CoveredLanguages(symbols).empty());
    // The same characters as Unicode cover the languages written in Latin.
    symbols.subtables[0].encodingID = 1;
    EXPECT_TRUE(Has(CoveredLanguages(symbols), "fr"));
}

TEST(FontDesignTest, LanguageTagsAreMatchedAsFontconfigSpellsThem) {
    EXPECT_TRUE(IsKnownLanguage("de"));
    EXPECT_TRUE(IsKnownLanguage("zh_CN"));
    EXPECT_TRUE(IsKnownLanguage("ZH-cn"));
    EXPECT_FALSE(IsKnownLanguage("klingon"));
    EXPECT_FALSE(IsKnownLanguage(""));
    EXPECT_EQ(NormalizedLanguage("pt_BR"), "pt-br");
}

TEST(FontDesignTest, VariationsAndFeaturesAreReadAsTheCommandLineWritesThem) {
    std::vector<CAxisValue> values;
    std::string error;
    ASSERT_TRUE(ParseVariations("wght=700, wdth=80.5", values, error));
    EXPECT_EQ(values, (std::vector<CAxisValue>{{MakeTag('w', 'g', 'h', 't'), 700},
                                               {MakeTag('w', 'd', 't', 'h'), 80.5f}}));
    ASSERT_TRUE(ParseVariations("wght=100,wght=900", values, error));  // the last stands
    EXPECT_EQ(values, (std::vector<CAxisValue>{{MakeTag('w', 'g', 'h', 't'), 900}}));
    ASSERT_TRUE(ParseVariations("slnt=-10", values, error));
    EXPECT_EQ(values[0].value, -10);
    ASSERT_TRUE(ParseVariations("", values, error));
    EXPECT_TRUE(values.empty());
    for (const char* bad : {"wght", "wght=", "=700", "wght=7OO", "toolong=1", "wght=700,",
                            "wght=inf", "wght=nan", "wght=1e99"}) {
        EXPECT_FALSE(ParseVariations(bad, values, error)) << bad;
        EXPECT_FALSE(error.empty());
    }

    std::vector<CFeatureChoice> choices;
    ASSERT_TRUE(ParseFeatures("+smcp,-liga,onum", choices, error));
    EXPECT_EQ(choices, (std::vector<CFeatureChoice>{{MakeTag('s', 'm', 'c', 'p'), true},
                                                    {MakeTag('l', 'i', 'g', 'a'), false},
                                                    {MakeTag('o', 'n', 'u', 'm'), true}}));
    for (const char* bad : {"+", "smallcaps", "+sm p", "-liga,,kern",
                            "+\x01"
                            "abc"}) {
        EXPECT_FALSE(ParseFeatures(bad, choices, error)) << bad;
    }
}

TEST(FontDesignTest, TheInformationRowsSayTheDesign) {
    const CFontDesign design = Read(kInter);
    const auto rows = DesignInfoRows(design, {"de", "fr"});
    ASSERT_GE(rows.size(), 5u);
    EXPECT_EQ(rows[0].name, u"Design Axis");
    EXPECT_EQ(rows[0].value, u"Weight (wght): 100 to 900, default 400");
    EXPECT_EQ(rows[1].value, u"Slant (slnt): -10 to 0, default 0");
    EXPECT_EQ(rows[2].name, u"Named Instances");
    EXPECT_TRUE(rows[2].value.starts_with(u"18: Thin, Thin Italic, "));
    EXPECT_EQ(rows.back().name, u"Languages");
    EXPECT_TRUE(rows.back().value.ends_with(u": de, fr"));
    // A face without a design says only how many languages it covers.
    const auto bare = DesignInfoRows(CFontDesign{}, {});
    ASSERT_EQ(bare.size(), 1u);
    EXPECT_TRUE(bare[0].value.starts_with(u"0 of "));
}

}  // namespace
