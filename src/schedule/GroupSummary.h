#pragma once
// Group summary: the groups in presentation order with their totals, descriptions and order
// numbers.

#include "schedule/SaveResult.h"
#include "store/LoadedRows.h"

#include <QString>
#include <optional>
#include <vector>

namespace korvex::store {
class Database;
}

namespace korvex::schedule {

struct GrupoResumen {
    QString grupo;
    QString descripcion;      // "" when empty or Null
    double total = 0;         // sum of Redondear(cantidadpres x TotalPres, 2) over its items
    std::optional<int> orden; // OrdenGru; empty when Null
    qint64 fila = 0;          // the group's row in Grupos
};

struct ResumenGrupos {
    std::vector<GrupoResumen> grupos; // in OrdenGru order
    double total = 0;                 // sum of the group totals as shown ("###,#00.00")
    store::LoadedRows cargados;       // Grupo, DescripcionGru, OrdenGru as loaded
};

// The groups of Grupos ordered by OrdenGru, each with the total of the items whose GruposPres
// names it (letter case ignored), from the stored unit prices. Throws store::StoreError.
ResumenGrupos CargarResumenGrupos(store::Database& db);
// The grand total of the groups' totals as they are shown, each read back from its text.
double TotalMostrado(const std::vector<GrupoResumen>& grupos);

// The order typed into the grid: a text that is not a number is 0, a number its integral part
// rounded towards minus infinity ("3.7" gives 3, "-1.5" gives -2); nullopt when that falls outside
// what OrdenGru holds (-32768 to 32767).
std::optional<int> OrdenDesdeTexto(const QString& text);
inline constexpr const char* kOrdenFueraDeRango = "El orden debe ser un número entero entre -32768 y 32767";

// Writes into the record each row was loaded from the DescripcionGru and OrdenGru (0 when empty)
// the user changed, and TotalGrupo (the total as shown) where it differs. One transaction, after
// checking that the groups are still those loaded: on a difference or a database error nothing
// is written. On success resumen.cargados becomes what was saved, for the next save. registros
// counts the records written.
ResultadoGrabar GrabarDescripcionGrupos(store::Database& db, ResumenGrupos& resumen);

} // namespace korvex::schedule
