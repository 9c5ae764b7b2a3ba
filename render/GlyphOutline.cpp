#include "render/GlyphOutline.h"

#include <hb-ot.h>

namespace Quillmark::Platform {

namespace {

// A glyph's outline drawn into a path, in pixels (HarfBuzz's units are a
// 64th of one), y down, at an offset.
struct CPathSink {
    QPainterPath* path;
    QPointF at;
    QPointF Point(float x, float y) const { return at + QPointF(x / 64.0, -y / 64.0); }
};

hb_draw_funcs_t* PathFuncs() {
    static hb_draw_funcs_t* const funcs = [] {
        hb_draw_funcs_t* f = hb_draw_funcs_create();
        hb_draw_funcs_set_move_to_func(
            f,
            [](hb_draw_funcs_t*, void* data, hb_draw_state_t*, float x, float y, void*) {
                auto* sink = static_cast<CPathSink*>(data);
                sink->path->moveTo(sink->Point(x, y));
            },
            nullptr, nullptr);
        hb_draw_funcs_set_line_to_func(
            f,
            [](hb_draw_funcs_t*, void* data, hb_draw_state_t*, float x, float y, void*) {
                auto* sink = static_cast<CPathSink*>(data);
                sink->path->lineTo(sink->Point(x, y));
            },
            nullptr, nullptr);
        hb_draw_funcs_set_quadratic_to_func(
            f,
            [](hb_draw_funcs_t*, void* data, hb_draw_state_t*, float cx, float cy, float x, float y,
               void*) {
                auto* sink = static_cast<CPathSink*>(data);
                sink->path->quadTo(sink->Point(cx, cy), sink->Point(x, y));
            },
            nullptr, nullptr);
        hb_draw_funcs_set_cubic_to_func(
            f,
            [](hb_draw_funcs_t*, void* data, hb_draw_state_t*, float c1x, float c1y, float c2x,
               float c2y, float x, float y, void*) {
                auto* sink = static_cast<CPathSink*>(data);
                sink->path->cubicTo(sink->Point(c1x, c1y), sink->Point(c2x, c2y),
                                    sink->Point(x, y));
            },
            nullptr, nullptr);
        hb_draw_funcs_set_close_path_func(
            f,
            [](hb_draw_funcs_t*, void* data, hb_draw_state_t*, void*) {
                static_cast<CPathSink*>(data)->path->closeSubpath();
            },
            nullptr, nullptr);
        hb_draw_funcs_make_immutable(f);
        return f;
    }();
    return funcs;
}

}  // namespace

// HarfBuzz's features for a look: those it turns on or off, over the whole text.
std::vector<hb_feature_t> FeaturesOf(const CTextLook& look) {
    std::vector<hb_feature_t> features;
    features.reserve(look.features.size());
    for (const auto& choice : look.features) {
        features.push_back(hb_feature_t{choice.tag, choice.on ? 1u : 0u, HB_FEATURE_GLOBAL_START,
                                        HB_FEATURE_GLOBAL_END});
    }
    return features;
}

// A font of the face at the look's coordinates, scaled as `font` is; null
// for a look without variations. The caller destroys it.
hb_font_t* VariedFont(hb_font_t* font, const CTextLook& look) {
    // A font without axes has nothing to vary: it is drawn as it is.
    if (look.variations.empty() || !hb_ot_var_has_data(hb_font_get_face(font))) {
        return nullptr;
    }
    hb_font_t* varied = hb_font_create(hb_font_get_face(font));
    int x = 0;
    int y = 0;
    hb_font_get_scale(font, &x, &y);
    hb_font_set_scale(varied, x, y);
    std::vector<hb_variation_t> variations;
    variations.reserve(look.variations.size());
    for (const auto& value : look.variations) {
        variations.push_back(hb_variation_t{value.tag, value.value});
    }
    hb_font_set_variations(varied, variations.data(), static_cast<unsigned int>(variations.size()));
    return varied;
}

void AddOutline(hb_font_t* font, quint32 glyph, const QPointF& at, QPainterPath& path) {
    CPathSink sink{&path, at};
    hb_font_get_glyph_shape(font, glyph, PathFuncs(), &sink);
}

}  // namespace Quillmark::Platform
