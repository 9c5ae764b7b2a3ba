#include "ui/common/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace Quillmark {

QSize FrameAllowance(const QWidget& window) {
    // A title bar of about two lines of text and thin borders.
    const int line = window.fontMetrics().height();
    return {2 * 4, 2 * line + 4};
}

QRect PlaceInside(const QRect& workArea, QSize wanted, QPoint centre, QSize frame) {
    const QSize room = (workArea.size() - frame).expandedTo(QSize(1, 1));
    QRect inside(QPoint(0, 0), wanted.boundedTo(room));
    inside.moveCenter(centre);
    // The frame goes round the inside: its title bar above, a border on the
    // other sides.
    const int left = frame.width() / 2;
    const int top = frame.height() - left;
    const int minX = workArea.left() + left;
    const int minY = workArea.top() + top;
    const int maxX = workArea.right() - left - inside.width() + 1;
    const int maxY = workArea.bottom() - left - inside.height() + 1;
    inside.moveTo(std::clamp(inside.left(), minX, std::max(minX, maxX)),
                  std::clamp(inside.top(), minY, std::max(minY, maxY)));
    return inside;
}

void OpenInsideWorkArea(QWidget& window, QSize wanted, const QWidget* near) {
    const QWidget* over = near != nullptr ? near->window() : nullptr;
    QScreen* screen = over != nullptr && over->screen() != nullptr
                          ? over->screen()
                          : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        window.resize(wanted);
        return;
    }
    const QRect area = screen->availableGeometry();
    QPoint centre = area.center();
    if (over != nullptr && over->isVisible() && area.contains(over->geometry().center())) {
        centre = over->geometry().center();
    }
    window.setGeometry(PlaceInside(area, wanted, centre, FrameAllowance(window)));
}

}  // namespace Quillmark
