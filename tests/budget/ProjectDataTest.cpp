#include "BudgetFixture.h"

#include "budget/ProjectData.h"

using namespace korvex;
using namespace korvex::budget;

namespace {

class ProjectData : public korvex::testing::BudgetProject {
protected:
    DatosProyecto load()
    {
        DatosProyecto inicial;
        inicial.fecha = "hoy";
        return leerDatosProyecto(db, inicial);
    }

    store::RecordSet record() { return db.openRecordSet("SELECT * FROM Proyecto"); }
};

TEST_F(ProjectData, FirstSaveCreatesTheRecordWithEveryFieldAndReopeningShowsIt)
{
    const DatosProyecto vacio = load();
    EXPECT_EQ(vacio.institucion + vacio.costosIndirectos + vacio.fecha, "hoy");
    EXPECT_FALSE(vacio.iva || vacio.herramienta);

    DatosProyecto datos = vacio;
    datos.institucion = "Municipio de O'Leary";
    datos.proyecto = "Escuela";
    datos.costosIndirectos = "12,5";
    datos.otrosIndirectos = "3";
    datos.ciudad = "Quito";
    datos.herramienta = true;
    grabarDatosProyecto(db, datos);

    auto rs = record();
    ASSERT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.text("Institucion"), "Municipio de O'Leary");
    EXPECT_DOUBLE_EQ(rs.number("CostosIndirectos"), 12.5);
    EXPECT_DOUBLE_EQ(rs.number("OtrosIndirectos"), 3);
    EXPECT_EQ(rs.text("fecha"), "hoy");
    EXPECT_TRUE(rs.boolean("Herramienta"));
    EXPECT_FALSE(rs.boolean("IVA"));
    EXPECT_EQ(rs.text("ubicacion"), "");

    const DatosProyecto otra = load();
    EXPECT_EQ(QStringList({otra.institucion, otra.costosIndirectos, otra.otrosIndirectos, otra.ciudad}),
              QStringList({"Municipio de O'Leary", "12.5", "3", "Quito"}));
    EXPECT_TRUE(otra.herramienta);
}

TEST_F(ProjectData, PercentagesReadAsTypedAndAnythingElseStoresZeroShownEmpty)
{
    const struct {
        const char* typed;
        double stored;
        const char* shown;
    } cases[] = {{"12,5", 12.5, "12.5"}, {"12.5", 12.5, "12.5"}, {"", 0, ""},
                 {"abc", 0, ""},         {"20", 20, "20"},       {"1.234,5", 1234.5, "1234.5"}};
    for (const auto& c : cases) {
        DatosProyecto datos = load();
        datos.costosIndirectos = c.typed;
        datos.otrosIndirectos = c.typed;
        grabarDatosProyecto(db, datos);
        auto rs = record();
        EXPECT_DOUBLE_EQ(rs.number("CostosIndirectos"), c.stored) << c.typed;
        EXPECT_DOUBLE_EQ(rs.number("OtrosIndirectos"), c.stored) << c.typed;
        EXPECT_EQ(load().costosIndirectos, c.shown) << c.typed;
    }
    EXPECT_EQ(record().recordCount(), 1);
}

TEST_F(ProjectData, EmptiedCityAndDateKeepTheStoredOnesAndOptionsAndPeriodAreKept)
{
    DatosProyecto datos = load();
    datos.ciudad = "Cuenca";
    datos.fecha = "01/02/2024";
    datos.iva = true;
    grabarDatosProyecto(db, datos);
    db.execute("UPDATE Proyecto SET Periodotipo = ?", {"30 dias"});

    datos.ciudad = "";
    datos.fecha = "";
    datos.iva = false;
    datos.herramienta = true;
    datos.oferente = "";
    grabarDatosProyecto(db, datos);

    auto rs = record();
    EXPECT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(QStringList({rs.text("Ciudad"), rs.text("fecha"), rs.text("Periodotipo")}),
              QStringList({"Cuenca", "01/02/2024", "30 dias"}));
    EXPECT_FALSE(rs.boolean("IVA"));
    EXPECT_TRUE(rs.boolean("Herramienta"));
    EXPECT_EQ(load().fecha, "01/02/2024");
}

TEST_F(ProjectData, AFailedSaveLeavesTheStoredRecordAsItWas)
{
    DatosProyecto datos = load();
    datos.proyecto = "Original";
    datos.costosIndirectos = "10";
    grabarDatosProyecto(db, datos);

    datos.proyecto = "Cambiado";
    datos.costosIndirectos = "99";
    store::testing::failAfterWrites(0);
    EXPECT_THROW(grabarDatosProyecto(db, datos), store::StoreError);
    store::testing::failAfterWrites(-1);

    auto rs = record();
    EXPECT_EQ(rs.recordCount(), 1);
    EXPECT_EQ(rs.text("Proyecto"), "Original");
    EXPECT_DOUBLE_EQ(rs.number("CostosIndirectos"), 10);

    // A new project that fails on its first save still has no header.
    korvex::testing::TempRoot otro;
    const QString carpeta = otro.newProject("Nueva");
    store::Database nueva = otro.open(carpeta);
    store::testing::failAfterWrites(0);
    EXPECT_THROW(grabarDatosProyecto(nueva, datos), store::StoreError);
    store::testing::failAfterWrites(-1);
    EXPECT_EQ(nueva.openRecordSet("SELECT * FROM Proyecto").recordCount(), 0);
}

} // namespace
