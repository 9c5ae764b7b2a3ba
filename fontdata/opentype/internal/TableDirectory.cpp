#include "fontdata/opentype/internal/TableDirectory.h"

namespace Varnholt::OpenTypeFontData {

std::uint32_t CTableDirectory::Parse(CFontImage& image, std::uint64_t offset,
                                     std::uint32_t available) {
    if (m_data || available < kSize) {
        return 0;
    }
    const std::uint8_t* bytes = image.Bytes(offset, kSize);
    if (bytes == nullptr) {
        return 0;
    }
    const CBigEndian be(bytes);
    m_data = std::make_unique<Data>(Data{be.U32(0), be.U32(4), be.U32(8), be.U32(12)});
    return kSize;
}

}  // namespace Varnholt::OpenTypeFontData
