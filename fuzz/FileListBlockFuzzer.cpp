// Decodes the bytes as the file list block of a drag, and encodes the paths
// it held again: the new block must decode to the same paths, and have the
// size the layout gives.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>

#include "core/FileListBlock.h"

using namespace Quillmark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray block(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QStringList> paths = DecodeFileListBlock(block);
    if (!paths) {
        return 0;
    }
    qsizetype expected = 20 + 2;
    for (const QString& path : *paths) {
        if (path.isEmpty() || path.contains(QChar(u'\0'))) {
            std::abort();
        }
        expected += 2 * (path.size() + 1);
    }
    const QByteArray again = EncodeFileListBlock(*paths);
    if (again.size() != expected || DecodeFileListBlock(again) != paths) {
        std::abort();
    }
    return 0;
}
