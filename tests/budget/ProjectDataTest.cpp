#include "budget/ProjectData.h"

#include "BudgetFixture.h"

using namespace korvex;
using namespace korvex::budget;

namespace {

class ProjectData : public korvex::testing::BudgetProject {
protected:
    DatosProyecto load() {
        DatosProyecto inicial;
        inicial.fecha = "hoy";
        return leerDatosProyecto(db, inicial);
    }

    store::RecordSet record() { return db.openRecordSet("SELECT * FROM Proyecto"); }
};

TEST_F(ProjectData, FirstSaveCreatesTheRecordAndPercentagesReadAsTyped) {
    DatosProyecto datos = load();
    EXPECT_EQ(datos.institucion + datos.costosIndirectos + datos.fecha, "hoy");
    datos.institucion = "Municipio de O'Leary";
    datos.ciudad = "Quito";
    datos.otrosIndirectos = "3";
    datos.herramienta = true;
    grabarDatosProyecto(db, datos);
    auto rs = record();
    EXPECT_EQ(
        QStringList({rs.text("Institucion"), rs.text("fecha"), rs.text("Ciudad"), rs.text("ubicacion")}),
        QStringList({"Municipio de O'Leary", "hoy", "Quito", ""}));
    EXPECT_DOUBLE_EQ(rs.number("OtrosIndirectos"), 3);
    EXPECT_TRUE(rs.boolean("Herramienta"));
    EXPECT_FALSE(rs.boolean("IVA"));

    const struct {
        const char* typed;
        double stored;
        const char* shown; // zero is not shown
    } cases[] = {{"12,5", 12.5, "12.5"},
                 {"12.5", 12.5, "12.5"},
                 {"", 0, ""},
                 {"abc", 0, ""},
                 {"1.234,5", 1234.5, "1234.5"}};
    for (const auto& c : cases) {
        datos.costosIndirectos = c.typed;
        grabarDatosProyecto(db, datos);
        EXPECT_DOUBLE_EQ(record().number("CostosIndirectos"), c.stored) << c.typed;
        EXPECT_EQ(load().costosIndirectos, c.shown) << c.typed;
    }
    EXPECT_EQ(record().recordCount(), 1);
}

TEST_F(ProjectData, EmptiedCityAndDateKeepTheStoredOnesAndOptionsAndPeriodAreKept) {
    DatosProyecto datos = load();
    datos.ciudad = "Cuenca";
    datos.fecha = "01/02/2024";
    datos.iva = true;
    grabarDatosProyecto(db, datos);
    db.execute("UPDATE Proyecto SET Periodotipo = '30 dias'");

    datos.ciudad = datos.fecha = "";
    datos.iva = false;
    grabarDatosProyecto(db, datos);
    auto rs = record();
    EXPECT_EQ(QStringList({rs.text("Ciudad"), rs.text("fecha"), rs.text("Periodotipo")}),
              QStringList({"Cuenca", "01/02/2024", "30 dias"}));
    EXPECT_FALSE(rs.boolean("IVA"));
    EXPECT_EQ(load().fecha, "01/02/2024");
}

TEST_F(ProjectData, AFailedSaveLeavesTheStoredRecordAsItWas) {
    DatosProyecto datos = load();
    store::testing::failAfterWrites(0);
    EXPECT_THROW(grabarDatosProyecto(db, datos), store::StoreError);
    EXPECT_EQ(record().recordCount(), 0); // a new project still has no header

    datos.proyecto = "Original";
    store::testing::failAfterWrites(-1);
    grabarDatosProyecto(db, datos);
    datos.proyecto = "Cambiado";
    datos.costosIndirectos = "99";
    store::testing::failAfterWrites(0);
    EXPECT_THROW(grabarDatosProyecto(db, datos), store::StoreError);
    store::testing::failAfterWrites(-1);
    EXPECT_EQ(record().text("Proyecto"), "Original");
    EXPECT_DOUBLE_EQ(record().number("CostosIndirectos"), 0);
}

} // namespace
