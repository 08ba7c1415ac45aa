#include "formula/ProjectTotals.h"

#include "engine/Engine.h"

namespace korvex::formula {

ProjectTotals loadProjectTotals(const QString& projectFolder) {
    ProjectTotals totals;
    totals.costoDirecto = engine::TotalCostoDirecto(projectFolder);
    totals.equipo = engine::TotalEquipoProyecto(projectFolder);
    totals.manoObra = engine::TotalManoObraProyecto(projectFolder);
    totals.transporte = engine::TotalTransporteProyecto(projectFolder);
    return totals;
}

} // namespace korvex::formula
