// Every window of the program driven by keys alone inside the frame, on the sample project: where
// the keys go when it opens and after it is restored, and the keys that leave it.
#include "ShellFixture.h"
#include "ui/Grid.h"

#include <QMdiSubWindow>
#include <QMouseEvent>

using namespace korvex;

namespace {

using KeyboardTest = korvex::testing::SampleFrameTest;

} // namespace

TEST_F(KeyboardTest, EveryWindowTakesItsKeysInItsGridOnOpeningAndAfterARestoreAndEscLeavesIt) {
    const QString source = temp.newProject("Origen");
    struct Case {
        const char* window;
        const char* focus; // the grid (or, without one, the text box) with the keys
        QVariantMap arguments;
    };
    const QList<Case> cases = {
        {"frmDatosPresupuesto", "msfgDatosPres", {}},
        {"frmAnalisis", "msfgAnalisis", {}},
        {"frmDescripcion", "txtInstitucion", {}},
        {"frmPresPresu", "msfgPresupuesto", {}},
        {"frmListaMEM", "msfgMateriales", {}},
        {"frmCorregir", "msfgMateriales", {}},
        {"frmBuscar", "msfgMateriales", {}},
        {"frmRendimiento", "msfgMaquinaria", {}},
        {"frmSimbolos", "msfgSimbolos", {}},
        {"frmCuadrilla", "msfgCuadrilla", {}},
        {"frmFormula", "msfgSimbolos", {}},
        {"frmGrupos", "msfgGrupos", {}},
        {"frmGruposDesc", "msfgGruposD", {}},
        {"frmCronograma", "msfgCrono", {}},
        {"frmCronograma2", "msfgCrono", {}},
        {"frmCopiarPres", "msfgCopiar", {{"txtDirectorio", source}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        QWidget* window = open(c.window, c.arguments);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(focusName(), c.focus);
        if (auto* grid = qobject_cast<ui::Grid*>(QApplication::focusWidget())) {
            EXPECT_GE(grid->row(), 1);
        }

        auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
        ASSERT_NE(sub, nullptr);
        sub->showMaximized();
        settle();
        EXPECT_EQ(focusName(), c.focus) << "maximised";
        sub->showMinimized();
        settle();
        sub->showNormal();
        frame->mdiArea()->setActiveSubWindow(sub);
        settle();
        EXPECT_EQ(focusName(), c.focus) << "restored";

        press(Qt::Key_Escape);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(registry.findWindow(c.window), nullptr) << "Esc leaves it";
    }
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
}

// Resizing a window by dragging its edge, like restoring it, leaves its keys in its grid, on the
// cell they were on: whether it was behind another window or had its cell editor open.
TEST_F(KeyboardTest, AWindowResizedByDraggingItsEdgeKeepsItsKeysOnItsGridCell) {
    QWidget* window = open("frmCronograma");
    ASSERT_NE(window, nullptr);
    auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
    auto* grid = window->findChild<ui::Grid*>("msfgCrono");
    grid->setCell(3, 2);
    const QString before = grid->text(3, 2);
    ASSERT_NE(open("frmListaMEM"), nullptr);
    // The left edge: the price lists, opened after it, lie over its right one.
    const auto dragLeftEdge = [&] {
        const QPoint edge(1, sub->height() / 2);
        const QPoint dragged = edge + QPoint(40, 0);
        const int width = sub->width();
        // The pointer over the edge makes the press a resize (sent to the frame itself: QTest would
        // move the cursor, whose event goes to whatever window lies there).
        QMouseEvent hover(QEvent::MouseMove, edge, sub->mapToGlobal(edge), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(sub, &hover);
        QTest::mousePress(sub, Qt::LeftButton, {}, edge);
        QTest::mouseMove(sub, dragged);
        QTest::mouseRelease(sub, Qt::LeftButton, {}, dragged);
        settle();
        EXPECT_EQ(sub->width(), width - 40);
    };
    dragLeftEdge(); // from behind the price lists
    EXPECT_EQ(activeWindow(), window);
    EXPECT_EQ(focusName(), "msfgCrono");
    QTest::keyClicks(grid, "5");
    ASSERT_EQ(focusName(), "txtIngreso");
    dragLeftEdge();
    EXPECT_EQ(focusName(), "msfgCrono");
    EXPECT_EQ(grid->row() * 100 + grid->col(), 302);
    EXPECT_EQ(grid->text(3, 2), before);
}

TEST_F(KeyboardTest, EscInTheAnalysisEditorReturnsToThePickerOnTheItemJustEdited) {
    QWidget* picker = open("frmAnalisis");
    ASSERT_EQ(focusName(), "msfgAnalisis");
    auto* items = picker->findChild<ui::Grid*>("msfgAnalisis");
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    const QString chosen = items->text(3, 1);
    press(Qt::Key_Return);
    QWidget* editor = registry.findWindow("frmMateriales");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(activeWindow(), editor);
    EXPECT_EQ(focusName(), "msfgMateriales");

    press(Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settle();
    EXPECT_EQ(registry.findWindow("frmMateriales"), nullptr);
    EXPECT_EQ(activeWindow(), picker);
    EXPECT_EQ(focusName(), "msfgAnalisis");
    EXPECT_EQ(items->row(), 3);
    EXPECT_EQ(items->text(items->row(), 1), chosen);
}

TEST_F(KeyboardTest, UnappliedCorrectionsAreAskedForAndACancelWhileTheFrameClosesClosesNothing) {
    QWidget* corregir = open("frmCorregir");
    auto* materials = corregir->findChild<ui::Grid*>("msfgMateriales");
    const QString before = materials->text(1, 0);
    press('X');
    press(Qt::Key_Return);
    ASSERT_EQ(materials->text(1, 0), "x");
    messages.answer(ui::MessageAnswer::Cancel);
    press(Qt::Key_Escape);
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");
    ASSERT_EQ(registry.findWindow("frmCorregir"), corregir);

    QWidget* simbolos = open("frmSimbolos");
    // The keys go to the window just opened once its grid has taken the focus.
    ASSERT_TRUE(QTest::qWaitFor([&] { return simbolos->isAncestorOf(QApplication::focusWidget()); }));
    press('Q');
    press(Qt::Key_Return);
    messages.clear();
    messages.answer(ui::MessageAnswer::Yes);    // leave the program
    messages.answer(ui::MessageAnswer::No);     // the corrections: not applied
    messages.answer(ui::MessageAnswer::Cancel); // the symbols: stay
    frame->close();
    settle();
    ASSERT_EQ(messages.count(), 3);
    EXPECT_EQ(messages.shown().at(1).text, "¿Desea grabar los cambios?");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(registry.findWindow("frmCorregir"), corregir);
    EXPECT_EQ(registry.findWindow("frmSimbolos"), simbolos);
    EXPECT_EQ(materials->text(1, 0), "x");

    // Asked again when it closes on its own; No leaves the project as it was.
    messages.clear();
    messages.answer(ui::MessageAnswer::No);
    frame->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(corregir->parentWidget()));
    settle();
    press(Qt::Key_Escape);
    EXPECT_EQ(messages.count(), 1);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(registry.findWindow("frmCorregir"), nullptr);
    QWidget* again = open("frmCorregir");
    EXPECT_EQ(again->findChild<ui::Grid*>("msfgMateriales")->text(1, 0), before);
}
