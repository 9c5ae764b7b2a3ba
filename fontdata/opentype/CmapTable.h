#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "fontdata/opentype/internal/DataStructure.h"

namespace Varnholt::OpenTypeFontData {

// The `cmap` table, reduced to the characters each Windows format 4
// subtable covers, the characters past U+FFFF of its best 32-bit map, and
// whether the font has a Windows Symbol map.
class CcmapTable : public IDataStructure {
public:
    // The characters one format 4 subtable covers, kept as the ranges of its
    // segments. Every encoding record that names the same subtable shares
    // one, so a file of a few kilobytes that points thousands of records at
    // one subtable costs one coverage, not thousands.
    struct Coverage {
        struct Range {
            std::uint16_t first = 0;
            std::uint16_t last = 0;  // inclusive, first <= last
        };
        std::vector<Range> ranges;  // in the order the codes are listed
        std::uint16_t count = 0;    // the codes listed: the ranges', then zeros
    };
    struct Subtable {
        std::uint32_t platformID = 3;
        std::uint32_t encodingID = 0;
        std::shared_ptr<const Coverage> coverage;  // never null
        std::uint16_t count = 0;                   // entries of the code list

        // Calls visit(code) for each entry of the code list in order: the
        // segments' codes run together (ascending, as segments are sorted),
        // then zeros up to `count` when the segments gave fewer. A visit
        // that returns a bool stops the walk with false; so does ForEachCode.
        template <typename Visit>
        bool ForEachCode(Visit visit) const {
            const auto go = [&](std::uint16_t code) {
                if constexpr (std::is_same_v<std::invoke_result_t<Visit&, std::uint16_t>, bool>) {
                    return visit(code);
                } else {
                    visit(code);
                    return true;
                }
            };
            std::uint32_t listed = 0;
            for (const auto& range : coverage->ranges) {
                for (std::uint32_t code = range.first; code <= range.last; ++code, ++listed) {
                    if (!go(static_cast<std::uint16_t>(code))) {
                        return false;
                    }
                }
            }
            for (; listed < count; ++listed) {
                if (!go(std::uint16_t{0})) {
                    return false;
                }
            }
            return true;
        }
        // The code list expanded, `count` entries.
        std::vector<std::uint16_t> Codes() const;
    };
    // Characters past U+FFFF, U+10000 to U+10FFFF.
    struct SupplementaryRange {
        std::uint32_t first = 0;
        std::uint32_t last = 0;  // inclusive, first <= last
    };
    struct Data {
        std::vector<Subtable> subtables;  // file order, format 4 only
        bool symbol = false;              // any (3,0) record, whatever its format
        // The characters past U+FFFF of the first Windows Unicode full map
        // (3,10) of format 12, else of the first Unicode-platform map of
        // format 12 or 13: sorted, apart, not adjacent. A 32-bit map that
        // cannot be read adds nothing and fails nothing: the 16-bit maps
        // are read exactly as without it.
        std::vector<SupplementaryRange> supplementary;
    };
    static constexpr std::uint32_t kHeaderSize = 4;
    static constexpr std::uint32_t kEncodingRecordSize = 8;

    // Returns 4 + 8 × numTables; 0 when parsed before or unreadable.
    std::uint32_t Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) override;

    const Data* GetData() const { return m_data.get(); }

private:
    static std::shared_ptr<const Coverage> ReadFormat4(CFontImage& image, std::uint64_t offset);
    static std::vector<SupplementaryRange> ReadSupplementary(CFontImage& image,
                                                             std::uint64_t offset);

    std::shared_ptr<Data> m_data;
};

}  // namespace Varnholt::OpenTypeFontData
