#include "budget/Presentation.h"

#include "BudgetFixture.h"
#include "budget/ProjectData.h"

using namespace korvex;
using namespace korvex::budget;

namespace {

class PresentationTest : public korvex::testing::BudgetProject {
protected:
    void change(bool DatosProyecto::*option, bool value) {
        ProyectoCargado cargado = cargarDatosProyecto(db, {});
        DatosProyecto datos = cargado.mostrado;
        datos.*option = value;
        grabarDatosProyecto(db, cargado, datos);
    }
};

// The same two items with IVA on (39.65, 4.76, 44.41): BudgetCommandTest, every cell of a row too.
TEST_F(PresentationTest, TwoItemsWithoutIvaOnceTheHeaderIsThere) {
    item("A1", "1", "Excavacion", 3);
    lines("A1", "1", 12.34);
    item("A2", "2", "Replantillo", 0.5);
    lines("A2", "2", 5.25);
    Presentacion p = calcularPresentacion(folder);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.message, "Debe Ingresar primero los datos del Proyecto");
    EXPECT_DOUBLE_EQ(db.openRecordSet("SELECT * FROM Presupuesto").number("TotalPres"), 0);

    header();
    p = calcularPresentacion(folder);
    ASSERT_EQ(p.filas.size(), 2) << p.message.toStdString();
    EXPECT_EQ(QStringList({p.proyecto, p.filas[0].precioTotal, p.filas[1].precioTotal, p.subtotalTexto,
                           p.ivaEtiqueta, p.ivaTexto, p.totalTexto}),
              QStringList({"Escuela Fiscal", "37.02", "2.63", "39.65", "IVA    0%", "0.00", "39.65"}));
    // Without indirect costs, the other indirect costs show zero too.
    db.execute("UPDATE Proyecto SET OtrosIndirectos = 7");
    p = calcularPresentacion(folder);
    EXPECT_EQ(QStringList({p.indirectos, p.otrosIndirectos}), QStringList({"0 %", "0 %"}));
}

TEST_F(PresentationTest, ShowsTheUnitPricesOfTheCurrentSettings) {
    header(20, 0);
    item("B1", "1", "Mamposteria", 2);
    lines("B1", "1", 10);
    db.execute("UPDATE ManoObra SET SalarioMan = 10");
    // D = 10 + 10 = 20, I = 4
    Presentacion p = calcularPresentacion(folder);
    EXPECT_EQ(QStringList({p.indirectos, p.otrosIndirectos}), QStringList({"20 %", "0 %"}));
    EXPECT_EQ(p.filas.value(0).precioUnitario, "24.00");

    change(&DatosProyecto::herramienta, true); // H = 0.50, D = 20.50, I = 4.10
    p = calcularPresentacion(folder);
    EXPECT_EQ(p.filas.value(0).precioUnitario, "24.60");
    EXPECT_EQ(p.filas.value(0).precioTotal, "49.20");
}

TEST_F(PresentationTest, EveryItemRowCountsAndQuantitiesShowUpToThreeDecimals) {
    header();
    item("C1", "1", "Con descripcion", 1);
    lines("C1", "1", 1);
    item("C2", "2", "", 0.125); // saved without a description
    lines("C2", "2", 8);
    item("C3", "3", "Cantidad cero", 0);
    lines("C3", "3", 100);
    const Presentacion p = calcularPresentacion(folder);
    ASSERT_EQ(p.filas.size(), 3);
    EXPECT_EQ(p.filas[1].cantidad, "0.125");
    EXPECT_EQ(p.filas[1].precioTotal, "1.00");
    EXPECT_EQ(p.filas[2].precioTotal, "0.00");
    EXPECT_EQ(p.subtotalTexto, "2.00");

    // Shown totals with thousands separators are read back whole; the sum is rounded as it goes.
    Presentacion grande;
    grande.conIva = true;
    grande.filas = {{"", "", "", "", "", "", "1,234,567.89"}, {"", "", "", "", "", "", "0.01"}};
    calcularTotales(grande);
    EXPECT_EQ(QStringList({grande.subtotalTexto, grande.ivaTexto, grande.totalTexto}),
              QStringList({"1,234,567.90", "148,148.15", "1,382,716.05"}));
}

} // namespace
