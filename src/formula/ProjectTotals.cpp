#include "formula/ProjectTotals.h"

#include "engine/Engine.h"

namespace korvex::formula {

ProjectTotals loadProjectTotals(const QString& projectFolder) {
    const engine::TotalesProyecto totals = engine::TotalesDelProyecto(projectFolder);
    return {totals.costoDirecto, totals.equipo, totals.manoObra, totals.transporte};
}

} // namespace korvex::formula
