// Loads the same bytes from memory and from a file (read in ranges, as the
// program reads fonts) and requires the same answers from both.

#include <sys/mman.h>
#include <unistd.h>

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
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("font", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    Varnholt::COpenTypeData fromMemory;
    Varnholt::COpenTypeData fromFile;
    const Varnholt::FontStatus memoryStatus =
        fromMemory.Load(std::span<const std::uint8_t>(data, size));
    const Varnholt::FontStatus fileStatus = fromFile.Load(path, static_cast<std::uint32_t>(size));
    if (memoryStatus != fileStatus ||
        (memoryStatus == Varnholt::FontStatus::Loaded && !SameData(fromMemory, fromFile))) {
        std::abort();
    }
    return 0;
}
