#pragma once
// Group assignment: every budget item gets the name of the group (chapter) it belongs to, and the
// table of groups is kept in step with the names in use.

#include "schedule/SaveResult.h"
#include "store/LoadedRows.h"

#include <QString>
#include <vector>

namespace korvex::store {
class Database;
}

namespace korvex::schedule {

// One budget item as the assignment grid shows it.
struct ItemGrupo {
    QString codigoPres;
    QString itemPres;
    QString descripcionPres;
    QString unidadPres;
    QString grupo;   // GruposPres; "" when empty or Null
    qint64 fila = 0; // the item's row in Presupuesto
};

// What the assignment window loaded: the items and the stored rows behind them.
struct GruposItems {
    std::vector<ItemGrupo> items; // as loaded
    store::LoadedRows presupuesto;
    store::LoadedRows grupos;
};

// Every item of Presupuesto in budget order. Throws store::StoreError.
GruposItems CargarGruposItems(store::Database& db);

struct ResultadoGrupos : ResultadoGrabar {
    int gruposCreados = 0;
    int gruposBorrados = 0;
};

// Saves the groups of the rows, each the row of the item it was loaded from:
// 1. an item whose row names a group other than the one loaded (blanks around it trimmed) gets
//    that GruposPres; an empty group cell leaves the item's stored group as it is;
// 2. every group name in use that has no Grupos record gets one (names compare without regard
//    to letter case, so "Obra" and "OBRA" are one group, spelled as the first item spells it);
// 3. Grupos records whose name no item carries any more are deleted (their schedule rows are
//    kept, so the schedule comes back if the name is used again).
// All in one transaction, after checking that the items are still those loaded and the groups it
// creates or deletes are as loaded: on a difference or a database error nothing is written and
// the result says why. registros counts the items whose group changed.
ResultadoGrupos GrabarGrupos(store::Database& db, const GruposItems& cargados,
                             const std::vector<ItemGrupo>& rows);

} // namespace korvex::schedule
