#pragma once

#include <memory>
#include <vector>

#include "fontdata/opentype/internal/DataStructure.h"

namespace Varnholt::OpenTypeFontData {

// The `cmap` table, reduced to the characters each Windows format 4
// subtable covers, and whether the font has a Windows Symbol map.
class CcmapTable : public IDataStructure {
public:
    struct Subtable {
        std::uint32_t platformID = 3;
        std::uint32_t encodingID = 0;
        std::shared_ptr<std::uint16_t[]> codes;
        std::uint16_t count = 0;  // valid entries of `codes`
    };
    struct Data {
        std::vector<Subtable> subtables;  // file order, format 4 only
        bool symbol = false;              // any (3,0) record, whatever its format
    };
    static constexpr std::uint32_t kHeaderSize = 4;
    static constexpr std::uint32_t kEncodingRecordSize = 8;

    // Returns 4 + 8 × numTables; 0 when parsed before or unreadable.
    std::uint32_t Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) override;

    const Data* GetData() const { return m_data.get(); }

private:
    static bool ReadFormat4(CFontImage& image, std::uint64_t offset, Subtable& entry);

    std::shared_ptr<Data> m_data;
};

}  // namespace Varnholt::OpenTypeFontData
