#include "fontdata/opentype/internal/TableDirectory.h"

#include "fontdata/opentype/internal/Cursor.h"

namespace Varnholt::OpenTypeFontData {

std::uint32_t CTableDirectory::Parse(CFontImage& image, std::uint64_t offset,
                                     std::uint32_t available) {
    if (m_data) {
        return 0;
    }
    auto cursor = BeginParse(image, offset, available, kSize, kSize);
    Data data;
    if (!cursor || !cursor->Read(data.tag, data.checkSum, data.offset, data.length)) {
        return 0;
    }
    m_data = std::make_unique<Data>(data);
    return kSize;
}

}  // namespace Varnholt::OpenTypeFontData
