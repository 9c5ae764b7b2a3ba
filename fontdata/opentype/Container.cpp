#include "fontdata/opentype/Container.h"

#include <woff2/decode.h>
#include <woff2/output.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "fontdata/opentype/internal/Cursor.h"
#include "fontdata/opentype/internal/DataStructure.h"

namespace Varnholt::OpenTypeFontData {

namespace {

constexpr std::uint32_t kWoff = MakeTag('w', 'O', 'F', 'F');
constexpr std::uint32_t kWoff2 = MakeTag('w', 'O', 'F', '2');
constexpr std::uint32_t kOffsetTableSize = 12;
constexpr std::uint32_t kTableRecordSize = 16;
constexpr std::uint32_t kWoffHeaderSize = 44;
constexpr std::uint32_t kWoffTableSize = 20;

std::uint64_t Padded(std::uint64_t length) {
    return (length + 3) & ~std::uint64_t{3};
}

void PutU16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

void PutU32(std::uint8_t* at, std::uint32_t value) {
    PutU16(at, static_cast<std::uint16_t>(value >> 16));
    PutU16(at + 2, static_cast<std::uint16_t>(value));
}

struct CTableRecord {
    std::uint32_t tag = 0;
    std::uint32_t checkSum = 0;
    std::uint32_t length = 0;
    const std::uint8_t* bytes = nullptr;  // `length` bytes of the table
};

// An offset table with its records, then each table on a 4-byte boundary,
// zero-padded, in the records' order.
void WriteFont(std::uint32_t sfntVersion, const std::vector<CTableRecord>& tables,
               std::uint64_t total, std::vector<std::uint8_t>& out) {
    out.assign(static_cast<std::size_t>(total), 0);
    const auto count = static_cast<std::uint16_t>(tables.size());
    std::uint16_t entrySelector = 0;
    while ((2u << entrySelector) <= count) {
        ++entrySelector;
    }
    const auto searchRange = static_cast<std::uint16_t>(16u << entrySelector);
    PutU32(out.data(), sfntVersion);
    PutU16(out.data() + 4, count);
    PutU16(out.data() + 6, searchRange);
    PutU16(out.data() + 8, entrySelector);
    PutU16(out.data() + 10, static_cast<std::uint16_t>(count * 16u - searchRange));
    std::uint64_t record = kOffsetTableSize;
    std::uint64_t position = kOffsetTableSize + std::uint64_t{kTableRecordSize} * count;
    for (const CTableRecord& table : tables) {
        PutU32(out.data() + record, table.tag);
        PutU32(out.data() + record + 4, table.checkSum);
        PutU32(out.data() + record + 8, static_cast<std::uint32_t>(position));
        PutU32(out.data() + record + 12, table.length);
        if (table.length > 0) {
            std::memcpy(out.data() + position, table.bytes, table.length);
        }
        record += kTableRecordSize;
        position += Padded(table.length);
    }
}

FontStatus DecodeWoff(CFontImage& image, std::vector<std::uint8_t>& font) {
    const std::uint32_t size = image.Size();
    auto header = CursorAt(image, 0, kWoffHeaderSize);
    std::uint32_t signature = 0;
    std::uint32_t flavor = 0;
    std::uint32_t length = 0;
    std::uint16_t numTables = 0;
    if (!header || !header->Read(signature, flavor, length, numTables) || length != size ||
        numTables == 0) {
        return FontStatus::Corrupt;
    }
    auto directory = CursorAt(image, kWoffHeaderSize, std::uint64_t{kWoffTableSize} * numTables);
    if (!directory) {
        return FontStatus::Corrupt;
    }
    struct Entry {
        std::uint32_t tag, offset, compLength, origLength, checkSum;
        const std::uint8_t* stored;
    };
    std::vector<Entry> entries(numTables);
    std::uint64_t total = kOffsetTableSize + std::uint64_t{kTableRecordSize} * numTables;
    for (Entry& e : entries) {
        directory->Read(e.tag, e.offset, e.compLength, e.origLength, e.checkSum);
        e.stored = image.Bytes(e.offset, e.compLength);
        if (e.compLength > e.origLength || e.stored == nullptr) {
            return FontStatus::Corrupt;
        }
        total += Padded(e.origLength);
    }
    // Known before a byte is inflated: what the directory declares.
    if (total >= kMaxFontSize) {
        return FontStatus::TooLarge;
    }
    // Each table's bytes as the font holds them: stored, or inflated to
    // exactly the length the directory gives.
    std::vector<std::vector<std::uint8_t>> inflated(numTables);
    std::vector<CTableRecord> tables(numTables);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        tables[i] = {e.tag, e.checkSum, e.origLength, e.stored};
        if (e.compLength < e.origLength) {
            inflated[i].resize(e.origLength);
            uLongf produced = e.origLength;
            if (::uncompress(inflated[i].data(), &produced, e.stored, e.compLength) != Z_OK ||
                produced != e.origLength) {
                return FontStatus::Corrupt;
            }
            tables[i].bytes = inflated[i].data();
        }
    }
    WriteFont(flavor, tables, total, font);
    return FontStatus::Loaded;
}

FontStatus DecodeWoff2(CFontImage& image, std::vector<std::uint8_t>& font) {
    const std::uint8_t* bytes = image.Bytes(0, image.Size());
    if (bytes == nullptr) {
        return FontStatus::Corrupt;
    }
    // The decoded size the header declares; the decoder writes no more.
    const std::size_t declared = woff2::ComputeWOFF2FinalSize(bytes, image.Size());
    if (declared == 0) {
        return FontStatus::Corrupt;
    }
    if (declared >= kMaxFontSize) {
        return FontStatus::TooLarge;
    }
    font.assign(declared, 0);
    woff2::WOFF2MemoryOut out(font.data(), font.size());
    if (!woff2::ConvertWOFF2ToTTF(bytes, image.Size(), &out)) {
        font.clear();
        return FontStatus::Corrupt;
    }
    font.resize(out.Size());
    return FontStatus::Loaded;
}

}  // namespace

Container ContainerOf(CFontImage& image) {
    auto tag = CursorAt(image, 0, 4);
    switch (tag ? tag->U32().value_or(0) : 0) {
        case CCollectionHeader::kTag:
            return Container::Collection;
        case kWoff:
            return Container::Woff;
        case kWoff2:
            return Container::Woff2;
        default:
            return Container::Font;
    }
}

std::optional<CCollectionHeader> CCollectionHeader::Read(CFontImage& image) {
    auto fixed = CursorAt(image, 0, 12);
    std::uint32_t tag = 0;
    std::uint16_t majorVersion = 0;
    std::uint16_t minorVersion = 0;
    std::uint32_t numFonts = 0;
    if (!fixed || !fixed->Read(tag, majorVersion, minorVersion, numFonts) || tag != kTag ||
        numFonts == 0 || numFonts > kMaxFaces) {
        return std::nullopt;
    }
    auto offsets = CursorAt(image, 12, 4 * std::uint64_t{numFonts});
    if (!offsets) {
        return std::nullopt;
    }
    CCollectionHeader header;
    header.offsets.resize(numFonts);
    offsets->ReadArray(std::span<std::uint32_t>(header.offsets));
    // Version 2 adds the digital signature's tag, length and offset.
    header.size = 12 + 4 * numFonts + (majorVersion >= 2 ? 12 : 0);
    return header;
}

FontStatus DecodeWebFont(CFontImage& image, Container container, std::vector<std::uint8_t>& font) {
    font.clear();
    switch (container) {
        case Container::Woff:
            return DecodeWoff(image, font);
        case Container::Woff2:
            return DecodeWoff2(image, font);
        default:
            return FontStatus::Corrupt;
    }
}

FontStatus ExtractFace(std::span<const std::uint8_t> font, std::uint32_t face,
                       std::vector<std::uint8_t>& out) {
    out.clear();
    CMemoryImage image(font);
    if (ContainerOf(image) != Container::Collection) {
        if (face != 0) {
            return FontStatus::Corrupt;
        }
        out.assign(font.begin(), font.end());
        return FontStatus::Loaded;
    }
    const auto header = CCollectionHeader::Read(image);
    if (!header || face >= header->offsets.size()) {
        return FontStatus::Corrupt;
    }
    const std::uint64_t start = header->offsets[face];
    auto offsetTable = CursorAt(image, start, kOffsetTableSize);
    std::uint32_t sfntVersion = 0;
    std::uint16_t numTables = 0;
    if (!offsetTable || !offsetTable->Read(sfntVersion, numTables)) {
        return FontStatus::Corrupt;
    }
    auto records =
        CursorAt(image, start + kOffsetTableSize, std::uint64_t{kTableRecordSize} * numTables);
    if (!records) {
        return FontStatus::Corrupt;
    }
    std::vector<CTableRecord> tables(numTables);
    std::uint64_t total = kOffsetTableSize + std::uint64_t{kTableRecordSize} * numTables;
    for (CTableRecord& table : tables) {
        std::uint32_t offset = 0;
        records->Read(table.tag, table.checkSum, offset, table.length);
        table.bytes = image.Bytes(offset, table.length);
        if (table.bytes == nullptr) {
            return FontStatus::Corrupt;
        }
        // Faces may share tables; a face that lists one table many times
        // would make a file of many times the collection.
        total += Padded(table.length);
        if (total >= kMaxFontSize) {
            return FontStatus::TooLarge;
        }
    }
    WriteFont(sfntVersion, tables, total, out);
    return FontStatus::Loaded;
}

FontStatus FaceFile(std::span<const std::uint8_t> file, std::uint32_t face,
                    std::vector<std::uint8_t>& out) {
    CMemoryImage image(file);
    const Container container = ContainerOf(image);
    if (container != Container::Woff && container != Container::Woff2) {
        return ExtractFace(file, face, out);
    }
    std::vector<std::uint8_t> decoded;
    const FontStatus status = DecodeWebFont(image, container, decoded);
    if (status != FontStatus::Loaded) {
        out.clear();
        return status;
    }
    if (face == 0 && decoded.size() >= 4 &&
        CCursor(std::span<const std::uint8_t>(decoded)).U32At(0) != CCollectionHeader::kTag) {
        out = std::move(decoded);
        return FontStatus::Loaded;
    }
    return ExtractFace(decoded, face, out);
}

}  // namespace Varnholt::OpenTypeFontData
