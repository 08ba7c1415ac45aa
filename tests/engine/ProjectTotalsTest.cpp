#include "EngineFixture.h"
#include "engine/Engine.h"

using namespace korvex::engine;
using korvex::testing::EngineTest;

using ProjectTotals = EngineTest;

TEST_F(ProjectTotals, OneEquipmentUsedInTwoItems) {
    item("E1", "1", 10);
    item("E2", "1", 3);
    equipo("E1", "1", "Concretera", 2, 0.5, 12.5);
    equipo("E2", "1", "concretera", 1, 1, 12.5);
    const std::vector<TotalRecurso> rows = TotalesRecursos(folder, TipoRecurso::Equipo);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].cantidad, 13.0);
    EXPECT_EQ(rows[0].precio, 12.5);
    EXPECT_EQ(rows[0].importe, 162.50);
    EXPECT_EQ(TotalEquipoProyecto(folder), 162.50);
}

TEST_F(ProjectTotals, GroupsPerPriceAndOnlyLinesOfExistingItems) {
    item("L1", "1", 2);
    item("L2", "1", 5);
    item("L3", "1", 0);
    manoObra("L1", "1", "Albañil", "D2", 1, 0.5, 3.65);  // 1 h
    manoObra("L2", "1", "Albañil", "D2", 1, 0.25, 3.70); // 1.25 h at another wage
    manoObra("L1", "1", "Albañil", "C1", 1, 1, 3.65);    // other category
    manoObra("L3", "1", "Peón", "E2", 1, 1, 3.60);       // quantity 0
    manoObra("GONE", "1", "Peón", "E2", 10, 10, 3.60);   // item no longer in the budget
    const std::vector<TotalRecurso> rows = TotalesRecursos(folder, TipoRecurso::ManoObra);
    ASSERT_EQ(rows.size(), 4u);
    double sum = 0;
    for (const TotalRecurso& row : rows)
        sum += row.importe;
    EXPECT_EQ(TotalManoObraProyecto(folder), sum);
    EXPECT_DOUBLE_EQ(sum, 15.58); // 2 h x 3.65 (C1), 1 h x 3.65, 1.25 h x 3.70 = 4.625 -> 4.63, 0 h

    transporte("L2", "1", "Arena", "m3", 0.333, 1.5); // 1.665 m3
    transporte("L1", "1", "Arena", "m3", 0.5, 1.5);   // + 1 m3 in the same group: 2.665 x 1.5 = 3.9975
    EXPECT_EQ(TotalTransporteProyecto(folder), 4.00);
    material("L1", "1", "Cemento", "saco", 1.5, 7.85);
    EXPECT_EQ(TotalMaterialesProyecto(folder), 23.55);
}

TEST_F(ProjectTotals, AResourceInSeveralLetterCasesIsWrittenAsItsFirstLine) {
    item("A", "1", 1);
    item("B", "1", 1);
    material("B", "1", "Cemento Portland", "Saco", 2, 7.85); // the first line: the project price
    material("A", "1", "CEMENTO PORTLAND", "SACO", 1, 7.85);
    material("A", "1", "cemento portland", "saco", 1, 7.85);
    equipo("A", "1", "Concretera", 1, 1, 12.5);
    equipo("B", "1", "CONCRETERA", 1, 1, 12.5);
    const std::vector<TotalRecurso> materials = TotalesRecursos(folder, TipoRecurso::Material);
    ASSERT_EQ(materials.size(), 1u);
    EXPECT_EQ(materials[0].descripcion + " / " + materials[0].unidad, "Cemento Portland / Saco");
    EXPECT_EQ(materials[0].cantidad, 4.0);
    const std::vector<TotalRecurso> equipment = TotalesRecursos(folder, TipoRecurso::Equipo);
    ASSERT_EQ(equipment.size(), 1u);
    EXPECT_EQ(equipment[0].descripcion, "Concretera");
}

TEST_F(ProjectTotals, AnEmptyProjectAndAnItemWithoutLinesGiveZero) {
    header(20, 5, true);
    EXPECT_EQ(TotalCostoDirecto(folder), 0.0);
    const ResultadoRecalculo r = RecalcularPresupuesto(folder);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.items, 0);
    EXPECT_EQ(CostoDirecto(folder, "X", "1"), 0.0);

    item("A", "1", 3);
    EXPECT_EQ(TotalEquipoProyecto(folder), 0.0);
    EXPECT_EQ(TotalManoObraProyecto(folder), 0.0);
    EXPECT_EQ(TotalTransporteProyecto(folder), 0.0);
    EXPECT_TRUE(TotalesRecursos(folder, TipoRecurso::Material).empty());
}

using PriceImport = EngineTest;

TEST_F(PriceImport, TakesTheFirstSourcePriceOfEachResource) {
    const QString sourceFolder = root.newProject("Origen");
    {
        EngineTest::db = root.open(sourceFolder);
        item("S", "1", 1);
        material("S", "1", "Cemento", "saco", 1, 8.10);
        material("S", "1", "Cemento", "saco", 1, 9.99); // second of the same resource: ignored
        material("S", "1", "Cemento", "kg", 1, 0.20);   // another unit: another resource
        material("S", "1", QString::fromUtf8("Tubo 1/2\" d'agua"), "m", 1, 1.45);
        equipo("S", "1", "Vibrador", 1, 1, 4.25);
        manoObra("S", "1", "Albañil", "D2", 1, 1, 3.82);
        manoObra("S", "1", "Albañil", "C1", 1, 1, 4.10);
        transporte("S", "1", "Cemento", "saco", 1, 0.30);
        EngineTest::db = root.open(folder);
    }
    item("D", "1", 1);
    material("D", "1", "CEMENTO", "Saco", 2, 7.00);
    material("D", "1", QString::fromUtf8("Tubo 1/2\" d'agua"), "m", 1, 0);
    material("D", "1", "Arena", "m3", 1, 14); // not in the source: kept
    equipo("D", "1", "Vibrador", 3, 0.5, 3.00);
    manoObra("D", "1", "Albañil", "C1", 1, 1, 3.65);
    manoObra("D", "1", "Albañil", "E2", 1, 1, 3.60); // category not in the source
    transporte("D", "1", "Cemento", "saco", 2, 0.25);

    const ResultadoImportacion r = ImportarPrecios(folder, sourceFolder);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.materiales, 2);
    EXPECT_EQ(r.equipo, 1);
    EXPECT_EQ(r.manoObra, 1);
    EXPECT_EQ(r.transporte, 1);
    EXPECT_EQ(r.lineas(), 5);

    auto materials = db.openRecordSet("SELECT * FROM Materiales");
    std::vector<double> prices;
    for (materials.moveFirst(); !materials.eof(); materials.moveNext())
        prices.push_back(materials.number("PrecioUniMat"));
    EXPECT_EQ(prices, (std::vector<double>{8.10, 1.45, 14}));
    auto equipment = db.openRecordSet("SELECT * FROM Maquinaria");
    EXPECT_EQ(equipment.number("CostoMaq"), 4.25);
    EXPECT_EQ(equipment.number("HorasMaq"), 3.0) << "quantities are not touched";
    auto labour = db.openRecordSet("SELECT SalarioMan FROM ManoObra");
    EXPECT_EQ(labour.number("SalarioMan"), 4.10);
    labour.moveNext();
    EXPECT_EQ(labour.number("SalarioMan"), 3.60);
    auto transport = db.openRecordSet("SELECT * FROM Transporte");
    EXPECT_EQ(transport.number("PrecioTran"), 0.30);
}

TEST_F(PriceImport, RefusalsAndFailuresChangeNothing) {
    item("D", "1", 1);
    material("D", "1", "Cemento", "saco", 2, 7.00);
    equipo("D", "1", "Vibrador", 3, 0.5, 3.00);
    const QString sourceFolder = root.newProject("Origen");
    {
        auto source = root.open(sourceFolder);
        source.execute(
            "INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, PrecioUniMat) "
            "VALUES ('x', '1', 'Cemento', 'saco', 8)");
        source.execute("INSERT INTO Maquinaria (CodigoPres, ItemPres, DescripcionMaq, CostoMaq) "
                       "VALUES ('x', '1', 'Vibrador', 4)");
    }

    const ResultadoImportacion same = ImportarPrecios(folder, folder);
    EXPECT_FALSE(same.ok);
    EXPECT_EQ(same.message, kOrigenIgualDestino);
    const ResultadoImportacion none = ImportarPrecios(folder, root.root() + "/NoExiste");
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.message, kCarpetaSinProyecto);

    korvex::store::testing::failAfterWrites(1); // the equipment write fails
    const ResultadoImportacion failed = ImportarPrecios(folder, sourceFolder);
    korvex::store::testing::failAfterWrites(-1);
    EXPECT_FALSE(failed.ok);
    auto materials = db.openRecordSet("SELECT * FROM Materiales");
    EXPECT_EQ(materials.number("PrecioUniMat"), 7.00) << "the material write was undone";

    EXPECT_TRUE(ImportarPrecios(folder, sourceFolder).ok);
    auto again = db.openRecordSet("SELECT * FROM Materiales");
    EXPECT_EQ(again.number("PrecioUniMat"), 8.00);
}
