// Feeds arbitrary bytes to what reads a face's design: the face as the file
// it is drawn from (a web font decoded, a collection's face taken out), its
// axes, instances, features and scripts through HarfBuzz, the languages its
// map covers, and the information rows of all of it. Nothing may crash, and
// what is read must hold together: instances have a coordinate an axis, a
// feature list is sorted and each tag once, and a language the rows list is
// one the search for that language finds.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "fontdata/design/FontDesign.h"
#include "fontdata/opentype/Container.h"
#include "fontdata/opentype/OpenTypeData.h"

namespace Design = Varnholt::OpenTypeFontData;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    Varnholt::COpenTypeData font;
    const auto status = font.Load(bytes, 0);
    std::vector<std::uint8_t> face;
    Design::CFontDesign design;
    if (Design::FaceFile(bytes, 0, face) == Varnholt::FontStatus::Loaded) {
        Design::ReadFontDesign(face, design);
    } else {
        // What is not a font to the reader may still be handed to HarfBuzz.
        Design::ReadFontDesign(bytes, design);
    }
    for (const auto& instance : design.instances) {
        if (instance.coordinates.size() > design.axes.size()) {
            std::abort();
        }
    }
    for (std::size_t i = 1; i < design.features.size(); ++i) {
        if (design.features[i - 1].tag >= design.features[i].tag) {
            std::abort();
        }
    }
    if (!std::is_sorted(design.scripts.begin(), design.scripts.end())) {
        std::abort();
    }
    std::vector<std::string> languages;
    if (status == Varnholt::FontStatus::Loaded) {
        languages = Design::CoveredLanguages(font.GetCharacterMap());
        for (const auto& language : languages) {
            const auto coverage = Design::CLanguageCoverage::Of(language);
            if (coverage == nullptr || !coverage->CoveredBy(font.GetCharacterMap())) {
                std::abort();
            }
        }
        const auto rows = Design::AllInfoRows(u"fuzz.ttf", font, design);
        if (rows.empty() || rows.back().name != u"Languages") {
            std::abort();
        }
    }
    return 0;
}
