#include "BudgetFixture.h"

#include "budget/Presentation.h"
#include "budget/ProjectData.h"

using namespace korvex;
using namespace korvex::budget;

namespace {

class PresentationTest : public korvex::testing::BudgetProject {
protected:
    // The two items of the worked example: unit prices 12.34 and 5.25, quantities 3 and 0.5.
    void twoItems()
    {
        item("A1", "1", "Excavacion", "m3", 3);
        lines("A1", "1", 12.34);
        item("A2", "2", "Replantillo", "m2", 0.5);
        lines("A2", "2", 5.25);
    }

    void setIva(bool iva)
    {
        DatosProyecto datos = leerDatosProyecto(db, {});
        datos.iva = iva;
        grabarDatosProyecto(db, datos);
    }
};

TEST_F(PresentationTest, TwoItemsWithAndWithoutIva)
{
    header(0, 0, true, false, "Escuela Fiscal");
    twoItems();
    Presentacion p = calcularPresentacion(folder);
    ASSERT_TRUE(p.ok) << p.message.toStdString();
    ASSERT_EQ(p.filas.size(), 2);
    EXPECT_EQ(p.proyecto, "Escuela Fiscal");
    const FilaPresentacion& a = p.filas[0];
    EXPECT_EQ(QStringList({a.codigo, a.item, a.descripcion, a.unidad, a.cantidad, a.precioUnitario, a.precioTotal}),
              QStringList({"A1", "1", "Excavacion", "m3", "3.00", "12.34", "37.02"}));
    EXPECT_EQ(p.filas[1].cantidad, "0.50");
    EXPECT_EQ(p.filas[1].precioUnitario, "5.25");
    EXPECT_EQ(p.filas[1].precioTotal, "2.63");
    EXPECT_EQ(p.subtotalTexto, "39.65");
    EXPECT_EQ(p.ivaEtiqueta, "IVA    12%");
    EXPECT_EQ(p.ivaTexto, "4.76");
    EXPECT_EQ(p.totalTexto, "44.41");

    setIva(false);
    p = calcularPresentacion(folder);
    EXPECT_EQ(p.subtotalTexto, "39.65");
    EXPECT_EQ(p.ivaEtiqueta, "IVA    0%");
    EXPECT_EQ(p.ivaTexto, "0.00");
    EXPECT_EQ(p.totalTexto, "39.65");
}

TEST_F(PresentationTest, WithoutHeaderNothingIsComputed)
{
    twoItems();
    const Presentacion p = calcularPresentacion(folder);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.message, "Debe Ingresar primero los datos del Proyecto");
    EXPECT_TRUE(p.filas.isEmpty());
    auto rs = db.openRecordSet("SELECT * FROM Presupuesto");
    EXPECT_DOUBLE_EQ(rs.number("TotalPres"), 0);
}

TEST_F(PresentationTest, PercentagesShowAsPlainNumbersAndBothZeroWithoutIndirectCosts)
{
    header(0, 7);
    Presentacion p = calcularPresentacion(folder);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.indirectos, "0 %");
    EXPECT_EQ(p.otrosIndirectos, "0 %");
    EXPECT_TRUE(p.filas.isEmpty());
    EXPECT_EQ(p.subtotalTexto, "0.00");
    EXPECT_EQ(p.totalTexto, "0.00");

    db.execute("UPDATE Proyecto SET CostosIndirectos = ?, OtrosIndirectos = ?", {12.5, 3.0});
    p = calcularPresentacion(folder);
    EXPECT_EQ(p.indirectos, "12.5 %");
    EXPECT_EQ(p.otrosIndirectos, "3 %");
}

TEST_F(PresentationTest, ShowsTheUnitPricesOfTheCurrentSettings)
{
    header(20, 0, false, false);
    item("B1", "1", "Mamposteria", "m2", 2);
    lines("B1", "1", 10);
    db.execute("UPDATE ManoObra SET SalarioMan = ? WHERE CodigoPres = ?", {10.0, "B1"});
    // D = 10 + 10 = 20, I = 4: 24.00
    EXPECT_EQ(calcularPresentacion(folder).filas.value(0).precioUnitario, "24.00");

    DatosProyecto datos = leerDatosProyecto(db, {});
    datos.herramienta = true;
    grabarDatosProyecto(db, datos);
    // H = 0.50, D = 20.50, I = 4.10: 24.60
    const Presentacion p = calcularPresentacion(folder);
    EXPECT_EQ(p.filas.value(0).precioUnitario, "24.60");
    EXPECT_EQ(p.filas.value(0).precioTotal, "49.20");
    auto rs = db.openRecordSet("SELECT * FROM Presupuesto");
    EXPECT_DOUBLE_EQ(rs.number("TotalPres"), 24.6);
}

TEST_F(PresentationTest, EveryItemRowCountsAndQuantitiesShowUpToThreeDecimals)
{
    header();
    item("C1", "1", "Con descripcion", "u", 1);
    lines("C1", "1", 1);
    item("C2", "2", "", "u", 0.125); // saved without a description
    lines("C2", "2", 8);
    item("C3", "3", "Cantidad cero", "u", 0);
    lines("C3", "3", 100);
    const Presentacion p = calcularPresentacion(folder);
    ASSERT_EQ(p.filas.size(), 3);
    EXPECT_EQ(p.filas[1].cantidad, "0.125");
    EXPECT_EQ(p.filas[1].precioTotal, "1.00");
    EXPECT_EQ(p.filas[2].precioUnitario, "100.00");
    EXPECT_EQ(p.filas[2].precioTotal, "0.00");
    EXPECT_EQ(p.subtotalTexto, "2.00");
}

TEST(PresentationTotals, TheSubtotalIsRoundedAfterEveryItemAndLargeFiguresAreGrouped)
{
    Presentacion p;
    p.conIva = true;
    p.filas = {{"", "", "", "", "", "", "1,234,567.89"}, {"", "", "", "", "", "", "0.01"}};
    calcularTotales(p);
    EXPECT_EQ(p.subtotalTexto, "1,234,567.90");
    EXPECT_EQ(p.ivaTexto, "148,148.15");
    EXPECT_EQ(p.totalTexto, "1,382,716.05");
}

} // namespace
