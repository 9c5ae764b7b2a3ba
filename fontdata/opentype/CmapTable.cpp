#include "fontdata/opentype/CmapTable.h"

#include <algorithm>

#include "fontdata/opentype/internal/Cursor.h"

namespace Varnholt::OpenTypeFontData {

namespace {
constexpr std::uint16_t kWindowsPlatform = 3;
constexpr std::uint16_t kSymbolEncoding = 0;
constexpr std::uint16_t kSegmentMapping = 4;
constexpr std::uint32_t kFormat4HeaderSize = 14;
constexpr std::uint32_t kSegCountX2At = 6;
constexpr std::uint16_t kEnd = 0xFFFF;

// Calls visit(startCode, endCode) for each segment of a format 4 subtable,
// in order, until the arrays end, a segment's end or start code is 0xFFFF,
// or visit returns false. Every walk over the segments is this one, so the
// walk that counts and the walk that fills see the same segments.
template <typename Visit>
void ForEachSegment(CCursor endCodes, CCursor startCodes, Visit visit) {
    for (;;) {
        const auto last = endCodes.U16();
        const auto first = startCodes.U16();
        if (!last || !first || *last == kEnd || *first == kEnd || !visit(*first, *last)) {
            return;
        }
    }
}
}  // namespace

std::uint32_t CcmapTable::Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) {
    if (m_data) {
        return 0;
    }
    auto header = BeginParse(image, offset, available, kHeaderSize, kHeaderSize);
    std::uint16_t version = 0;  // not checked
    std::uint16_t numTables = 0;
    if (!header || !header->Read(version, numTables)) {
        return 0;
    }
    m_data = std::make_shared<Data>();

    auto records =
        CursorAt(image, offset + kHeaderSize, std::uint64_t{kEncodingRecordSize} * numTables);
    if (!records) {
        return 0;
    }
    std::uint16_t platformID = 0;
    std::uint16_t encodingID = 0;
    std::uint32_t subtableOffset = 0;
    while (records->Read(platformID, encodingID, subtableOffset)) {
        if (platformID != kWindowsPlatform) {
            continue;
        }
        const std::uint64_t subtable = offset + subtableOffset;
        auto format = CursorAt(image, subtable, 2);
        if (!format) {
            return 0;
        }
        if (format->U16() == kSegmentMapping) {
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
    auto header = CursorAt(image, offset, kFormat4HeaderSize);
    if (!header) {
        return false;
    }
    const std::uint32_t segCount = header->U16At(kSegCountX2At).value_or(0) / 2;
    const std::uint64_t arrayBytes = 2 * std::uint64_t{segCount};
    // endCode[segCount], reservedPad, startCode[segCount]
    auto endCodes = CursorAt(image, offset + kFormat4HeaderSize, arrayBytes);
    auto startCodes = CursorAt(image, offset + kFormat4HeaderSize + arrayBytes + 2, arrayBytes);
    if (!endCodes || !startCodes) {
        return false;
    }

    std::uint16_t count = 0;
    ForEachSegment(*endCodes, *startCodes, [&](std::uint16_t first, std::uint16_t last) {
        count = static_cast<std::uint16_t>(count + static_cast<std::uint16_t>(last - first + 1));
        return true;
    });

    entry.count = count;
    entry.codes = std::make_shared<std::uint16_t[]>(count);  // zeroed
    std::uint16_t* const codes = entry.codes.get();
    std::uint32_t filled = 0;
    ForEachSegment(*endCodes, *startCodes, [&](std::uint16_t first, std::uint16_t last) {
        if (first <= last) {
            const std::uint32_t take = std::min<std::uint32_t>(last - first + 1u, count - filled);
            std::uint16_t* const out = codes + filled;
            for (std::size_t k = 0; k < take; ++k) {
                out[k] = static_cast<std::uint16_t>(first + k);
            }
            filled += take;
        }
        return filled < count;
    });
    return true;
}

}  // namespace Varnholt::OpenTypeFontData
