#pragma once

// The languages a face's characters write, by fontconfig's orthographies:
// a language is covered when the face maps every character its
// orthography lists.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fontdata/opentype/CmapTable.h"

namespace Varnholt::OpenTypeFontData {

// The languages whose orthography, as fontconfig knows it, the characters
// of the face's map cover every one of: fontconfig's language tags ("de",
// "zh-cn"), sorted. The map is the reader's (Unicode BMP subtables and the
// characters past U+FFFF); a font of symbols alone covers none.
std::vector<std::string> CoveredLanguages(const CcmapTable::Data& map);
// The tags of every language fontconfig knows the orthography of, sorted.
std::vector<std::string> KnownLanguages();
// How many languages fontconfig knows the orthography of.
std::size_t KnownLanguageCount();
// Whether fontconfig knows the language (its tag as CoveredLanguages gives
// them, case aside, "-" or "_" between its parts).
bool IsKnownLanguage(std::string_view language);
// The language tag as fontconfig spells it ("pt_BR" is "pt-br").
std::string NormalizedLanguage(std::string_view language);

// One language's orthography as fontconfig knows it, to test maps against
// (a search asks it of every font it meets, on its worker; it is only read
// once made).
class CLanguageCoverage {
public:
    // The language's characters; null for a language fontconfig does not know.
    static std::shared_ptr<const CLanguageCoverage> Of(std::string_view language);

    const std::string& Language() const { return m_language; }
    std::size_t CharacterCount() const { return m_characters.size(); }
    // Whether the map (its Unicode BMP subtables and the characters past
    // U+FFFF) has every character of the orthography, as CoveredLanguages
    // judges.
    bool CoveredBy(const CcmapTable::Data& map) const;

private:
    std::string m_language;
    std::vector<char32_t> m_characters;  // ascending
};

}  // namespace Varnholt::OpenTypeFontData
