#pragma once

// The OpenType layout tag registry: tags as text, the names it gives
// features and scripts, and which features shaping engines apply unasked.

#include <cstdint>
#include <string>
#include <string_view>

namespace Varnholt::OpenTypeFontData {

// Tags are numbers, 'wght' = 0x77676874 (the reader's MakeTag).
// The tag's four letters, trailing spaces kept ("kern", "DFLT", "lat ").
std::string TagText(std::uint32_t tag);
// The tag of four printable ASCII letters (a shorter text is padded with
// spaces, as OpenType pads tags); 0 for anything else.
std::uint32_t TagFromText(std::string_view text);

// The registered name of a layout feature ("smcp" is "Small Capitals",
// "ss03" "Stylistic Set 3"); empty for a tag that is not registered.
std::u16string RegisteredFeatureName(std::uint32_t tag);

// A script tag's name as the OpenType registry gives it ("latn" is
// "Latin"); empty for a tag that is not registered.
std::u16string ScriptName(std::uint32_t tag);

// Whether shaping engines apply the feature to horizontal text unless
// told not to (ligatures, kerning, contextual alternates, marks, and the
// forms the complex scripts' shapers need).
bool IsOnByDefault(std::uint32_t tag);

}  // namespace Varnholt::OpenTypeFontData
