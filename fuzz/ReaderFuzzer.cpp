// Feeds arbitrary bytes to the font reader and reads back every result.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "fontdata/opentype/FontInfoRows.h"
#include "fontdata/opentype/OpenTypeData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Varnholt::COpenTypeData font;
    if (font.Load(std::span<const std::uint8_t>(data, size)) != Varnholt::FontStatus::Loaded) {
        return 0;
    }
    // Each row's first units go through the UTF-8 conversion: a longer text
    // only repeats them, and a crafted font's rows can add up to a gigabyte
    // (fuzz/corpus/reader/seed-overlapping-names), which the replay in every
    // sanitizer build would spend a minute on.
    constexpr std::size_t kConverted = 256;
    std::size_t sum = 0;
    for (const auto& row : Varnholt::FontInfoRows(u"fuzz.ttf", font)) {
        sum += row.value.size();
        sum += Varnholt::ToUtf8(std::u16string_view(row.value).substr(0, kConverted)).size();
    }
    if (const auto* name = font.GetName(4)) {
        sum += name->size();
    }
    for (const auto& subtable : font.GetCharacterMap().subtables) {
        subtable.ForEachCode([&](std::uint16_t code) { sum += code; });
    }
    sum += font.GetOS2().panose[9];
    return sum == 0xFFFFFFFF ? 1 : 0;
}
