#pragma once
// Where a window's keys go. A grid window is driven from its grid (Enter, F-keys, Esc), so every
// window opens, and comes back after being restored, with the focus in its grid; a window with no
// grid (the project data) starts in its first text box.

#include <QWidget>

namespace korvex::ui {

class Grid;

// The grid the window's keys belong to: the first visible, enabled grid with a header row that
// takes the focus (drop-down lists and totals rows that never take it are passed over).
Grid* keyGrid(QWidget* window);

// Gives the window's key grid the focus, its cursor on row 1 when it sits on the header, unless
// the focus already is in one of the window's grids or in its cell editor; without a grid, the
// first editable text box takes it. False when nothing could take the focus.
bool focusKeyGrid(QWidget* window);

} // namespace korvex::ui
