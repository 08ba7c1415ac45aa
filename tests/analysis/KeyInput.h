#pragma once
// Keys sent where the focus is, as they are for a person at the keyboard, for the window tests of
// the analysis editor, its project-wide tools and the price lists.

#include "ui/Grid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStringList>
#include <QTest>

namespace korvex::testing {

inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}
inline void undo() {
    press(Qt::Key_Z, Qt::ControlModifier);
}
inline void redo() {
    press(Qt::Key_Y, Qt::ControlModifier);
}

// One key at a time, each to the widget that has the focus when it is pressed (the first key on a
// grid opens its editor). QTest maps only ASCII to keys; a key event carrying the text is what a
// keyboard sends for the rest.
inline void type(const QString& keys) {
    for (const QChar c : keys) {
        QWidget* target = QApplication::focusWidget();
        if (c.unicode() < 128) {
            QTest::keyClicks(target, QString(c));
            continue;
        }
        QKeyEvent pressed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &pressed);
        QKeyEvent released(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(QApplication::focusWidget(), &released);
    }
}

// Types each value into the current cell and confirms it with Enter.
inline void enter(const QStringList& values) {
    for (const QString& value : values) {
        type(value);
        press(Qt::Key_Return);
    }
}

// Shows the window and waits until it has the keyboard.
inline bool activate(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// The texts of a window's labels, in the order named.
inline QStringList labelTexts(const QWidget* window, const QStringList& names) {
    QStringList out;
    for (const QString& name : names)
        out.append(window->findChild<QLabel*>(name)->text());
    return out;
}

// A grid row's first columns (all of them by default) joined with "|".
inline QString rowText(const ui::Grid* grid, int row, int columns = -1) {
    QStringList cells;
    for (int col = 0; col < (columns < 0 ? grid->cols() : columns); ++col)
        cells.append(grid->text(row, col));
    return cells.join('|');
}

} // namespace korvex::testing
