#include "EngineFixture.h"
#include "engine/Engine.h"

using namespace korvex::engine;
using korvex::testing::EngineTest;

using UnitPrice = EngineTest;

TEST_F(UnitPrice, WorkedExampleToTheCent) {
    header(20, 5, true);
    item("A1", "1", 10);
    material("A1", "1", "Cemento", "saco", 2.5, 13.47);
    manoObra("A1", "1", "Peón", "E2", 1, 0.8, 3.05);

    const DesgloseItem d = PrecioUnitarioItem(folder, "A1", "1");
    EXPECT_TRUE(d.conDatosProyecto);
    EXPECT_EQ(d.precio.subtotales.materiales, 33.68);
    EXPECT_EQ(d.precio.subtotales.manoObra, 2.44);
    EXPECT_EQ(d.precio.herramienta, 0.12);
    EXPECT_EQ(d.precio.costoDirecto, 36.24);
    EXPECT_EQ(d.precio.indirectos, 7.248);
    EXPECT_EQ(d.precio.otrosIndirectos, 1.812);
    EXPECT_EQ(d.precio.precioUnitario, 45.30);
    EXPECT_EQ(CostoDirecto(folder, "A1", "1"), 36.12);

    const ResultadoRecalculo r = RecalcularPresupuesto(folder);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.items, 1);
    EXPECT_EQ(storedPrices(), std::vector<double>{45.30});
}

TEST_F(UnitPrice, RoundingPerLineAndThreeDecimalIndirects) {
    header(15, 0, false);
    item("R1", "1", 1); // two lines of 0.333 each
    material("R1", "1", "Clavos", "kg", 0.333, 1);
    material("R1", "1", "Clavos", "kg", 0.333, 1);
    item("R2", "1", 1); // D = 10.01, I = 1.5015 -> 1.502, price 11.512 -> 11.51
    material("R2", "1", "Arena", "m3", 1, 10.01);
    item("R3", "1", 0); // no lines; quantity 0 still gets its price
    item("R4", "1", 1); // every kind, tools off: price = direct cost + indirects
    material("R4", "1", "Ripio", "m3", 1.5, 16.5);
    equipo("R4", "1", "Concretera", 1, 0.5, 5);
    manoObra("R4", "1", "Albañil", "D2", 2, 0.5, 3.65);
    transporte("R4", "1", "Ripio", "m3", 1.5, 1.5);

    EXPECT_EQ(CostoDirecto(folder, "R1", "1"), 0.66);
    EXPECT_EQ(PrecioUnitarioItem(folder, "R2", "1").precio.indirectos, 1.502);
    ASSERT_TRUE(RecalcularPresupuesto(folder).ok);
    const std::vector<double> prices = storedPrices();
    ASSERT_EQ(prices.size(), 4u);
    EXPECT_EQ(prices[0], Redondear(0.66 + Redondear(15 * 0.66 / 100, 3), 2));
    EXPECT_EQ(prices[1], 11.51);
    EXPECT_EQ(prices[2], 0.0);
    const double direct = CostoDirecto(folder, "R4", "1");
    EXPECT_EQ(direct, 33.15); // 24.75 + 2.50 + 3.65 + 2.25
    EXPECT_EQ(prices[3], Redondear(direct + Redondear(15 * direct / 100, 3), 2));
}

TEST_F(UnitPrice, ZeroIndirectsNullFieldsAndToolsSwitch) {
    db.execute("INSERT INTO Proyecto (Proyecto) VALUES ('Sin porcentajes')"); // Null percentages and switch
    item("N1", "1", 1);
    material("N1", "1", "Cemento", "saco", 2, QVariant()); // Null price counts as 0
    material("N1", "1", "Arena", "m3", QVariant(), 14);    // Null quantity counts as 0
    material("N1", "1", "Agua", "m3", 0.5, 1.2);
    manoObra("N1", "1", "Peón", "E2", 2, 1.6, 3.6);
    ASSERT_TRUE(RecalcularPresupuesto(folder).ok);
    const double direct = 12.12; // 0.60 + 11.52
    EXPECT_EQ(storedPrices(), std::vector<double>{direct}) << "no indirects, no tools";

    db.execute("UPDATE Proyecto SET Herramienta = ?, CostosIndirectos = ?", {true, 20.0});
    ASSERT_TRUE(RecalcularPresupuesto(folder).ok);
    // 11.52 x 5 % = 0.576 -> 0.58; D = 12.70; I = 2.54
    EXPECT_EQ(storedPrices(), std::vector<double>{15.24});
    EXPECT_EQ(CostoDirecto(folder, "N1", "1"), direct) << "the allowance is not part of CostoDirecto";
}

TEST_F(UnitPrice, ToolsAllowanceRoundsHalfToEven) {
    header(0, 0, true);
    item("H1", "1", 1);
    manoObra("H1", "1", "Peón", "E2", 1, 1, 2.5); // 2.50 x 5 % = 0.125 -> 0.12, not 0.13
    EXPECT_EQ(PrecioUnitarioItem(folder, "H1", "1").precio.herramienta, 0.12);
    ASSERT_TRUE(RecalcularPresupuesto(folder).ok);
    EXPECT_EQ(storedPrices(), std::vector<double>{2.62});
}

// The allowance of a labour subtotal of c cents is c / 20 cents, an exact half going to the even
// cent: the model the estimator's hand calculation follows.
static long long allowanceCentsModel(long long cents) {
    long long whole = cents / 20;
    const long long remainder = cents % 20;
    if (remainder > 10 || (remainder == 10 && whole % 2 == 1))
        ++whole;
    return whole;
}

TEST(ToolsAllowance, TiesAreDecidedOnTheExactCents) {
    EXPECT_EQ(HerramientaManual(0.70), 0.04);
    EXPECT_EQ(HerramientaManual(8.70), 0.44);
    EXPECT_EQ(HerramientaManual(2.10), 0.10);
    EXPECT_EQ(HerramientaManual(0.30), 0.02);
    EXPECT_EQ(HerramientaManual(2.50), 0.12);
    EXPECT_EQ(HerramientaManual(2.44), 0.12);
    EXPECT_EQ(HerramientaManual(0.0), 0.0);
    EXPECT_EQ(HerramientaManual(-0.70), -0.04);

    // Every subtotal up to 2,857.14, both as the double nearest the amount and as the sum of
    // line amounts the subtotal really is (which drifts from the nearest double).
    int differing = 0;
    double running = 0;
    for (long long cents = 0; cents <= 285714; ++cents) {
        const double expected = double(allowanceCentsModel(cents)) / 100;
        if (HerramientaManual(double(cents) / 100) != expected)
            ++differing;
        if (HerramientaManual(running) != expected)
            ++differing;
        running += 0.01;
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(UnitPrice, RecalculationRefusesAProjectWithoutHeader) {
    item("A1", "1", 1, 7.0);
    material("A1", "1", "Cemento", "saco", 1, 8);
    const ResultadoRecalculo r = RecalcularPresupuesto(folder);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, kSinDatosProyecto);
    EXPECT_EQ(storedPrices(), std::vector<double>{7.0});
    EXPECT_FALSE(PrecioUnitarioItem(folder, "A1", "1").conDatosProyecto);
    EXPECT_EQ(PrecioUnitarioItem(folder, "A1", "1").precio.precioUnitario, 8.0);
}

TEST_F(UnitPrice, FailedWriteLeavesEveryPriceAsItWas) {
    header(10, 0, false);
    for (int i = 1; i <= 5; ++i) {
        item(QString("F%1").arg(i), "1", 1, 1.0);
        material(QString("F%1").arg(i), "1", "Cemento", "saco", i, 8);
    }
    korvex::store::testing::failAfterWrites(3);
    const ResultadoRecalculo r = RecalcularPresupuesto(folder);
    korvex::store::testing::failAfterWrites(-1);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_EQ(storedPrices(), std::vector<double>(5, 1.0));

    ASSERT_TRUE(RecalcularPresupuesto(folder).ok);
    EXPECT_EQ(storedPrices(), (std::vector<double>{8.8, 17.6, 26.4, 35.2, 44.0}));
}

TEST_F(UnitPrice, DirectCostTotalRoundsTheRunningTotal) {
    item("T1", "1", 3);
    material("T1", "1", "Arena", "m3", 1, 10.005); // 10.01
    item("T2", "1", 2);
    material("T2", "1", "Ripio", "m3", 1, 3.333); // 3.33
    item("T3", "1", 0);
    material("T3", "1", "Ripio", "m3", 1, 99);
    EXPECT_EQ(TotalCostoDirecto(folder), 36.69);
}

// The whole-budget scans must give every item exactly what a query per item gives: the same
// lines (codes compared without regard to case), in the same order, and nothing for Null codes.
TEST_F(UnitPrice, BudgetScansAgreeWithQueriesPerItem) {
    header(18, 2, true);
    const QString quoted = QString::fromUtf8("Tubo 1/2\" d'agua");
    item("A-01", "1", 4);
    item("a-01", "2", 1);
    item("Ñ1", "1", 2);
    item(quoted, "1'", 3);
    item("A-01", "1", 5); // the same pair twice: both get the same lines
    material("a-01", "1", "Cemento", "saco", 0.337, 7.85);
    material("A-01", "1", "Arena", "m3", 0.0335, 14);
    manoObra("A-01", "1", "Peón", "E2", 2, 0.163, 3.6);
    manoObra("a-01", "2", "Albañil", "D2", 1, 0.5, 3.65);
    material("ñ1", "1", "Codo 1/2\"", "u", 3, 0.555);
    equipo("Ñ1", "1", "Vibrador", 1, 0.333, 3.5);
    transporte(quoted, "1'", quoted, "m", 6, 0.125);
    material(quoted, "1'", quoted, "m", 6, 1.455);
    material("ZZ", "9", "Huérfano", "u", 1, 100); // no such item
    db.execute("INSERT INTO Materiales (ItemPres, CantidadMat, PrecioUniMat) VALUES ('1', 1, 50)");
    material("A-01", "1", "Agua", "m3", 0.01, 1.2); // the item again after other items' lines

    const std::vector<PrecioItem> all = PreciosUnitarios(folder);
    ASSERT_EQ(all.size(), 5u);
    for (const PrecioItem& p : all) {
        const DesgloseItem one = PrecioUnitarioItem(folder, p.codigoPres, p.itemPres);
        EXPECT_EQ(p.precio.precioUnitario, one.precio.precioUnitario) << p.codigoPres.toStdString();
        EXPECT_EQ(p.precio.subtotales.materiales, one.precio.subtotales.materiales);
        EXPECT_EQ(p.costoDirectoSinHerramienta, CostoDirecto(folder, p.codigoPres, p.itemPres));
    }
    EXPECT_EQ(all[0].precio.subtotales.materiales, 2.65 + 0.47 + 0.01);
    EXPECT_EQ(all[0].precio.precioUnitario, all[4].precio.precioUnitario);
    EXPECT_EQ(all[2].precio.subtotales.materiales, 1.67);
    EXPECT_EQ(all[3].precio.subtotales.transporte, 0.75);
    EXPECT_EQ(all[3].precio.subtotales.materiales, 8.73);
}
