#include "WindowTestSupport.h"
#include "schedule/frmCronograma.h"
#include "schedule/frmCronograma2.h"

#include <QLabel>
#include <QScrollBar>

using namespace korvex;
using namespace korvex::testing;
using schedule::frmCronograma;
using schedule::frmCronograma2;

namespace {

// Two groups: "Obra" (direct cost 10 x 36.12 = 361.20) and "Muros" without description
// (4 x 12.00 = 48.00).
void scheduledProject(ScheduleProject& p) {
    p.header(20, 5, true);
    p.item("E1", "1", "Hormigón simple f'c = 180", 10, "Obra");
    p.material("E1", "1", "Cemento", 2.5, 13.47);
    p.labour("E1", "1", "Peón", 1, 3.05, 0.8);
    p.item("M1", "2", "Mampostería", 4, "Muros");
    p.material("M1", "2", "Bloque", 12, 1);
    p.group("Obra", "Estructura de hormigón", 1);
    p.group("Muros", {}, 2);
    p.detail("Obra", 1, 40, 4, 1);
    p.detail("Obra", 2, 60, 2, 1);
}

// Budget 550.00: E1 10 x 12.50, E2 5.5 x 50.00, E3 30 x 5.00.
void itemProject(ScheduleProject& p) {
    p.header();
    p.item("E1", "1", "Excavación", 10);
    p.material("E1", "1", "Jornal", 1, 12.5);
    p.item("E2", "2", "Hormigón", 5.5);
    p.material("E2", "2", "Hormigón premezclado", 1, 50);
    p.item("E3", "3", "Enlucido", 30);
    p.material("E3", "3", "Mortero", 1, 5);
}

template <class Window> struct ScheduleWindow : WindowTest<Window> {
    void open() {
        WindowTest<Window>::open("msfgCrono");
        totals = gridOf(this->window.get(), "msfgTotales");
    }
    ui::Grid* totals = nullptr;
};
using frmCronogramaWindow = ScheduleWindow<frmCronograma>;
using frmCronograma2Window = ScheduleWindow<frmCronograma2>;
using ScheduleWindowsCapacity = ScheduleWindow<frmCronograma>;

const QStringList kDetailFields{"Grupo", "PeriodoGru", "PorcentajeGru", "SemanasGru", "OrdenGru"};

} // namespace

TEST_F(frmCronogramaWindow, BarsPercentagesAndTotals) {
    scheduledProject(p);
    open();
    EXPECT_EQ(grid->text(0, 0), "DESCRIPCION");
    EXPECT_EQ(grid->text(0, 12), "12");
    // The printed schedule is at the budget's prices; the window says its base.
    EXPECT_EQ(window->findChild<QLabel*>("lblBase")->text(), "Montos de los periodos a costo directo");
    EXPECT_EQ(grid->rowTexts(1).mid(0, 3), QStringList({"Porcentajes >>>>>>>>>", "40", "60"}));
    EXPECT_EQ(grid->rowTexts(2).mid(0, 2), QStringList({"Estructura de hormigón", "----"}));
    EXPECT_EQ(grid->cellFont(2, 1).pointSize(), 50);
    EXPECT_EQ(grid->text(4, 0), "");
    EXPECT_EQ(window->periodos(), 2);
    EXPECT_EQ(totals->text(1, 0), "TOTAL PARCIAL");

    // The group without description still takes bars: "-" adds a week up to four, Backspace
    // takes one away.
    grid->setCell(4, 3);
    grid->setFocus();
    QTest::keyClicks(grid, "-----");
    EXPECT_EQ(grid->text(4, 3), "----");
    press(Qt::Key_Backspace);
    EXPECT_EQ(grid->text(4, 3), "---");
    QTest::keyClicks(grid, "7");
    EXPECT_FALSE(editor->isVisible());

    // Its percentages don't add up yet: the message names it, no totals.
    press(Qt::Key_F5);
    EXPECT_EQ(messages.lastText(), "El Grupo Muros tiene un error en la suma de Porcentaje");
    EXPECT_EQ(grid->row() * 100 + grid->col(), 101);
    EXPECT_EQ(totals->text(1, 1), "");

    enterAt(3, 3, "abc");
    EXPECT_EQ(grid->text(3, 3), "");
    enter("30", Qt::Key_Right);
    EXPECT_EQ(grid->col(), 4);
    enter("70");
    EXPECT_EQ(grid->text(3, 4), "70");
    EXPECT_EQ(grid->col(), 4);
    EXPECT_EQ(window->periodos(), 4);

    // Leaving the editor for another control writes nothing.
    grid->setCell(3, 5);
    typeInto(grid, editor, "5");
    window->findChild<QLineEdit*>("txtPeriodo")->setFocus();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(grid->text(3, 5), "");

    click("cmdPres");
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(totals->rowTexts(1).mid(1, 4), QStringList({"144.48", "216.72", "14.40", "33.60"}));
    EXPECT_EQ(totals->text(2, 4), "409.20");
    EXPECT_EQ(totals->text(2, 5), "");

    QTest::keyClicks(window->findChild<QLineEdit*>("txtPeriodo"), "Mensual");
    click("cmdGrabar");
    EXPECT_EQ(messages.count(), 1) << messages.lastText().toStdString();
    const QStringList saved{"Obra\t1\t40\t4\t1", "Obra\t2\t60\t2\t1", "Muros\t3\t30\t3\t2",
                            "Muros\t4\t70\t0\t2"};
    EXPECT_EQ(p.rows("SELECT * FROM DetalleGrupo", kDetailFields), saved);
    EXPECT_EQ(p.rows("SELECT * FROM Proyecto", {"Periodotipo"}), QStringList({"Mensual"}));
    EXPECT_FALSE(window->hasUnsavedChanges());

    // F9 saves nothing here; closing with a change asks, and No leaves the table as it was.
    grid->setCell(4, 1);
    grid->setFocus();
    QTest::keyClicks(grid, "-");
    press(Qt::Key_F9);
    EXPECT_EQ(p.rows("SELECT * FROM DetalleGrupo", kDetailFields), saved);
    messages.answer(ui::MessageAnswer::No);
    press(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");
    EXPECT_EQ(p.rows("SELECT * FROM DetalleGrupo", kDetailFields), saved);
}

// Ctrl+Z takes back a typed percentage and a bar week one at a time; what is undone back to the
// saved schedule is not a change: nothing to save, no question on closing.
TEST_F(frmCronogramaWindow, UndoAndRedoByKeysWithASaveBetween) {
    scheduledProject(p);
    open();
    enterAt(3, 7, "30");
    grid->setCell(4, 3);
    QTest::keyClicks(grid, "--");
    EXPECT_EQ(window->periodos(), 7);
    undo();
    EXPECT_EQ(grid->text(4, 3), "-");
    undo();
    undo();
    EXPECT_EQ(grid->text(4, 3) + grid->text(3, 7), "");
    EXPECT_EQ(window->periodos(), 2);
    EXPECT_FALSE(window->hasUnsavedChanges());
    redo();
    EXPECT_EQ(grid->text(3, 7), "30");
    EXPECT_EQ(window->periodos(), 7);
    EXPECT_TRUE(window->hasUnsavedChanges());

    click("cmdGrabar");
    const QStringList saved{"Obra\t1\t40\t4\t1", "Obra\t2\t60\t2\t1", "Muros\t7\t30\t0\t2"};
    EXPECT_EQ(p.rows("SELECT * FROM DetalleGrupo", kDetailFields), saved);
    undo(); // the save emptied the history
    EXPECT_EQ(grid->text(3, 7), "30");

    enterAt(1, 1, "45");
    undo();
    EXPECT_EQ(grid->text(1, 1), "40");
    EXPECT_FALSE(window->hasUnsavedChanges());
    press(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(noMessages());
    EXPECT_EQ(p.rows("SELECT * FROM DetalleGrupo", kDetailFields), saved);
}

TEST_F(frmCronograma2Window, QuantitiesMoneyAndWhatIsLeft) {
    itemProject(p);
    open();
    EXPECT_TRUE(noMessages());
    ASSERT_EQ(grid->rows(), 7);
    EXPECT_EQ(grid->text(0, 4), "30");
    EXPECT_EQ(grid->text(0, 10), "RESTANTE");
    EXPECT_EQ(grid->text(1, 2), "12.50"); // recalculated on opening
    EXPECT_EQ(grid->text(3, 3), "275.00");
    EXPECT_EQ(gridOf(window.get(), "msfgItems")->text(3, 0), "E2");
    EXPECT_EQ(totals->text(0, 3), "550.00");
    EXPECT_EQ(grid->text(1, 10), "10.00");
    EXPECT_EQ(grid->foreColor(1, 10), QColor(0, 0, 255));
    EXPECT_NE(grid->backColor(2, 0), grid->backColor(1, 0));

    // The amount row is not typed into.
    grid->setCell(2, 4);
    grid->setFocus();
    QTest::keyClicks(grid, "5");
    EXPECT_FALSE(editor->isVisible());

    enterAt(1, 4, "4");
    EXPECT_EQ(grid->text(1, 4), "4.00");
    EXPECT_EQ(grid->text(2, 4), "50.00");
    EXPECT_EQ(grid->col(), 5);
    enter("6");
    EXPECT_EQ(grid->text(1, 10), "0.00");
    EXPECT_EQ(grid->foreColor(1, 10), QColor(0, 192, 0));

    // From the last day column to the first of the next item.
    enterAt(1, 9, "x");
    EXPECT_EQ(grid->text(1, 9), "0.00");
    EXPECT_EQ(grid->row() * 100 + grid->col(), 304);

    enterAt(3, 6, "6");
    EXPECT_EQ(grid->text(3, 10), "-0.50");
    EXPECT_EQ(grid->foreColor(3, 10), QColor(232, 3, 0));

    // The last item's last column keeps the cursor.
    enterAt(5, 9, "1,5");
    EXPECT_EQ(grid->text(6, 9), "7.50");
    EXPECT_EQ(grid->row() * 100 + grid->col(), 509);

    press(Qt::Key_F5);
    EXPECT_EQ(totals->rowTexts(1).mid(4, 4), QStringList({"50.00", "75.00", "300.00", "0.00"}));
    EXPECT_EQ(totals->text(2, 6), "54.55");
    EXPECT_EQ(totals->text(3, 6), "550.00"); // the last cumulative investment is the budget
    EXPECT_EQ(totals->text(4, 6), "77.28");
    EXPECT_EQ(totals->text(2, 9), "");

    // A calculation with fewer columns leaves nothing of the earlier one behind.
    enterAt(1, 5, "0");
    click("cmdCalcular");
    EXPECT_EQ(totals->text(1, 5), "0.00");
    EXPECT_EQ(totals->text(3, 4), "550.00");
    for (int row = 2; row <= 4; ++row)
        EXPECT_EQ(totals->rowTexts(row).mid(5, 5).join(""), "") << row;

    click("cmdGrabar");
    EXPECT_TRUE(noMessages());
    EXPECT_EQ(p.rows("SELECT * FROM CronoValores",
                     {"CronoCodigo", "Crono30C", "Crono60C", "Crono90C", "Crono180C"}),
              QStringList({"E1\t4\t0\t<null>\t0", "E2\t<null>\t<null>\t6\t<null>",
                           "E3\t<null>\t<null>\t<null>\t1.5"}));
    EXPECT_FALSE(window->hasUnsavedChanges());
}

// Each typed quantity is one step with its money and what is left; F5's totals are none. A stored
// quantity with more decimals than the cell shows, undone back, is not rewritten.
TEST_F(frmCronograma2Window, UndoAndRedoByKeysWithASaveBetween) {
    itemProject(p);
    p.db.execute("INSERT INTO CronoValores (CronoCodigo, CronoItem, Crono30C) VALUES ('E3', '3', 1.23456)");
    open();
    const auto stored = [this] {
        return p.rows("SELECT * FROM CronoValores ORDER BY CronoCodigo",
                      {"CronoCodigo", "Crono30C", "Crono60C"});
    };
    enterAt(1, 4, "4");
    enter("6");
    EXPECT_EQ(grid->text(1, 10), "0.00");
    press(Qt::Key_F5);
    EXPECT_EQ(totals->text(1, 5), "75.00");
    undo();
    EXPECT_EQ(grid->text(1, 5) + grid->text(2, 5), "");
    EXPECT_EQ(grid->text(1, 10), "6.00");
    EXPECT_EQ(grid->foreColor(1, 10), QColor(0, 0, 255));
    undo();
    EXPECT_EQ(grid->text(1, 4), "");
    EXPECT_FALSE(window->hasUnsavedChanges());
    redo();
    EXPECT_EQ(grid->text(2, 4), "50.00");
    EXPECT_TRUE(window->hasUnsavedChanges());
    click("cmdGrabar");
    const QStringList saved{"E1\t4\t<null>", "E3\t1.23456\t<null>"};
    EXPECT_EQ(stored(), saved);
    undo(); // the save emptied the history
    EXPECT_EQ(grid->text(1, 4), "4.00");

    grid->setCell(5, 4);
    EXPECT_EQ(grid->text(5, 4), "1.235");
    enter("2");
    undo();
    EXPECT_EQ(grid->text(5, 4), "1.235");
    EXPECT_FALSE(window->hasUnsavedChanges());
    click("cmdGrabar");
    EXPECT_EQ(stored(), saved);
    EXPECT_TRUE(noMessages());
}

TEST_F(frmCronograma2Window, TheTotalsScrollSidewaysWithTheDays) {
    itemProject(p);
    open();
    window->resize(640, 300); // both scroll bars on the schedule
    QApplication::processEvents();
    const QWidget* days = window->findChild<QLabel*>("lblTiempo");
    EXPECT_EQ(window->width(), 640); // narrower than its columns, which scroll
    const auto left = [](ui::Grid* g, int col) {
        return g->mapToGlobal(g->cellRect(0, col, false).topLeft()).x();
    };
    QScrollBar* bar = grid->horizontalScrollBar();
    for (const int value : {bar->maximum() / 2, bar->maximum()}) {
        bar->setValue(value);
        QApplication::processEvents();
        for (const int col : {3, 4, 9})
            EXPECT_EQ(left(grid, col), left(totals, col)) << "column " << col << " scrolled to " << value;
        EXPECT_EQ(days->mapToGlobal(QPoint(0, 0)).x(), left(grid, 4));
    }
}

TEST_F(frmCronograma2Window, WithoutProjectDataTheStoredPricesStand) {
    p.item("E1", "1", "Excavación", 10, {}, 3.25);
    window = std::make_unique<frmCronograma2>(contextFor(p));
    EXPECT_EQ(messages.lastText(), "Debe ingresar primero los datos del Proyecto");
    EXPECT_EQ(gridOf(window.get(), "msfgCrono")->text(1, 3), "32.50");
}

TEST_F(ScheduleWindowsCapacity, HundredsOfGroupsAndItemsAreAllShownAndSaved) {
    p.header();
    {
        store::Transaction fill(p.db);
        for (int i = 1; i <= 130; ++i) {
            const QString name = QString("G%1").arg(i, 3, 10, QChar('0'));
            p.group(name, "Grupo " + name, i);
            p.detail(name, 1, 100, 1, i);
            p.item(QString("C%1").arg(i), "1", "Rubro " + name, 2, name, 10);
        }
        fill.commit();
    }
    open();
    EXPECT_EQ(grid->rows(), 261);
    EXPECT_EQ(grid->text(260, 0), "Grupo G130");
    grid->setCell(260, 2);
    grid->setFocus();
    QTest::keyClicks(grid, "--");
    click("cmdGrabar");
    EXPECT_EQ(p.count("SELECT * FROM DetalleGrupo"), 131);
    EXPECT_EQ(p.rows("SELECT * FROM DetalleGrupo WHERE Grupo = ? AND PeriodoGru = 2",
                     {"PorcentajeGru", "SemanasGru"}, {"G130"}),
              QStringList({"0\t2"}));
    window.reset();

    auto items = std::make_unique<frmCronograma2>(contextFor(p));
    showActive(items.get());
    ui::Grid* itemGrid = gridOf(items.get(), "msfgCrono");
    EXPECT_EQ(itemGrid->rows(), 261);
    EXPECT_EQ(itemGrid->text(259, 0), "Rubro G130");
    itemGrid->setCell(259, 9);
    typeInto(itemGrid, editorOf(items.get()), "2");
    QTest::keyClick(editorOf(items.get()), Qt::Key_Return);
    EXPECT_EQ(itemGrid->row(), 259);
    EXPECT_EQ(itemGrid->text(259, 10), "0.00");
    items->findChild<QPushButton*>("cmdGrabar")->click();
    EXPECT_EQ(p.rows("SELECT * FROM CronoValores", {"CronoCodigo", "Crono180C"}), QStringList({"C130\t2"}));
    EXPECT_TRUE(noMessages());
}
