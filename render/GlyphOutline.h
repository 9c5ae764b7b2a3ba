#pragma once

// What the exact-font cache asks of HarfBuzz beyond shaping: the features a
// look turns on or off, a font at a look's design coordinates, and a
// glyph's outline at those coordinates as a path (a raw font draws a
// variable font's default design alone).

#include <hb.h>

#include <QPainterPath>
#include <QPointF>
#include <vector>

#include "render/ExactFont.h"

namespace Quillmark::Platform {

// HarfBuzz's features for a look: those it turns on or off, over the whole text.
std::vector<hb_feature_t> FeaturesOf(const CTextLook& look);

// A font of the face at the look's coordinates, scaled as `font` is; null
// for a look without variations or a face without axes. The caller
// destroys it.
hb_font_t* VariedFont(hb_font_t* font, const CTextLook& look);

// Adds the glyph's outline at `font`'s coordinates to `path`, in pixels
// (y down), its origin at `at`.
void AddOutline(hb_font_t* font, quint32 glyph, const QPointF& at, QPainterPath& path);

}  // namespace Quillmark::Platform
