#pragma once
// The project header (the one record of Proyecto): what the project data window shows in its
// boxes and writes back. The texts are those of the boxes, so the window only moves them in and
// out of its controls.

#include "store/Database.h"
#include "store/LoadedRows.h"

#include <QString>

namespace korvex::budget {

struct DatosProyecto {
    QString institucion;
    QString proyecto;
    QString ubicacion;
    QString oferente;
    QString costosIndirectos; // percent, as typed or as a plain number ("12.5")
    QString otrosIndirectos;
    QString elaborado;
    QString fecha;
    QString ciudad;
    bool iva = false;
    bool herramienta = false;
};

// Today's date in the user's short date form, what a new header shows as its date.
QString fechaDeHoy();

// The header as the boxes show it: a box keeps the text of `inicial` (today's date for
// fecha) where the stored field is Null, empty or zero, so a percentage of 0 shows an empty box.
// Without a record, `inicial` itself. Throws store::StoreError.
DatosProyecto leerDatosProyecto(store::Database& db, const DatosProyecto& inicial);

// The header as the window loaded it: what the boxes showed and the stored record behind them.
struct ProyectoCargado {
    DatosProyecto mostrado;
    store::LoadedRows registro;
};
ProyectoCargado cargarDatosProyecto(store::Database& db, const DatosProyecto& inicial);

// Writes, in one step, the fields whose box no longer shows what it showed when loaded (every
// field when there was no record yet: the first save adds it). A percentage box that is empty or
// not a number stores 0; an empty fecha or ciudad leaves the stored value as it was. Periodotipo
// is never touched. The record must still be as loaded (store::StaleDataError otherwise). On
// success cargado becomes what was saved, for the next save. Returns the number of fields written.
// Throws store::StoreError, leaving the record (and cargado) as it was.
int grabarDatosProyecto(store::Database& db, ProyectoCargado& cargado, const DatosProyecto& datos);

// A percentage as the boxes and labels show it: the plain number, "12.5", "20".
QString porcentajeSimple(double value);

} // namespace korvex::budget
