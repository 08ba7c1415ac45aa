#include "budget/ProjectData.h"

#include "BudgetFixture.h"

using namespace korvex;
using namespace korvex::budget;

namespace {

class ProjectData : public korvex::testing::BudgetProject {
protected:
    static DatosProyecto inicial() {
        DatosProyecto datos;
        datos.fecha = "hoy";
        return datos;
    }
    DatosProyecto load() { return cargarDatosProyecto(db, inicial()).mostrado; }
    // A save from a window opened just before it.
    void save(const DatosProyecto& datos) {
        ProyectoCargado cargado = cargarDatosProyecto(db, inicial());
        grabarDatosProyecto(db, cargado, datos);
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
    save(datos);
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
        save(datos);
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
    save(datos);
    db.execute("UPDATE Proyecto SET Periodotipo = '30 dias'");

    datos.ciudad = datos.fecha = "";
    datos.iva = false;
    save(datos);
    auto rs = record();
    EXPECT_EQ(QStringList({rs.text("Ciudad"), rs.text("fecha"), rs.text("Periodotipo")}),
              QStringList({"Cuenca", "01/02/2024", "30 dias"}));
    EXPECT_FALSE(rs.boolean("IVA"));
    EXPECT_EQ(load().fecha, "01/02/2024");
}

TEST_F(ProjectData, AFailedSaveLeavesTheStoredRecordAsItWas) {
    DatosProyecto datos = load();
    store::testing::failAfterWrites(0);
    EXPECT_THROW(save(datos), store::StoreError);
    EXPECT_EQ(record().recordCount(), 0); // a new project still has no header

    datos.proyecto = "Original";
    store::testing::failAfterWrites(-1);
    save(datos);
    datos.proyecto = "Cambiado";
    datos.costosIndirectos = "99";
    store::testing::failAfterWrites(0);
    EXPECT_THROW(save(datos), store::StoreError);
    store::testing::failAfterWrites(-1);
    EXPECT_EQ(record().text("Proyecto"), "Original");
    EXPECT_DOUBLE_EQ(record().number("CostosIndirectos"), 0);
}

// Two windows on one header: the later save refuses and writes nothing, and a save writes only the
// boxes the user changed, so a percentage shown rounded keeps its stored digits.
TEST_F(ProjectData, ASaveWritesOnlyChangedBoxesAndRefusesAHeaderChangedMeanwhile) {
    DatosProyecto datos = load();
    datos.institucion = "Municipio";
    save(datos);
    db.execute("UPDATE Proyecto SET CostosIndirectos = 7.123456789012345");

    ProyectoCargado primera = cargarDatosProyecto(db, inicial());
    ProyectoCargado segunda = cargarDatosProyecto(db, inicial());
    DatosProyecto a = primera.mostrado;
    a.proyecto = "Puente";
    EXPECT_EQ(grabarDatosProyecto(db, primera, a), 1);
    EXPECT_DOUBLE_EQ(record().number("CostosIndirectos"), 7.123456789012345);
    a.elaborado = "Ing. Pérez"; // the window's own save is no change meanwhile
    EXPECT_EQ(grabarDatosProyecto(db, primera, a), 1);

    DatosProyecto b = segunda.mostrado;
    b.oferente = "Constructora";
    try {
        grabarDatosProyecto(db, segunda, b);
        ADD_FAILURE() << "the second window overwrote the first one's save";
    } catch (const store::StaleDataError& error) {
        EXPECT_TRUE(error.message().startsWith("Los datos del proyecto cambiaron desde que abrió la ventana"))
            << error.message().toStdString();
    }
    auto rs = record();
    EXPECT_EQ(
        QStringList({rs.text("Institucion"), rs.text("Proyecto"), rs.text("Elaborado"), rs.text("oferente")}),
        QStringList({"Municipio", "Puente", "Ing. Pérez", ""}));
}

} // namespace
