// Feeds arbitrary bytes to the font reader and reads back every result: of
// each face of a collection (the first few and the last), and of the face
// as the file it is drawn from (a web font decoded, a face taken out of its
// collection), which must read as the face itself.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "fontdata/opentype/Container.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "fontdata/opentype/OpenTypeData.h"

namespace {

std::size_t ReadBack(const Varnholt::COpenTypeData& font);

std::size_t ReadFace(std::span<const std::uint8_t> bytes, std::uint32_t face,
                     std::uint32_t& faces) {
    Varnholt::COpenTypeData font;
    const Varnholt::FontStatus status = font.Load(bytes, face);
    faces = font.GetFaceCount();
    if (status != Varnholt::FontStatus::Loaded) {
        return 0;
    }
    std::size_t sum = ReadBack(font);
    std::vector<std::uint8_t> file;
    const auto drawn = Varnholt::OpenTypeFontData::FaceFile(bytes, face, file);
    if (drawn != Varnholt::FontStatus::Loaded) {
        return sum;
    }
    Varnholt::COpenTypeData alone;
    const auto read = alone.Load(file);
    // A font of one face, or a web font's, is drawn from the very bytes that
    // were read. A face taken out of a collection has each table's declared
    // length only, where the reader may have read past it: read, not compared.
    using Varnholt::OpenTypeFontData::Container;
    bool sameBytes = font.GetContainer() == Container::Font;
    if (font.GetContainer() == Container::Woff || font.GetContainer() == Container::Woff2) {
        Varnholt::OpenTypeFontData::CMemoryImage image(bytes);
        std::vector<std::uint8_t> decoded;
        sameBytes =
            Varnholt::OpenTypeFontData::DecodeWebFont(image, font.GetContainer(), decoded) ==
                Varnholt::FontStatus::Loaded &&
            decoded.size() >= 4 &&
            !(decoded[0] == 't' && decoded[1] == 't' && decoded[2] == 'c' && decoded[3] == 'f');
    }
    if (sameBytes &&
        (read != Varnholt::FontStatus::Loaded ||
         alone.GetNameRecords().size() != font.GetNameRecords().size() ||
         alone.GetCharacterMap().subtables.size() != font.GetCharacterMap().subtables.size() ||
         alone.GetCharacterMap().supplementary.size() !=
             font.GetCharacterMap().supplementary.size() ||
         alone.GetOS2().panose != font.GetOS2().panose)) {
        std::abort();
    }
    return sum + file.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    std::uint32_t faces = 0;
    std::size_t sum = ReadFace(bytes, 0, faces);
    const std::uint32_t count = faces;
    for (std::uint32_t face = 1; face < count && face < 4; ++face) {
        sum += ReadFace(bytes, face, faces);
    }
    if (count > 4) {
        sum += ReadFace(bytes, count - 1, faces);
    }
    return sum == 0xFFFFFFFF ? 1 : 0;
}

namespace {

std::size_t ReadBack(const Varnholt::COpenTypeData& font) {
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
    for (const auto& range : font.GetCharacterMap().supplementary) {
        sum += range.last - range.first;
    }
    sum += font.GetOS2().panose[9];
    return sum;
}

}  // namespace
