#pragma once

#include <memory>

#include "fontdata/opentype/internal/DataStructure.h"

namespace Varnholt::OpenTypeFontData {

// One table record of the table directory.
class CTableDirectory : public IDataStructure {
public:
    struct Data {
        std::uint32_t tag = 0;       // big-endian integer: 'cmap' is 0x636D6170
        std::uint32_t checkSum = 0;  // read, never verified
        std::uint32_t offset = 0;    // from the start of the file
        std::uint32_t length = 0;    // read, not used
    };
    static constexpr std::uint32_t kSize = 16;
    static constexpr std::uint32_t kCmap = MakeTag('c', 'm', 'a', 'p');
    static constexpr std::uint32_t kName = MakeTag('n', 'a', 'm', 'e');
    static constexpr std::uint32_t kOS2 = MakeTag('O', 'S', '/', '2');

    // Refuses a second parse.
    std::uint32_t Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) override;

    const Data* GetData() const { return m_data.get(); }

private:
    std::unique_ptr<Data> m_data;
};

}  // namespace Varnholt::OpenTypeFontData
