#include "search/FontTests.h"

#include <algorithm>
#include <boost/regex/icu.hpp>
#include <cstdlib>
#include <iterator>

#include "fontdata/item/FontItem.h"

namespace Quillmark {

namespace {

bool IsSource(const CFontItem& font, const std::weak_ptr<const CFontItem>& source) {
    // Compared, never read: a source released meanwhile has expired.
    const auto held = source.lock();
    return held != nullptr && held.get() == &font;
}

// Names may hold lone surrogates (the reader keeps what the file says);
// the expression reads whole code points, so each becomes U+FFFD.
std::u16string WholeCodePoints(std::u16string_view text) {
    std::u16string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char16_t unit = out[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 &&
            out[i + 1] <= 0xDFFF) {
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            out[i] = u'\uFFFD';
        }
    }
    return out;
}

}  // namespace

// ---- By name -------------------------------------------------------------

std::u16string NamePattern(const CNameQuery& query) {
    std::u16string pattern;
    if (query.regularExpression) {
        pattern = query.text;
    } else {
        constexpr std::u16string_view kSpecial = u".[]{}()\\*+?|^$";
        for (const char16_t c : query.text) {
            if (kSpecial.find(c) != std::u16string_view::npos) {
                pattern += u'\\';
            }
            pattern += c;
        }
    }
    if (query.wholeWord) {
        pattern = u"\\<" + pattern + u"\\>";
    }
    return pattern;
}

struct CNameTest::Compiled {
    boost::u32regex expression;
};

CNameTest::CNameTest(std::unique_ptr<Compiled> compiled) : m_compiled(std::move(compiled)) {}
CNameTest::~CNameTest() = default;

CResult<std::shared_ptr<const CNameTest>> CNameTest::Compile(const CNameQuery& query) {
    const auto flags = static_cast<boost::regex_constants::syntax_option_type>(
        query.matchCase ? boost::regex_constants::perl
                        : boost::regex_constants::perl | boost::regex_constants::icase);
    try {
        auto compiled = std::make_unique<Compiled>();
        compiled->expression = boost::make_u32regex(WholeCodePoints(NamePattern(query)), flags);
        return std::make_shared<const CNameTest>(std::move(compiled));
    } catch (const std::exception& failure) {
        return CFailure(std::make_error_code(std::errc::invalid_argument), failure.what());
    }
}

bool CNameTest::Matches(std::u16string_view name) const {
    const std::u16string text = WholeCodePoints(name);
    try {
        return boost::u32regex_search(text.begin(), text.end(), m_compiled->expression);
    } catch (const std::runtime_error&) {
        // An expression too complex for this name (Boost gives up rather
        // than run for ever): no match.
        return false;
    }
}

std::optional<int> CNameTest::operator()(const CFontItem& font) const {
    if (font.GetStatus() != CFontItem::Loaded || font.GetData() == nullptr) {
        return std::nullopt;
    }
    const std::u16string_view* fullName = font.GetData()->GetName(4);
    if (fullName != nullptr && Matches(*fullName)) {
        return 0;
    }
    // A variable font is found by the names of its named instances too.
    for (const std::u16string& instance : font.GetInstanceNames()) {
        if (Matches(instance)) {
            return 0;
        }
    }
    return std::nullopt;
}

// ---- By character ----------------------------------------------------------

FontTest CharacterTest(char32_t c, std::weak_ptr<const CFontItem> source) {
    return [c, source = std::move(source)](CFontItem& font) -> std::optional<int> {
        if (IsSource(font, source) || font.GetStatus() != CFontItem::Loaded ||
            font.GetData() == nullptr) {
            return std::nullopt;
        }
        const auto& map = font.GetData()->GetCharacterMap();
        if (c > 0xFFFF) {
            // The 32-bit map's ranges beyond U+FFFF, sorted and apart.
            const auto& ranges = map.supplementary;
            const auto after = std::upper_bound(
                ranges.begin(), ranges.end(), c,
                [](char32_t code, const auto& range) { return code < range.first; });
            const bool found = after != ranges.begin() && c <= std::prev(after)->last;
            return found ? std::optional<int>(0) : std::nullopt;
        }
        if (map.subtables.empty()) {
            return std::nullopt;
        }
        // The code list from its second entry on, walked through its ranges.
        std::size_t index = 0;
        bool found = false;
        map.subtables.front().ForEachCode([&](std::uint16_t code) {
            found = index++ > 0 && code == c;
            return !found;
        });
        return found ? std::optional<int>(0) : std::nullopt;
    };
}

// ---- By language -----------------------------------------------------------

FontTest LanguageTest(
    std::shared_ptr<const Varnholt::OpenTypeFontData::CLanguageCoverage> language) {
    return [language = std::move(language)](CFontItem& font) -> std::optional<int> {
        if (language == nullptr || font.GetStatus() != CFontItem::Loaded ||
            font.GetData() == nullptr || !language->CoveredBy(font.GetData()->GetCharacterMap())) {
            return std::nullopt;
        }
        return 0;
    };
}

// ---- By likeness -----------------------------------------------------------

int PanoseDistance(const Panose& a, const Panose& b) {
    if (a[0] != b[0] || a[0] <= 1 || b[0] <= 1) {
        return 100;
    }
    const auto diff = [&](std::size_t i) { return std::abs(int{a[i]} - int{b[i]}); };
    if (a[0] != 2) {
        int sum = 0;
        for (std::size_t i = 1; i <= 8; ++i) {
            sum += diff(i);
        }
        return sum;
    }
    const auto isSans = [](int v) { return v >= 11 && v <= 13; };
    const auto isSerif = [](int v) { return v >= 2 && v <= 10; };
    const int serif = (isSans(a[1]) != isSans(b[1]) && isSerif(a[1]) != isSerif(b[1])) ? 25 : 0;
    int proportion = 0;
    if (a[3] != b[3]) {
        if (a[3] == 9) {
            proportion = 10 * b[3] - 2;
        } else if (b[3] == 9) {
            proportion = 10 * a[3] - 2;
        } else {
            proportion = 10 * diff(3);
        }
    }
    return serif + 10 * diff(2) + proportion + 2 * diff(4) + diff(5) + diff(6) + diff(7) + diff(8) +
           diff(9);
}

Similarity SimilarityOf(int distance) {
    if (distance == 0) {
        return Similarity::Identical;
    }
    if (distance <= 15) {
        return Similarity::VerySimilar;
    }
    if (distance <= 30) {
        return Similarity::ModeratelySimilar;
    }
    return Similarity::SomewhatSimilar;
}

const char* SimilarityWords(Similarity similarity) {
    switch (similarity) {
        case Similarity::Identical:
            return "Identical";
        case Similarity::VerySimilar:
            return "Very Similar";
        case Similarity::ModeratelySimilar:
            return "Moderately Similar";
        case Similarity::SomewhatSimilar:
            break;
    }
    return "Somewhat Similar";
}

FontTest SimilarTest(const Panose& panose, std::u16string sourcePath,
                     std::weak_ptr<const CFontItem> source) {
    return [panose, sourcePath = std::move(sourcePath),
            source = std::move(source)](CFontItem& font) -> std::optional<int> {
        if (IsSource(font, source) || font.GetStatus() != CFontItem::Loaded ||
            font.GetData() == nullptr) {
            return std::nullopt;
        }
        const Panose& candidate = font.GetData()->GetOS2().panose;
        if (candidate[0] <= 1 || candidate[0] != panose[0]) {
            return std::nullopt;
        }
        const int distance = PanoseDistance(panose, candidate);
        if (distance >= kSimilarLimit) {
            return std::nullopt;
        }
        font.SetSimilarity(sourcePath, distance);
        return distance;
    };
}

}  // namespace Quillmark
