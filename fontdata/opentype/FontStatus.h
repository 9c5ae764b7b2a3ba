#pragma once

namespace Varnholt {

// What reading a font file came to: the result of COpenTypeData's Load, the
// code of a COpenTypeException (never Loaded) and a font item's status. The
// numbers are the ones quillmark-cli prints and the item keeps.
enum class FontStatus : int {
    Loaded = 1,
    CouldNotOpen = 2,
    CouldNotRead = 3,  // shorter than measured, or failed while read
    Corrupt = 4,       // any structural failure
    TooLarge = 5,      // 50 MiB or more, never opened
};

}  // namespace Varnholt
