#pragma once
// The frame a window manager puts around a top-level window (title bar and
// borders). Qt knows it only once the window is mapped; before that its frame
// geometry is its inner geometry. A window not yet mapped is taken to get the
// frame of a window that has one, so outer sizes set or read before and after
// mapping agree.
#include <QMargins>

class QWidget;

namespace WindowFrame {

// The window's frame, or, before it has one, that of a visible top-level
// window that has one (none: no frame).
QMargins Of(const QWidget* window);
inline int Vertical(const QWidget* w) {
    const QMargins m = Of(w);
    return m.top() + m.bottom();
}
inline int Horizontal(const QWidget* w) {
    const QMargins m = Of(w);
    return m.left() + m.right();
}

// What the window system reports for a window; tests put a simulated frame
// here (null: Qt's own frame geometry).
using Probe = QMargins (*)(const QWidget* window);
void SetProbe(Probe probe);

}  // namespace WindowFrame
