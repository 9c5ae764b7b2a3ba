#include "fontdata/design/LayoutRegistry.h"

#include <cctype>
#include <string>

namespace Varnholt::OpenTypeFontData {

namespace {

struct CNamed {
    const char* tag;
    const char* name;
};

// The OpenType layout tag registry's feature names.
constexpr CNamed kFeatureNames[] = {
    {"aalt", "Access All Alternates"},
    {"abvf", "Above-base Forms"},
    {"abvm", "Above-base Mark Positioning"},
    {"abvs", "Above-base Substitutions"},
    {"afrc", "Alternative Fractions"},
    {"akhn", "Akhand"},
    {"blwf", "Below-base Forms"},
    {"blwm", "Below-base Mark Positioning"},
    {"blws", "Below-base Substitutions"},
    {"c2pc", "Petite Capitals From Capitals"},
    {"c2sc", "Small Capitals From Capitals"},
    {"calt", "Contextual Alternates"},
    {"case", "Case-Sensitive Forms"},
    {"ccmp", "Glyph Composition / Decomposition"},
    {"cfar", "Conjunct Form After Ro"},
    {"chws", "Contextual Half-width Spacing"},
    {"cjct", "Conjunct Forms"},
    {"clig", "Contextual Ligatures"},
    {"cpct", "Centered CJK Punctuation"},
    {"cpsp", "Capital Spacing"},
    {"cswh", "Contextual Swash"},
    {"curs", "Cursive Positioning"},
    {"dist", "Distances"},
    {"dlig", "Discretionary Ligatures"},
    {"dnom", "Denominators"},
    {"dtls", "Dotless Forms"},
    {"expt", "Expert Forms"},
    {"falt", "Final Glyph on Line Alternates"},
    {"fin2", "Terminal Forms #2"},
    {"fin3", "Terminal Forms #3"},
    {"fina", "Terminal Forms"},
    {"flac", "Flattened Accent Forms"},
    {"frac", "Fractions"},
    {"fwid", "Full Widths"},
    {"half", "Half Forms"},
    {"haln", "Halant Forms"},
    {"halt", "Alternate Half Widths"},
    {"hist", "Historical Forms"},
    {"hkna", "Horizontal Kana Alternates"},
    {"hlig", "Historical Ligatures"},
    {"hngl", "Hangul"},
    {"hojo", "Hojo Kanji Forms"},
    {"hwid", "Half Widths"},
    {"init", "Initial Forms"},
    {"isol", "Isolated Forms"},
    {"ital", "Italics"},
    {"jalt", "Justification Alternates"},
    {"jp04", "JIS2004 Forms"},
    {"jp78", "JIS78 Forms"},
    {"jp83", "JIS83 Forms"},
    {"jp90", "JIS90 Forms"},
    {"kern", "Kerning"},
    {"lfbd", "Left Bounds"},
    {"liga", "Standard Ligatures"},
    {"ljmo", "Leading Jamo Forms"},
    {"lnum", "Lining Figures"},
    {"locl", "Localized Forms"},
    {"ltra", "Left-to-right Alternates"},
    {"ltrm", "Left-to-right Mirrored Forms"},
    {"mark", "Mark Positioning"},
    {"med2", "Medial Forms #2"},
    {"medi", "Medial Forms"},
    {"mgrk", "Mathematical Greek"},
    {"mkmk", "Mark to Mark Positioning"},
    {"mset", "Mark Positioning via Substitution"},
    {"nalt", "Alternate Annotation Forms"},
    {"nlck", "NLC Kanji Forms"},
    {"nukt", "Nukta Forms"},
    {"numr", "Numerators"},
    {"onum", "Oldstyle Figures"},
    {"opbd", "Optical Bounds"},
    {"ordn", "Ordinals"},
    {"ornm", "Ornaments"},
    {"palt", "Proportional Alternate Widths"},
    {"pcap", "Petite Capitals"},
    {"pkna", "Proportional Kana"},
    {"pnum", "Proportional Figures"},
    {"pref", "Pre-base Forms"},
    {"pres", "Pre-base Substitutions"},
    {"pstf", "Post-base Forms"},
    {"psts", "Post-base Substitutions"},
    {"pwid", "Proportional Widths"},
    {"qwid", "Quarter Widths"},
    {"rand", "Randomize"},
    {"rclt", "Required Contextual Alternates"},
    {"rkrf", "Rakar Forms"},
    {"rlig", "Required Ligatures"},
    {"rphf", "Reph Form"},
    {"rtbd", "Right Bounds"},
    {"rtla", "Right-to-left Alternates"},
    {"rtlm", "Right-to-left Mirrored Forms"},
    {"ruby", "Ruby Notation Forms"},
    {"rvrn", "Required Variation Alternates"},
    {"salt", "Stylistic Alternates"},
    {"sinf", "Scientific Inferiors"},
    {"size", "Optical size"},
    {"smcp", "Small Capitals"},
    {"smpl", "Simplified Forms"},
    {"ssty", "Math Script-style Alternates"},
    {"stch", "Stretching Glyph Decomposition"},
    {"subs", "Subscript"},
    {"sups", "Superscript"},
    {"swsh", "Swash"},
    {"titl", "Titling"},
    {"tjmo", "Trailing Jamo Forms"},
    {"tnam", "Traditional Name Forms"},
    {"tnum", "Tabular Figures"},
    {"trad", "Traditional Forms"},
    {"twid", "Third Widths"},
    {"unic", "Unicase"},
    {"valt", "Alternate Vertical Metrics"},
    {"vapk", "Kerning for Alternate Proportional Vertical Metrics"},
    {"vatu", "Vattu Variants"},
    {"vchw", "Vertical Contextual Half-width Spacing"},
    {"vert", "Vertical Alternates"},
    {"vhal", "Alternate Vertical Half Metrics"},
    {"vjmo", "Vowel Jamo Forms"},
    {"vkna", "Vertical Kana Alternates"},
    {"vkrn", "Vertical Kerning"},
    {"vpal", "Proportional Alternate Vertical Metrics"},
    {"vrt2", "Vertical Alternates and Rotation"},
    {"vrtr", "Vertical Alternates for Rotation"},
    {"zero", "Slashed Zero"},
};

// The OpenType script tag registry's names.
constexpr CNamed kScriptNames[] = {
    {"adlm", "Adlam"},
    {"ahom", "Ahom"},
    {"arab", "Arabic"},
    {"armn", "Armenian"},
    {"avst", "Avestan"},
    {"bali", "Balinese"},
    {"bamu", "Bamum"},
    {"bass", "Bassa Vah"},
    {"batk", "Batak"},
    {"beng", "Bengali"},
    {"bng2", "Bengali v.2"},
    {"bhks", "Bhaiksuki"},
    {"bopo", "Bopomofo"},
    {"brah", "Brahmi"},
    {"brai", "Braille"},
    {"bugi", "Buginese"},
    {"buhd", "Buhid"},
    {"byzm", "Byzantine Music"},
    {"cans", "Canadian Syllabics"},
    {"cari", "Carian"},
    {"cakm", "Chakma"},
    {"cham", "Cham"},
    {"cher", "Cherokee"},
    {"chrs", "Chorasmian"},
    {"copt", "Coptic"},
    {"cprt", "Cypriot Syllabary"},
    {"cyrl", "Cyrillic"},
    {"DFLT", "Default"},
    {"dsrt", "Deseret"},
    {"deva", "Devanagari"},
    {"dev2", "Devanagari v.2"},
    {"diak", "Dives Akuru"},
    {"dogr", "Dogra"},
    {"dupl", "Duployan"},
    {"egyp", "Egyptian Hieroglyphs"},
    {"elba", "Elbasan"},
    {"elym", "Elymaic"},
    {"ethi", "Ethiopic"},
    {"geor", "Georgian"},
    {"glag", "Glagolitic"},
    {"goth", "Gothic"},
    {"gran", "Grantha"},
    {"grek", "Greek"},
    {"gujr", "Gujarati"},
    {"gjr2", "Gujarati v.2"},
    {"gong", "Gunjala Gondi"},
    {"guru", "Gurmukhi"},
    {"gur2", "Gurmukhi v.2"},
    {"hani", "CJK Ideographic"},
    {"hang", "Hangul"},
    {"jamo", "Hangul Jamo"},
    {"rohg", "Hanifi Rohingya"},
    {"hano", "Hanunoo"},
    {"hatr", "Hatran"},
    {"hebr", "Hebrew"},
    {"kana", "Hiragana and Katakana"},
    {"armi", "Imperial Aramaic"},
    {"phli", "Inscriptional Pahlavi"},
    {"prti", "Inscriptional Parthian"},
    {"java", "Javanese"},
    {"kthi", "Kaithi"},
    {"knda", "Kannada"},
    {"knd2", "Kannada v.2"},
    {"kali", "Kayah Li"},
    {"khar", "Kharosthi"},
    {"kits", "Khitan Small Script"},
    {"khmr", "Khmer"},
    {"khoj", "Khojki"},
    {"sind", "Khudawadi"},
    {"lao ", "Lao"},
    {"latn", "Latin"},
    {"lepc", "Lepcha"},
    {"limb", "Limbu"},
    {"lina", "Linear A"},
    {"linb", "Linear B"},
    {"lisu", "Lisu (Fraser)"},
    {"lyci", "Lycian"},
    {"lydi", "Lydian"},
    {"mahj", "Mahajani"},
    {"maka", "Makasar"},
    {"mlym", "Malayalam"},
    {"mlm2", "Malayalam v.2"},
    {"mand", "Mandaic, Mandaean"},
    {"mani", "Manichaean"},
    {"marc", "Marchen"},
    {"gonm", "Masaram Gondi"},
    {"math", "Mathematical Alphanumeric Symbols"},
    {"medf", "Medefaidrin"},
    {"mtei", "Meitei Mayek"},
    {"mend", "Mende Kikakui"},
    {"merc", "Meroitic Cursive"},
    {"mero", "Meroitic Hieroglyphs"},
    {"plrd", "Miao"},
    {"modi", "Modi"},
    {"mong", "Mongolian"},
    {"mroo", "Mro"},
    {"mult", "Multani"},
    {"musc", "Musical Symbols"},
    {"mymr", "Myanmar"},
    {"mym2", "Myanmar v.2"},
    {"nbat", "Nabataean"},
    {"nand", "Nandinagari"},
    {"newa", "Newa"},
    {"talu", "New Tai Lue"},
    {"nko ", "N'Ko"},
    {"nshu", "Nüshu"},
    {"hmnp", "Nyiakeng Puachue Hmong"},
    {"orya", "Odia"},
    {"ory2", "Odia v.2"},
    {"ogam", "Ogham"},
    {"olck", "Ol Chiki"},
    {"ital", "Old Italic"},
    {"hung", "Old Hungarian"},
    {"narb", "Old North Arabian"},
    {"perm", "Old Permic"},
    {"xpeo", "Old Persian Cuneiform"},
    {"sogo", "Old Sogdian"},
    {"sarb", "Old South Arabian"},
    {"orkh", "Old Turkic, Orkhon Runic"},
    {"osge", "Osage"},
    {"osma", "Osmanya"},
    {"hmng", "Pahawh Hmong"},
    {"palm", "Palmyrene"},
    {"pauc", "Pau Cin Hau"},
    {"phag", "Phags-pa"},
    {"phnx", "Phoenician"},
    {"phlp", "Psalter Pahlavi"},
    {"rjng", "Rejang"},
    {"runr", "Runic"},
    {"samr", "Samaritan"},
    {"saur", "Saurashtra"},
    {"shrd", "Sharada"},
    {"shaw", "Shavian"},
    {"sidd", "Siddham"},
    {"sgnw", "Sign Writing"},
    {"sinh", "Sinhala"},
    {"sogd", "Sogdian"},
    {"sora", "Sora Sompeng"},
    {"soyo", "Soyombo"},
    {"xsux", "Sumero-Akkadian Cuneiform"},
    {"sund", "Sundanese"},
    {"sylo", "Syloti Nagri"},
    {"syrc", "Syriac"},
    {"tglg", "Tagalog"},
    {"tagb", "Tagbanwa"},
    {"tale", "Tai Le"},
    {"lana", "Tai Tham (Lanna)"},
    {"tavt", "Tai Viet"},
    {"takr", "Takri"},
    {"taml", "Tamil"},
    {"tml2", "Tamil v.2"},
    {"tang", "Tangut"},
    {"telu", "Telugu"},
    {"tel2", "Telugu v.2"},
    {"thaa", "Thaana"},
    {"thai", "Thai"},
    {"tibt", "Tibetan"},
    {"tfng", "Tifinagh"},
    {"tirh", "Tirhuta"},
    {"ugar", "Ugaritic Cuneiform"},
    {"vai ", "Vai"},
    {"wcho", "Wancho"},
    {"wara", "Warang Citi"},
    {"yezi", "Yezidi"},
    {"yi  ", "Yi"},
    {"zanb", "Zanabazar Square"},
};

// What shaping engines apply to horizontal text unless told not to: the
// common features and those of the complex scripts' shapers.
constexpr const char* kOnByDefault[] = {
    "abvf", "abvm", "abvs", "akhn", "blwf", "blwm", "blws", "calt", "ccmp", "cfar", "cjct", "clig",
    "curs", "dist", "fin2", "fin3", "fina", "half", "haln", "init", "isol", "kern", "liga", "ljmo",
    "locl", "ltra", "ltrm", "mark", "med2", "medi", "mkmk", "mset", "nukt", "pref", "pres", "pstf",
    "psts", "rclt", "rkrf", "rlig", "rphf", "rtla", "rtlm", "rvrn", "stch", "tjmo", "vatu", "vjmo"};

template <std::size_t N>
const char* Lookup(const CNamed (&table)[N], std::uint32_t tag) {
    const std::string text = TagText(tag);
    for (const auto& entry : table) {
        if (text == entry.tag) {
            return entry.name;
        }
    }
    return nullptr;
}

std::u16string FromUtf8(std::string_view text) {
    // The registry's names are ASCII but for one letter of Latin-1 (Nüshu).
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0xC0 && i + 1 < text.size()) {
            out.push_back(static_cast<char16_t>(((c & 0x1F) << 6) |
                                                (static_cast<unsigned char>(text[++i]) & 0x3F)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::u16string AsciiText(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace

std::string TagText(std::uint32_t tag) {
    std::string text(4, ' ');
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<char>((tag >> (24 - 8 * i)) & 0xFF);
        text[static_cast<std::size_t>(i)] = (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text;
}

std::uint32_t TagFromText(std::string_view text) {
    if (text.empty() || text.size() > 4) {
        return 0;
    }
    std::uint32_t tag = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const char c = i < text.size() ? text[i] : ' ';
        if (c < 0x20 || c >= 0x7F) {
            return 0;
        }
        tag = (tag << 8) | static_cast<unsigned char>(c);
    }
    return tag;
}

std::u16string RegisteredFeatureName(std::uint32_t tag) {
    const std::string text = TagText(tag);
    const auto number = [&](std::size_t at) -> int {
        if (!std::isdigit(static_cast<unsigned char>(text[at])) ||
            !std::isdigit(static_cast<unsigned char>(text[at + 1]))) {
            return 0;
        }
        return (text[at] - '0') * 10 + (text[at + 1] - '0');
    };
    if (text.starts_with("ss")) {
        if (const int set = number(2); set >= 1 && set <= 20) {
            return AsciiText("Stylistic Set " + std::to_string(set));
        }
    }
    if (text.starts_with("cv")) {
        if (const int variant = number(2); variant >= 1 && variant <= 99) {
            return AsciiText("Character Variant " + std::to_string(variant));
        }
    }
    if (const char* name = Lookup(kFeatureNames, tag)) {
        return FromUtf8(name);
    }
    return {};
}

std::u16string ScriptName(std::uint32_t tag) {
    if (const char* name = Lookup(kScriptNames, tag)) {
        return FromUtf8(name);
    }
    return {};
}

bool IsOnByDefault(std::uint32_t tag) {
    const std::string text = TagText(tag);
    for (const char* on : kOnByDefault) {
        if (text == on) {
            return true;
        }
    }
    return false;
}

}  // namespace Varnholt::OpenTypeFontData
