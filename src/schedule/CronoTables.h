#pragma once
// The group schedule flattened for the schedule reports: Crono (the periods with work), Crono2
// (their weeks) and Crono3 (their percentages), rebuilt from DetalleGrupo before printing.

#include "engine/Engine.h"

#include <QString>

namespace korvex::store {
class Database;
}

namespace korvex::schedule {

// registros is the number of records written to each of the three tables.
struct ResultadoCrono : engine::Resultado {
    int registros = 0;
};

// Empties Crono, Crono2 and Crono3 and writes one record to each per run of consecutive
// DetalleGrupo records of one group, taken in OrdenGru order (records of equal OrdenGru in stored
// order): Crono.PeriodoN = True, Crono2.PeriodoNS = SemanasGru, Crono3.PeriodoNP = PorcentajeGru
// for every period N from 1 to 12 of the run; records of other periods are skipped and the fields
// of periods without work keep their defaults. All three tables or none are rewritten: on a
// database error the result carries its description and the tables are as they were.
// Opens its own handle on the project database of projectFolder.
ResultadoCrono LlenarTablasCrono(const QString& projectFolder);

// The same on an open handle, inside the caller's transaction if there is one; returns the
// number of records per table. Throws store::StoreError.
int LlenarTablasCrono(store::Database& db);

} // namespace korvex::schedule
