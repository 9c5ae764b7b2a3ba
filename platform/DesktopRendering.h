#pragma once

// How the desktop draws text by default, as fontconfig's configuration says
// (FONTCONFIG_FILE and the files it includes): the defaults an application
// gets for a pattern that asks for nothing in particular.

namespace Quillmark::Platform {

enum class DesktopTextRendering {
    NoSmoothing,  // antialiasing off
    Standard,     // grey-scale antialiasing
    Subpixel,     // antialiasing with a subpixel order
};

// Reads the configuration afresh each call.
DesktopTextRendering DefaultTextRendering();

}  // namespace Quillmark::Platform
