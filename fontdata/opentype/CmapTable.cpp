#include "fontdata/opentype/CmapTable.h"

#include <algorithm>

namespace Varnholt::OpenTypeFontData {

namespace {
constexpr std::uint16_t kWindowsPlatform = 3;
constexpr std::uint16_t kSymbolEncoding = 0;
constexpr std::uint16_t kSegmentMapping = 4;
constexpr std::uint32_t kFormat4HeaderSize = 14;
constexpr std::uint16_t kEnd = 0xFFFF;
}  // namespace

std::uint32_t CcmapTable::Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) {
    if (m_data || available < kHeaderSize) {
        return 0;
    }
    const std::uint8_t* header = image.Bytes(offset, kHeaderSize);
    if (header == nullptr) {
        return 0;
    }
    m_data = std::make_shared<Data>();
    const std::uint16_t numTables = CBigEndian(header).U16(2);

    for (std::uint32_t i = 0; i < numTables; ++i) {
        const std::uint8_t* record = image.Bytes(
            offset + kHeaderSize + std::uint64_t{kEncodingRecordSize} * i, kEncodingRecordSize);
        if (record == nullptr) {
            return 0;
        }
        const CBigEndian be(record);
        const std::uint16_t platformID = be.U16(0);
        const std::uint16_t encodingID = be.U16(2);
        const std::uint64_t subtable = offset + be.U32(4);
        if (platformID != kWindowsPlatform) {
            continue;
        }
        const std::uint8_t* format = image.Bytes(subtable, 2);
        if (format == nullptr) {
            return 0;
        }
        if (CBigEndian(format).U16(0) == kSegmentMapping) {
            Subtable entry;
            entry.encodingID = encodingID;
            if (!ReadFormat4(image, subtable, entry)) {
                return 0;
            }
            m_data->subtables.push_back(std::move(entry));
        }
        if (encodingID == kSymbolEncoding) {
            m_data->symbol = true;
        }
    }
    return kHeaderSize + kEncodingRecordSize * numTables;
}

// Lists the characters of the segments before the 0xFFFF terminator. Only
// the start and end codes are read: a code mapped to glyph 0 still counts.
// The count is a 16-bit sum, as the entry's field is 16 bits.
bool CcmapTable::ReadFormat4(CFontImage& image, std::uint64_t offset, Subtable& entry) {
    const std::uint8_t* header = image.Bytes(offset, kFormat4HeaderSize);
    if (header == nullptr) {
        return false;
    }
    const std::uint32_t segCount = CBigEndian(header).U16(6) / 2;
    const std::uint64_t arrayBytes = 2 * std::uint64_t{segCount};
    const std::uint8_t* endBytes = image.Bytes(offset + kFormat4HeaderSize, arrayBytes);
    const std::uint8_t* startBytes =
        image.Bytes(offset + kFormat4HeaderSize + arrayBytes + 2, arrayBytes);
    if (endBytes == nullptr || startBytes == nullptr) {
        return false;
    }
    const CBigEndian endCode(endBytes);
    const CBigEndian startCode(startBytes);

    std::uint32_t walked = 0;
    std::uint16_t count = 0;
    while (walked < segCount && endCode.U16(2 * walked) != kEnd &&
           startCode.U16(2 * walked) != kEnd) {
        const std::uint16_t first = startCode.U16(2 * walked);
        const std::uint16_t last = endCode.U16(2 * walked);
        count = static_cast<std::uint16_t>(count + static_cast<std::uint16_t>(last - first + 1));
        ++walked;
    }

    entry.count = count;
    entry.codes = std::make_shared<std::uint16_t[]>(count);  // zeroed
    std::uint32_t filled = 0;
    for (std::uint32_t s = 0; s < walked && filled < count; ++s) {
        const std::uint32_t first = startCode.U16(2 * s);
        const std::uint32_t last = endCode.U16(2 * s);
        for (std::uint32_t code = first; code <= last && filled < count; ++code) {
            entry.codes[filled++] = static_cast<std::uint16_t>(code);
        }
    }
    return true;
}

}  // namespace Varnholt::OpenTypeFontData
