#pragma once
// Labels and buttons of the windows, created with the object names tests and the windows find
// them by.

class QLabel;
class QPushButton;
class QString;
class QWidget;

namespace korvex::ui {

QLabel* namedLabel(const QString& name, const QString& text, QWidget* parent);
// The window's title over its grid: bold, a fifth larger than the window's font.
QLabel* titleLabel(const QString& name, const QString& text, QWidget* parent);
// A heading centred over the whole window: bold, scale times the window's font.
QLabel* headingLabel(const QString& name, const QString& text, QWidget* parent, double scale);
// A button of a window's button row: Enter is left to the window's grid (no auto-default), and
// wide enough for its caption with its key ("Ejecutar (I)").
QPushButton* commandButton(const QString& name, const QString& caption, QWidget* parent);

} // namespace korvex::ui
