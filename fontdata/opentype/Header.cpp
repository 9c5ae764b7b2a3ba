#include "fontdata/opentype/Header.h"

namespace Varnholt::OpenTypeFontData {

std::uint32_t CHeader::Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) {
    if (available < kSize) {
        return 0;
    }
    const std::uint8_t* bytes = image.Bytes(offset, kSize);
    if (bytes == nullptr) {
        return 0;
    }
    const CBigEndian be(bytes);
    auto data = std::make_shared<Data>();
    data->sfntVersion = be.U32(0);
    data->numTables = be.U16(4);
    data->searchRange = be.U16(6);
    data->entrySelector = be.U16(8);
    data->rangeShift = be.U16(10);
    if (data->sfntVersion != kTrueType && data->sfntVersion != kCff) {
        return 0;
    }
    m_data = std::move(data);
    return kSize;
}

}  // namespace Varnholt::OpenTypeFontData
