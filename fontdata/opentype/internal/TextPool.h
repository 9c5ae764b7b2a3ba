#pragma once

// Name texts shared by every font that carries them. A folder of fonts
// repeats the same copyright, licence and address texts in font after font
// (on a desktop's own fonts, six of every seven bytes of Windows name text
// are a text another font has too), so the reader keeps one copy of each
// text while any font holds it, and fonts hold it by shared pointer.
//
// Safe to call from any thread. A text leaves the pool when its last
// holder lets go.

#include <memory>
#include <string>
#include <string_view>

namespace Varnholt::OpenTypeFontData {

using CSharedText = std::shared_ptr<const std::u16string>;

// The pooled text equal to `text`; a copy of it, pooled now, when no font
// holds one.
CSharedText ShareText(std::u16string_view text);

// How many texts are pooled now (for tests).
std::size_t PooledTextCount();

}  // namespace Varnholt::OpenTypeFontData
