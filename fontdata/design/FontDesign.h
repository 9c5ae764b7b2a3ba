#pragma once

// What a face offers a designer beyond its names and characters, read by
// HarfBuzz from the face's own tables: the design axes and named instances
// of a variable font (`fvar`), the OpenType layout features its `GSUB` and
// `GPOS` tables list, and the scripts they declare; and, through
// fontconfig's orthographies, the languages its characters cover.
//
// Nothing here uses Qt, so that quillmark-cli and the folder load read it
// without a display. Everything is read from bytes in memory and bounded by
// them: a table that does not parse gives no axes, features or scripts.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fontdata/design/Languages.h"
#include "fontdata/design/LayoutRegistry.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "fontdata/opentype/FontStatus.h"
#include "fontdata/opentype/OpenTypeData.h"

namespace Varnholt::OpenTypeFontData {

struct CDesignAxis {
    std::uint32_t tag = 0;
    std::u16string name;  // the font's own name for it, else the tag
    float minimum = 0;
    float defaultValue = 0;
    float maximum = 0;
    bool hidden = false;  // the font asks that it not be offered to users
};

struct CNamedInstance {
    std::u16string name;             // the instance's subfamily name ("Bold", "Condensed Light")
    std::u16string postScriptName;   // empty when the font gives none
    std::vector<float> coordinates;  // one a design axis, in the axes' order
};

struct CLayoutFeature {
    std::uint32_t tag = 0;
    // The feature's name: the font's own for a stylistic set or character
    // variant that names itself, else the registered name ("Small
    // Capitals"), else the tag.
    std::u16string name;
    bool substitution = false;  // in GSUB
    bool positioning = false;   // in GPOS
    // On unless turned off, as shaping engines apply it to horizontal text
    // (ligatures, kerning, contextual alternates, marks...).
    bool onByDefault = false;
};

struct CFontDesign {
    std::vector<CDesignAxis> axes;
    std::vector<CNamedInstance> instances;
    std::vector<CLayoutFeature> features;  // by tag, each once
    std::vector<std::uint32_t> scripts;    // the layout tables' script tags, by tag, each once

    bool IsVariable() const { return !axes.empty(); }
    const CLayoutFeature* Feature(std::uint32_t tag) const;
    // The index of the axis with this tag, or -1.
    int AxisIndex(std::uint32_t tag) const;
};

// A design axis set to a value ("wght=700"), and a feature turned on or
// off ("+smcp", "-liga"): what a drawing is asked to draw with.
struct CAxisValue {
    std::uint32_t tag = 0;
    float value = 0;
    bool operator==(const CAxisValue&) const = default;
};
struct CFeatureChoice {
    std::uint32_t tag = 0;
    bool on = true;
    bool operator==(const CFeatureChoice&) const = default;
};

// A design to draw a font in: its axes set, its features turned on or off
// (both empty: the font's default design).
struct CDesignLook {
    std::vector<CAxisValue> variations;
    std::vector<CFeatureChoice> features;
    bool IsDefault() const { return variations.empty() && features.empty(); }
    bool operator==(const CDesignLook&) const = default;
};

// Reads "wght=700,wdth=80" (a tag of one to four letters, '=', a number;
// commas between). False, with `error` saying why, for anything else.
bool ParseVariations(std::string_view text, std::vector<CAxisValue>& values, std::string& error);
// Reads "+smcp,-liga,onum" (no sign is on). False, with `error`, for
// anything else.
bool ParseFeatures(std::string_view text, std::vector<CFeatureChoice>& choices, std::string& error);

// Reads the design of `font`, a font of one face (as FaceFile makes it):
// Loaded, or Corrupt when HarfBuzz finds no face in the bytes.
FontStatus ReadFontDesign(std::span<const std::uint8_t> font, CFontDesign& design);

// Reads the design of face `face` of the file: a web font is decoded and a
// collection's face taken out first. The file's status when it cannot be
// had (CouldNotOpen, TooLarge, Corrupt...).
FontStatus ReadFontDesign(const std::filesystem::path& file, std::uint32_t face,
                          CFontDesign& design);

// The rows the font information adds for a face's design, after the
// reader's: "Design Axis" (one a visible axis: its name, tag, range and
// default), "Named Instances" (how many, and their names), "Layout
// Features", "Scripts" and "Languages" (how many of fontconfig's, and
// which). A row is left out when the face has nothing for it.
std::vector<CFontInfoRow> DesignInfoRows(const CFontDesign& design,
                                         const std::vector<std::string>& languages);

// Every row of the font information: the reader's (FontInfoRows), then
// the design's, with the languages the face's map covers.
std::vector<CFontInfoRow> AllInfoRows(const std::u16string& fileName, const COpenTypeData& data,
                                      const CFontDesign& design);

// A number as the rows and the command line write it: the shortest text
// that reads back as it ("400", "14.5", "-10").
std::string NumberText(float value);

}  // namespace Varnholt::OpenTypeFontData
