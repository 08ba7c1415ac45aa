#include "ui/Wheel.h"

#include "ui/Grid.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace korvex::ui;

namespace {

void turnWheel(QWidget* target, int delta) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

TEST(Wheel, OneNotchScrollsTheFocusedGridByOneLineWhateverTheDelta) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new Grid(200, 2, &window);
    auto* other = new Grid(200, 2, &window);
    auto* button = new QPushButton("Grabar (F9)", &window);
    layout->addWidget(grid);
    layout->addWidget(other);
    layout->addWidget(button);
    window.resize(300, 500);
    hookWheel(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    grid->setFocus();

    turnWheel(grid->viewport(), -120);
    EXPECT_EQ(grid->topRow(), 2);
    turnWheel(grid->viewport(), -960); // a big turn still moves one line
    EXPECT_EQ(grid->topRow(), 3);
    turnWheel(grid->viewport(), 15); // a small one too
    EXPECT_EQ(grid->topRow(), 2);

    // The focused grid scrolls even when the mouse is over the other one, which stays put.
    turnWheel(other->viewport(), -120);
    EXPECT_EQ(grid->topRow(), 3);
    EXPECT_EQ(other->topRow(), 1);

    // With a button focused the wheel gets the default handling: the grid under the mouse
    // scrolls by Qt's own step.
    button->setFocus();
    turnWheel(other->viewport(), -120);
    EXPECT_EQ(grid->topRow(), 3);
    EXPECT_EQ(other->topRow(), 1 + QApplication::wheelScrollLines());

    unhookWheel(&window);
    grid->setFocus();
    turnWheel(grid->viewport(), -120);
    EXPECT_EQ(grid->topRow(), 3 + QApplication::wheelScrollLines());
}
