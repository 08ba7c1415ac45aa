#include "schedule/ItemSchedule.h"

#include "ScheduleTestData.h"
#include "engine/Numbers.h"

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::schedule;
using korvex::testing::ScheduleProject;

namespace {

void cronoValores(ScheduleProject& p, const QString& codigo, const QString& item,
                  const QVariantList& quantities) {
    QVariantList values{codigo, item};
    values << quantities;
    while (values.size() < 8)
        values << QVariant();
    p.db.execute("INSERT INTO CronoValores (CronoCodigo, CronoItem, Crono30C, Crono60C, Crono90C, Crono120C, "
                 "Crono150C, Crono180C) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                 values);
}

// Three items: one scheduled exactly, one over-scheduled, one not at all. Budget 725.00.
void sampleBudget(ScheduleProject& p) {
    p.item("E'1", "1", "Excavación", 10, {}, 12.5);   // 125.00
    p.item("E2", "2", "Hormigón", 5.5, {}, 100);      // 550.00
    p.item("E3", "3", "Pintura", 20, {}, 2.5);        // 50.00
    cronoValores(p, "E2", "2", {0, QVariant(), 5.8}); // stored 0: shown as none
    cronoValores(p, "e'1", "1", {4, 6});              // the code in another letter case
    cronoValores(p, "Z9", "9", {1});                  // an item no longer in the budget
}

QString money(const std::optional<double>& value) {
    return value ? engine::FormatoMoneda(*value) : QString("-");
}

// A row of column results as texts, "-" for none.
template <class Row> QStringList moneyRow(const Row& row) {
    QStringList texts;
    for (const auto& value : row)
        texts << money(std::optional<double>(value));
    return texts;
}

} // namespace

TEST(ItemSchedule, LoadingMatchesEachItemToItsQuantities) {
    ScheduleProject p;
    sampleBudget(p);
    const CronoItems crono = CargarCronoItems(p.db);
    ASSERT_EQ(crono.items.size(), 3u);
    EXPECT_EQ(engine::FormatoPrecio(crono.totalProyecto), "725.00");

    const ItemCrono& exact = crono.items[0];
    EXPECT_EQ(exact.cantidades[0], 4);
    EXPECT_EQ(exact.montoColumna(1), 75);
    EXPECT_EQ(exact.cantidades[2], std::nullopt);
    EXPECT_EQ(engine::FormatoMoneda(exact.restante()), "0.00");
    EXPECT_EQ(estadoRestante(exact.restante()), EstadoRestante::Cero);

    const ItemCrono& over = crono.items[1];
    EXPECT_EQ(over.cantidades[0], std::nullopt);
    EXPECT_EQ(over.montoColumna(2), 580);
    EXPECT_EQ(engine::FormatoMoneda(over.restante()), "-0.30");
    EXPECT_EQ(estadoRestante(over.restante()), EstadoRestante::Negativo);
    EXPECT_EQ(colorRestante(EstadoRestante::Negativo), QColor(232, 3, 0));

    const ItemCrono& none = crono.items[2];
    EXPECT_EQ(none.restante(), 20);
    EXPECT_EQ(colorRestante(estadoRestante(none.restante())), QColor(0, 0, 255));
}

TEST(ItemSchedule, QuantitiesAndWhatIsLeft) {
    EXPECT_EQ(CantidadDesdeTexto("abc"), 0);
    EXPECT_EQ(CantidadDesdeTexto(""), 0);
    EXPECT_EQ(CantidadDesdeTexto("1,5"), 1.5);
    EXPECT_EQ(CantidadDesdeTexto("1.234,5"), 1234.5);
    EXPECT_EQ(CantidadDesdeTexto("2.3456"), 2.346);

    ItemCrono item;
    item.cantidad = 0.3;
    item.precioUnitario = 3.335;
    item.cantidades[0] = 0.1;
    item.cantidades[4] = 0.2;
    // 0.3 - 0.1 - 0.2 is a tiny negative number in binary: still nothing left, in green.
    EXPECT_EQ(estadoRestante(item.restante()), EstadoRestante::Cero);
    EXPECT_EQ(colorRestante(EstadoRestante::Cero), QColor(0, 192, 0));
    EXPECT_EQ(item.monto(3), 10.01); // 10.005 rounds half up
}

TEST(ItemSchedule, ColumnResultsStopAtTheFirstColumnWithoutInvestment) {
    ScheduleProject p;
    sampleBudget(p);
    CronoItems crono = CargarCronoItems(p.db);
    crono.items[2].cantidades[5] = 4; // 180 days: after the gap, never reached

    TotalesItems totals = CalcularTotalesItems(crono);
    EXPECT_EQ(totals.columnaParada, 3);
    EXPECT_EQ(moneyRow(totals.inversionMensual),
              QStringList({"50.00", "75.00", "580.00", "0.00", "0.00", "10.00"}));
    EXPECT_EQ(moneyRow(totals.avanceParcial), QStringList({"6.90", "10.34", "80.00", "-", "-", "-"}));
    EXPECT_EQ(moneyRow(totals.avanceAcumulado), QStringList({"6.90", "17.24", "97.24", "-", "-", "-"}));
    // 705.00 scheduled, but the last cumulative investment is the budget.
    EXPECT_EQ(moneyRow(totals.inversionAcumulada), QStringList({"50.00", "125.00", "725.00", "-", "-", "-"}));
    EXPECT_EQ(totals.inversionAcumuladaAntes, std::nullopt);

    for (ItemCrono& item : crono.items)
        item.cantidades[0].reset();
    totals = CalcularTotalesItems(crono);
    EXPECT_EQ(totals.columnaParada, 0);
    EXPECT_EQ(totals.inversionAcumuladaAntes, 725);
    EXPECT_EQ(totals.avanceParcial[1], std::nullopt);
}

TEST(ItemSchedule, AScheduleWithoutBudgetHasNoProgress) {
    CronoItems crono;
    ItemCrono item;
    item.cantidad = 0;
    item.precioUnitario = 10;
    item.cantidades[0] = 2;
    crono.items = {item};
    const TotalesItems totals = CalcularTotalesItems(crono);
    EXPECT_EQ(money(totals.inversionMensual[0]), "20.00");
    EXPECT_EQ(totals.avanceParcial[0], std::nullopt);
    EXPECT_EQ(totals.inversionAcumulada[0], 0);
}

TEST(ItemSchedule, SavingWritesTheChangedQuantities) {
    ScheduleProject p;
    sampleBudget(p);
    CronoItems crono = CargarCronoItems(p.db);
    crono.items[0].cantidades[1] = 5.125;
    crono.items[2].cantidades[3] = 0; // typed as something that is not a number
    const QStringList fields{"CronoCodigo", "CronoItem", "Crono30C", "Crono60C", "Crono90C", "Crono120C"};
    const ResultadoGrabar result = GrabarCronoValores(p.db, crono);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(result.registros, 2);
    EXPECT_EQ(p.rows("SELECT * FROM CronoValores", fields),
              QStringList({"E2\t2\t0\t<null>\t5.8\t<null>", "e'1\t1\t4\t5.125\t<null>\t<null>",
                           "Z9\t9\t1\t<null>\t<null>\t<null>", "E3\t3\t<null>\t<null>\t<null>\t0"}));
    const CronoItems reloaded = CargarCronoItems(p.db);
    EXPECT_EQ(reloaded.items[0].cantidades[1], 5.125);
    EXPECT_EQ(reloaded.items[2].cantidades[3], std::nullopt); // a stored 0 shows as none
}
