#pragma once
// Window-system operations on elements: rounded corners and moving an
// element with the mouse.

#include <QRegion>

class QWidget;

namespace luckdial {

/// The region (0, 0)-(width + 1, height + 1), right and bottom exclusive,
/// whose four corners are quarter ellipses of diameter by diameter pixels.
QRegion roundedCornerRegion(int width, int height, int diameter);

/// Moves the element with the mouse until the left button is released and
/// returns then. A top-level window is handed to the window manager's own
/// move when it supports one (that returns at once).
void moveWithMouse(QWidget* element);

} // namespace luckdial
