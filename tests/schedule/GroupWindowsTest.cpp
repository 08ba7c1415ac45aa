#include "WindowTestSupport.h"
#include "schedule/frmGrupos.h"
#include "schedule/frmGruposDesc.h"

#include <QLabel>

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

struct frmGruposWindow : WindowTest<frmGrupos> {
    void SetUp() override {
        threeItems(p);
        open("msfgGrupos");
    }
    QStringList itemGroups() { return p.rows("SELECT * FROM Presupuesto ORDER BY Indice", {"GruposPres"}); }
};

struct frmGruposDescWindow : WindowTest<frmGruposDesc> {
    void open() { WindowTest<frmGruposDesc>::open("msfgGruposD"); }
    QStringList groups(const QStringList& fields) {
        return p.rows("SELECT * FROM Grupos ORDER BY Grupo", fields);
    }
};

} // namespace

TEST_F(frmGruposWindow, TypingGroupsIntoTheGridAndSaving) {
    ASSERT_EQ(grid->rows(), 4);
    EXPECT_EQ(grid->text(0, 1), "ÍTEM");
    EXPECT_EQ(grid->text(1, 0), "Obra");
    EXPECT_EQ(grid->text(2, 2), "Replantillo f'c = 140 kg/cm2");

    // Typing elsewhere than the group column does nothing.
    grid->setCell(2, 2);
    QTest::keyClicks(grid, "Z");
    EXPECT_FALSE(editor->isVisible());

    enterAt(2, 0, "Obra d'Agua");
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(grid->text(2, 0), "Obra d'Agua");
    EXPECT_EQ(grid->row(), 3);

    // Esc leaves the cell as it was; Enter on the last row keeps the cursor there.
    enter("X", Qt::Key_Escape);
    EXPECT_EQ(grid->text(3, 0), "");
    enter("Acabados");
    EXPECT_EQ(grid->row(), 3);
    // Up commits and moves one row up.
    enter("Acabados", Qt::Key_Up);
    EXPECT_EQ(grid->row(), 2);

    press(Qt::Key_F9);
    EXPECT_TRUE(noMessages());
    EXPECT_EQ(itemGroups(), QStringList({"Obra", "Obra d'Agua", "Acabados"}));
    EXPECT_EQ(p.rows("SELECT * FROM Grupos ORDER BY Grupo", {"Grupo"}),
              QStringList({"Acabados", "Obra", "Obra d'Agua"}));
    EXPECT_TRUE(window->findChild<QLabel*>("lblEstado")->text().startsWith("Grabado"));
    EXPECT_FALSE(window->hasUnsavedChanges());
}

TEST_F(frmGruposWindow, ClosingWithUnsavedChangesAsksAndAFailedSaveKeepsItOpen) {
    FailureGuard guard;
    enterAt(2, 0, "Nuevo");
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
    press(Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(p.count("SELECT * FROM Grupos WHERE Grupo = ?", {"nuevo"}), 1);
}

// Each typed cell is one step; the save compares with what was loaded, so an undone cell is not
// written, and undone back to what was saved the window asks nothing on closing.
TEST_F(frmGruposWindow, UndoTakesBackTypedGroupsAndTheSaveWritesOnlyWhatIsLeft) {
    QStringList expected = itemGroups();
    enterAt(1, 0, "Muros");
    enter("Pisos");
    undo();
    undo();
    EXPECT_EQ(grid->text(1, 0) + "|" + grid->text(2, 0), "Obra|");
    EXPECT_FALSE(window->hasUnsavedChanges());
    redo();
    EXPECT_TRUE(window->hasUnsavedChanges());
    press(Qt::Key_F9);
    EXPECT_TRUE(noMessages());
    expected[0] = "Muros";
    EXPECT_EQ(itemGroups(), expected);

    undo(); // nothing left to undo after the save
    EXPECT_EQ(grid->text(1, 0), "Muros");
    enterAt(3, 0, "Acabados");
    undo();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(noMessages());
}

TEST_F(frmGruposDescWindow, DescriptionsOrdersAndTotals) {
    threeItems(p);                                   // Obra: 10 x 5 = 50.00
    p.item("E4", "3.01", "Pintura", 3, "Acab", 1.5); // 4.50
    p.group("Obra", "Obra gruesa", 1);
    p.group("Acab", {}, 2);
    p.group("Vacío", {}, 3);
    open();
    EXPECT_EQ(grid->rows(), frmGruposDesc::kFilasDiseno);
    const QStringList totals{grid->text(1, 2), grid->text(2, 2), grid->text(3, 2)};
    EXPECT_EQ(totals, QStringList({"50.00", "04.50", "00.00"}));
    EXPECT_EQ(window->findChild<QLabel*>("lblTotal")->text(), "54.50");

    // Typing on a row without group, or in the total column, does nothing.
    for (const auto& [row, col] : {std::pair{4, 1}, {1, 2}}) {
        grid->setCell(row, col);
        QTest::keyClicks(grid, "9");
        EXPECT_FALSE(editor->isVisible()) << row << "," << col;
    }

    enterAt(2, 1, "Acabados \"finos\"", Qt::Key_Right); // commits and moves to the total column
    EXPECT_EQ(grid->text(2, 1), "Acabados \"finos\"");
    EXPECT_EQ(grid->col(), 2);
    enterAt(2, 3, "3.7", Qt::Key_Left); // in the order column every arrow acts as Enter
    EXPECT_EQ(grid->text(2, 3), "3");
    EXPECT_EQ(grid->row() * 100 + grid->col(), 303);
    enter("abc");
    EXPECT_EQ(grid->text(3, 3), "0");
    enterAt(1, 3, "99999");
    EXPECT_EQ(messages.lastText(), schedule::kOrdenFueraDeRango);
    EXPECT_EQ(grid->text(1, 3), "1");

    // F12 edits the description in place: the arrows then move the caret, not the cell.
    grid->setCell(1, 1);
    press(Qt::Key_F12);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), "Obra gruesa");
    QTest::keyClick(editor, Qt::Key_Left);
    QTest::keyClicks(editor, "s");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(grid->text(1, 1), "Obra gruessa");

    press(Qt::Key_F9);
    EXPECT_EQ(groups({"Grupo", "DescripcionGru", "TotalGrupo", "OrdenGru"}),
              QStringList(
                  {"Acab\tAcabados \"finos\"\t4.5\t3", "Obra\tObra gruessa\t50\t1", "Vacío\t<null>\t0\t0"}));
}

TEST_F(frmGruposDescWindow, MoreGroupsThanTheDesignRowsAreAllShownAndSaved) {
    {
        store::Transaction fill(p.db);
        for (int i = 1; i <= 230; ++i)
            p.group(QString("G%1").arg(i, 3, 10, QChar('0')), {}, i);
        fill.commit();
    }
    open();
    ASSERT_EQ(grid->rows(), 231);
    enterAt(230, 1, "Último");
    EXPECT_EQ(grid->row(), 230);
    click("cmdGrabar");
    EXPECT_EQ(p.rows("SELECT * FROM Grupos WHERE Grupo = ?", {"DescripcionGru"}, {"G230"}),
              QStringList({"Último"}));
    EXPECT_TRUE(noMessages());
}

TEST_F(frmGruposDescWindow, UndoTakesBackDescriptionsAndOrdersAndTheSaveWritesOnlyWhatIsLeft) {
    threeItems(p);
    p.group("Obra", "Obra gruesa", 1);
    p.group("Acab", {}, 2);
    open();
    enterAt(1, 1, "Muros");
    enterAt(2, 3, "5");
    undo();
    EXPECT_EQ(grid->text(2, 3), "2");
    undo();
    EXPECT_EQ(grid->text(1, 1), "Obra gruesa");
    EXPECT_FALSE(window->hasUnsavedChanges());
    redo();
    EXPECT_TRUE(window->hasUnsavedChanges());
    press(Qt::Key_F9);
    EXPECT_TRUE(noMessages());
    EXPECT_EQ(groups({"Grupo", "DescripcionGru", "OrdenGru"}),
              QStringList({"Acab\t<null>\t2", "Obra\tMuros\t1"}));
    undo(); // nothing left to undo after the save
    EXPECT_EQ(grid->text(1, 1), "Muros");
    EXPECT_FALSE(window->hasUnsavedChanges());
}

// Opened by class name (as every window is, in the main window's tests), but without a project
// each says why and does not open.
TEST(ScheduleWiring, WithoutAProjectNoWindowOpens) {
    FakeMessages messages;
    ScheduleProject p;
    ui::WindowRegistry registry;
    wiring_schedule(registry);
    ui::WindowContext nowhere;
    nowhere.projectFolder = p.root.root() + "/NoExiste";
    const QStringList names{"frmGrupos", "frmGruposDesc", "frmCronograma", "frmCronograma2"};
    for (const QString& name : names)
        EXPECT_EQ(registry.openWindow(name, nowhere), nullptr) << name.toStdString();
    EXPECT_EQ(messages.count(), names.size());
    registry.clear();
}
