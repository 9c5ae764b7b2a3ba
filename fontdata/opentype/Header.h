#pragma once

#include <memory>

#include "fontdata/opentype/internal/DataStructure.h"

namespace Varnholt::OpenTypeFontData {

// The offset table at the start of the file.
class CHeader : public IDataStructure {
public:
    struct Data {
        std::uint32_t sfntVersion = 0;
        std::uint16_t numTables = 0;
        std::uint16_t searchRange = 0;
        std::uint16_t entrySelector = 0;
        std::uint16_t rangeShift = 0;
    };
    static constexpr std::uint32_t kSize = 12;
    static constexpr std::uint32_t kTrueType = 0x00010000;
    static constexpr std::uint32_t kCff = MakeTag('O', 'T', 'T', 'O');

    // Accepts TrueType and CFF outlines only; a collection (`ttcf`) or an
    // Apple `true` font does not parse.
    std::uint32_t Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) override;

    const Data* GetData() const { return m_data.get(); }

private:
    std::shared_ptr<Data> m_data;
};

}  // namespace Varnholt::OpenTypeFontData
