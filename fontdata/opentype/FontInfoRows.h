#pragma once

// The rows of the font information view: "File Name"; for a collection or
// a web font its "Format", and for a file of several faces the "Face Index"
// (from 0, as the file counts them) and the "Faces in File"; one row for
// each Windows name record of a listed name ID; and "Panose Number".

#include <string>
#include <vector>

#include "fontdata/opentype/OpenTypeData.h"

namespace Varnholt {

struct CFontInfoRow {
    std::u16string name;
    std::u16string value;
};

// The text shown for a font that could not be used: "ERROR: Could not open
// file", "ERROR: Could not read file", "ERROR: Font file is corrupt" (any
// other failing status); nullptr for a readable font.
const char* StatusMessage(FontStatus status);

// The row name for a name ID, or nullptr for IDs without a row (15 to 18,
// and above 19).
const char* NameIDRowName(std::uint16_t nameID);

// The ten PANOSE numbers run together in decimal ("21164222224").
std::u16string PanoseNumber(const OpenTypeFontData::COS2Table& os2);

// "TrueType", "OpenType (PostScript outlines)", "TrueType collection",
// "OpenType collection", "WOFF", "WOFF2", "WOFF2 collection".
std::u16string FormatName(const COpenTypeData& data);

std::vector<CFontInfoRow> FontInfoRows(const std::u16string& fileName, const COpenTypeData& data);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view text);

}  // namespace Varnholt
