#pragma once
// Labels of the grid windows, created with the object names tests and the windows find them by.

class QLabel;
class QString;
class QWidget;

namespace korvex::ui {

QLabel* namedLabel(const QString& name, const QString& text, QWidget* parent);
// The window's title over its grid: bold, a fifth larger than the window's font.
QLabel* titleLabel(const QString& name, const QString& text, QWidget* parent);

} // namespace korvex::ui
