#pragma once

// The tests a search puts to each font it meets: by name, by a
// character, by language, by likeness. Each is made on the thread that starts a search,
// from what the user asked, and is then only read by the search's worker.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fontdata/design/Languages.h"
#include "platform/Result.h"

namespace Quillmark {

class CFontItem;

// What a test answers for one font: nothing for a font it rejects, else the
// number the results show beside it (the PANOSE distance for find similar,
// 0 for the others).
using FontTest = std::function<std::optional<int>(CFontItem& font)>;

// ---- By name -------------------------------------------------------------

struct CNameQuery {
    std::u16string text;
    bool matchCase = false;
    bool wholeWord = false;
    bool regularExpression = false;
};

// The expression a query searches for: the text with every character that
// means something to an expression escaped (unless it is an expression),
// between the word anchors \< and \> when whole words are asked for.
std::u16string NamePattern(const CNameQuery& query);

// The query compiled once (Unicode throughout: a character of any script
// matches itself, and match case off is a case-insensitive match, so \W
// and \D keep their meaning). One compiled test may be shared by threads.
class CNameTest {
public:
    // The test, or for an expression that does not compile, the failure
    // with the expression engine's words.
    static CResult<std::shared_ptr<const CNameTest>> Compile(const CNameQuery& query);

    // Whether the expression is found anywhere in `name`.
    bool Matches(std::u16string_view name) const;
    // A loaded font whose full name (name ID 4) matches, or a variable font
    // one of whose named instances' names ("Inter Bold") does.
    std::optional<int> operator()(const CFontItem& font) const;

    struct Compiled;
    explicit CNameTest(std::unique_ptr<Compiled> compiled);
    ~CNameTest();

private:
    std::unique_ptr<Compiled> m_compiled;
};

// ---- By character ----------------------------------------------------------

// A loaded font other than `source` whose first character map lists `c`
// among its codes from the second on (the first code is never compared, as
// the font map never shows it); a character past U+FFFF, among the
// characters its 32-bit map adds. `source` may be empty, or expire while
// the search runs: it is never read, only compared with.
FontTest CharacterTest(char32_t c, std::weak_ptr<const CFontItem> source);

// ---- By language -----------------------------------------------------------

// A loaded font whose characters (its Unicode maps, past U+FFFF too) hold
// every character of the language's orthography, as fontconfig knows it.
FontTest LanguageTest(
    std::shared_ptr<const Varnholt::OpenTypeFontData::CLanguageCoverage> language);

// ---- By likeness -----------------------------------------------------------

using Panose = std::array<std::uint8_t, 10>;

// The distance of a candidate's classification to the source's: 100 for
// fonts of different families or of family 0 (Any) or 1 (No Fit); for
// Latin Text (2) weighted terms for serif style, weight, proportion and
// contrast plus the plain differences of the other five digits; for any
// other family the plain differences of digits 1 to 8.
int PanoseDistance(const Panose& source, const Panose& candidate);

// Matches have a distance below this.
constexpr int kSimilarLimit = 50;

enum class Similarity { Identical, VerySimilar, ModeratelySimilar, SomewhatSimilar };
// 0 Identical; up to 15 Very Similar; 16 to 30 Moderately Similar; above
// 30 Somewhat Similar.
Similarity SimilarityOf(int distance);
const char* SimilarityWords(Similarity similarity);

// A loaded font other than `source` of the same family (neither 0 nor 1)
// whose distance to `panose` is below kSimilarLimit; the distance is also
// kept on the font for `sourcePath`. The source's bytes are taken here, so
// the test never reads the source font.
FontTest SimilarTest(const Panose& panose, std::u16string sourcePath,
                     std::weak_ptr<const CFontItem> source);

}  // namespace Quillmark
