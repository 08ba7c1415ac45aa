#pragma once
// Driving the schedule windows as a user would: shown and active, keys typed into the focused
// control, screenshots when KORVEX_SCREENSHOT_DIR names a folder.

#include "ScheduleTestData.h"
#include "ui/Grid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

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

} // namespace korvex::testing
