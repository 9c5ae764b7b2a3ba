#pragma once

// Where a window of the program opens: wholly inside the work area of the
// screen it opens on (the desktop's panels left free), at any scale factor.

#include <QRect>
#include <QSize>

class QWidget;

namespace Quillmark {

// The room a window's frame (title bar and borders) takes outside its
// inside, allowed for before the window manager says.
QSize FrameAllowance(const QWidget& window);

// The inside of a window of `wanted` size centred on `centre`, made no
// larger than `workArea` less `frame` and moved so that the window with its
// frame lies wholly inside `workArea`.
QRect PlaceInside(const QRect& workArea, QSize wanted, QPoint centre, QSize frame);

// Gives the top-level `window` its size and place: `wanted`, or less, over
// the middle of `near`'s window (the screen's middle without one), inside
// the work area of that screen.
void OpenInsideWorkArea(QWidget& window, QSize wanted, const QWidget* near);

}  // namespace Quillmark
