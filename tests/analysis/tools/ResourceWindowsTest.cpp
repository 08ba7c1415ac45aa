// The where-used search, the correction and the yield editor driven through typed keys, opened the
// way the main window's buttons open them.
#include "AnalysisFixture.h"
#include "FakeMessages.h"
#include "analysis/frmBuscar.h"
#include "analysis/frmCorregir.h"
#include "analysis/frmRendimiento.h"
#include "ui/Grid.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::analysis;
using korvex::testing::AnalysisProject;
using korvex::testing::FailureGuard;
using korvex::testing::FakeMessages;

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
        if (!window)
            return nullptr;
        QApplication::setActiveWindow(window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return window;
    }

    static void press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    static void type(const QString& keys) {
        for (const QChar c : keys) {
            QWidget* target = QApplication::focusWidget();
            if (c.unicode() < 128) {
                QTest::keyClicks(target, QString(c));
            } else { // QTest maps only ASCII to keys; a keyboard sends the text with the event
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(target, &press);
            }
        }
    }
    static void enter(const QString& keys) {
        type(keys);
        press(Qt::Key_Return);
    }
    static QString text(QWidget* window, const char* label) {
        return window->findChild<QLabel*>(label)->text();
    }
    static ui::Grid* grid(QWidget* window, const char* name) { return window->findChild<ui::Grid*>(name); }
    static QLineEdit* editor(QWidget* window) { return window->findChild<QLineEdit*>("txtIngreso"); }

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
    EXPECT_EQ(materials->text(0, 0), "A. MATERIALES");
    EXPECT_EQ(materials->text(1, 0), "Cemento gris");
    EXPECT_EQ(materials->text(1, 1), "kg");
    EXPECT_FALSE(result->isVisible());

    press(Qt::Key_Return);
    EXPECT_EQ(text(window, "Label2"), "El Material: Cemento gris se encuentra en los Rubros");
    EXPECT_TRUE(result->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), result);
    EXPECT_EQ(result->text(0, 0), "CÓDIGO");
    EXPECT_EQ(result->text(1, 0), "A1");
    EXPECT_EQ(result->text(1, 2), "Hormigón f'c = 210");
    EXPECT_EQ(result->text(2, 0), "B1");
    EXPECT_EQ(result->text(2, 3), "m2");
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
    EXPECT_EQ(equipment->text(1, 0), "Andamio");
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
    EXPECT_EQ(text(window, "Label1"), "Corrección de Materiales");
    ui::Grid* materials = grid(window, "msfgMateriales");
    ui::Grid* transport = grid(window, "msfgTransporte");
    ASSERT_EQ(QApplication::focusWidget(), materials);
    EXPECT_EQ(grid(window, "msfgMate2")->text(1, 0), "Cemento gris");
    EXPECT_EQ(materials->text(0, 1), "UNIDAD");

    // Typing replaces the text from its first character; Enter goes on to the unit.
    type("Cemento Portlan");
    EXPECT_TRUE(editor(window)->isVisible());
    EXPECT_EQ(editor(window)->text(), "Cemento Portlan");
    enter("d");
    EXPECT_EQ(materials->text(1, 0), "Cemento Portland");
    EXPECT_EQ(transport->text(1, 0), "Cemento Portland");
    EXPECT_EQ(grid(window, "msfgMate2")->text(1, 0), "Cemento gris");
    EXPECT_EQ(materials->row(), 1);
    EXPECT_EQ(materials->col(), 1);
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
    EXPECT_EQ(p.lines("Materiales", "A1", "1", kMat),
              QStringList({"CodigoPres=A1|DescripcionMat=Cemento Portland|UnidadMat=kg|PrecioUniMat=0.2"}));
    EXPECT_EQ(p.lines("Transporte", "A1", "1", kTran),
              QStringList({"CodigoPres=A1|DescripcionTran=Cemento Portland|UnidadTran=kg|PrecioTran=0.02"}));
    // Reloaded: the merged material shows once.
    EXPECT_EQ(materials->text(1, 0), "Cemento Portland");
    EXPECT_EQ(materials->text(2, 0), "");
    EXPECT_EQ(grid(window, "msfgMate2")->text(1, 0), "Cemento Portland");

    QTest::mouseClick(window->findChild<QPushButton*>("cmdSalir"), Qt::LeftButton);
    EXPECT_FALSE(registry.findWindow("frmCorregir") && registry.findWindow("frmCorregir")->isVisible());
}

TEST_F(ToolsWindowTest, CorregirFailureSaysWhatFailedAndKeepsTheTyping) {
    FailureGuard guard;
    frmCorregir* window = open<frmCorregir>("frmCorregir");
    ASSERT_TRUE(window);
    ui::Grid* materials = grid(window, "msfgMateriales");
    press(Qt::Key_F12);
    ASSERT_TRUE(editor(window)->isVisible());
    EXPECT_EQ(editor(window)->text(), "Cemento gris");
    enter(" O'Brien");
    const QStringList before = p.all("Materiales", kMat) + p.all("Transporte", kTran);

    store::testing::failAfterWrites(2); // both material lines renamed, their transport fails
    QTest::mouseClick(window->findChild<QPushButton*>("cmdCorregir"), Qt::LeftButton);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.lastText().startsWith("No se pudo corregir Transporte \"Cemento gris\" (kg)"))
        << messages.lastText().toStdString();
    EXPECT_TRUE(text(window, "lblEstado").startsWith("No se pudo corregir"));
    EXPECT_EQ(p.all("Materiales", kMat) + p.all("Transporte", kTran), before);
    EXPECT_EQ(materials->text(1, 0), "Cemento gris O'Brien");

    store::testing::failAfterWrites(-1);
    press(Qt::Key_F7);
    EXPECT_EQ(p.all("Materiales", {"DescripcionMat"}).count("DescripcionMat=Cemento gris O'Brien"), 2);
    EXPECT_EQ(p.all("Transporte", {"DescripcionTran"}).count("DescripcionTran=Cemento gris O'Brien"), 2);
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
    // A1 first (Indice order), its lines by description.
    EXPECT_EQ(equipment->text(1, 3), "Concretera");
    EXPECT_EQ(equipment->text(1, 2), "Hormigón f'c = 210");
    EXPECT_EQ(equipment->text(1, 4), "0.250");
    EXPECT_EQ(equipment->text(3, 0), "B1");
    EXPECT_EQ(equipment->row(), 1);
    EXPECT_EQ(equipment->col(), 4);

    enter("0,3");
    EXPECT_EQ(equipment->text(1, 4), "0.300");
    EXPECT_EQ(equipment->row(), 2);
    type("abc");
    press(Qt::Key_Down);
    EXPECT_EQ(equipment->text(2, 4), "0.000");
    enter("1200");
    EXPECT_EQ(equipment->text(3, 4), "1,200.000");
    EXPECT_EQ(equipment->row(), 3); // the last line keeps the focus
    enter("2");
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
    enter("0,5");

    // A failed save stores nothing and keeps the typing.
    store::testing::failAfterWrites(2);
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(messages.lastText().contains("No se pudieron grabar los rendimientos"));
    EXPECT_EQ(p.all("Maquinaria", {"RendimientoMaq"}),
              QStringList({"RendimientoMaq=0.5", "RendimientoMaq=0.25", "RendimientoMaq=1"}));
    EXPECT_TRUE(window->isModified());
    store::testing::failAfterWrites(-1);

    QTest::mouseClick(window->findChild<QPushButton*>("cmdGrabar"), Qt::LeftButton);
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(text(window, "lblEstado"), "4 rendimiento(s) grabado(s)");
    EXPECT_EQ(p.all("Maquinaria", {"DescripcionMaq", "RendimientoMaq"}),
              QStringList({"DescripcionMaq=Vibrador|RendimientoMaq=0",
                           "DescripcionMaq=Concretera|RendimientoMaq=0.3",
                           "DescripcionMaq=Andamio|RendimientoMaq=2"}));
    EXPECT_EQ(p.all("ManoObra", {"RendimientoMan"}), QStringList({"RendimientoMan=0.5", "RendimientoMan=2"}));
    EXPECT_FALSE(window->isModified());

    // Closing with a typed yield asks first: Cancel stays, No leaves without storing.
    enter("9");
    messages.clear();
    messages.answer(ui::MessageAnswer::Cancel);
    press(Qt::Key_Escape);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");
    EXPECT_TRUE(window->isVisible());
    messages.answer(ui::MessageAnswer::No);
    QTest::mouseClick(window->findChild<QPushButton*>("cmdSalir"), Qt::LeftButton);
    EXPECT_EQ(messages.count(), 2);
    EXPECT_EQ(p.all("ManoObra", {"RendimientoMan"}), QStringList({"RendimientoMan=0.5", "RendimientoMan=2"}));

    // Yes stores them before the window goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(registry.findWindow("frmRendimiento"), nullptr);
    window = open<frmRendimiento>("frmRendimiento");
    ASSERT_TRUE(window);
    enter("7");
    messages.answer(ui::MessageAnswer::Yes);
    press(Qt::Key_Escape);
    EXPECT_EQ(p.all("Maquinaria", {"RendimientoMaq"}).value(1), "RendimientoMaq=7");
}

TEST_F(ToolsWindowTest, RendimientoNamesTypedLinesThatWereDeletedMeanwhileAndShowsTheProjectAgain) {
    frmRendimiento* window = open<frmRendimiento>("frmRendimiento");
    ASSERT_TRUE(window);
    ui::Grid* equipment = grid(window, "msfgMaquinaria");
    enter("3");   // A1 Concretera
    enter("0,6"); // A1 Vibrador
    p.db.execute("DELETE FROM Maquinaria WHERE DescripcionMaq = ?", {"Concretera"});
    press(Qt::Key_F9);
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastTitle(), "Advertencia");
    EXPECT_TRUE(messages.lastText().contains("A1 1: Concretera")) << messages.lastText().toStdString();
    EXPECT_EQ(text(window, "lblEstado"), "1 rendimiento(s) grabado(s), 1 línea(s) ya no existen");
    EXPECT_EQ(p.all("Maquinaria", {"DescripcionMaq", "RendimientoMaq"}),
              QStringList(
                  {"DescripcionMaq=Vibrador|RendimientoMaq=0.6", "DescripcionMaq=Andamio|RendimientoMaq=1"}));
    EXPECT_EQ(equipment->rows(), 3);
    EXPECT_EQ(equipment->text(1, 3), "Vibrador");
    EXPECT_EQ(equipment->text(1, 4), "0.600");
    EXPECT_FALSE(window->isModified());
}

// Each typed yield is one step; an undone yield is no change, so the save writes only the others.
TEST_F(ToolsWindowTest, RendimientoUndoesTypedYieldsAndSavesOnlyWhatIsLeft) {
    QPointer<frmRendimiento> window = open<frmRendimiento>("frmRendimiento");
    ASSERT_TRUE(window);
    ui::Grid* equipment = grid(window, "msfgMaquinaria");
    const auto ctrl = [](Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k, Qt::ControlModifier); };
    enter("0,3"); // Concretera
    enter("2");   // Vibrador
    ctrl(Qt::Key_Z);
    EXPECT_EQ(equipment->text(2, 4), "0.500");
    ctrl(Qt::Key_Z);
    EXPECT_EQ(equipment->text(1, 4), "0.250");
    EXPECT_FALSE(window->isModified());
    ctrl(Qt::Key_Y);
    EXPECT_TRUE(window->isModified());
    press(Qt::Key_F9);
    EXPECT_EQ(text(window, "lblEstado"), "1 rendimiento(s) grabado(s)");
    EXPECT_EQ(p.all("Maquinaria", {"RendimientoMaq"}),
              QStringList({"RendimientoMaq=0.5", "RendimientoMaq=0.3", "RendimientoMaq=1"}));

    // The save emptied the history; a later yield undone leaves nothing to ask on closing.
    ctrl(Qt::Key_Z);
    EXPECT_EQ(equipment->text(1, 4), "0.300");
    enter("5");
    ctrl(Qt::Key_Z);
    press(Qt::Key_Escape);
    EXPECT_EQ(messages.count(), 0) << messages.lastText().toStdString();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}
