#include "fontdata/opentype/CmapTable.h"

#include <algorithm>
#include <map>
#include <optional>

#include "fontdata/opentype/internal/Cursor.h"

namespace Varnholt::OpenTypeFontData {

namespace {
constexpr std::uint16_t kWindowsPlatform = 3;
constexpr std::uint16_t kSymbolEncoding = 0;
constexpr std::uint16_t kSegmentMapping = 4;
constexpr std::uint32_t kFormat4HeaderSize = 14;
constexpr std::uint32_t kSegCountX2At = 6;
constexpr std::uint16_t kEnd = 0xFFFF;
constexpr std::uint16_t kUnicodePlatform = 0;
constexpr std::uint16_t kUnicodeFullEncoding = 10;
constexpr std::uint16_t kSegmentedCoverage = 12;
constexpr std::uint16_t kManyToOne = 13;
constexpr std::uint32_t kFormat12HeaderSize = 16;
constexpr std::uint32_t kGroupSize = 12;
constexpr std::uint32_t kFirstSupplementary = 0x10000;
constexpr std::uint32_t kLastCode = 0x10FFFF;

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

std::vector<std::uint16_t> CcmapTable::Subtable::Codes() const {
    std::vector<std::uint16_t> codes;
    codes.reserve(count);
    ForEachCode([&](std::uint16_t code) { codes.push_back(code); });
    return codes;
}

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
    // Each subtable is read once, however many records name it.
    std::map<std::uint64_t, std::shared_ptr<const Coverage>> read;
    std::uint16_t platformID = 0;
    std::uint16_t encodingID = 0;
    std::uint32_t subtableOffset = 0;
    // The 32-bit maps, best first: Windows (3,10), then the Unicode platform's.
    std::optional<std::uint64_t> windowsFull;
    std::optional<std::uint64_t> unicodeFull;
    const auto formatAt = [&](std::uint64_t subtable) -> std::optional<std::uint16_t> {
        auto format = CursorAt(image, subtable, 2);
        return format ? format->U16() : std::nullopt;
    };
    while (records->Read(platformID, encodingID, subtableOffset)) {
        const std::uint64_t at = offset + subtableOffset;
        if (platformID == kUnicodePlatform && !unicodeFull) {
            const auto format = formatAt(at);
            if (format == kSegmentedCoverage || format == kManyToOne) {
                unicodeFull = at;
            }
        }
        if (platformID != kWindowsPlatform) {
            continue;
        }
        if (encodingID == kUnicodeFullEncoding && !windowsFull &&
            formatAt(at) == kSegmentedCoverage) {
            windowsFull = at;
        }
        const std::uint64_t subtable = offset + subtableOffset;
        auto format = CursorAt(image, subtable, 2);
        if (!format) {
            return 0;
        }
        if (format->U16() == kSegmentMapping) {
            auto& coverage = read[subtable];
            if (coverage == nullptr) {
                coverage = ReadFormat4(image, subtable);
                if (coverage == nullptr) {
                    return 0;
                }
            }
            Subtable entry;
            entry.encodingID = encodingID;
            entry.coverage = coverage;
            entry.count = coverage->count;
            m_data->subtables.push_back(std::move(entry));
        }
        if (encodingID == kSymbolEncoding) {
            m_data->symbol = true;
        }
    }
    if (windowsFull || unicodeFull) {
        m_data->supplementary = ReadSupplementary(image, windowsFull ? *windowsFull : *unicodeFull);
    }
    return kHeaderSize + kEncodingRecordSize * numTables;
}

// The groups' characters from U+10000 on. Groups need not be sorted or
// apart in a crafted map; the ranges kept are.
std::vector<CcmapTable::SupplementaryRange> CcmapTable::ReadSupplementary(CFontImage& image,
                                                                          std::uint64_t offset) {
    auto header = CursorAt(image, offset, kFormat12HeaderSize);
    const std::uint32_t numGroups = header ? header->U32At(12).value_or(0) : 0;
    auto groups =
        CursorAt(image, offset + kFormat12HeaderSize, std::uint64_t{kGroupSize} * numGroups);
    if (!groups) {
        return {};
    }
    // Groups come in code order in every map made by a tool, most of them
    // a character each: they are merged as they are read, and only a map
    // out of order is sorted.
    std::vector<SupplementaryRange> ranges;
    bool inOrder = true;
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::uint32_t glyph = 0;
    while (groups->Read(first, last, glyph)) {
        first = std::max(first, kFirstSupplementary);
        last = std::min(last, kLastCode);
        if (first > last) {
            continue;
        }
        if (inOrder && !ranges.empty()) {
            if (first < ranges.back().first) {
                inOrder = false;
            } else if (first <= ranges.back().last + 1) {
                ranges.back().last = std::max(ranges.back().last, last);
                continue;
            }
        }
        ranges.push_back({first, last});
    }
    if (inOrder) {
        ranges.shrink_to_fit();
        return ranges;
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<SupplementaryRange> merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().last + 1) {
            merged.back().last = std::max(merged.back().last, range.last);
        } else {
            merged.push_back(range);
        }
    }
    merged.shrink_to_fit();
    return merged;
}

// Lists the characters of the segments before the 0xFFFF terminator. Only
// the start and end codes are read: a code mapped to glyph 0 still counts.
// The count is a 16-bit sum, as the entry's field is 16 bits: a segment
// whose start passes its end adds its wrapped length to the count and no
// codes, and a list longer than the count is cut short; the entries the
// segments do not fill are zeros.
std::shared_ptr<const CcmapTable::Coverage> CcmapTable::ReadFormat4(CFontImage& image,
                                                                    std::uint64_t offset) {
    auto header = CursorAt(image, offset, kFormat4HeaderSize);
    if (!header) {
        return nullptr;
    }
    const std::uint32_t segCount = header->U16At(kSegCountX2At).value_or(0) / 2;
    const std::uint64_t arrayBytes = 2 * std::uint64_t{segCount};
    // endCode[segCount], reservedPad, startCode[segCount]
    auto endCodes = CursorAt(image, offset + kFormat4HeaderSize, arrayBytes);
    auto startCodes = CursorAt(image, offset + kFormat4HeaderSize + arrayBytes + 2, arrayBytes);
    if (!endCodes || !startCodes) {
        return nullptr;
    }

    auto coverage = std::make_shared<Coverage>();
    std::uint16_t count = 0;
    std::size_t segments = 0;
    ForEachSegment(*endCodes, *startCodes, [&](std::uint16_t first, std::uint16_t last) {
        count = static_cast<std::uint16_t>(count + static_cast<std::uint16_t>(last - first + 1));
        segments += first <= last ? 1 : 0;
        return true;
    });
    coverage->count = count;
    coverage->ranges.reserve(segments);
    std::uint32_t filled = 0;
    ForEachSegment(*endCodes, *startCodes, [&](std::uint16_t first, std::uint16_t last) {
        if (first <= last) {
            const std::uint32_t take = std::min<std::uint32_t>(last - first + 1u, count - filled);
            if (take > 0) {
                coverage->ranges.push_back({first, static_cast<std::uint16_t>(first + take - 1)});
            }
            filled += take;
        }
        return filled < count;
    });
    coverage->ranges.shrink_to_fit();
    return coverage;
}

}  // namespace Varnholt::OpenTypeFontData
