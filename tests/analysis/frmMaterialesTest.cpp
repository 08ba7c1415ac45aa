// The analysis editor window driven through typed keys, as an estimator uses it.
#include "analysis/frmMateriales.h"

#include "AnalysisFixture.h"
#include "FakeMessages.h"
#include "KeyInput.h"
#include "analysis/AnalysisText.h"
#include "engine/Demo.h"
#include "engine/Numbers.h"
#include "ui/WindowRegistry.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

using namespace korvex;
using namespace korvex::analysis;
using namespace korvex::testing;

namespace korvex {
void wiring_analysis(ui::WindowRegistry& registry);
void wiring_undo(ui::WindowRegistry& registry);
} // namespace korvex

namespace {

const QStringList kMatFields = {"DescripcionMat", "UnidadMat", "CantidadMat", "PrecioUniMat"};

// Types the start of a description and takes the first resource the lookup offers.
void pick(const QString& prefix) {
    type(prefix);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        p.setHeader(20, 5, true);
        p.addItem("A1", "1", "Hormigón simple f'c = 180 kg/cm2", "m3");
        p.addItem("B2", "1", "Enlucido vertical", "m2");
        p.addMaterial("B2", "1", "Cemento", "kg", 8, 10);
        p.addMaterial("B2", "1", "Cemento", "saco", 1, 7.9);
        p.addMaterial("B2", "1", "Arena fina", "m3", 0.02, 14);
        p.addMaterial("B2", "1", "Aditivo f'c alto", "l", 0.1, 4.2);
        p.addEquipment("B2", "1", "Andamio metálico", 1, 1, 0.75);
        p.addEquipment("B2", "1", "Herramienta menor", 1, 1, 0.5);
        p.addLabour("B2", "1", "Peón", "E2", 1, 1, 3);
        p.addLabour("B2", "1", "Albañil", "D2", 1, 1, 3.65);
    }

    void open(const QString& code, const QString& item) {
        window.reset(new frmMateriales(context(code, item)));
        EXPECT_TRUE(activate(window.get()));
        grid("msfgMateriales")->setFocus();
    }

    ui::WindowContext context(const QString& code, const QString& item) const {
        ui::WindowContext c;
        c.projectFolder = p.folder;
        c.rootFolder = p.root.root();
        c.arguments = {{"txtCod", code}, {"txtItem", item}};
        return c;
    }

    ui::Grid* grid(const QString& name) const { return window->findChild<ui::Grid*>(name); }
    QLineEdit* editor() const { return window->findChild<QLineEdit*>("txtIngreso"); }
    ui::Grid* list() const { return window->findChild<ui::Grid*>("msfgIngreso"); }
    QString text(const QString& label) const { return labelTexts(window.get(), {label}).first(); }
    bool listShown() const { return list() && list()->isVisible(); }
    QStringList stored(const QString& code, const QStringList& fields, const QString& table = "Materiales") {
        return p.lines(table, code, "1", fields);
    }

    FakeMessages messages;
    AnalysisProject p;
    std::unique_ptr<frmMateriales> window;
};

} // namespace

TEST_F(EditorTest, WorkedExampleFromTheKeyboardAloneGivesTheUnitPrice) {
    open("A1", "1");
    EXPECT_EQ(
        labelTexts(window.get(), {"lblRubro", "lblCodigo", "lblUnidad", "lblProyecto", "Label9", "lblPU"}),
        QStringList({"Hormigón simple f'c = 180 kg/cm2", "A1", "m3", "Edificio Central",
                     "COSTOS INDIRECTOS    20 %", ""}));

    ui::Grid* materials = grid("msfgMateriales");
    ui::Grid* transport = grid("msfgTransporte");
    type("cem");
    ASSERT_TRUE(listShown());
    ASSERT_EQ(list()->rows(), 2); // one row per unit the description is used with
    EXPECT_EQ(list()->text(0, 0) + "|" + list()->text(1, 1), "Cemento|saco");
    // The list hangs right under the editor, as wide as it.
    EXPECT_EQ(QList<int>({list()->x(), list()->y(), list()->width()}),
              QList<int>({editor()->x(), editor()->y() + editor()->height(), editor()->width()}));
    press(Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), list());
    press(Qt::Key_Return);
    EXPECT_EQ(materials->col(), 2); // the next stop after a pick is the quantity
    enter({"2"});
    EXPECT_EQ(rowText(materials, 1, 3), "Cemento|kg|2.000");
    EXPECT_EQ(rowText(transport, 1, 3), "Cemento|kg|2.000");
    EXPECT_EQ(materials->row() * 10 + materials->col(), 20);

    press(Qt::Key_F1);
    press(Qt::Key_F1);
    ui::Grid* labour = grid("msfgManoObra");
    ASSERT_TRUE(labour->isVisible());
    type("pe");
    ASSERT_TRUE(listShown());
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    enter({"8", "0,5"});
    EXPECT_EQ(labour->row(), 2);

    // The figures are the pricing tests'; here, that each reaches its cell and label.
    press(Qt::Key_F5);
    EXPECT_EQ(rowText(labour, 1, 7), "Peón|E2|8.00|3.00|24.00|0.500|12.00");
    EXPECT_EQ(materials->text(1, 4), "20.00");
    EXPECT_TRUE(window->findChild<QLabel*>("lblHerrMan")->isVisible());
    EXPECT_EQ(labelTexts(window.get(), {"lblSubtotal", "lblHerrMan", "lblDirectos", "lblIndirectos",
                                        "lblOtrosInd", "lblPU"}),
              QStringList({"12.00", "0.60", "32.60", "6.52", "1.63", "40.75"}));

    press(Qt::Key_F9);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    EXPECT_EQ(stored("A1", kMatFields), QStringList{"Cemento|kg|2|10"});
    EXPECT_TRUE(text("lblEstado").contains("grabado")) << text("lblEstado").toStdString();
    EXPECT_FALSE(window->isModified());
}

TEST_F(EditorTest, UndoAndRedoByKeysAcrossInsertEditDeleteAndASave) {
    open("B2", "1");
    ui::Grid* materials = grid("msfgMateriales");
    ui::Grid* transport = grid("msfgTransporte");
    const auto lines = [](const ui::Grid* g) {
        QStringList shown;
        for (int r = 1; r <= 5; ++r)
            shown << g->text(r, 0) + "|" + g->text(r, 2);
        return shown;
    };
    const QStringList loaded = lines(materials);
    const QStringList loadedTransport = lines(transport);
    press(Qt::Key_F2); // an empty line at row 1
    materials->setCell(2, 2);
    enter({"7"}); // the first loaded line's quantity, mirrored into transport
    const QStringList edited = lines(materials);
    EXPECT_EQ(materials->text(2, 2), "7.000");
    press(Qt::Key_Down);
    press(Qt::Key_F10); // the second loaded line
    EXPECT_NE(lines(materials), edited);

    // One step each: the deletion, the edit, the insertion.
    undo();
    EXPECT_EQ(lines(materials), edited);
    // The frame's "Deshacer" acts on the active window as Ctrl+Z does.
    ui::WindowRegistry registry;
    wiring_undo(registry);
    const auto actions = registry.menuActions("Edición");
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0].objectName + "|" + actions[1].text, "actDeshacer|Rehacer");
    actions[0].action({});
    EXPECT_EQ(materials->text(2, 2), loaded[0].section('|', 1));
    undo();
    EXPECT_EQ(lines(materials), loaded);
    EXPECT_EQ(lines(transport), loadedTransport); // the item has no transport lines of its own
    EXPECT_FALSE(window->isModified());

    // Redo the insertion and the edit, save: the stored lines are the grid's, and the save empties
    // the history.
    redo();
    redo();
    EXPECT_EQ(lines(materials), edited);
    press(Qt::Key_F9);
    EXPECT_FALSE(window->isModified());
    const QStringList quantities = stored("B2", {"CantidadMat"});
    EXPECT_EQ(quantities.size(), 4);
    EXPECT_EQ(quantities.count("7"), 1);
    undo();
    EXPECT_EQ(lines(materials), edited);
}

// A line deleted and brought back by an undo is the stored line again: edited, it is updated where
// it stands; as loaded, it is not written at all. F5's figures are no step of their own.
TEST_F(EditorTest, UndoneDeletionIsTheStoredLineAgainAndARecalculationIsNoStep) {
    FailureGuard guard;
    open("B2", "1");
    ui::Grid* materials = grid("msfgMateriales");
    QStringList expected = stored("B2", kMatFields);
    expected[2].replace("0.02", "0.05");
    materials->setCell(2, 2); // the grid shows the lines by description: "Arena fina"
    enter({"0,05"});
    materials->setCell(2, 0);
    press(Qt::Key_F10);
    EXPECT_EQ(materials->text(2, 0), "Cemento");
    press(Qt::Key_F5);
    EXPECT_EQ(materials->text(2, 4), "80.00");
    undo(); // the deletion, not the recalculation
    EXPECT_EQ(materials->text(2, 0) + " " + materials->text(2, 2) + " " + materials->text(3, 0),
              "Arena fina 0.050 Cemento");
    undo();
    EXPECT_EQ(materials->text(2, 2), "0.020");
    EXPECT_FALSE(window->isModified());
    redo(); // a redo is a change to save again
    EXPECT_TRUE(window->isModified());
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    EXPECT_EQ(stored("B2", kMatFields), expected); // updated in its place

    // After the save: deleted and undone, the line is as stored, so the save writes nothing.
    materials->setCell(2, 0);
    press(Qt::Key_F10);
    undo();
    EXPECT_FALSE(window->isModified());
    store::testing::failAfterWrites(0);
    press(Qt::Key_F9);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    EXPECT_EQ(stored("B2", kMatFields), expected);
}

TEST_F(EditorTest, EquipmentListCarriesDescriptionsOnlyAndQuotesAreLookedUp) {
    open("A1", "1");
    type("aditivo f'");
    ASSERT_TRUE(listShown());
    EXPECT_EQ(list()->rows(), 1);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(rowText(grid("msfgMateriales"), 1, 2), "Aditivo f'c alto|l");

    press(Qt::Key_F1);
    ui::Grid* equipment = grid("msfgMaquinaria");
    pick("H");
    EXPECT_EQ(rowText(equipment, 1, 2), "Herramienta menor|");
    EXPECT_EQ(equipment->col(), 1); // no unit to fill: the next stop is the quantity
    enter({"1", "abc"});            // a yield that is not a number
    EXPECT_EQ(equipment->text(1, 1) + " " + equipment->text(1, 4), "1.00 0.00");

    // Typing on, past every match, leaves the list as it was; Esc drops the typing.
    type("Zz");
    press(Qt::Key_Escape);
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(equipment->text(2, 0), "");
    EXPECT_EQ(QApplication::focusWidget(), equipment);
}

TEST_F(EditorTest, ExistingCellsKeepArrowsForTheCaretAndFocusLossDropsTyping) {
    p.addMaterial("A1", "1", "Arena", "m3", 0.5, 13);
    open("A1", "1");
    ui::Grid* materials = grid("msfgMateriales");
    press(Qt::Key_F12);
    ASSERT_TRUE(editor()->isVisible());
    EXPECT_EQ(editor()->text(), "Arena");
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    type(" ");
    EXPECT_EQ(editor()->text(), "Are na");
    EXPECT_TRUE(editor()->isVisible());
    EXPECT_EQ(materials->col(), 0);
    // The lookup runs on the edited text: Down goes into the list when one is shown.
    editor()->selectAll();
    type("Ar");
    ASSERT_TRUE(listShown());
    press(Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), list());
    press(Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), editor());
    EXPECT_TRUE(listShown());
    press(Qt::Key_Escape);
    EXPECT_EQ(materials->text(1, 0), "Arena");

    // Clicking elsewhere while typing, with no list open, drops the typing.
    materials->setCell(1, 2);
    materials->setFocus();
    type("7");
    ASSERT_TRUE(editor()->isVisible());
    window->findChild<QPushButton*>("cmdCambiar")->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(editor()->isVisible());
    EXPECT_EQ(materials->text(1, 2), "0.500");
    EXPECT_FALSE(window->isModified());
}

TEST_F(EditorTest, InsertAndDeleteAreMirroredIntoTransportWhichHasNoneOfItsOwn) {
    for (const auto& [description, unit, quantity] :
         {std::tuple{"Arena fina", "m3", 0.02}, {"Cemento", "kg", 8.0}}) {
        p.addMaterial("A1", "1", description, unit, quantity, 10);
        p.addTransport("A1", "1", description, unit, quantity, 1);
    }
    open("A1", "1");
    ui::Grid* materials = grid("msfgMateriales");
    ui::Grid* transport = grid("msfgTransporte");
    const auto descriptions = [](const ui::Grid* g) {
        return g->text(1, 0) + "|" + g->text(2, 0) + "|" + g->text(3, 0);
    };

    materials->setCell(2, 1);
    press(Qt::Key_F2);
    EXPECT_EQ(materials->row() * 10 + materials->col(), 20);
    EXPECT_TRUE(materials->isRowEmpty(2) && transport->isRowEmpty(2));
    EXPECT_EQ(descriptions(materials), "Arena fina||Cemento");
    EXPECT_EQ(descriptions(transport), "Arena fina||Cemento");
    materials->setCell(1, 0);
    press(Qt::Key_F10);
    EXPECT_EQ(materials->row(), 1);
    EXPECT_TRUE(transport->isRowEmpty(1));
    EXPECT_EQ(descriptions(materials), "|Cemento|");
    EXPECT_EQ(descriptions(transport), "|Cemento|");

    for (int i = 0; i < 3; ++i)
        press(Qt::Key_F1);
    ASSERT_TRUE(transport->isVisible());
    transport->setCell(2, 0);
    press(Qt::Key_F2);
    press(Qt::Key_F10);
    type("x"); // the transport grid takes no typing
    EXPECT_FALSE(editor()->isVisible());
    window->findChild<QPushButton*>("cmdSuprimir")->click();
    window->findChild<QPushButton*>("cmdInsertar")->click();
    EXPECT_EQ(descriptions(transport), "|Cemento|");
    EXPECT_EQ(QApplication::focusWidget(), transport);
}

TEST_F(EditorTest, ChangingGridsCyclesTitlesCaptionsAndSubtotals) {
    p.addMaterial("A1", "1", "Cemento", "kg", 2, 10);
    p.addEquipment("A1", "1", "Andamio metálico", 2, 1, 0.75);
    open("A1", "1");
    EXPECT_EQ(window->windowTitle(), "Materiales");
    press(Qt::Key_F5);
    // The grid on show (only one), the title, the heading, the subtotal's caption and figure.
    const QList<QStringList> steps = {
        {"msfgMaquinaria", "Maquinaria", "Ingreso de Maquinaria", "Subtotal Equipo", "1.50"},
        {"msfgManoObra", "Mano de Obra", "Ingreso de Mano de Obra", "Subtotal Mano de Obra", "0.00"},
        {"msfgTransporte", "Transporte", "Ingreso de Transporte", "Subtotal Transporte", "0.00"},
        {"msfgMateriales", "Materiales", "Ingreso de Materiales", "Subtotal Materiales", "20.00"},
    };
    for (const QStringList& step : steps) {
        press(Qt::Key_F1);
        QStringList shown;
        for (const char* name : {"msfgMateriales", "msfgMaquinaria", "msfgManoObra", "msfgTransporte"})
            if (grid(name)->isVisible())
                shown << name;
        EXPECT_EQ(shown + QStringList{window->windowTitle()} +
                      labelTexts(window.get(), {"Label1", "Label7", "lblSubtotal"}),
                  step);
        EXPECT_EQ(QApplication::focusWidget(), grid(step[0]));
    }
    // The hidden copies hold the lines as loaded with their stored prices.
    EXPECT_EQ(grid("msfgMaqui2")->text(1, 2), "0.75");
    EXPECT_FALSE(grid("msfgMaqui2")->isVisible());
}

TEST_F(EditorTest, RepeatedResourcesAreNamedAndSavedOnlyWhenTheUserAgrees) {
    open("A1", "1");
    enter({"Cemento", "kg", "1", "cemento", "KG", "3"});
    messages.answer(ui::MessageAnswer::No);
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastTitle(), "Advertencia");
    EXPECT_TRUE(messages.lastText().contains("cemento (KG)")) << messages.lastText().toStdString();
    EXPECT_TRUE(stored("A1", kMatFields).isEmpty());
    EXPECT_TRUE(window->isModified());

    messages.answer(ui::MessageAnswer::Yes);
    window->findChild<QPushButton*>("cmdGrabar")->click();
    EXPECT_EQ(stored("A1", {"DescripcionMat", "CantidadMat", "PrecioUniMat"}), QStringList{"Cemento|1|10"});
    EXPECT_EQ(QApplication::focusWidget(), grid("msfgMateriales"));
}

// Two editors open on one item: the second F9 refuses the line the first one added meanwhile and
// overwrites nothing, says why and keeps the typing. A failed write takes the same way out; that it
// leaves the stored analysis as it was is the saving tests'.
TEST_F(EditorTest, TwoEditorsOnOneItemTheSecondSaveRefuses) {
    open("A1", "1");
    std::unique_ptr<frmMateriales> second = std::move(window);
    open("A1", "1");
    enter({"Cal", "saco", "1"});
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 0) << messages.lastText().toStdString();

    std::swap(window, second);
    ASSERT_TRUE(activate(window.get()));
    grid("msfgMateriales")->setFocus();
    enter({"Piedra", "m3", "2"});
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.lastText().contains("Cal (saco) cambiaron desde que abrió la ventana"))
        << messages.lastText().toStdString();
    EXPECT_EQ(stored("A1", {"DescripcionMat"}), QStringList{"Cal"});
    EXPECT_TRUE(window->isModified());
    messages.answer(ui::MessageAnswer::No);
}

TEST_F(EditorTest, GridsGrowBeyondFortyNineLinesAndEveryLineIsPricedAndStored) {
    {
        store::Transaction batch(p.db);
        for (int i = 1; i <= kDesignRows; ++i)
            p.addMaterial("A1", "1", QString("Material %1").arg(i, 2, 10, QChar('0')), "u", 1, 1);
        batch.commit();
    }
    open("A1", "1");
    ui::Grid* materials = grid("msfgMateriales");
    materials->setCell(kDesignRows, 0);
    press(Qt::Key_Down);
    EXPECT_EQ(materials->row(), kDesignRows + 1);
    enter({"Cemento", "kg", "2"});
    EXPECT_EQ(materials->row(), kDesignRows + 2);
    press(Qt::Key_F5);
    EXPECT_EQ(materials->text(kDesignRows + 1, 4) + " " + text("lblSubtotal"), "20.00 69.00");
    press(Qt::Key_F9);
    EXPECT_EQ(stored("A1", {"DescripcionMat"}).size(), kDesignRows + 1);

    // Inserting at the top of a full grid pushes every line down; none is lost.
    materials->setCell(1, 0);
    press(Qt::Key_F2);
    EXPECT_EQ(materials->text(kDesignRows + 2, 0), "Cemento");
}

TEST_F(EditorTest, UnsavedChangesAreAskedAboutOnClosingAndOnChoosingAnotherItem) {
    p.addMaterial("A1", "1", "Arena fina", "m3", 0.02, 14);
    open("A1", "1");
    EXPECT_TRUE(window->close()); // nothing changed: closes at once
    EXPECT_EQ(messages.count(), 0);

    open("A1", "1");
    enter({"Cemento"});
    messages.answer(ui::MessageAnswer::Cancel);
    press(Qt::Key_Escape);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");
    EXPECT_TRUE(window->isVisible());

    // Choosing another item asks too; No drops the edits and loads it.
    messages.answer(ui::MessageAnswer::No);
    window->reopen(context("B2", "1"));
    EXPECT_EQ(messages.count(), 2);
    EXPECT_EQ(window->itemCode(), "B2");
    EXPECT_EQ(grid("msfgMateriales")->text(1, 0), "Aditivo f'c alto");
    EXPECT_EQ(stored("A1", {"DescripcionMat"}).size(), 1);

    // An item that does not exist is refused without losing the one on show.
    window->reopen(context("ZZ", "9"));
    EXPECT_EQ(messages.lastTitle(), "Error");
    EXPECT_EQ(window->itemCode(), "B2");

    window->reopen(context("A1", "1"));
    grid("msfgMateriales")->setCell(2, 0);
    enter({"Cemento", "kg"});
    messages.answer(ui::MessageAnswer::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");
    EXPECT_EQ(stored("A1", {"DescripcionMat"}).size(), 2);
}

TEST_F(EditorTest, TheItemPickerOpensTheEditorThroughTheRegistryOnceForEachItem) {
    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
    registry.clear();
    wiring_analysis(registry);
    QWidget* first = registry.openWindow("frmMateriales", context("A1", "1"));
    ASSERT_NE(first, nullptr);
    QWidget* again = registry.openWindow("frmMateriales", context("B2", "1"));
    EXPECT_EQ(again, first);
    EXPECT_EQ(static_cast<frmMateriales*>(again)->itemCode(), "B2");
    registry.closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(registry.openWindow("frmMateriales", context("ZZ", "1")), nullptr);
    EXPECT_EQ(messages.lastTitle(), "Error");
    registry.clear();
}

// A whole analysis of a realistic item built from the keyboard alone on the sample budget. With
// KORVEX_SCREENSHOTS set to a folder, the lookup list and the four grids are saved there.
TEST(EditorSample, AnItemOfTheSampleBudgetIsBuiltFromTheKeyboard) {
    FakeMessages messages;
    AnalysisProject p;
    engine::LlenarProyectoEjemplo(p.folder);
    p.addItem("599001", "9.01", "Contrapiso de hormigón simple f'c = 180 kg/cm2, e = 8 cm", "m2");
    ui::WindowContext c;
    c.projectFolder = p.folder;
    c.arguments = {{"txtCod", "599001"}, {"txtItem", "9.01"}};
    frmMateriales window(c);
    window.resize(1000, 720);
    window.show();
    window.activateWindow(); // under a real X server without a window manager too
    ASSERT_TRUE(activate(&window));
    window.grid(Kind::Material)->setFocus();

    const QString folder = qEnvironmentVariable("KORVEX_SCREENSHOTS");
    auto shoot = [&](const QString& name) {
        if (!folder.isEmpty())
            window.grab().save(folder + "/" + name);
    };

    type("Ce");
    shoot("analysis-lookup.png");
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    enter({"0,58"});
    for (const auto& [prefix, quantity] : {std::pair{"Arena", "0,05"}, {"Ripio", "0,07"}, {"Agua", "0,02"}}) {
        pick(prefix);
        enter({quantity});
    }
    press(Qt::Key_F1);
    for (const char* equipment : {"Concretera", "Vibrador"}) {
        pick(equipment);
        enter({"1", "0,08"});
    }
    press(Qt::Key_F1);
    for (const auto& [prefix, hours] : {std::pair{"Peón", "3"}, {"Albañil", "1"}, {"Maestro", "0,1"}}) {
        pick(prefix);
        enter({hours, "0,08"});
    }
    press(Qt::Key_F5);
    for (const char* shot : {"mano-obra", "transporte", "materiales", "maquinaria"}) {
        shoot(QString("analysis-%1.png").arg(shot));
        press(Qt::Key_F1);
    }
    press(Qt::Key_F9);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();

    EXPECT_EQ(window.sheet().lines(Kind::Material).lastUsedRow(), 4);
    EXPECT_EQ(window.sheet().lines(Kind::Labour).cell(3, 1), "C1");
    EXPECT_EQ(window.sheet().lines(Kind::Transport).cell(1, 0),
              window.sheet().lines(Kind::Material).cell(1, 0));
    const auto stored = priceItem(p.db, "599001", "9.01");
    ASSERT_TRUE(stored);
    EXPECT_EQ(engine::FormatoMoneda(stored->totals.unitPrice), window.findChild<QLabel*>("lblPU")->text());
    EXPECT_GT(stored->totals.unitPrice, 5.0);

    // On the last row the grid shows, the list opens above the cell, inside the grid.
    press(Qt::Key_F1);
    press(Qt::Key_F1);
    ui::Grid* materials = window.grid(Kind::Material);
    ASSERT_EQ(QApplication::focusWidget(), materials);
    int last = 1;
    while (last + 1 < materials->rows() &&
           materials->cellRect(last + 1, 0, false).bottom() < materials->viewport()->height())
        ++last;
    materials->setCell(last, 0);
    type("C");
    QApplication::processEvents();
    const auto* list = window.findChild<ui::Grid*>("msfgIngreso");
    ASSERT_TRUE(list && list->isVisible());
    EXPECT_LT(list->y(), QApplication::focusWidget()->y());
    shoot("analysis-lookup-arriba.png");
    press(Qt::Key_Escape);
}
