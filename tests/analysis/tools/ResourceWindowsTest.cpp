// The where-used search, the correction and the yield editor driven through typed keys, opened the
// way the main window's buttons open them.
#include "AnalysisFixture.h"
#include "FakeMessages.h"
#include "KeyInput.h"
#include "analysis/frmBuscar.h"
#include "analysis/frmCorregir.h"
#include "analysis/frmRendimiento.h"
#include "ui/WindowRegistry.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::analysis;
using namespace korvex::testing;

namespace korvex {
void wiring_resources(ui::WindowRegistry& registry);
}

namespace {

const QStringList kMat = {"CodigoPres", "DescripcionMat", "UnidadMat", "PrecioUniMat"};
const QStringList kTran = {"CodigoPres", "DescripcionTran", "UnidadTran", "PrecioTran"};

class ToolsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        p.addItem("A1", "1", "Hormigón f'c = 210", "m3");
        p.addItem("B1", "1", "Contrapiso", "m2");
        for (const char* code : {"A1", "B1"}) {
            p.addMaterial(code, "1", "Cemento gris", "kg", 2, 0.25);
            p.addTransport(code, "1", "Cemento gris", "kg", 2, 0.01);
        }
        p.addMaterial("B1", "1", "Cemento Portland", "kg", 3, 0.2);
        p.addTransport("B1", "1", "Cemento Portland", "kg", 3, 0.02);
        p.addEquipment("A1", "1", "Vibrador", 1, 0.5, 2);
        p.addEquipment("A1", "1", "Concretera", 1, 0.25, 5);
        p.addEquipment("B1", "1", "Andamio", 1, 1, 0.75);
        p.addLabour("A1", "1", "Peón", "E2", 1, 1, 3);
        p.addLabour("B1", "1", "Albañil", "D2", 1, 2, 3.6);
        registry.clear();
        wiring_resources(registry);
    }
    void TearDown() override {
        registry.closeAll();
        registry.clear();
    }

    // Opened as the main window opens it; the registry owns it (deleted on close).
    template <typename Window> Window* open(const char* name) {
        ui::WindowContext context;
        context.projectFolder = p.folder;
        context.rootFolder = p.root.root();
        auto* window = qobject_cast<Window*>(registry.openWindow(name, context));
        EXPECT_NE(window, nullptr);
        if (window) {
            EXPECT_TRUE(activate(window));
        }
        return window;
    }

    static QString text(QWidget* window, const char* label) { return labelTexts(window, {label}).first(); }
    static ui::Grid* grid(QWidget* window, const char* name) { return window->findChild<ui::Grid*>(name); }
    static QLineEdit* editor(QWidget* window) { return window->findChild<QLineEdit*>("txtIngreso"); }
    static void click(QWidget* window, const char* button) {
        QTest::mouseClick(window->findChild<QPushButton*>(button), Qt::LeftButton);
    }
    QStringList yields() { return p.all("Maquinaria", {"RendimientoMaq"}); }

    FakeMessages messages;
    AnalysisProject p;
    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
};

} // namespace

TEST_F(ToolsWindowTest, BuscarListsTheItemsOfTheChosenResourceAndGoesBack) {
    QPointer<frmBuscar> window = open<frmBuscar>("frmBuscar");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Buscar");
    ui::Grid* materials = grid(window, "msfgMateriales");
    ui::Grid* result = grid(window, "msfgDatosPres");
    auto* seleccionar = window->findChild<QPushButton*>("cmdSeleccionar");
    auto* cambiar = window->findChild<QPushButton*>("cmdCambiar");
    EXPECT_EQ(text(window, "Label1"), "Buscar Materiales");
    EXPECT_EQ(materials->text(0, 0) + "|" + rowText(materials, 1, 2), "A. MATERIALES|Cemento gris|kg");
    EXPECT_FALSE(result->isVisible());

    press(Qt::Key_Return);
    EXPECT_EQ(text(window, "Label2"), "El Material: Cemento gris se encuentra en los Rubros");
    EXPECT_TRUE(result->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), result);
    EXPECT_EQ(result->text(0, 0), "CÓDIGO");
    EXPECT_EQ(rowText(result, 1, 4), "A1|1|Hormigón f'c = 210|m3");
    EXPECT_EQ(rowText(result, 2, 4), "B1|1|Contrapiso|m2");
    EXPECT_EQ(result->text(3, 0), "");
    EXPECT_EQ(seleccionar->text(), "Volver (Enter)");
    EXPECT_FALSE(cambiar->isEnabled());

    press(Qt::Key_Return);
    EXPECT_FALSE(result->isVisible());
    EXPECT_EQ(text(window, "Label2"), "");
    EXPECT_EQ(seleccionar->text(), "Seleccionar (Enter)");
    EXPECT_TRUE(cambiar->isEnabled());

    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "Label1"), "Buscar Herramientas y Equipo");
    ui::Grid* equipment = grid(window, "msfgMaquinaria");
    EXPECT_EQ(QApplication::focusWidget(), equipment);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    QTest::mouseClick(seleccionar, Qt::LeftButton);
    EXPECT_EQ(text(window, "Label2"), "El Equipo: Vibrador se encuentra en los Rubros");
    EXPECT_EQ(result->text(1, 0), "A1");
    press(Qt::Key_Return);
    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "Label1"), "Buscar Mano de Obra");
    EXPECT_EQ(grid(window, "msfgManoObra")->text(1, 1), "D2");
    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "Label1"), "Buscar Materiales");

    press(Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(!window || !window->isVisible());
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
}

TEST_F(ToolsWindowTest, CorregirRenamesAndMergesFromTheKeyboardWithTransportMirrored) {
    frmCorregir* window = open<frmCorregir>("frmCorregir");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Corregir Datos");
    ui::Grid* materials = grid(window, "msfgMateriales");
    ui::Grid* transport = grid(window, "msfgTransporte");
    ui::Grid* loaded = grid(window, "msfgMate2");
    ASSERT_EQ(QApplication::focusWidget(), materials);
    EXPECT_EQ(materials->text(0, 1), "UNIDAD");

    // Typing replaces the text from its first character; Enter goes on to the unit.
    type("Cemento Portlan");
    EXPECT_TRUE(editor(window)->isVisible());
    EXPECT_EQ(editor(window)->text(), "Cemento Portlan");
    enter({"d"});
    EXPECT_EQ(materials->text(1, 0) + "|" + transport->text(1, 0) + "|" + loaded->text(1, 0),
              "Cemento Portland|Cemento Portland|Cemento gris");
    EXPECT_EQ(materials->row() * 10 + materials->col(), 11);
    // Empty cells open nothing: resources are not added here.
    materials->setCell(3, 0);
    type("x");
    EXPECT_FALSE(editor(window)->isVisible());

    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "Label1"), "Correccion de Herramientas y Equipo");
    type("x"); // Andamio
    press(Qt::Key_Escape);
    EXPECT_EQ(grid(window, "msfgMaquinaria")->text(1, 0), "Andamio");
    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "Label1"), "Correccion de Mano de Obra");
    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "Label1"), "Correccion de  Transporte");
    type("x"); // transport follows its materials, it is never typed
    EXPECT_FALSE(editor(window)->isVisible());
    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "Label1"), "Correccion de  Materiales");

    press(Qt::Key_F7);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    EXPECT_EQ(text(window, "lblEstado"), "2 correcciones: 4 líneas cambiadas");
    // Reloaded: the merged material shows once.
    EXPECT_EQ(materials->text(1, 0) + "|" + materials->text(2, 0) + "|" + loaded->text(1, 0),
              "Cemento Portland||Cemento Portland");

    click(window, "cmdSalir");
    EXPECT_FALSE(registry.findWindow("frmCorregir") && registry.findWindow("frmCorregir")->isVisible());
}

TEST_F(ToolsWindowTest, CorregirFailureSaysWhatFailedAndKeepsTheTyping) {
    FailureGuard guard;
    frmCorregir* window = open<frmCorregir>("frmCorregir");
    ASSERT_TRUE(window);
    press(Qt::Key_F12);
    ASSERT_TRUE(editor(window)->isVisible());
    EXPECT_EQ(editor(window)->text(), "Cemento gris");
    enter({" O'Brien"});
    const QStringList before = p.all("Materiales", kMat) + p.all("Transporte", kTran);

    store::testing::failAfterWrites(2); // both material lines renamed, their transport fails
    click(window, "cmdCorregir");
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.lastText().startsWith("No se pudo corregir Transporte \"Cemento gris\" (kg)"))
        << messages.lastText().toStdString();
    EXPECT_TRUE(text(window, "lblEstado").startsWith("No se pudo corregir"));
    EXPECT_EQ(p.all("Materiales", kMat) + p.all("Transporte", kTran), before);
    EXPECT_EQ(grid(window, "msfgMateriales")->text(1, 0), "Cemento gris O'Brien");

    store::testing::failAfterWrites(-1);
    press(Qt::Key_F7);
    EXPECT_EQ(p.all("Materiales", {"DescripcionMat"}).count("Cemento gris O'Brien"), 2);
    EXPECT_EQ(p.all("Transporte", {"DescripcionTran"}).count("Cemento gris O'Brien"), 2);
}

TEST_F(ToolsWindowTest, RendimientoTypesYieldsSavesThemAndAsksBeforeLosingThem) {
    FailureGuard guard;
    frmRendimiento* window = open<frmRendimiento>("frmRendimiento");
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Cambiar Rendimiento");
    ui::Grid* equipment = grid(window, "msfgMaquinaria");
    ui::Grid* labour = grid(window, "msfgManoObra");
    EXPECT_EQ(text(window, "Label2"), "Maquinaria");
    ASSERT_EQ(QApplication::focusWidget(), equipment);
    EXPECT_EQ(equipment->rows(), 4);
    EXPECT_EQ(equipment->text(0, 4), "RENDIMIENTO");
    // A1 first (Indice order), its lines by description; the keys start on the yield.
    EXPECT_EQ(rowText(equipment, 1, 5).section('|', 2), "Hormigón f'c = 210|Concretera|0.250");
    EXPECT_EQ(equipment->text(3, 0), "B1");
    EXPECT_EQ(equipment->row() * 10 + equipment->col(), 14);

    enter({"0,3"});
    EXPECT_EQ(equipment->text(1, 4), "0.300");
    EXPECT_EQ(equipment->row(), 2);
    type("abc");
    press(Qt::Key_Down);
    EXPECT_EQ(equipment->text(2, 4), "0.000");
    enter({"1200"});
    EXPECT_EQ(equipment->text(3, 4), "1,200.000");
    EXPECT_EQ(equipment->row(), 3); // the last line keeps the focus
    enter({"2"});
    EXPECT_EQ(equipment->row(), 3);
    press(Qt::Key_Up);
    EXPECT_EQ(equipment->row(), 2);
    equipment->setCell(1, 3);
    type("x"); // only the yield is typed
    EXPECT_FALSE(editor(window)->isVisible());

    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "Label2"), "Mano de Obra");
    EXPECT_EQ(QApplication::focusWidget(), labour);
    EXPECT_EQ(labour->col(), 5);
    EXPECT_EQ(labour->text(1, 4), "E2");
    enter({"0,5"});

    // A failed save stores nothing and keeps the typing.
    store::testing::failAfterWrites(2);
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.lastText().contains("No se pudieron grabar los rendimientos"));
    EXPECT_EQ(yields(), QStringList({"0.5", "0.25", "1"}));
    EXPECT_TRUE(window->isModified());
    store::testing::failAfterWrites(-1);

    click(window, "cmdGrabar");
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(text(window, "lblEstado"), "4 rendimiento(s) grabado(s)");
    EXPECT_EQ(yields(), QStringList({"0", "0.3", "2"}));
    const QStringList labourYields = {"0.5", "2"};
    EXPECT_EQ(p.all("ManoObra", {"RendimientoMan"}), labourYields);
    EXPECT_FALSE(window->isModified());

    // Closing with a typed yield asks first: Cancel stays, No leaves without storing.
    enter({"9"});
    messages.clear();
    messages.answer(ui::MessageAnswer::Cancel);
    press(Qt::Key_Escape);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");
    EXPECT_TRUE(window->isVisible());
    messages.answer(ui::MessageAnswer::No);
    click(window, "cmdSalir");
    EXPECT_EQ(messages.count(), 2);
    EXPECT_EQ(p.all("ManoObra", {"RendimientoMan"}), labourYields);

    // Yes stores them before the window goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(registry.findWindow("frmRendimiento"), nullptr);
    window = open<frmRendimiento>("frmRendimiento");
    ASSERT_TRUE(window);
    enter({"7"});
    messages.answer(ui::MessageAnswer::Yes);
    press(Qt::Key_Escape);
    EXPECT_EQ(yields().value(1), "7");
}

TEST_F(ToolsWindowTest, RendimientoNamesTypedLinesThatWereDeletedMeanwhileAndShowsTheProjectAgain) {
    frmRendimiento* window = open<frmRendimiento>("frmRendimiento");
    ASSERT_TRUE(window);
    ui::Grid* equipment = grid(window, "msfgMaquinaria");
    enter({"3", "0,6"}); // A1 Concretera, A1 Vibrador
    p.db.execute("DELETE FROM Maquinaria WHERE DescripcionMaq = ?", {"Concretera"});
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastTitle(), "Advertencia");
    EXPECT_TRUE(messages.lastText().contains("A1 1: Concretera")) << messages.lastText().toStdString();
    EXPECT_EQ(text(window, "lblEstado"), "1 rendimiento(s) grabado(s), 1 línea(s) ya no existen");
    EXPECT_EQ(yields(), QStringList({"0.6", "1"}));
    EXPECT_EQ(equipment->rows(), 3);
    EXPECT_EQ(equipment->text(1, 3) + "|" + equipment->text(1, 4), "Vibrador|0.600");
    EXPECT_FALSE(window->isModified());
}

// Each typed yield is one step; an undone yield is no change, so the save writes only the others.
TEST_F(ToolsWindowTest, RendimientoUndoesTypedYieldsAndSavesOnlyWhatIsLeft) {
    QPointer<frmRendimiento> window = open<frmRendimiento>("frmRendimiento");
    ASSERT_TRUE(window);
    ui::Grid* equipment = grid(window, "msfgMaquinaria");
    enter({"0,3", "2"}); // Concretera, Vibrador
    undo();
    EXPECT_EQ(equipment->text(2, 4), "0.500");
    undo();
    EXPECT_EQ(equipment->text(1, 4), "0.250");
    EXPECT_FALSE(window->isModified());
    redo();
    EXPECT_TRUE(window->isModified());
    press(Qt::Key_F9);
    EXPECT_EQ(text(window, "lblEstado"), "1 rendimiento(s) grabado(s)");
    EXPECT_EQ(yields(), QStringList({"0.5", "0.3", "1"}));

    // The save emptied the history; a later yield undone leaves nothing to ask on closing.
    undo();
    EXPECT_EQ(equipment->text(1, 4), "0.300");
    enter({"5"});
    undo();
    press(Qt::Key_Escape);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}
