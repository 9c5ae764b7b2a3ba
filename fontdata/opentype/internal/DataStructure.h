#pragma once

#include <cstdint>

#include "fontdata/opentype/FontImage.h"

namespace Varnholt::OpenTypeFontData {

// Every parsed structure of the file. Parse reads the structure at `offset`
// of the image; `available` is the loader's running count of bytes not yet
// consumed (not a bound on the position). It returns the number of bytes the
// structure consumed, 0 when it could not be parsed, including when any byte
// it needs lies outside the image.
class IDataStructure {
public:
    virtual std::uint32_t Parse(CFontImage& image, std::uint64_t offset,
                                std::uint32_t available) = 0;
    virtual ~IDataStructure() = default;
};

constexpr std::uint32_t MakeTag(char a, char b, char c, char d) {
    return (std::uint32_t(std::uint8_t(a)) << 24) | (std::uint32_t(std::uint8_t(b)) << 16) |
           (std::uint32_t(std::uint8_t(c)) << 8) | std::uint32_t(std::uint8_t(d));
}

}  // namespace Varnholt::OpenTypeFontData
