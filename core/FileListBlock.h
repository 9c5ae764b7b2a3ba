#pragma once

// The block that carries a list of font files between Quillmark's own
// windows in a drag ("application/x-quillmark-font-project-data"):
//
//   offset 0   uint32 LE  offset of the list = 20
//   offset 4   int32 LE   drop point x = 0
//   offset 8   int32 LE   drop point y = 0
//   offset 12  uint32 LE  non-client flag = 0
//   offset 16  uint32 LE  wide characters = 1
//   offset 20  each path in UTF-16LE ended by a zero code unit, then one
//              more zero code unit.
//
// No path gives 22 bytes; the one path "/a.ttf" gives 20 + 2*7 + 2 = 36.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace Quillmark {

inline constexpr const char* kFontProjectDataMimeType = "application/x-quillmark-font-project-data";

QByteArray EncodeFileListBlock(const QStringList& paths);

// The paths of a block; nullopt when the block is malformed: shorter than
// its header, a list offset outside the block, not wide characters, a path
// without its ending zero, or no closing zero. Empty paths are never
// produced (the closing zero ends the list).
std::optional<QStringList> DecodeFileListBlock(const QByteArray& block);

}  // namespace Quillmark
