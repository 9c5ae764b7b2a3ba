#pragma once

// The facts Quillmark needs of one face of a TrueType or OpenType file: its
// Windows names, the characters its Windows format 4 maps cover (and those
// past U+FFFF of its 32-bit map), its PANOSE bytes and whether it has a
// Windows Symbol map. A file is a font of one face, a collection of faces,
// or a web font (WOFF, WOFF2) that is decoded in memory first. Only the
// collection header, the face's offset table and table directory and its
// `name`, `cmap` and `OS/2` tables are read; every other table is skipped.
//
// Once Load has returned, the object is never changed again and may be read
// from any thread.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fontdata/opentype/CmapTable.h"
#include "fontdata/opentype/Container.h"
#include "fontdata/opentype/FontStatus.h"
#include "fontdata/opentype/Header.h"
#include "fontdata/opentype/NamingTable.h"
#include "fontdata/opentype/OS2Table.h"
#include "fontdata/opentype/OpenTypeException.h"

namespace Varnholt {

class COpenTypeData {
public:
    // Files of this size or larger are refused without being opened.
    static constexpr std::uint32_t kMaxFileSize = OpenTypeFontData::kMaxFontSize;
    static constexpr std::uint16_t kEnglishUS = 0x0409;

    // Reads face `face` of `path` as a file of `fileSize` bytes (the size
    // the caller measured): Loaded, or CouldNotOpen, CouldNotRead (the file
    // is shorter than `fileSize`), Corrupt (a face the file does not have
    // too), TooLarge (a web font that decodes to the limit or more too).
    FontStatus Load(const std::filesystem::path& path, std::uint32_t fileSize,
                    std::uint32_t face = 0);

    // Measures the file through the same open handle and loads it; the
    // result is that of Load(path, MeasureFileSize(path), face) for a file
    // that does not change meanwhile.
    FontStatus LoadFile(const std::filesystem::path& path, std::uint32_t& measuredSize,
                        std::uint32_t face = 0);

    // Loads a file image held in memory.
    FontStatus Load(std::span<const std::uint8_t> bytes, std::uint32_t face = 0);

    // What was read, once Load has returned (whatever its status, as far
    // as the file was read): the face asked for, how many faces the file
    // holds (1 for a font of one face; 0 when not even that could be
    // read), and its container.
    std::uint32_t GetFaceIndex() const { return m_face; }
    std::uint32_t GetFaceCount() const { return m_faceCount; }
    OpenTypeFontData::Container GetContainer() const { return m_container; }
    // Whether the face's outlines are PostScript (CFF) rather than TrueType.
    bool HasPostScriptOutlines() const;
    // Whether the face's table directory lists an `fvar` table: a variable
    // font, whose design axes and instances HarfBuzz reads (FontDesign.h).
    bool IsVariable() const { return m_variable; }

    // The text of the first record, in file order, with this name ID in
    // English (United States); null when there is none. It views the
    // naming table's strings and lives as long as this object.
    const std::u16string_view* GetName(std::uint16_t nameID) const;
    // Every Windows record, every language, in file order.
    const std::vector<OpenTypeFontData::CNameRecord>& GetNameRecords() const;
    // The Windows format 4 subtables and the symbol flag.
    const OpenTypeFontData::CcmapTable::Data& GetCharacterMap() const;
    const OpenTypeFontData::COS2Table& GetOS2() const { return m_os2; }
    bool IsSymbolFont() const { return GetCharacterMap().symbol; }

private:
    FontStatus Load(OpenTypeFontData::CFontImage& image, std::uint32_t face);
    void Parse(OpenTypeFontData::CFontImage& image);
    // A font of one face or a collection (a web font's, once decoded).
    void ParseFont(OpenTypeFontData::CFontImage& image);
    // The face's offset table at `start`, its directory and tables;
    // `remaining` counts what the container's header left.
    void ParseFace(OpenTypeFontData::CFontImage& image, std::uint64_t start,
                   std::uint32_t remaining);

    OpenTypeFontData::CHeader m_header;
    OpenTypeFontData::CNamingTable m_names;
    OpenTypeFontData::CcmapTable m_cmap;
    OpenTypeFontData::COS2Table m_os2;
    std::uint32_t m_face = 0;
    std::uint32_t m_faceCount = 0;
    bool m_variable = false;
    OpenTypeFontData::Container m_container = OpenTypeFontData::Container::Font;
};

}  // namespace Varnholt
