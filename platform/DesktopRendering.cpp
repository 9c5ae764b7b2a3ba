#include "platform/DesktopRendering.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace Quillmark::Platform {

DesktopTextRendering DefaultTextRendering() {
    // The configuration alone: no font needs to be scanned for this.
    const std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)> config(FcInitLoadConfig(),
                                                                       &FcConfigDestroy);
    const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(),
                                                                          &FcPatternDestroy);
    if (!pattern) {
        return DesktopTextRendering::Standard;
    }
    if (config) {
        FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    }
    FcDefaultSubstitute(pattern.get());

    FcBool antialias = FcTrue;
    FcPatternGetBool(pattern.get(), FC_ANTIALIAS, 0, &antialias);
    if (!antialias) {
        return DesktopTextRendering::NoSmoothing;
    }
    int rgba = FC_RGBA_UNKNOWN;
    FcPatternGetInteger(pattern.get(), FC_RGBA, 0, &rgba);
    switch (rgba) {
        case FC_RGBA_RGB:
        case FC_RGBA_BGR:
        case FC_RGBA_VRGB:
        case FC_RGBA_VBGR:
            return DesktopTextRendering::Subpixel;
        default:
            return DesktopTextRendering::Standard;
    }
}

}  // namespace Quillmark::Platform
