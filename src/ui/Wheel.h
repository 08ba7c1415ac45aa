#pragma once
// Mouse-wheel behaviour of the grid windows: while a window is hooked, every wheel event inside it
// scrolls the window's focused list-like control (grid, list, combo box, text box) by exactly one
// line, up or down by the sign of the turn, whatever its size. The event is then consumed, so the
// control under the mouse does not scroll as well. When the focused control is anything else (a
// button, say), the event gets Qt's default handling.
//
// A grid window calls hookWheel(this) in its constructor; the hook goes away with the window, or
// earlier with unhookWheel(this).

class QWidget;

namespace korvex::ui {

void hookWheel(QWidget* window);
void unhookWheel(QWidget* window);
bool isWheelHooked(const QWidget* window);

// The kinds of control one wheel notch scrolls by one line.
bool isListLike(const QWidget* widget);
// Scrolls such a control by one line (lines > 0: down). False when it is not list-like.
bool scrollOneLine(QWidget* widget, int direction);

} // namespace korvex::ui
