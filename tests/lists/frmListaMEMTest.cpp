// The price window and its percentage dialog driven through typed keys, opened the way the main
// window's button "Lista MEM" opens it.
#include "lists/frmListaMEM.h"

#include "AnalysisFixture.h"
#include "FakeMessages.h"
#include "KeyInput.h"
#include "ui/WindowRegistry.h"

#include <QLineEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::lists;
using namespace korvex::testing;

namespace korvex {
void wiring_lists(ui::WindowRegistry& registry);
}

namespace {

const QStringList kMat = {"ItemPres", "DescripcionMat", "PrecioUniMat"}; // all of item code G1

class PriceWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        p.addItem("G1", "1", "Hormigón f'c = 210", "m3");
        p.addItem("G1", "2", "Contrapiso", "m2");
        p.db.execute("UPDATE Presupuesto SET CantidadPres = 10 WHERE ItemPres = '1'");
        p.addMaterial("G1", "1", "Cemento", "kg", 2, 12.34);
        p.addMaterial("G1", "1", "Arena", "m3", 0.5, 14);
        p.addMaterial("G1", "2", "Cemento", "kg", 1, 12.34);
        p.addEquipment("G1", "1", "Concretera", 1, 1, 5);
        p.addLabour("G1", "1", "Peón", "E2", 1, 1, 3);
        p.addTransport("G1", "1", "Cemento", "kg", 2, 0.5);
        registry.clear();
        wiring_lists(registry);
    }
    void TearDown() override {
        registry.closeAll();
        registry.clear();
    }

    frmListaMEM* open(const QString& folder = {}) {
        ui::WindowContext context;
        context.projectFolder = folder.isEmpty() ? p.folder : folder;
        context.rootFolder = p.root.root();
        auto* window = qobject_cast<frmListaMEM*>(registry.openWindow("frmListaMEM", context));
        if (window) {
            EXPECT_TRUE(activate(window));
        }
        return window;
    }

    // A window closed with Esc is deleted once the event loop gets to it.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    // F6, the dialog answered with keys typed where its focus is; the window is active again
    // afterwards, as the desktop makes it.
    static void raiseByPercent(QWidget* window, const QString& keys, Qt::Key key) {
        QTimer::singleShot(0, [keys, key] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            EXPECT_EQ(modal->windowTitle(), "Subir Porcentaje");
            QApplication::setActiveWindow(modal);
            EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
            EXPECT_EQ(QApplication::focusWidget(), modal->findChild<QLineEdit*>("txtPorcentaje"));
            type(keys);
            press(key);
        });
        press(Qt::Key_F6);
        QApplication::setActiveWindow(window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    }
    static QString text(QWidget* window, const char* label) { return labelTexts(window, {label}).first(); }
    static ui::Grid* grid(QWidget* window, const char* name) { return window->findChild<ui::Grid*>(name); }

    FakeMessages messages;
    AnalysisProject p;
    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
};

} // namespace

TEST_F(PriceWindowTest, KeysCycleTheListsComputeTotalsAndRetypePrices) {
    QPointer<frmListaMEM> window = open();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Ingreso de Precios");
    EXPECT_EQ(labelTexts(window, {"Label1", "lblTotal", "lblTotal1"}),
              QStringList({"Lista de Materiales", "Total Materiales:", ""}));
    ui::Grid* materials = grid(window, "msfgMateriales");
    EXPECT_EQ(QApplication::focusWidget(), materials);
    EXPECT_EQ(materials->row() * 10 + materials->col(), 10);
    EXPECT_EQ(materials->rows(), 3);
    EXPECT_EQ(rowText(materials, 1), "Arena|m3|14.00|5.000|70.00");
    EXPECT_EQ(rowText(materials, 2), "Cemento|kg|12.34|21.000|259.14");
    EXPECT_EQ(materials->alignment(1, 1), Qt::AlignCenter);

    // F1 before any F5 shows 0.00; afterwards each list shows its last computed total.
    press(Qt::Key_F1);
    EXPECT_EQ(labelTexts(window, {"Label1", "lblTotal", "lblTotal1"}),
              QStringList({"Lista de Herramientas y Equipo", "Total de Herramientas y Equipo", "0.00"}));
    EXPECT_EQ(window->findChild<QStackedWidget*>()->currentWidget(), QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget(), grid(window, "msfgMaquinaria"));
    press(Qt::Key_F1);
    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "Label1"), "Lista de  Transporte");
    press(Qt::Key_F1);
    EXPECT_EQ(labelTexts(window, {"Label1", "lblTotal"}),
              QStringList({"Lista de  Materiales", "Total de Materiales"}));
    press(Qt::Key_F5);
    EXPECT_EQ(text(window, "lblTotal1"), "329.14");
    press(Qt::Key_F1);
    EXPECT_EQ(text(window, "lblTotal1"), "50.00");
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_F1);

    // Only a price cell takes typing.
    materials->setCell(1, 0);
    type("a");
    EXPECT_FALSE(window->findChild<QLineEdit*>("txtIngreso")->isVisible());
    materials->setCell(1, 2);
    enter({"15"});
    EXPECT_EQ(rowText(materials, 1), "Arena|m3|15.00|5.000|75.00");
    EXPECT_EQ(materials->row(), 2);
    EXPECT_EQ(QApplication::focusWidget(), materials);

    // A price that is not a number leaves the cell and the row where they were.
    enter({"x1"});
    EXPECT_EQ(rowText(materials, 2), "Cemento|kg|12.34|21.000|259.14");
    EXPECT_EQ(text(window, "lblEstado"), "Precio no válido");
    EXPECT_EQ(materials->row(), 2);
    // Esc in the editor keeps the old value; Up commits and goes back a row.
    type("9");
    press(Qt::Key_Escape);
    EXPECT_EQ(materials->text(2, 2), "12.34");
    type("13");
    press(Qt::Key_Up);
    EXPECT_EQ(rowText(materials, 2), "Cemento|kg|13.00|21.000|273.00");
    EXPECT_EQ(materials->row(), 1);
    EXPECT_EQ(text(window, "lblTotal1"), "329.14"); // until F5

    press(Qt::Key_F9);
    EXPECT_EQ(text(window, "lblEstado"), "Precios grabados: 3 líneas cambiadas");
    EXPECT_EQ(QApplication::focusWidget(), materials);
    press(Qt::Key_Escape);
    settle();
    EXPECT_FALSE(window); // saved: closed without a question
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(PriceWindowTest, F6AsksThePercentageAndF9SavesItIntoEveryLine) {
    QPointer<frmListaMEM> window = open();
    ASSERT_TRUE(window);
    ui::Grid* materials = grid(window, "msfgMateriales");

    // Cancelled, or not a number: the prices stay.
    raiseByPercent(window, "10", Qt::Key_Escape);
    EXPECT_EQ(materials->text(2, 2), "12.34");
    raiseByPercent(window, "diez", Qt::Key_Return);
    EXPECT_EQ(materials->text(2, 2), "12.34");
    EXPECT_EQ(text(window, "lblEstado"), "Porcentaje no válido: los precios no han cambiado");
    EXPECT_FALSE(window->hasUnsavedChanges());

    raiseByPercent(window, "10", Qt::Key_Return);
    EXPECT_EQ(rowText(materials, 1), "Arena|m3|15.40|5.000|77.00");
    EXPECT_EQ(rowText(materials, 2), "Cemento|kg|13.57|21.000|284.97");
    EXPECT_EQ(materials->row() * 10 + materials->col(), 2);
    EXPECT_EQ(text(window, "lblEstado"), "2 precio(s) incrementado(s), sin grabar");
    EXPECT_EQ(grid(window, "msfgTransporte")->text(1, 2), "0.50"); // only the list on show

    press(Qt::Key_F9);
    EXPECT_EQ(text(window, "lblEstado"), "Precios grabados: 3 líneas cambiadas");
    EXPECT_EQ(p.all("Materiales", kMat), QStringList({"1|Cemento|13.57", "1|Arena|15.4", "2|Cemento|13.57"}));
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(PriceWindowTest, UndoTakesBackARaiseAsOneStepAndATypedPriceWithoutSavingEitherDifference) {
    QPointer<frmListaMEM> window = open();
    ASSERT_TRUE(window);
    ui::Grid* materials = grid(window, "msfgMateriales");
    const QString arena = rowText(materials, 1);
    materials->setCell(1, 2);
    enter({"20"});
    raiseByPercent(window, "10", Qt::Key_Return);
    EXPECT_EQ(rowText(materials, 1), "Arena|m3|22.00|5.000|110.00");

    undo();
    EXPECT_EQ(rowText(materials, 1), "Arena|m3|20.00|5.000|100.00");
    EXPECT_EQ(materials->text(2, 2), "12.34");
    undo();
    EXPECT_EQ(rowText(materials, 1), arena);
    EXPECT_FALSE(window->hasUnsavedChanges());
    redo();
    press(Qt::Key_F9);
    EXPECT_EQ(p.all("Materiales", kMat), QStringList({"1|Cemento|12.34", "1|Arena|20", "2|Cemento|12.34"}));
}

// A failed write takes the way out of a refused save (the last test); that it changes nothing is
// the price lists' test.
TEST_F(PriceWindowTest, UnsavedChangesAreAskedForOnClosing) {
    const QStringList before = p.all("Materiales", kMat);
    QPointer<frmListaMEM> window = open();
    ASSERT_TRUE(window);
    grid(window, "msfgMateriales")->setCell(1, 2);
    enter({"20"});

    messages.clear();
    messages.answer(ui::MessageAnswer::Cancel);
    press(Qt::Key_Escape);
    ASSERT_TRUE(window);
    EXPECT_EQ(messages.lastText(), "¿Desea grabar los cambios?");
    EXPECT_TRUE(window->isVisible());

    messages.answer(ui::MessageAnswer::No);
    press(Qt::Key_Escape);
    settle();
    EXPECT_FALSE(window);
    EXPECT_EQ(p.all("Materiales", kMat), before);

    // Yes saves on the way out.
    window = open();
    ASSERT_TRUE(window);
    grid(window, "msfgMateriales")->setCell(1, 2);
    enter({"21"});
    messages.clear();
    messages.answer(ui::MessageAnswer::Yes);
    press(Qt::Key_Escape);
    settle();
    EXPECT_FALSE(window);
    EXPECT_EQ(messages.count(), 1);
    EXPECT_TRUE(p.all("Materiales", kMat).contains("1|Arena|21"));
}

TEST_F(PriceWindowTest, EveryResourceIsShownAndAMissingProjectOpensNoWindow) {
    for (int i = 0; i < 230; ++i)
        p.addMaterial("G1", "2", QStringLiteral("Material %1").arg(i, 3, 10, QLatin1Char('0')), "u", 1, i);
    QPointer<frmListaMEM> window = open();
    ASSERT_TRUE(window);
    ui::Grid* materials = grid(window, "msfgMateriales");
    EXPECT_EQ(materials->rows(), 1 + 232);
    EXPECT_EQ(materials->text(232, 0), "Material 229");
    registry.closeAll();
    settle();

    messages.clear();
    EXPECT_EQ(open(p.root.root() + "/NoExiste"), nullptr);
    EXPECT_EQ(messages.count(), 1);
    EXPECT_EQ(registry.findWindow("frmListaMEM"), nullptr);
}

TEST_F(PriceWindowTest, F9WritesOnlyTheTypedPriceAndRefusesWhatChangedMeanwhile) {
    QPointer<frmListaMEM> window = open();
    ASSERT_TRUE(window);
    ui::Grid* materials = grid(window, "msfgMateriales");
    // Prices copied from another project while the window is open.
    p.db.execute("UPDATE Materiales SET PrecioUniMat = 15 WHERE DescripcionMat = 'Arena'");
    p.db.execute("UPDATE ManoObra SET SalarioMan = 4");
    materials->setCell(2, 2); // Cemento
    enter({"13"});
    press(Qt::Key_F9);
    EXPECT_EQ(text(window, "lblEstado"), "Precios grabados: 2 líneas cambiadas");
    EXPECT_EQ(p.all("Materiales", {"DescripcionMat", "PrecioUniMat"}),
              QStringList({"Cemento|13", "Arena|15", "Cemento|13"}));
    EXPECT_EQ(p.all("ManoObra", {"SalarioMan"}), QStringList({"4"}));

    // Another window changed Cemento since: this one refuses and says so.
    p.db.execute("UPDATE Materiales SET PrecioUniMat = 14 WHERE DescripcionMat = 'Cemento'");
    materials->setCell(2, 2);
    enter({"12"});
    press(Qt::Key_F9);
    EXPECT_TRUE(messages.lastText().contains(
        "Las líneas de Cemento (kg) cambiaron desde que abrió la ventana; ciérrela y vuelva a abrirla"))
        << messages.lastText().toStdString();
    EXPECT_EQ(text(window, "lblEstado"), messages.lastText().section('\n', 0, 0));
    EXPECT_EQ(p.all("Materiales", {"PrecioUniMat"}), QStringList({"14", "15", "14"}));
    EXPECT_EQ(materials->text(2, 2), "12.00"); // the typing is kept for another try
}
