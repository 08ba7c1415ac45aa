// The budget windows driven as a person drives them: keys and cells. With KORVEX_SCREENSHOTS=<folder>
// (offscreen) the last test also draws the windows on the sample project for the documentation.
#include "BudgetFixture.h"
#include "FakeMessages.h"
#include "budget/ProjectData.h"
#include "budget/frmAnalisis.h"
#include "budget/frmDatosPresupuesto.h"
#include "budget/frmDescripcion.h"
#include "budget/frmPresPresu.h"
#include "engine/Demo.h"
#include "ui/Grid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

using namespace korvex;
using namespace korvex::budget;

namespace {

void showActive(QWidget* w) {
    w->show();
    QApplication::setActiveWindow(w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

// Keys go where the focus is, as they do for a person: the first character typed on the grid
// opens the cell editor, the rest go into it. Latin-1 letters have the key code of their capital,
// as a Spanish keyboard sends them.
void type(const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(c.toUpper().unicode()),
                            QString(c), Qt::NoModifier);
}

void key(Qt::Key k) {
    QTest::keyClick(QApplication::focusWidget(), k);
}

class WindowTest : public korvex::testing::BudgetProject {
protected:
    ui::WindowContext context() const {
        ui::WindowContext c;
        c.projectFolder = folder;
        c.rootFolder = root.root();
        return c;
    }

    template <typename T> T* find(QWidget* w, const char* name) {
        T* found = w->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString focusName() const {
        QWidget* f = QApplication::focusWidget();
        return f ? f->objectName() : QString();
    }

    korvex::testing::FakeMessages messages;
};

// ---- Project data -----------------------------------------------------------------------

TEST_F(WindowTest, ProjectDataBoxesCycleWithTheKeysAndF9SavesFromAnyBox) {
    auto w = std::make_unique<frmDescripcion>(context());
    showActive(w.get());
    EXPECT_EQ(find<QLineEdit>(w.get(), "txtFecha")->text(), QDate::currentDate().toString("dd/MM/yyyy"));
    find<QLineEdit>(w.get(), "txtInstitucion")->setFocus();
    type("Colegio");
    key(Qt::Key_Return);
    key(Qt::Key_Down);
    EXPECT_EQ(focusName(), "txtUbicacion");
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Up);
    EXPECT_EQ(focusName(), "txtCiudad");
    type("Loja");
    key(Qt::Key_Enter);
    EXPECT_EQ(focusName(), "txtInstitucion");
    find<QLineEdit>(w.get(), "txtCostInd")->setFocus();
    type("12,5");
    key(Qt::Key_Return);
    EXPECT_EQ(focusName(), "txtElaborado"); // the other percentage is not in the cycle

    QTest::mouseClick(find<QRadioButton>(w.get(), "Option1"), Qt::LeftButton);
    EXPECT_FALSE(find<QRadioButton>(w.get(), "Option2")->isChecked());
    EXPECT_TRUE(find<QRadioButton>(w.get(), "Option4")->isChecked()); // the pairs are independent
    find<QLineEdit>(w.get(), "txtFecha")->setFocus();
    key(Qt::Key_F9);
    EXPECT_EQ(focusName(), "txtFecha");
    auto rs = db.openRecordSet("SELECT * FROM Proyecto");
    EXPECT_EQ(rs.text("Institucion") + "/" + rs.text("Ciudad") + "/" + rs.text("CostosIndirectos"),
              "Colegio/Loja/12.5");
    EXPECT_TRUE(rs.boolean("IVA"));
    key(Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(WindowTest, ProjectDataOfASecondWindowIsRefusedAfterTheFirstSaved) {
    auto first = std::make_unique<frmDescripcion>(context());
    auto second = std::make_unique<frmDescripcion>(context());
    find<QLineEdit>(first.get(), "txtProyecto")->setText("Escuela");
    EXPECT_TRUE(first->grabar());
    find<QLineEdit>(first.get(), "txtElaborado")->setText("Ing. Vera");
    EXPECT_TRUE(first->grabar()) << messages.lastText().toStdString();

    find<QLineEdit>(second.get(), "txtOferente")->setText("Constructora");
    EXPECT_FALSE(second->grabar());
    EXPECT_TRUE(messages.lastText().contains("cambiaron desde que abrió la ventana"))
        << messages.lastText().toStdString();
    auto rs = db.openRecordSet("SELECT * FROM Proyecto");
    EXPECT_EQ(rs.text("Proyecto") + "/" + rs.text("Elaborado") + "/" + rs.text("oferente"),
              "Escuela/Ing. Vera/");
}

// ---- Budget items editor ----------------------------------------------------------------

class ItemsEditorTest : public WindowTest {
protected:
    frmDatosPresupuesto* open() {
        window.reset(new frmDatosPresupuesto(context()));
        showActive(window.get());
        grid = find<ui::Grid>(window.get(), "msfgDatosPres");
        grid->setFocus();
        return window.get();
    }

    // Types one row from column 0, confirming every cell with Enter; an empty cell is passed
    // over with the arrow key of the grid.
    void typeRow(const QStringList& cells) {
        for (const QString& cell : cells) {
            if (cell.isEmpty()) {
                key(Qt::Key_Right);
                continue;
            }
            type(cell);
            key(Qt::Key_Return);
        }
    }

    QString cell(int r, int c) const { return grid->text(r, c); }
    QLineEdit* editor() { return find<QLineEdit>(window.get(), "txtIngreso"); }

    std::unique_ptr<frmDatosPresupuesto> window;
    ui::Grid* grid = nullptr;
};

TEST_F(ItemsEditorTest, TypingInsertingMovingDeletingAndSavingWithTheKeyboardOnly) {
    open();
    EXPECT_EQ(grid->rows(), 200);
    typeRow({"A1", "1", "Excavacion", "m3", "1234,567"});
    EXPECT_EQ(grid->row() * 10 + grid->col(), 20); // on to the next row
    typeRow({"A2", "2", "Hormigon f'c = 210", "m3", "abc"});
    typeRow({"A3", "3", "Enlucido", "m2", "1.5"});
    EXPECT_EQ(cell(1, 4) + " " + cell(2, 4), "1,234.57 0.00");

    grid->setCell(2, 0);
    key(Qt::Key_F2);
    typeRow({"B1", "", "Relleno", "m3", "2"});
    grid->setCell(4, 0); // A3
    key(Qt::Key_F8);
    type("x"); // no typing while a move is pending
    EXPECT_TRUE(editor()->isHidden());
    grid->setCell(1, 2);
    key(Qt::Key_Return);
    EXPECT_EQ(cell(1, 0) + cell(2, 0) + cell(3, 0) + cell(4, 0), "A3A1B1A2");
    grid->setCell(2, 0);
    key(Qt::Key_F10);
    EXPECT_EQ(grid->row(), 1);

    key(Qt::Key_F9);
    EXPECT_EQ(storedItems(), QStringList({"A3/3", "B1/", "A2/2"}));
    key(Qt::Key_Escape); // nothing changed since the save: no question
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    open();
    EXPECT_EQ(cell(1, 4) + " " + cell(3, 2), "1.50 Hormigon f'c = 210");

    grid->setCell(1, 2); // F12 edits the text as it is, Delete empties a cell
    key(Qt::Key_F12);
    key(Qt::Key_Home);
    type("Gran ");
    key(Qt::Key_Return);
    key(Qt::Key_Delete);
    EXPECT_EQ(cell(1, 2) + "|" + cell(1, 3), "Gran Enlucido|");
    grid->setCell(5, 2);
    key(Qt::Key_F12); // an empty cell does not open
    EXPECT_TRUE(editor()->isHidden());
}

TEST_F(ItemsEditorTest, ClosingWithUnsavedChangesAsksAndAFailedSaveKeepsTheWindowAndTheProject) {
    item("A1", "1", "Excavacion", 2);
    lines("A1", "1", 3);
    open();
    type("B1");
    key(Qt::Key_Return);
    messages.answer(ui::MessageAnswer::Cancel);
    key(Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");

    store::testing::failAfterWrites(0); // a failing save on closing keeps the window and the project
    messages.answer(ui::MessageAnswer::Yes);
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(storedItems(), QStringList({"A1/1"}));
    EXPECT_EQ(lineCount("A1", "1"), 4);

    store::testing::failAfterWrites(-1);
    messages.answer(ui::MessageAnswer::Yes);
    QTest::mouseClick(find<QPushButton>(window.get(), "cmdSalir"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(storedItems(), QStringList({"B1/1"}));
    EXPECT_EQ(lineCount("B1", "1"), 4);

    open();
    type("C1");
    key(Qt::Key_Return);
    messages.answer(ui::MessageAnswer::No);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(storedItems(), QStringList({"B1/1"}));
}

// Two item editors open on one project: the second save refuses and overwrites nothing.
TEST_F(ItemsEditorTest, TwoEditorsOnOneProjectTheSecondSaveRefuses) {
    item("A1", "1", "Excavacion", 2);
    lines("A1", "1", 3);
    std::unique_ptr<frmDatosPresupuesto> other(new frmDatosPresupuesto(context()));
    open();
    grid->setCell(2, 0);
    typeRow({"B1", "1", "Relleno", "m3", "2"});
    key(Qt::Key_F9);
    ASSERT_EQ(storedItems(), QStringList({"A1/1", "B1/1"}));

    showActive(other.get());
    auto* otherGrid = find<ui::Grid>(other.get(), "msfgDatosPres");
    otherGrid->setFocus();
    otherGrid->setCell(1, 2);
    type("Zanja");
    key(Qt::Key_Return);
    key(Qt::Key_F9);
    EXPECT_TRUE(messages.lastText().contains("B1 1 cambiaron desde que abrió la ventana"))
        << messages.lastText().toStdString();
    EXPECT_EQ(storedItems(), QStringList({"A1/1", "B1/1"}));
    EXPECT_EQ(lineCount("A1", "1"), 4);
    messages.answer(ui::MessageAnswer::No);
}

// An undone deletion must not leave the item on the list of items whose analysis the save
// deletes, and the exact stored quantity of an item brought back is kept.
TEST_F(ItemsEditorTest, UndoBringsBackADeletedItemWithItsAnalysisAndItsExactQuantity) {
    item("A1", "1", "Excavacion", 2.345);
    lines("A1", "1", 3);
    item("A2", "2", "Relleno", 1);
    open();
    key(Qt::Key_F10);
    EXPECT_EQ(cell(1, 0), "A2");
    grid->setCell(2, 0);
    key(Qt::Key_F2);
    type("B9");
    key(Qt::Key_Return);
    EXPECT_EQ(cell(2, 0), "B9");
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(cell(1, 0) + cell(2, 0) + cell(3, 0), "A1A2");
    key(Qt::Key_F9);
    EXPECT_EQ(storedItems(), QStringList({"A1/1", "A2/2"}));
    EXPECT_EQ(lineCount("A1", "1"), 4);
    EXPECT_DOUBLE_EQ(db.openRecordSet("SELECT CantidadPres FROM Presupuesto WHERE CodigoPres = 'A1'")
                         .number("CantidadPres"),
                     2.345);
}

// Undone back to what was saved, the rows leave nothing to save; a redo brings the question back.
TEST_F(ItemsEditorTest, UndoBackToTheSavedRowsLeavesNothingToAskOnClosing) {
    item("A1", "1", "Excavacion", 2);
    item("A2", "2", "Relleno", 1);
    open();
    const auto ctrl = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k, Qt::ControlModifier); };
    grid->setCell(1, 2);
    type("Zanja");
    key(Qt::Key_Return);
    key(Qt::Key_F9);
    grid->setCell(1, 2);
    type("Zanja corrida");
    key(Qt::Key_Return);
    grid->setCell(2, 0);
    key(Qt::Key_F10);
    ctrl(Qt::Key_Z);
    ctrl(Qt::Key_Z);
    EXPECT_EQ(cell(1, 2) + "/" + cell(2, 0), "Zanja/A2");
    ctrl(Qt::Key_Y);
    messages.answer(ui::MessageAnswer::Cancel);
    key(Qt::Key_Escape);
    EXPECT_EQ(messages.count(), 1);
    EXPECT_TRUE(window->isVisible());
    ctrl(Qt::Key_Z);
    key(Qt::Key_Escape);
    EXPECT_EQ(messages.count(), 1);
    EXPECT_FALSE(window->isVisible());
}

// With the window not active (a message box just closed and no one gave the activation back) the
// keys still reach the window's focus widget: a committed cell must hand that focus back to the
// grid, or the next Enter would reach the hidden editor and write its empty text over a cell.
TEST_F(ItemsEditorTest, KeysInAWindowThatIsNotActiveStillGoToTheGrid) {
    item("A1", "1", "Excavacion", 2);
    open();
    QWidget other;
    showActive(&other);
    grid->setCell(2, 0);
    for (const char* k : {"B", "1"})
        QTest::keyClick(window->focusWidget(), *k);
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(window->focusWidget(), grid);
    grid->setCell(1, 0);
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(cell(1, 0) + cell(2, 0), "A1B1");
}

// ---- Budget presentation ------------------------------------------------------------------

TEST_F(WindowTest, PresentationShowsThePricedBudgetAndItsTotalsOrSaysTheHeaderIsMissing) {
    item("A1", "1", "Excavacion", 3);
    lines("A1", "1", 12.34);
    { frmPresPresu sinCabecera(context()); }
    EXPECT_EQ(messages.lastText(), "Debe Ingresar primero los datos del Proyecto");
    EXPECT_EQ(messages.lastTitle(), "Advertencia");

    header(0, 0, true);
    auto w = std::make_unique<frmPresPresu>(context());
    showActive(w.get());
    auto* grid = find<ui::Grid>(w.get(), "msfgPresupuesto");
    EXPECT_EQ(grid->rows(), 2);
    EXPECT_EQ(grid->text(1, 6), "37.02");
    EXPECT_EQ(grid->alignment(1, 6) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QStringList labels;
    for (const char* name :
         {"lblProyecto", "lblIndirectos", "lblTotalPres", "lblIVA2", "lblIVA", "lblTotalPres2"})
        labels << find<QLabel>(w.get(), name)->text();
    EXPECT_EQ(labels, QStringList({"Escuela Fiscal", "0 %", "37.02", "IVA    12%", "4.44", "41.46"}));
    EXPECT_EQ(messages.count(), 1);
    grid->setFocus();
    key(Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

// ---- Item picker --------------------------------------------------------------------------

// Stands in for the analysis editor: remembers every item it was opened or reopened for.
QStringList editorOpenedFor;

class FakeAnalysisEditor : public QLabel, public ui::ReopenableWindow {
public:
    explicit FakeAnalysisEditor(const ui::WindowContext& context) { reopen(context); }
    void reopen(const ui::WindowContext& c) override {
        editorOpenedFor << c.arguments.value("txtCod").toString() + "/" +
                               c.arguments.value("txtItem").toString();
    }
};

TEST_F(WindowTest, PickerListsItemsInBudgetOrderAndHandsEveryChosenOneToTheEditor) {
    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
    registry.clear();
    registry.registerWindow("frmMateriales",
                            [](const ui::WindowContext& c) { return new FakeAnalysisEditor(c); });
    std::unique_ptr<frmAnalisis> picker;
    ui::Grid* grid = nullptr;
    const auto open = [&] {
        picker = std::make_unique<frmAnalisis>(context());
        showActive(picker.get());
        grid = find<ui::Grid>(picker.get(), "msfgAnalisis");
    };
    open();
    EXPECT_EQ(grid->rows(), 1); // an empty project: Enter does nothing
    key(Qt::Key_Return);
    EXPECT_TRUE(editorOpenedFor.isEmpty());

    item("Z9", "1", "Excavacion", 0);
    item("A1", "2", "Hormigon", 1);
    item("M5", "3", "Enlucido", 1);
    open();
    EXPECT_EQ(grid->rows(), 4);
    EXPECT_EQ(grid->text(1, 0) + grid->text(2, 0) + grid->text(3, 0), "Z9A1M5");
    EXPECT_EQ(focusName(), "msfgAnalisis");
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(find<QLineEdit>(picker.get(), "txtCod")->text() + "/" +
                  find<QLineEdit>(picker.get(), "txtItem")->text(),
              "A1/2");
    // Back to the picker for the next item: the open editor takes it.
    grid->setCell(3, 2);
    QTest::mouseClick(find<QPushButton>(picker.get(), "cmdSeleccionar"), Qt::LeftButton);
    EXPECT_EQ(editorOpenedFor, QStringList({"A1/2", "M5/3"}));

    item("B1", "4", "Nuevo", 1); // items changed meanwhile are listed on coming back
    picker->recargar();
    EXPECT_EQ(grid->rows(), 5);
    EXPECT_EQ(grid->row(), 3);
    registry.closeAll();
    registry.clear();
    grid->setFocus();
    key(Qt::Key_Escape);
    EXPECT_FALSE(picker->isVisible());
}

// ---- Screenshots ------------------------------------------------------------------------------

TEST_F(ItemsEditorTest, ScreenshotsOfTheSampleProject) {
    const QString out = qEnvironmentVariable("KORVEX_SCREENSHOTS");
    if (out.isEmpty())
        GTEST_SKIP() << "KORVEX_SCREENSHOTS not set";
    const auto demo = engine::CrearProyectoEjemplo(root.root());
    ASSERT_TRUE(demo.ok) << demo.message.toStdString();
    folder = demo.folder;
    const auto draw = [&](QWidget* w, const char* name) {
        showActive(w);
        QTest::qWait(100);
        EXPECT_TRUE(w->grab().save(QDir(out).filePath(name))) << name;
    };
    QDir().mkpath(out);
    open();
    grid->setCell(3, kColCantidad); // the quantity of the third item being typed
    type("325,5");
    draw(window.get(), "budget-items.png");
    draw(std::make_unique<frmPresPresu>(context()).get(), "budget-presentation.png");
    draw(std::make_unique<frmDescripcion>(context()).get(), "budget-project-data.png");
    draw(std::make_unique<frmAnalisis>(context()).get(), "budget-item-picker.png");
}

} // namespace
