#pragma once
// Driving the schedule windows as a user would: shown and active, keys typed into the focused
// control, screenshots when KORVEX_SCREENSHOT_DIR names a folder.

#include "FakeMessages.h"
#include "ScheduleTestData.h"
#include "ui/Grid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace korvex::testing {

inline ui::WindowContext contextFor(const ScheduleProject& p) {
    ui::WindowContext context;
    context.projectFolder = p.folder;
    context.rootFolder = p.root.root();
    return context;
}

inline void showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

inline ui::Grid* gridOf(QWidget* window, const char* name) {
    auto* grid = window->findChild<ui::Grid*>(name);
    EXPECT_NE(grid, nullptr) << name;
    return grid;
}

inline QLineEdit* editorOf(QWidget* window) {
    return window->findChild<QLineEdit*>("txtIngreso");
}

// Types text on the grid's current cell: the first character opens the editor, the rest go to it.
inline void typeInto(ui::Grid* grid, QLineEdit* editor, const QString& text) {
    grid->setFocus();
    QTest::keyClicks(grid, text.left(1));
    if (text.size() > 1)
        QTest::keyClicks(editor, text.mid(1));
}

inline void screenshot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("KORVEX_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    QApplication::processEvents();
    window->grab().save(QDir(dir).filePath(name));
}

// One window of the class Window on a project of its own, filled by the test before open().
template <class Window> class WindowTest : public ::testing::Test {
protected:
    void open(const char* gridName) {
        window = std::make_unique<Window>(contextFor(p));
        showActive(window.get());
        grid = gridOf(window.get(), gridName);
        editor = editorOf(window.get());
    }
    // Types text into the current cell (or the one at row, col) and leaves the editor with key.
    void enter(const QString& text, Qt::Key key = Qt::Key_Return) {
        typeInto(grid, editor, text);
        QTest::keyClick(editor, key);
    }
    void enterAt(int row, int col, const QString& text, Qt::Key key = Qt::Key_Return) {
        grid->setCell(row, col);
        enter(text, key);
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(grid, key, modifiers);
    }
    void undo() { press(Qt::Key_Z, Qt::ControlModifier); }
    void redo() { press(Qt::Key_Y, Qt::ControlModifier); }
    void click(const char* button) { window->template findChild<QPushButton*>(button)->click(); }
    ::testing::AssertionResult noMessages() const {
        if (messages.count() == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << messages.lastText().toStdString();
    }

    FakeMessages messages;
    ScheduleProject p;
    std::unique_ptr<Window> window;
    ui::Grid* grid = nullptr;
    QLineEdit* editor = nullptr;
};

} // namespace korvex::testing
