#pragma once

// The facts Quillmark needs of one TrueType or OpenType file: its Windows
// names, the characters its Windows format 4 maps cover, its PANOSE bytes
// and whether it has a Windows Symbol map. Only the offset table, the table
// directory and the `name`, `cmap` and `OS/2` tables are read; every other
// table is skipped.
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
#include "fontdata/opentype/FontStatus.h"
#include "fontdata/opentype/Header.h"
#include "fontdata/opentype/NamingTable.h"
#include "fontdata/opentype/OS2Table.h"
#include "fontdata/opentype/OpenTypeException.h"

namespace Varnholt {

class COpenTypeData {
public:
    // Files of this size or larger are refused without being opened.
    static constexpr std::uint32_t kMaxFileSize = 50u * 1024 * 1024;
    static constexpr std::uint16_t kEnglishUS = 0x0409;

    // Reads `path` as a file of `fileSize` bytes (the size the caller
    // measured): Loaded, or CouldNotOpen, CouldNotRead (the file is shorter
    // than `fileSize`), Corrupt, TooLarge.
    FontStatus Load(const std::filesystem::path& path, std::uint32_t fileSize);

    // Measures the file through the same open handle and loads it; the
    // result is that of Load(path, MeasureFileSize(path)) for a file that
    // does not change meanwhile.
    FontStatus LoadFile(const std::filesystem::path& path, std::uint32_t& measuredSize);

    // Loads a file image held in memory.
    FontStatus Load(std::span<const std::uint8_t> bytes);

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
    FontStatus Load(OpenTypeFontData::CFontImage& image);
    void Parse(OpenTypeFontData::CFontImage& image);

    OpenTypeFontData::CHeader m_header;
    OpenTypeFontData::CNamingTable m_names;
    OpenTypeFontData::CcmapTable m_cmap;
    OpenTypeFontData::COS2Table m_os2;
};

}  // namespace Varnholt
