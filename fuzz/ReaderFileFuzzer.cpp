// Loads the same bytes from memory and from a file (read in ranges, as the
// program reads fonts) and requires the same answers from both: of the
// first face, and of the last of a collection.

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "fontdata/opentype/OpenTypeData.h"

namespace {

bool SameData(const Varnholt::COpenTypeData& a, const Varnholt::COpenTypeData& b) {
    if (a.GetNameRecords().size() != b.GetNameRecords().size() ||
        a.IsSymbolFont() != b.IsSymbolFont() || a.GetOS2().panose != b.GetOS2().panose) {
        return false;
    }
    for (std::size_t i = 0; i < a.GetNameRecords().size(); ++i) {
        // Compared as bytes: memcmp stays fast in a sanitizer build, where
        // comparing unit by unit took seconds for a font of 1 GB of names.
        const auto x = a.GetNameRecords()[i].GetRecord().text;
        const auto y = b.GetNameRecords()[i].GetRecord().text;
        if (x.size() != y.size() ||
            (!x.empty() && std::memcmp(x.data(), y.data(), x.size() * sizeof(char16_t)) != 0))
            return false;
    }
    const auto& x = a.GetCharacterMap().subtables;
    const auto& y = b.GetCharacterMap().subtables;
    if (x.size() != y.size())
        return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i].count != y[i].count || x[i].encodingID != y[i].encodingID ||
            x[i].Codes() != y[i].Codes())
            return false;
    }
    const auto& p = a.GetCharacterMap().supplementary;
    const auto& q = b.GetCharacterMap().supplementary;
    if (p.size() != q.size())
        return false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (p[i].first != q[i].first || p[i].last != q[i].last)
            return false;
    }
    return a.GetContainer() == b.GetContainer() &&
           a.HasPostScriptOutlines() == b.HasPostScriptOutlines();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("font", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    std::uint32_t faces = 1;
    for (std::uint32_t face = 0; face < faces; face = face == 0 ? faces - 1 : faces) {
        Varnholt::COpenTypeData fromMemory;
        Varnholt::COpenTypeData fromFile;
        const Varnholt::FontStatus memoryStatus =
            fromMemory.Load(std::span<const std::uint8_t>(data, size), face);
        const Varnholt::FontStatus fileStatus =
            fromFile.Load(path, static_cast<std::uint32_t>(size), face);
        if (memoryStatus != fileStatus || fromMemory.GetFaceCount() != fromFile.GetFaceCount() ||
            (memoryStatus == Varnholt::FontStatus::Loaded && !SameData(fromMemory, fromFile))) {
            std::abort();
        }
        if (face == 0) {
            faces = std::max<std::uint32_t>(fromMemory.GetFaceCount(), 1);
            if (faces == 1) {
                break;
            }
        }
    }
    return 0;
}
