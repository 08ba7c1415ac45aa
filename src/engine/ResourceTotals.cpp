// What the whole budget spends on each resource: the lines joined to their items, weighted by the
// item quantity and grouped per resource and price, then valued group by group.

#include "engine/Engine.h"
#include "engine/ResourceGroups.h"
#include "store/Database.h"

namespace korvex::engine {

namespace {

double projectTotal(const QString& projectFolder, TipoRecurso tipo) {
    auto db = store::Database::openProject(projectFolder);
    return AgrupacionRecursos(db).total(tipo);
}

} // namespace

std::vector<TotalRecurso> TotalesRecursos(const QString& projectFolder, TipoRecurso tipo) {
    auto db = store::Database::openProject(projectFolder);
    return AgrupacionRecursos(db).agrupar(tipo).totales;
}

double TotalEquipoProyecto(const QString& projectFolder) {
    return projectTotal(projectFolder, TipoRecurso::Equipo);
}

double TotalManoObraProyecto(const QString& projectFolder) {
    return projectTotal(projectFolder, TipoRecurso::ManoObra);
}

double TotalTransporteProyecto(const QString& projectFolder) {
    return projectTotal(projectFolder, TipoRecurso::Transporte);
}

double TotalMaterialesProyecto(const QString& projectFolder) {
    return projectTotal(projectFolder, TipoRecurso::Material);
}

} // namespace korvex::engine
