#include "FakeMessages.h"
#include "WindowTestSupport.h"
#include "schedule/frmGrupos.h"
#include "schedule/frmGruposDesc.h"

#include <QLabel>
#include <QPushButton>
#include <memory>

using namespace korvex;
using namespace korvex::testing;
using schedule::frmGrupos;
using schedule::frmGruposDesc;

namespace korvex {
void wiring_schedule(ui::WindowRegistry& registry);
}

namespace {

void threeItems(ScheduleProject& p) {
    p.item("E1", "1.01", "Excavación a mano", 10, "Obra", 5);
    p.item("E2", "1.02", "Replantillo f'c = 140 kg/cm2", 2, {}, 80);
    p.item("E3", "2.01", "Enlucido vertical", 40, {}, 7.25);
}

} // namespace

TEST(frmGruposWindow, TypingGroupsIntoTheGridAndSaving) {
    FakeMessages messages;
    ScheduleProject p;
    threeItems(p);
    auto window = std::make_unique<frmGrupos>(contextFor(p));
    showActive(window.get());
    ui::Grid* grid = gridOf(window.get(), "msfgGrupos");
    QLineEdit* editor = editorOf(window.get());
    ASSERT_EQ(grid->rows(), 4);
    EXPECT_EQ(grid->text(0, 1), "ÍTEM");
    EXPECT_EQ(grid->text(1, 0), "Obra");
    EXPECT_EQ(grid->text(2, 2), "Replantillo f'c = 140 kg/cm2");

    // Typing elsewhere than the group column does nothing.
    grid->setCell(2, 2);
    QTest::keyClicks(grid, "Z");
    EXPECT_FALSE(editor->isVisible());

    grid->setCell(2, 0);
    typeInto(grid, editor, "Obra d'Agua");
    ASSERT_TRUE(editor->isVisible());
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(grid->text(2, 0), "Obra d'Agua");
    EXPECT_EQ(grid->row(), 3);

    // Esc leaves the cell as it was; Enter on the last row keeps the cursor there.
    typeInto(grid, editor, "X");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_EQ(grid->text(3, 0), "");
    typeInto(grid, editor, "Acabados");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(grid->row(), 3);
    // Up commits and moves one row up.
    typeInto(grid, editor, "Acabados");
    QTest::keyClick(editor, Qt::Key_Up);
    EXPECT_EQ(grid->row(), 2);

    QTest::keyClick(grid, Qt::Key_F9);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    EXPECT_EQ(p.rows("SELECT * FROM Presupuesto ORDER BY Indice", {"GruposPres"}),
              QStringList({"Obra", "Obra d'Agua", "Acabados"}));
    EXPECT_EQ(p.rows("SELECT * FROM Grupos ORDER BY Grupo", {"Grupo"}),
              QStringList({"Acabados", "Obra", "Obra d'Agua"}));
    EXPECT_TRUE(window->findChild<QLabel*>("lblEstado")->text().startsWith("Grabado"));
    EXPECT_FALSE(window->hasUnsavedChanges());
}

TEST(frmGruposWindow, ClosingWithUnsavedChangesAsksAndAFailedSaveKeepsItOpen) {
    FakeMessages messages;
    FailureGuard guard;
    ScheduleProject p;
    threeItems(p);
    auto window = std::make_unique<frmGrupos>(contextFor(p));
    showActive(window.get());
    ui::Grid* grid = gridOf(window.get(), "msfgGrupos");
    grid->setCell(2, 0);
    typeInto(grid, editorOf(window.get()), "Nuevo");
    QTest::keyClick(editorOf(window.get()), Qt::Key_Return);

    messages.answer(ui::MessageAnswer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");

    // Yes, but the save fails: the message says what failed, nothing is stored, the window stays.
    store::testing::failAfterWrites(0);
    messages.answer(ui::MessageAnswer::Yes);
    EXPECT_FALSE(window->close());
    store::testing::failAfterWrites(-1);
    EXPECT_TRUE(messages.lastText().startsWith("No se pudo grabar los grupos"))
        << messages.lastText().toStdString();
    EXPECT_EQ(p.count("SELECT * FROM Grupos"), 0);
    EXPECT_TRUE(window->hasUnsavedChanges());

    messages.answer(ui::MessageAnswer::Yes);
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(p.count("SELECT * FROM Grupos WHERE Grupo = ?", {"nuevo"}), 1);
}

TEST(frmGruposDescWindow, DescriptionsOrdersAndTotals) {
    FakeMessages messages;
    ScheduleProject p;
    threeItems(p);                                   // Obra: 10 x 5 = 50.00
    p.item("E4", "3.01", "Pintura", 3, "Acab", 1.5); // 4.50
    p.group("Obra", "Obra gruesa", 1);
    p.group("Acab", {}, 2);
    p.group("Vacío", {}, 3);
    auto window = std::make_unique<frmGruposDesc>(contextFor(p));
    showActive(window.get());
    ui::Grid* grid = gridOf(window.get(), "msfgGruposD");
    QLineEdit* editor = editorOf(window.get());
    EXPECT_EQ(grid->rows(), frmGruposDesc::kFilasDiseno);
    EXPECT_EQ(grid->text(1, 2), "50.00");
    EXPECT_EQ(grid->text(2, 2), "04.50");
    EXPECT_EQ(grid->text(3, 2), "00.00");
    EXPECT_EQ(window->findChild<QLabel*>("lblTotal")->text(), "54.50");

    // Typing on a row without group, or in the total column, does nothing.
    grid->setCell(4, 1);
    QTest::keyClicks(grid, "x");
    EXPECT_FALSE(editor->isVisible());
    grid->setCell(1, 2);
    QTest::keyClicks(grid, "9");
    EXPECT_FALSE(editor->isVisible());

    grid->setCell(2, 1);
    typeInto(grid, editor, "Acabados \"finos\"");
    QTest::keyClick(editor, Qt::Key_Right); // commits and moves to the total column
    EXPECT_EQ(grid->text(2, 1), "Acabados \"finos\"");
    EXPECT_EQ(grid->col(), 2);
    grid->setCell(2, 3);
    typeInto(grid, editor, "3.7");
    QTest::keyClick(editor, Qt::Key_Left); // in the order column every arrow acts as Enter
    EXPECT_EQ(grid->text(2, 3), "3");
    EXPECT_EQ(grid->row(), 3);
    EXPECT_EQ(grid->col(), 3);
    typeInto(grid, editor, "abc");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(grid->text(3, 3), "0");
    grid->setCell(1, 3);
    typeInto(grid, editor, "99999");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(messages.lastText(), schedule::kOrdenFueraDeRango);
    EXPECT_EQ(grid->text(1, 3), "1");

    // F12 edits the description in place: the arrows then move the caret, not the cell.
    grid->setCell(1, 1);
    QTest::keyClick(grid, Qt::Key_F12);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), "Obra gruesa");
    QTest::keyClick(editor, Qt::Key_Left);
    QTest::keyClicks(editor, "s");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(grid->text(1, 1), "Obra gruessa");

    QTest::keyClick(grid, Qt::Key_F9);
    EXPECT_EQ(
        p.rows("SELECT * FROM Grupos ORDER BY Grupo", {"Grupo", "DescripcionGru", "TotalGrupo", "OrdenGru"}),
        QStringList(
            {"Acab\tAcabados \"finos\"\t4.5\t3", "Obra\tObra gruessa\t50\t1", "Vacío\t<null>\t0\t0"}));
}

TEST(ScheduleWiring, TheFourWindowsOpenByClassName) {
    FakeMessages messages;
    ScheduleProject p;
    threeItems(p);
    p.header();
    ui::WindowRegistry registry;
    wiring_schedule(registry);
    for (const char* name : {"frmGrupos", "frmGruposDesc", "frmCronograma", "frmCronograma2"}) {
        QWidget* window = registry.openWindow(name, contextFor(p));
        ASSERT_NE(window, nullptr) << name;
        EXPECT_EQ(window->objectName(), name);
        EXPECT_EQ(registry.openWindow(name, contextFor(p)), window); // one copy
    }
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    registry.clear();

    // Without a project the window says why and does not open.
    wiring_schedule(registry);
    ui::WindowContext nowhere;
    nowhere.projectFolder = p.root.root() + "/NoExiste";
    EXPECT_EQ(registry.openWindow("frmCronograma", nowhere), nullptr);
    EXPECT_EQ(messages.count(), 1);
    registry.clear();
}

TEST(frmGruposDescWindow, MoreGroupsThanTheDesignRowsAreAllShownAndSaved) {
    FakeMessages messages;
    ScheduleProject p;
    {
        store::Transaction fill(p.db);
        for (int i = 1; i <= 230; ++i)
            p.group(QString("G%1").arg(i, 3, 10, QChar('0')), {}, i);
        fill.commit();
    }
    auto window = std::make_unique<frmGruposDesc>(contextFor(p));
    showActive(window.get());
    ui::Grid* grid = gridOf(window.get(), "msfgGruposD");
    ASSERT_EQ(grid->rows(), 231);
    grid->setCell(230, 1);
    typeInto(grid, editorOf(window.get()), "Último");
    QTest::keyClick(editorOf(window.get()), Qt::Key_Return);
    EXPECT_EQ(grid->row(), 230);
    window->findChild<QPushButton*>("cmdGrabar")->click();
    EXPECT_EQ(p.rows("SELECT * FROM Grupos WHERE Grupo = ?", {"DescripcionGru"}, {"G230"}),
              QStringList({"Último"}));
    EXPECT_EQ(messages.count(), 0);
}

// Each typed cell is one step; the save compares with what was loaded, so an undone cell is not
// written, and undone back to what was saved the window asks nothing on closing.
TEST(frmGruposWindow, UndoTakesBackTypedGroupsAndTheSaveWritesOnlyWhatIsLeft) {
    FakeMessages messages;
    ScheduleProject p;
    threeItems(p);
    auto window = std::make_unique<frmGrupos>(contextFor(p));
    showActive(window.get());
    ui::Grid* grid = gridOf(window.get(), "msfgGrupos");
    QLineEdit* editor = editorOf(window.get());
    const auto ctrl = [grid](Qt::Key k) { QTest::keyClick(grid, k, Qt::ControlModifier); };
    const QStringList stored = p.rows("SELECT * FROM Presupuesto ORDER BY Indice", {"GruposPres"});
    grid->setCell(1, 0);
    typeInto(grid, editor, "Muros");
    QTest::keyClick(editor, Qt::Key_Return);
    typeInto(grid, editor, "Pisos");
    QTest::keyClick(editor, Qt::Key_Return);
    ctrl(Qt::Key_Z);
    ctrl(Qt::Key_Z);
    EXPECT_EQ(grid->text(1, 0) + "|" + grid->text(2, 0), "Obra|");
    EXPECT_FALSE(window->hasUnsavedChanges());
    ctrl(Qt::Key_Y);
    EXPECT_TRUE(window->hasUnsavedChanges());
    QTest::keyClick(grid, Qt::Key_F9);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    QStringList expected = stored;
    expected[0] = "Muros";
    EXPECT_EQ(p.rows("SELECT * FROM Presupuesto ORDER BY Indice", {"GruposPres"}), expected);

    ctrl(Qt::Key_Z); // nothing left to undo after the save
    EXPECT_EQ(grid->text(1, 0), "Muros");
    grid->setCell(3, 0);
    typeInto(grid, editor, "Acabados");
    QTest::keyClick(editor, Qt::Key_Return);
    ctrl(Qt::Key_Z);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
}

TEST(frmGruposDescWindow, UndoTakesBackDescriptionsAndOrdersAndTheSaveWritesOnlyWhatIsLeft) {
    FakeMessages messages;
    ScheduleProject p;
    threeItems(p);
    p.group("Obra", "Obra gruesa", 1);
    p.group("Acab", {}, 2);
    auto window = std::make_unique<frmGruposDesc>(contextFor(p));
    showActive(window.get());
    ui::Grid* grid = gridOf(window.get(), "msfgGruposD");
    QLineEdit* editor = editorOf(window.get());
    const auto ctrl = [grid](Qt::Key k) { QTest::keyClick(grid, k, Qt::ControlModifier); };
    grid->setCell(1, 1);
    typeInto(grid, editor, "Muros");
    QTest::keyClick(editor, Qt::Key_Return);
    grid->setCell(2, 3);
    typeInto(grid, editor, "5");
    QTest::keyClick(editor, Qt::Key_Return);
    ctrl(Qt::Key_Z);
    EXPECT_EQ(grid->text(2, 3), "2");
    ctrl(Qt::Key_Z);
    EXPECT_EQ(grid->text(1, 1), "Obra gruesa");
    EXPECT_FALSE(window->hasUnsavedChanges());
    ctrl(Qt::Key_Y);
    EXPECT_TRUE(window->hasUnsavedChanges());
    QTest::keyClick(grid, Qt::Key_F9);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    EXPECT_EQ(p.rows("SELECT * FROM Grupos ORDER BY Grupo", {"Grupo", "DescripcionGru", "OrdenGru"}),
              QStringList({"Acab\t<null>\t2", "Obra\tMuros\t1"}));
    ctrl(Qt::Key_Z); // nothing left to undo after the save
    EXPECT_EQ(grid->text(1, 1), "Muros");
    EXPECT_FALSE(window->hasUnsavedChanges());
}
