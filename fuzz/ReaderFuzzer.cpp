// Feeds arbitrary bytes to the font reader and reads back every result.

#include <cstddef>
#include <cstdint>
#include <span>

#include "fontdata/opentype/FontInfoRows.h"
#include "fontdata/opentype/OpenTypeData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Varnholt::COpenTypeData font;
    if (font.Load(std::span<const std::uint8_t>(data, size)) != 1) {
        return 0;
    }
    std::size_t sum = 0;
    for (const auto& row : Varnholt::FontInfoRows(u"fuzz.ttf", font)) {
        sum += Varnholt::ToUtf8(row.value).size();
    }
    if (const auto* name = font.GetName(4)) {
        sum += name->size();
    }
    for (const auto& subtable : font.GetCharacterMap().subtables) {
        for (std::uint32_t i = 0; i < subtable.count; ++i) {
            sum += subtable.codes[i];
        }
    }
    sum += font.GetOS2().panose[9];
    return sum == 0xFFFFFFFF ? 1 : 0;
}
