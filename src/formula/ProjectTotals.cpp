#include "formula/ProjectTotals.h"

#include "engine/Engine.h"
#include "engine/ResourceGroups.h"
#include "store/Database.h"

namespace korvex::formula {

ProjectTotals loadProjectTotals(const QString& projectFolder) {
    ProjectTotals totals;
    totals.costoDirecto = engine::TotalCostoDirecto(projectFolder);
    store::Database db = store::Database::openProject(projectFolder);
    engine::AgrupacionRecursos grouping(db);
    totals.equipo = grouping.total(engine::TipoRecurso::Equipo);
    totals.manoObra = grouping.total(engine::TipoRecurso::ManoObra);
    totals.transporte = grouping.total(engine::TipoRecurso::Transporte);
    return totals;
}

} // namespace korvex::formula
