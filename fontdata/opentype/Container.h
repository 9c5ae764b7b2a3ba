#pragma once

// What holds a font's tables: a font file of one face, a collection of
// faces (`ttcf`, whose faces may share tables), or a web font (WOFF, whose
// tables are each compressed with zlib, or WOFF2, decoded by Google's
// decoder) that decodes to one of the first two.
//
// Everything here reads through a font image or a span and is bounded by
// it: no offset or count of the file is trusted, and a web font that would
// decode to the font limit or more is refused before anything is decoded.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "fontdata/opentype/FontImage.h"
#include "fontdata/opentype/FontStatus.h"

namespace Varnholt::OpenTypeFontData {

enum class Container : int {
    Font = 0,        // an offset table at the start: .ttf, .otf
    Collection = 1,  // .ttc, .otc
    Woff = 2,
    Woff2 = 3,
};

// The container of an image from its first four bytes; Font for anything
// that is none of the others (the offset table's parse judges it).
Container ContainerOf(CFontImage& image);

// The faces of a collection: where each face's offset table lies.
struct CCollectionHeader {
    static constexpr std::uint32_t kTag = 0x74746366;  // 'ttcf'
    // More faces than any collection made holds (the largest ship a few
    // dozen): a header that declares more is corrupt, never a list of
    // thousands of rows from one small file.
    static constexpr std::uint32_t kMaxFaces = 1024;

    std::vector<std::uint32_t> offsets;
    std::uint32_t size = 0;  // bytes of the header: 12 + 4 × faces (+ 12 for version 2)

    // Reads the header at the start of the image: nullopt for a header
    // that is cut short, declares no face or more than kMaxFaces.
    static std::optional<CCollectionHeader> Read(CFontImage& image);
};

// Decodes a WOFF or WOFF2 image into the font it holds (an offset table
// and its tables, or a collection): Loaded, Corrupt (a directory that does
// not match the file, compressed data that does not inflate to its
// declared length) or TooLarge (the decoded font would be the font limit
// or more).
FontStatus DecodeWebFont(CFontImage& image, Container container, std::vector<std::uint8_t>& font);

// One face of a font as a font file of its own: an offset table and the
// face's tables, each 4-byte aligned, with the tables' checksums as the
// face lists them. For a font of one face, the font's own bytes. Loaded,
// or Corrupt when the face does not exist or its tables do not lie inside
// `font`.
FontStatus ExtractFace(std::span<const std::uint8_t> font, std::uint32_t face,
                       std::vector<std::uint8_t>& out);

// The bytes a face is drawn from: a web font decoded, then the face taken
// out of a collection, so that whatever reads only a font's first face
// (Qt's raw fonts) draws this face.
FontStatus FaceFile(std::span<const std::uint8_t> file, std::uint32_t face,
                    std::vector<std::uint8_t>& out);

}  // namespace Varnholt::OpenTypeFontData
