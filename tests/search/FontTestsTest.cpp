// The tests a search puts to each font: by name, by a character, by
// language, by likeness.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "fontdata/item/FontItem.h"
#include "search/FontTests.h"
#include "tests/search/SearchFonts.h"

using namespace Quillmark;
using namespace QuillmarkTest;
namespace fs = std::filesystem;

namespace {

bool NameMatches(std::u16string text, std::u16string_view name, bool matchCase = false,
                 bool wholeWord = false, bool regex = false) {
    const auto test = CNameTest::Compile({std::move(text), matchCase, wholeWord, regex});
    EXPECT_TRUE(test) << test.Failure().Reason();
    return test && test.Value()->Matches(name);
}

class FontFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("qm-fonttests-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::unique_ptr<CFontItem> Item(const std::string& file, const CSearchFont& font) {
        return std::make_unique<CFontItem>(WriteSearchFont(m_folder / file, font),
                                           CFontItemSettings{}, nullptr);
    }

    fs::path m_folder;
};

}  // namespace

TEST(NameTest, MatchCaseOffFindsTheNameInAnyCaseAndOnOnlyAsTyped) {
    EXPECT_TRUE(NameMatches(u"arial", u"Arial Bold"));
    EXPECT_FALSE(NameMatches(u"arial", u"Arial Bold", true));
    EXPECT_TRUE(NameMatches(u"Arial", u"Arial Bold", true));
    // Beyond ASCII: the case of any script is ignored, never turned into
    // a code page's default character.
    EXPECT_TRUE(NameMatches(u"élan", u"ÉLAN Display"));
    EXPECT_TRUE(NameMatches(u"σίγμα", u"ΣΊΓΜΑ Sans"));
    EXPECT_FALSE(NameMatches(u"?", u"ÉLAN Display"));
    EXPECT_TRUE(NameMatches(u"明朝", u"ＭＳ 明朝"));
}

TEST(NameTest, PlainTextIsTakenLiterallyAndExpressionsAreNot) {
    EXPECT_TRUE(NameMatches(u"a.c", u"Fonts a.c"));
    EXPECT_FALSE(NameMatches(u"a.c", u"Fonts abc"));
    EXPECT_TRUE(NameMatches(u"a.c", u"Fonts abc", false, false, true));
    // Every character an expression gives meaning to stands for itself.
    const std::u16string special = u"x.[]{}()\\*+?|^$y";
    EXPECT_TRUE(NameMatches(special, u"Odd " + special + u" Name"));
    EXPECT_EQ(NamePattern({u"a+b", false, true, false}), u"\\<a\\+b\\>");
}

TEST(NameTest, WholeWordsWithAndWithoutExpressions) {
    for (const bool regex : {false, true}) {
        EXPECT_TRUE(NameMatches(u"Sans", u"Sans Serif Bold", false, true, regex)) << regex;
        EXPECT_FALSE(NameMatches(u"Sans", u"Sansation", false, true, regex)) << regex;
        EXPECT_TRUE(NameMatches(u"Sans", u"Sansation", false, false, regex)) << regex;
    }
}

TEST(NameTest, CaseInsensitiveExpressionsKeepTheirMeaning) {
    // Lower-casing the expression would turn \D into \d and \W into \w.
    EXPECT_FALSE(NameMatches(u"^\\D+$", u"123", false, false, true));
    EXPECT_TRUE(NameMatches(u"^\\D+$", u"ABC", false, false, true));
    EXPECT_TRUE(NameMatches(u"\\W", u"Two Words", false, false, true));
    EXPECT_FALSE(NameMatches(u"\\W", u"OneWord", false, false, true));
}

TEST(NameTest, AnInvalidExpressionIsAnErrorNotAnEmptyResult) {
    const auto expression = CNameTest::Compile({u"(", false, false, true});
    ASSERT_FALSE(expression);
    EXPECT_EQ(expression.Failure().Code(), std::errc::invalid_argument);
    EXPECT_NE(expression.Failure().Reason(),
              std::make_error_code(std::errc::invalid_argument).message())
        << "the engine says what is wrong";
    // The same text as plain text is fine.
    EXPECT_TRUE(CNameTest::Compile({u"(", false, false, false}));
}

TEST(NameTest, ANameWithALoneSurrogateIsMatchedWithoutFailing) {
    const std::u16string name = u"Bad \xD800 Name";
    EXPECT_TRUE(NameMatches(u"name", name));
    EXPECT_FALSE(NameMatches(u"nothing", name));
}

TEST_F(FontFileTest, NameTestReadsTheFullNameOfLoadedFontsOnly) {
    const auto compiled = CNameTest::Compile({u"gamma", false, false, false});
    ASSERT_TRUE(compiled);
    const auto& test = compiled.Value();
    EXPECT_TRUE((*test)(*Item("g.ttf", {.fullName = u"Gamma Bold"})).has_value());
    EXPECT_FALSE((*test)(*Item("d.ttf", {.fullName = u"Delta"})).has_value());
    // A file named like a match but holding no font.
    WriteFile((m_folder / "gamma.ttf").string(), Bytes(40, 0));
    const CFontItem broken(m_folder / "gamma.ttf", {}, nullptr);
    EXPECT_FALSE((*test)(broken).has_value());
}

TEST_F(FontFileTest, CharacterTestSkipsTheFirstCodeAndTheSource) {
    // Codes A, C..E: A is the first code and is never compared.
    const auto item = Item("a.ttf", {.characters = {{'A', 'A'}, {'C', 'E'}}});
    EXPECT_FALSE(CharacterTest(u'A', {})(*item).has_value());
    EXPECT_TRUE(CharacterTest(u'D', {})(*item).has_value());
    EXPECT_FALSE(CharacterTest(u'B', {})(*item).has_value());
    EXPECT_FALSE(CharacterTest(U'\U0001F600', {})(*item).has_value());

    std::shared_ptr<CFontItem> source = Item("s.ttf", {});
    const auto test = CharacterTest(u'Q', source);
    EXPECT_FALSE(test(*source).has_value());
    EXPECT_FALSE(test(*item).has_value());
    const auto other = Item("o.ttf", {});
    EXPECT_TRUE(test(*other).has_value());
    // A map with a single code never matches.
    const auto single = Item("one.ttf", {.characters = {{'Q', 'Q'}}});
    EXPECT_FALSE(CharacterTest(u'Q', {})(*single).has_value());
}

TEST(PanoseDistanceTest, TheExamplesOfTheRules) {
    const Panose base = {2, 2, 5, 3, 4, 2, 2, 2, 2, 2};
    auto with = [&](std::size_t digit, std::uint8_t value) {
        Panose p = base;
        p[digit] = value;
        return p;
    };
    EXPECT_EQ(PanoseDistance(base, base), 0);
    EXPECT_EQ(PanoseDistance(base, with(2, 6)), 10);
    EXPECT_EQ(PanoseDistance(base, with(2, 7)), 20);
    EXPECT_EQ(PanoseDistance(base, with(2, 10)), 50);
    EXPECT_EQ(PanoseDistance(base, with(1, 11)), 25);       // Cove against Normal Sans
    EXPECT_EQ(PanoseDistance(with(1, 0), with(1, 11)), 0);  // Any against Normal Sans
    EXPECT_EQ(PanoseDistance(with(1, 14), with(1, 2)), 0);  // outside both ranges
    EXPECT_EQ(PanoseDistance(with(3, 9), with(3, 3)), 28);  // 10 × 3 − 2
    EXPECT_EQ(PanoseDistance(with(3, 3), with(3, 9)), 28);
    EXPECT_EQ(PanoseDistance(with(3, 9), with(3, 0)), -2);  // the other digit itself
    EXPECT_EQ(PanoseDistance(base, with(3, 5)), 20);
    EXPECT_EQ(PanoseDistance(base, with(4, 7)), 6);
    EXPECT_EQ(PanoseDistance(base, with(9, 5)), 3);
    // Another family: the plain differences of digits 1 to 8, never the tenth.
    Panose hand = {3, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    Panose other = hand;
    other[9] = 1;
    EXPECT_EQ(PanoseDistance(hand, other), 0);
    other[1] = 4;
    other[8] = 1;
    EXPECT_EQ(PanoseDistance(hand, other), 3 + 7);
    // Families that differ, or say nothing.
    EXPECT_EQ(PanoseDistance(base, hand), 100);
    EXPECT_EQ(PanoseDistance(with(0, 0), with(0, 0)), 100);
    EXPECT_EQ(PanoseDistance(with(0, 1), with(0, 1)), 100);
}

TEST(PanoseDistanceTest, Words) {
    EXPECT_STREQ(SimilarityWords(SimilarityOf(0)), "Identical");
    EXPECT_STREQ(SimilarityWords(SimilarityOf(1)), "Very Similar");
    EXPECT_STREQ(SimilarityWords(SimilarityOf(15)), "Very Similar");
    EXPECT_STREQ(SimilarityWords(SimilarityOf(16)), "Moderately Similar");
    EXPECT_STREQ(SimilarityWords(SimilarityOf(30)), "Moderately Similar");
    EXPECT_STREQ(SimilarityWords(SimilarityOf(31)), "Somewhat Similar");
    EXPECT_STREQ(SimilarityWords(SimilarityOf(49)), "Somewhat Similar");
}

TEST_F(FontFileTest, SimilarTestKeepsTheDistanceAndRejectsOtherFamilies) {
    std::shared_ptr<CFontItem> source = Item("s.ttf", {.panose = {2, 2, 5, 3, 4, 2, 2, 2, 2, 2}});
    const Panose panose = source->GetData()->GetOS2().panose;
    const std::u16string sourcePath = u"/fonts/s.ttf";
    const auto test = SimilarTest(panose, sourcePath, source);
    EXPECT_FALSE(test(*source).has_value());

    const auto bolder = Item("b.ttf", {.panose = {2, 2, 6, 3, 4, 2, 2, 2, 2, 2}});
    ASSERT_EQ(test(*bolder), std::optional<int>(10));
    EXPECT_EQ(bolder->GetSimilarity(sourcePath), 10);
    EXPECT_FALSE(test(*Item("far.ttf", {.panose = {2, 2, 10, 3, 4, 2, 2, 2, 2, 2}})).has_value());
    EXPECT_FALSE(test(*Item("script.ttf", {.panose = {3, 2, 5, 3, 4, 2, 2, 2, 2, 2}})));
    EXPECT_FALSE(test(*Item("any.ttf", {.panose = {0, 2, 5, 3, 4, 2, 2, 2, 2, 2}})));
    // A source of family 0 finds nothing, not even its twin.
    const Panose any = {0, 2, 5, 3, 4, 2, 2, 2, 2, 2};
    EXPECT_FALSE(
        SimilarTest(any, u"/x", {})(*Item("twin.ttf", {.panose = {0, 2, 5, 3, 4, 2, 2, 2, 2, 2}})));
}

namespace {

std::unique_ptr<CFontItem> SystemItem(const char* path) {
    return std::make_unique<CFontItem>(path, CFontItemSettings{}, nullptr);
}

bool Found(const FontTest& test, CFontItem& font) {
    return test(font).has_value();
}

}  // namespace

TEST(NameTest, AVariableFontIsFoundByTheNamesOfItsInstances) {
    const auto inter = SystemItem("/usr/share/fonts/truetype/inter-vf/Inter-roman.var.ttf");
    ASSERT_EQ(inter->GetStatus(), CFontItem::Loaded);
    ASSERT_TRUE(inter->IsVariable());
    const auto names = inter->GetInstanceNames();
    ASSERT_EQ(names.size(), 9u);
    EXPECT_EQ(names.front(), u"Inter Thin");
    EXPECT_EQ(names.back(), u"Inter Black");
    const auto bold = CNameTest::Compile({u"inter bold", false, false, false});
    ASSERT_TRUE(bold);
    EXPECT_TRUE((*bold.Value())(*inter).has_value());
    const auto italic = CNameTest::Compile({u"Inter Bold Italic", false, false, false});
    EXPECT_FALSE((*italic.Value())(*inter).has_value());  // the roman file has no italics

    // A static font has no instances: only its own name finds it.
    const auto dejavu = SystemItem("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    EXPECT_FALSE(dejavu->IsVariable());
    EXPECT_TRUE(dejavu->GetInstanceNames().empty());
}

TEST(LanguageTest, FindsTheFontsThatWriteTheLanguageWhole) {
    namespace Design = Varnholt::OpenTypeFontData;
    const auto german = LanguageTest(Design::CLanguageCoverage::Of("de"));
    const auto japanese = LanguageTest(Design::CLanguageCoverage::Of("ja"));
    const auto dejavu = SystemItem("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    const auto arabic = SystemItem("/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf");
    const auto cjk = std::make_unique<CFontItem>(
        "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", CFontItemSettings{}, nullptr, 4);
    EXPECT_TRUE(Found(german, *dejavu));
    EXPECT_FALSE(Found(japanese, *dejavu));
    EXPECT_FALSE(Found(german, *arabic));
    EXPECT_TRUE(Found(japanese, *cjk));
    // A language test of no language finds nothing; a font that could not
    // be read is never found.
    EXPECT_FALSE(Found(LanguageTest(nullptr), *dejavu));
    const auto missing = SystemItem("/nonexistent/font.ttf");
    EXPECT_FALSE(Found(german, *missing));

    // The search's test and the languages the information lists agree.
    const auto& map = dejavu->GetData()->GetCharacterMap();
    for (const auto& language : Design::CoveredLanguages(map)) {
        EXPECT_TRUE(Design::CLanguageCoverage::Of(language)->CoveredBy(map)) << language;
    }
    EXPECT_EQ(Design::CLanguageCoverage::Of("klingon"), nullptr);
    EXPECT_EQ(Design::CLanguageCoverage::Of("ZH_cn")->Language(), "zh-cn");
    EXPECT_GT(Design::CLanguageCoverage::Of("zh-cn")->CharacterCount(), 6000u);
}
