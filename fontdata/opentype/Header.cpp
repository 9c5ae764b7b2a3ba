#include "fontdata/opentype/Header.h"

#include "fontdata/opentype/internal/Cursor.h"

namespace Varnholt::OpenTypeFontData {

std::uint32_t CHeader::Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) {
    auto cursor = BeginParse(image, offset, available, kSize, kSize);
    Data data;
    if (!cursor || !cursor->Read(data.sfntVersion, data.numTables, data.searchRange,
                                 data.entrySelector, data.rangeShift)) {
        return 0;
    }
    if (data.sfntVersion != kTrueType && data.sfntVersion != kCff) {
        return 0;
    }
    m_data = std::make_shared<Data>(data);
    return kSize;
}

}  // namespace Varnholt::OpenTypeFontData
