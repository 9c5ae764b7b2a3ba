#include "fontdata/opentype/OpenTypeData.h"

#include <algorithm>
#include <vector>

#include "fontdata/opentype/internal/TableDirectory.h"

namespace Varnholt {

using namespace OpenTypeFontData;

namespace {
// Files up to this size are read whole, in one call.
constexpr std::uint32_t kReadWholeBelow = 16 * 1024;
// A table's declared length is only a hint for reading ahead: the first
// part of a table holds what is read (the cmap's first subtables, the
// naming table's records); the rest is read as its structures ask for it.
constexpr std::uint32_t kLargestPrefetch = 16 * 1024;

[[noreturn]] void Fail(FontStatus status) {
    throw COpenTypeException(status);
}
}  // namespace

FontStatus COpenTypeData::Load(const std::filesystem::path& path, std::uint32_t fileSize,
                               std::uint32_t face) {
    if (fileSize >= kMaxFileSize) {
        return FontStatus::TooLarge;
    }
    CFileImage image(fileSize);
    if (!image.Open(path)) {
        return FontStatus::CouldNotOpen;
    }
    if (image.FileSize() < fileSize) {
        return FontStatus::CouldNotRead;
    }
    return Load(image, face);
}

FontStatus COpenTypeData::LoadFile(const std::filesystem::path& path, std::uint32_t& measuredSize,
                                   std::uint32_t face) {
    CFileImage image(0);
    if (!image.Open(path)) {
        measuredSize = 0;
        return FontStatus::CouldNotOpen;
    }
    measuredSize = image.FileSize();
    if (measuredSize >= kMaxFileSize) {
        return FontStatus::TooLarge;
    }
    image.SetSize(measuredSize);
    return Load(image, face);
}

FontStatus COpenTypeData::Load(std::span<const std::uint8_t> bytes, std::uint32_t face) {
    if (bytes.size() >= kMaxFileSize) {
        return FontStatus::TooLarge;
    }
    CMemoryImage image(bytes);
    return Load(image, face);
}

FontStatus COpenTypeData::Load(CFontImage& image, std::uint32_t face) {
    m_face = face;
    try {
        Parse(image);
        return FontStatus::Loaded;
    } catch (const COpenTypeException& e) {
        return e.status();
    }
}

void COpenTypeData::Parse(CFontImage& image) {
    const std::uint32_t fileSize = image.Size();
    if (fileSize <= kReadWholeBelow) {
        image.Prefetch(0, fileSize);
    }
    m_container = ContainerOf(image);
    if (m_container != Container::Woff && m_container != Container::Woff2) {
        ParseFont(image);
        return;
    }
    // Decoded once, read, and let go of: what is kept is copied.
    std::vector<std::uint8_t> decoded;
    const FontStatus status = DecodeWebFont(image, m_container, decoded);
    if (status != FontStatus::Loaded) {
        Fail(status);
    }
    CMemoryImage font(decoded);
    const Container inside = ContainerOf(font);
    if (inside == Container::Woff || inside == Container::Woff2) {
        Fail(FontStatus::Corrupt);  // a web font holds a font, never another web font
    }
    ParseFont(font);
}

void COpenTypeData::ParseFont(CFontImage& image) {
    const std::uint32_t fileSize = image.Size();
    if (ContainerOf(image) != Container::Collection) {
        m_faceCount = 1;
        if (m_face != 0) {
            Fail(FontStatus::Corrupt);
        }
        ParseFace(image, 0, fileSize);
        return;
    }
    // The header alone: the face's tables lie elsewhere, and each face of a
    // large collection is read on its own.
    const auto header = CCollectionHeader::Read(image);
    if (!header || header->size > fileSize) {
        Fail(FontStatus::Corrupt);
    }
    m_faceCount = static_cast<std::uint32_t>(header->offsets.size());
    if (m_face >= m_faceCount) {
        Fail(FontStatus::Corrupt);
    }
    ParseFace(image, header->offsets[m_face], fileSize - header->size);
}

void COpenTypeData::ParseFace(CFontImage& image, std::uint64_t start, std::uint32_t remaining) {
    const std::uint32_t fileSize = image.Size();
    if (m_header.Parse(image, start, remaining) == 0) {
        Fail(FontStatus::Corrupt);
    }
    const std::uint16_t numTables = m_header.GetData()->numTables;
    image.Prefetch(start + CHeader::kSize, std::uint64_t{CTableDirectory::kSize} * numTables);

    // A count of bytes not yet consumed, not a position: every table is
    // handed what is left, wherever it lies. Kept in 32 bits like the file
    // size it starts from.
    remaining -= CHeader::kSize;
    std::uint64_t position = start + CHeader::kSize;
    for (std::uint32_t i = 0; i < numTables; ++i) {
        CTableDirectory directory;
        if (directory.Parse(image, position, remaining) == 0 ||
            directory.GetData()->offset >= fileSize) {
            Fail(FontStatus::Corrupt);
        }
        remaining -= CTableDirectory::kSize;
        position += CTableDirectory::kSize;

        const auto& record = *directory.GetData();
        if (record.tag == MakeTag('f', 'v', 'a', 'r')) {
            m_variable = true;
        }
        IDataStructure* table = nullptr;
        switch (record.tag) {
            case CTableDirectory::kCmap:
                table = &m_cmap;
                break;
            case CTableDirectory::kName:
                table = &m_names;
                break;
            case CTableDirectory::kOS2:
                table = &m_os2;
                break;
            default:
                continue;
        }
        image.Prefetch(record.offset, std::min(record.length, kLargestPrefetch));
        const std::uint32_t consumed = table->Parse(image, record.offset, remaining);
        if (consumed == 0) {
            Fail(FontStatus::Corrupt);
        }
        remaining -= consumed;
    }
}

bool COpenTypeData::HasPostScriptOutlines() const {
    const auto* header = m_header.GetData();
    return header != nullptr && header->sfntVersion == CHeader::kCff;
}

const std::u16string_view* COpenTypeData::GetName(std::uint16_t nameID) const {
    for (const CNameRecord& record : GetNameRecords()) {
        const auto& r = record.GetRecord();
        if (r.nameID == nameID && r.languageID == kEnglishUS &&
            r.platformID == CNameRecord::kWindowsPlatform) {
            return &r.text;
        }
    }
    return nullptr;
}

const std::vector<CNameRecord>& COpenTypeData::GetNameRecords() const {
    static const std::vector<CNameRecord> kNone;
    const auto* data = m_names.GetData();
    return data != nullptr ? data->records : kNone;
}

const CcmapTable::Data& COpenTypeData::GetCharacterMap() const {
    static const CcmapTable::Data kNone;
    const auto* data = m_cmap.GetData();
    return data != nullptr ? *data : kNone;
}

}  // namespace Varnholt
