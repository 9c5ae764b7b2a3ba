// Reads the bytes as the update service's description of the newest release.
// A description that is read holds a checksum of 32 bytes or none.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>

#include "update/OnlineRelease.h"

using namespace Quillmark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<CRelease> release = COnlineRelease::ParseDescription(xml);
    if (release && !release->sha256.isEmpty() && release->sha256.size() != 32) {
        std::abort();
    }
    return 0;
}
