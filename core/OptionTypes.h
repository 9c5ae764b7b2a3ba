#pragma once

// The types of the options that are more than a number: how text is drawn,
// what the program opens at start, and where the main window stands. Each
// keeps the number or record the settings store holds, so a value the
// program does not know survives a load and a save unchanged.

#include <QRect>
#include <QtGlobal>

namespace Quillmark {

// The text sizes the size boxes accept, in pixels, and the sizes samples
// are printed at, in points.
inline constexpr quint32 kSmallestTextSize = 6;
inline constexpr quint32 kLargestTextSize = 300;
inline constexpr quint32 kSmallestPrintSize = 1;
inline constexpr quint32 kLargestPrintSize = 500;

// FontListRenderingOption, FontMapRenderingOption, CharDetailRenderingOption.
enum class Rendering : quint32 {
    Default = 0,      // as the desktop draws text
    Antialiased = 1,  // grey-scale antialiasing
    Subpixel = 2,     // subpixel antialiasing
};

// StartupOption: what is shown first when the command line names nothing.
enum class StartupLocation : quint32 {
    DefaultFolder = 0,
    DefaultProject = 1,
    LastLocation = 2,  // the folder or project shown last
};

// MainWindowMaximized: how the main window is shown at start.
enum class ShowCommand : quint32 {
    Normal = 0,
    Maximized = 1,
};

// The main window's restored rectangle: left, top, width, height of its
// inside (without the window frame). -1: not yet set.
struct CPlacementRect {
    qint32 left = -1;
    qint32 top = -1;
    qint32 width = -1;
    qint32 height = -1;

    // A first start has neither width nor height.
    bool IsSet() const { return width != -1 || height != -1; }
    QRect ToRect() const { return {left, top, width, height}; }
    static CPlacementRect FromRect(const QRect& rect) {
        return {rect.left(), rect.top(), rect.width(), rect.height()};
    }
    bool operator==(const CPlacementRect&) const = default;
};

// The main window's splitters, in pixels. -1: not yet set.
struct CSplitterSizes {
    qint32 leftColumn = -1;  // width of the folder tree and projects column
    qint32 folderTree = -1;  // height of the folder tree, above the projects
    qint32 fontList = -1;    // height of the font list, above the font detail
    bool operator==(const CSplitterSizes&) const = default;
};

// WindowMetrics and RestoredMetrics: seven 32-bit values in this order.
struct CWindowMetrics {
    CPlacementRect placement;
    CSplitterSizes splitters;
    bool operator==(const CWindowMetrics&) const = default;
};

}  // namespace Quillmark
