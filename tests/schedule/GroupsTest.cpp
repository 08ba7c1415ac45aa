#include "ScheduleTestData.h"
#include "engine/Numbers.h"
#include "schedule/GroupAssignment.h"
#include "schedule/GroupSummary.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::schedule;
using korvex::testing::ScheduleProject;

namespace {

std::vector<ItemGrupo> withGroups(std::vector<ItemGrupo> rows, const QStringList& groups) {
    for (int i = 0; i < int(rows.size()) && i < groups.size(); ++i)
        rows[i].grupo = groups[i];
    return rows;
}

// A save from a window opened just before it, with its rows as loaded.
ResultadoGrupos saveAsLoaded(ScheduleProject& p) {
    const GruposItems loaded = CargarGruposItems(p.db);
    return GrabarGrupos(p.db, loaded, loaded.items);
}

QStringList groupNames(ScheduleProject& p) {
    return p.rows("SELECT * FROM Grupos ORDER BY Grupo", {"Grupo"});
}

} // namespace

TEST(GroupAssignment, SavingKeepsGroupsInStepWithTheNamesInUse) {
    ScheduleProject p;
    p.item("E1", "1", "Excavación a mano", 10, "OLD");
    p.item("E2", "2", "Replantillo f'c = 140", 5);
    p.item("E3", "3", "Hormigón en plintos", 8);
    p.item("E4", "4", "Mampostería de bloque", 30, "Muros");
    p.group("OLD", "Obsoleto", 1);
    p.group("Muros", "Mampostería", 2);
    p.detail("OLD", 1, 100, 4, 1);

    const GruposItems loaded = CargarGruposItems(p.db);
    const std::vector<ItemGrupo>& rows = loaded.items;
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].grupo, "OLD");
    EXPECT_EQ(rows[1].grupo, "");
    EXPECT_EQ(rows[1].descripcionPres, "Replantillo f'c = 140");

    // Two items take one new name (in two letter cases), one takes a name with an apostrophe, the
    // emptied cell of the last item leaves it in its group.
    const ResultadoGrupos result =
        GrabarGrupos(p.db, loaded, withGroups(rows, {"Estructura", "ESTRUCTURA", " D'Agua ", ""}));
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(result.registros, 3);
    EXPECT_EQ(result.gruposCreados, 2);
    EXPECT_EQ(result.gruposBorrados, 1);

    EXPECT_EQ(p.rows("SELECT * FROM Presupuesto ORDER BY Indice", {"GruposPres"}),
              QStringList({"Estructura", "ESTRUCTURA", "D'Agua", "Muros"}));
    EXPECT_EQ(groupNames(p), QStringList({"D'Agua", "Estructura", "Muros"}));
    // The description and order of a group that stays in use are not touched.
    EXPECT_EQ(p.rows("SELECT * FROM Grupos WHERE Grupo = ?", {"DescripcionGru", "OrdenGru"}, {"Muros"}),
              QStringList({"Mampostería\t2"}));
    // The schedule rows of the group that fell out of use stay, for the day the name comes back.
    EXPECT_EQ(p.count("SELECT * FROM DetalleGrupo WHERE Grupo = ?", {"OLD"}), 1);

    // Saving the same again changes nothing.
    const ResultadoGrupos again = saveAsLoaded(p);
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.registros + again.gruposCreados + again.gruposBorrados, 0);
}

TEST(GroupAssignment, RowsFindTheirItemsByKeyWhateverTheirOrder) {
    ScheduleProject p;
    p.item("A-1", "1", "Uno", 1);
    p.item("A-1", "2", "Dos", 1);
    p.item("B'1", "1", "Tres", 1);
    p.item("B'1", "1", "Cuatro, misma clave", 1);

    const GruposItems loaded = CargarGruposItems(p.db);
    std::vector<ItemGrupo> rows = withGroups(loaded.items, {"G1", "G2", "G3", "G4"});
    // Shuffled; rows of one key keep their order among themselves, as the grid shows them.
    std::rotate(rows.begin(), rows.begin() + 2, rows.end());
    ASSERT_TRUE(GrabarGrupos(p.db, loaded, rows).ok);

    EXPECT_EQ(p.rows("SELECT * FROM Presupuesto ORDER BY Indice", {"DescripcionPres", "GruposPres"}),
              QStringList({"Uno\tG1", "Dos\tG2", "Tres\tG3", "Cuatro, misma clave\tG4"}));
}

TEST(GroupAssignment, EveryGroupFallingOutOfUseIsDeletedHoweverMany) {
    ScheduleProject p;
    p.item("X", "1", "Único", 1, "Vivo");
    {
        store::Transaction fill(p.db);
        for (int i = 0; i < 250; ++i)
            p.group(QString("G%1").arg(i));
        p.group("Vivo");
        fill.commit();
    }

    const ResultadoGrupos result = saveAsLoaded(p);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.gruposBorrados, 250);
    EXPECT_EQ(groupNames(p), QStringList({"Vivo"}));
}

TEST(GroupSummary, TotalsComeFromTheItemsStoredUnitPrices) {
    ScheduleProject p;
    p.item("E1", "1", "Excavación", 12.5, "Obra", 3.333); // 41.6625 -> 41.66
    p.item("E2", "2", "Relleno", 3, "OBRA", 2.675);       // 8.025 -> 8.03
    p.item("E3", "3", "Pintura", 2, "Acabados", 1234.5);  // 2469.00
    p.item("E4", "4", "Sin grupo", 100, {}, 99);
    p.group("Acabados", "Acabados y pintura", 2);
    p.group("Obra", "Obra gruesa", 1);
    p.group("Vacío", {}, {});

    const ResumenGrupos resumen = CargarResumenGrupos(p.db);
    ASSERT_EQ(resumen.grupos.size(), 3u);
    // Null order first, then by OrdenGru.
    EXPECT_EQ(resumen.grupos[0].grupo, "Vacío");
    EXPECT_FALSE(resumen.grupos[0].orden.has_value());
    EXPECT_EQ(engine::FormatoGrupo(resumen.grupos[0].total), "00.00");
    EXPECT_EQ(resumen.grupos[1].grupo, "Obra");
    EXPECT_EQ(engine::FormatoGrupo(resumen.grupos[1].total), "49.69");
    EXPECT_EQ(resumen.grupos[2].descripcion, "Acabados y pintura");
    EXPECT_EQ(engine::FormatoGrupo(resumen.grupos[2].total), "2,469.00");
    EXPECT_EQ(engine::FormatoGrupo(resumen.total), "2,518.69");
}

TEST(GroupSummary, TheOrderTypedIsAWholeNumberOrRefused) {
    EXPECT_EQ(OrdenDesdeTexto("3.7"), 3);
    EXPECT_EQ(OrdenDesdeTexto("3,7"), 3);
    EXPECT_EQ(OrdenDesdeTexto("-1.5"), -2);
    EXPECT_EQ(OrdenDesdeTexto("abc"), 0);
    EXPECT_EQ(OrdenDesdeTexto(""), 0);
    EXPECT_EQ(OrdenDesdeTexto("32767"), 32767);
    EXPECT_EQ(OrdenDesdeTexto("40000"), std::nullopt);
    EXPECT_EQ(OrdenDesdeTexto("-32769"), std::nullopt);
}

TEST(GroupSummary, SavingWritesEachRowIntoTheGroupOfItsName) {
    ScheduleProject p;
    p.item("E1", "1", "Excavación", 2, "Obra", 10.5);
    p.group("Obra", "viejo", 1);
    p.group("D'Agua", {}, 2);
    p.group("Borrado", {}, 3);

    ResumenGrupos resumen = CargarResumenGrupos(p.db);
    ASSERT_EQ(resumen.grupos.size(), 3u);
    resumen.grupos[0].descripcion = "Obra \"gruesa\" d'un lado";
    resumen.grupos[0].orden = 5;
    resumen.grupos[1].descripcion = "Agua potable";
    resumen.grupos[1].orden.reset();
    std::reverse(resumen.grupos.begin(), resumen.grupos.end());
    const ResultadoGrabar result = GrabarDescripcionGrupos(p.db, resumen);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(result.registros, 3);
    EXPECT_EQ(
        p.rows("SELECT * FROM Grupos ORDER BY Grupo", {"Grupo", "DescripcionGru", "TotalGrupo", "OrdenGru"}),
        QStringList({"Borrado\t<null>\t0\t3", "D'Agua\tAgua potable\t0\t0",
                     "Obra\tObra \"gruesa\" d'un lado\t21\t5"}));
}
