#include "fontdata/design/Languages.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <utility>

namespace Varnholt::OpenTypeFontData {

namespace {

struct FcCharSetDeleter {
    void operator()(FcCharSet* set) const { FcCharSetDestroy(set); }
};
struct FcStrSetDeleter {
    void operator()(FcStrSet* set) const { FcStrSetDestroy(set); }
};

// fontconfig's languages, read once: their tags and orthographies.
struct CLanguages {
    std::vector<std::pair<std::string, const FcCharSet*>> languages;  // by tag
};

const CLanguages& Languages() {
    static const CLanguages table = [] {
        CLanguages languages;
        const std::unique_ptr<FcStrSet, FcStrSetDeleter> langs(FcGetLangs());
        if (langs == nullptr) {
            return languages;
        }
        FcStrList* list = FcStrListCreate(langs.get());
        while (const FcChar8* lang = FcStrListNext(list)) {
            // The orthographies are fontconfig's own static tables.
            if (const FcCharSet* set = FcLangGetCharSet(lang)) {
                languages.languages.emplace_back(reinterpret_cast<const char*>(lang), set);
            }
        }
        FcStrListDone(list);
        std::sort(languages.languages.begin(), languages.languages.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        return languages;
    }();
    return table;
}

}  // namespace

std::vector<std::string> CoveredLanguages(const CcmapTable::Data& map) {
    const std::unique_ptr<FcCharSet, FcCharSetDeleter> characters(FcCharSetCreate());
    bool any = false;
    for (const auto& subtable : map.subtables) {
        if (subtable.encodingID != 1) {
            continue;  // a symbol map's codes are not Unicode characters
        }
        for (const auto& range : subtable.coverage->ranges) {
            for (std::uint32_t code = range.first; code <= range.last; ++code) {
                if (code != 0xFFFF) {
                    any = FcCharSetAddChar(characters.get(), code) || any;
                }
            }
        }
    }
    for (const auto& range : map.supplementary) {
        for (std::uint32_t code = range.first; code <= range.last; ++code) {
            any = FcCharSetAddChar(characters.get(), code) || any;
        }
    }
    std::vector<std::string> covered;
    if (!any) {
        return covered;
    }
    for (const auto& [tag, orthography] : Languages().languages) {
        if (FcCharSetSubtractCount(orthography, characters.get()) == 0) {
            covered.push_back(tag);
        }
    }
    return covered;
}

std::vector<std::string> KnownLanguages() {
    std::vector<std::string> tags;
    for (const auto& language : Languages().languages) {
        tags.push_back(language.first);
    }
    return tags;
}

std::size_t KnownLanguageCount() {
    return Languages().languages.size();
}

std::string NormalizedLanguage(std::string_view language) {
    std::string out(language);
    for (char& c : out) {
        c = c == '_' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

bool IsKnownLanguage(std::string_view language) {
    const std::string wanted = NormalizedLanguage(language);
    const auto& languages = Languages().languages;
    return std::binary_search(languages.begin(), languages.end(),
                              std::pair<std::string, const FcCharSet*>(wanted, nullptr),
                              [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::shared_ptr<const CLanguageCoverage> CLanguageCoverage::Of(std::string_view language) {
    const std::string wanted = NormalizedLanguage(language);
    for (const auto& [tag, orthography] : Languages().languages) {
        if (tag != wanted) {
            continue;
        }
        auto coverage = std::make_shared<CLanguageCoverage>();
        coverage->m_language = tag;
        // The set's pages of 256 characters, in order.
        FcChar32 page[FC_CHARSET_MAP_SIZE];
        FcChar32 next = 0;
        for (FcChar32 base = FcCharSetFirstPage(orthography, page, &next); base != FC_CHARSET_DONE;
             base = FcCharSetNextPage(orthography, page, &next)) {
            for (unsigned word = 0; word < FC_CHARSET_MAP_SIZE; ++word) {
                for (unsigned bit = 0; bit < 32; ++bit) {
                    if ((page[word] >> bit) & 1u) {
                        coverage->m_characters.push_back(base + word * 32 + bit);
                    }
                }
            }
        }
        return coverage;
    }
    return nullptr;
}

bool CLanguageCoverage::CoveredBy(const CcmapTable::Data& map) const {
    // The map's Unicode characters as sorted ranges, then each character of
    // the orthography looked up in them.
    std::vector<std::pair<char32_t, char32_t>> ranges;
    for (const auto& subtable : map.subtables) {
        if (subtable.encodingID != 1) {
            continue;
        }
        for (const auto& range : subtable.coverage->ranges) {
            ranges.emplace_back(range.first, range.last == 0xFFFF ? 0xFFFE : range.last);
        }
    }
    for (const auto& range : map.supplementary) {
        ranges.emplace_back(range.first, range.last);
    }
    if (ranges.empty() || m_characters.empty()) {
        return false;
    }
    // Subtables may overlap: merged into ranges apart.
    std::sort(ranges.begin(), ranges.end());
    std::vector<std::pair<char32_t, char32_t>> merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().second + 1) {
            merged.back().second = std::max(merged.back().second, range.second);
        } else {
            merged.push_back(range);
        }
    }
    for (const char32_t c : m_characters) {
        // The range after the last one that starts at or before c.
        const auto after = std::upper_bound(
            merged.begin(), merged.end(), c,
            [](char32_t code, const std::pair<char32_t, char32_t>& r) { return code < r.first; });
        if (after == merged.begin() || std::prev(after)->second < c) {
            return false;
        }
    }
    return true;
}

}  // namespace Varnholt::OpenTypeFontData
