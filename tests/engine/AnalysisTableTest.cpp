#include "EngineFixture.h"
#include "engine/Engine.h"

using namespace korvex::engine;
using korvex::testing::EngineTest;

class AnalysisTable : public EngineTest {
protected:
    struct Row {
        QString codigo;
        int tipo;
        QVariant descripcion;
        QVariant unidad;
        QVariant cantidad;
        QVariant precio;
        QVariant rendimiento;
    };

    std::vector<Row> rows() {
        std::vector<Row> out;
        for (auto records = db.openRecordSet("SELECT * FROM InfoAnalisis"); !records.eof();
             records.moveNext())
            out.push_back({records.text("CodigoPres"), static_cast<int>(records.number("Tipo")),
                           records.value("Descripcion"), records.value("Unidad"), records.value("Cantidad"),
                           records.value("Precio"), records.value("Rendimiento")});
        return out;
    }
    std::vector<int> tipos() {
        std::vector<int> out;
        for (const Row& row : rows())
            out.push_back(row.tipo);
        return out;
    }
};

TEST_F(AnalysisTable, KindsInFixedOrderWithMarkers) {
    header(0, 0, false);
    item("M", "1", 2);
    material("M", "1", "Cemento", "saco", 2, 7.85);
    material("M", "1", "Arena", "m3", 0.5, 14);

    const ResultadoInfoAnalisis r = LlenarInfoAnalisis(folder);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.registros, 5);
    EXPECT_EQ(tipos(), (std::vector<int>{4, 4, 1, 2, 5}));
    const std::vector<Row> all = rows();
    EXPECT_EQ(all[0].descripcion.toString(), "Cemento");
    EXPECT_EQ(all[0].unidad.toString(), "saco");
    EXPECT_EQ(all[0].cantidad.toDouble(), 2.0);
    EXPECT_EQ(all[0].precio.toDouble(), 7.85);
    EXPECT_TRUE(all[0].rendimiento.isNull());
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(all[i].codigo, "M");
        EXPECT_TRUE(all[i].descripcion.isNull() && all[i].unidad.isNull() && all[i].cantidad.isNull() &&
                    all[i].precio.isNull() && all[i].rendimiento.isNull())
            << "a marker holds only the item and its kind";
    }

    db.execute("UPDATE Proyecto SET Herramienta = ?", {true});
    ASSERT_TRUE(LlenarInfoAnalisis(folder).ok);
    EXPECT_EQ(tipos(), (std::vector<int>{4, 4, 1, 2, 3, 5}));
    const Row tools = rows()[4];
    EXPECT_EQ(tools.descripcion.toString(), "Herramienta Manual");
    EXPECT_EQ(tools.cantidad.toDouble(), 1.0);
    EXPECT_EQ(tools.precio.toDouble(), 0.0);
}

TEST_F(AnalysisTable, BudgetOrderQuantitiesAndTheBudgetsAllowance) {
    header(10, 0, true);
    item("B", "1", 1);
    item("ZERO", "1", 0);
    item("A", "1", 3);
    material("ZERO", "1", "Cemento", "saco", 1, 1);
    manoObra("B", "1", "Albañil", "D2", 8, 0.125, 2.5); // 2.50 -> allowance 0.12, as the budget
    equipo("B", "1", QString::fromUtf8("Vibrador 1 1/2\""), 1, 0.25, 3.5);
    manoObra("A", "1", "Peón", "E2", 1, 1, 0.125); // 0.13, as the budget rounds the line
    manoObra("A", "1", "Peón", "E2", 1, 1, 0.57);  // 0.70 in all: allowance 0.035 -> 0.04
    transporte("A", "1", "Arena", "m3", 1, 1.5);

    ASSERT_TRUE(LlenarInfoAnalisis(folder).ok);
    const std::vector<Row> all = rows();
    EXPECT_EQ(tipos(), (std::vector<int>{4, 1, 2, 3, 5, 4, 1, 2, 2, 3, 5}));
    ASSERT_EQ(all.size(), 11u);
    EXPECT_EQ(all[0].codigo, "B");
    EXPECT_EQ(all[1].tipo, 1);
    EXPECT_EQ(all[1].descripcion.toString(), QString::fromUtf8("Vibrador 1 1/2\""));
    EXPECT_TRUE(all[1].unidad.isNull());
    EXPECT_EQ(all[1].rendimiento.toDouble(), 0.25);
    EXPECT_EQ(all[2].unidad.toString(), "D2") << "the category goes into Unidad";
    EXPECT_EQ(all[3].tipo, 3);
    EXPECT_EQ(all[3].precio.toDouble(), 0.12);
    for (const Row& row : all)
        EXPECT_NE(row.codigo, "ZERO") << "items of quantity 0 are not printed";
    EXPECT_EQ(all[5].codigo, "A");
    EXPECT_EQ(all[9].precio.toDouble(), 0.04);
    ASSERT_TRUE(RecalcularPresupuesto(folder).ok);
    EXPECT_EQ(PrecioUnitarioItem(folder, "A", "1").precio.herramienta, 0.04) << "the budget's allowance";
    EXPECT_EQ(all[10].precio.toDouble(), 1.5);

    ASSERT_TRUE(LlenarInfoAnalisis(folder).ok);
    EXPECT_EQ(rows().size(), 11u) << "a second run rebuilds the same table";
}

TEST_F(AnalysisTable, EmptyBudgetAndFailedWrite) {
    ASSERT_TRUE(LlenarInfoAnalisis(folder).ok);
    EXPECT_TRUE(rows().empty());

    item("A", "1", 1);
    material("A", "1", "Cemento", "saco", 1, 7.85);
    ASSERT_TRUE(LlenarInfoAnalisis(folder).ok);
    ASSERT_EQ(rows().size(), 4u);
    material("A", "1", "Arena", "m3", 1, 14);
    korvex::store::testing::failAfterWrites(3);
    const ResultadoInfoAnalisis failed = LlenarInfoAnalisis(folder);
    korvex::store::testing::failAfterWrites(-1);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(rows().size(), 4u) << "the earlier table is kept whole";
}
