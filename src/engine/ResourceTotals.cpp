// What the whole budget spends on each resource: the lines joined to their items, weighted by the
// item quantity and grouped per resource and price by the database, then valued group by group.

#include "engine/Engine.h"
#include "engine/ItemLines.h"
#include "engine/ResourceSpellings.h"
#include "store/Database.h"

namespace korvex::engine {

namespace {

// The grouped queries in the derived-table form the report templates and resource lists use, so
// that all of them agree on the groups and their sums. Each outer column is named, so that the
// record set's field names do not depend on how the engine names the qualified columns of a
// derived table.
QString totalsQuery(TipoRecurso kind) {
    switch (kind) {
    case TipoRecurso::Material:
        return QStringLiteral(
            "SELECT Materiales.DescripcionMat AS DescripcionMat, Materiales.UnidadMat AS UnidadMat, "
            "Sum(Materiales.Cantidadmat * Presupuesto.CantidadPres) AS TotalMat, Materiales.PrecioUniMat AS "
            "PrecioUniMat "
            " FROM [SELECT Materiales.DescripcionMat, Materiales.UnidadMat, Materiales.CantidadMat, "
            "Materiales.PrecioUniMat, Presupuesto.CantidadPres FROM Materiales INNER JOIN Presupuesto ON "
            "(Materiales.ItemPres = Presupuesto.ItemPres) AND (Materiales.CodigoPres = "
            "Presupuesto.CodigoPres)]. AS [%$##@_Alias] "
            " GROUP BY Materiales.DescripcionMat, Materiales.Unidadmat, Materiales.PrecioUniMat ");
    case TipoRecurso::Equipo:
        return QStringLiteral(
            "SELECT Maquinaria.DescripcionMaq AS DescripcionMaq, SUM(Maquinaria.RendimientoMaq * "
            "Maquinaria.HorasMaq * Presupuesto.CantidadPres) AS TotalMaq, Maquinaria.CostoMaq AS CostoMaq "
            " FROM [SELECT Maquinaria.RendimientoMaq, Maquinaria.DescripcionMaq, Maquinaria.HorasMaq, "
            "Maquinaria.CostoMaq, Presupuesto.CantidadPres "
            " FROM Presupuesto INNER JOIN Maquinaria ON (Presupuesto.ItemPres = Maquinaria.ItemPres) AND "
            "(Presupuesto.CodigoPres = Maquinaria.CodigoPres)]. AS [%$##@_Alias] "
            " GROUP BY Maquinaria.DescripcionMaq, Maquinaria.CostoMaq");
    case TipoRecurso::ManoObra:
        return QStringLiteral(
            " SELECT ManoObra.DescripcionMan AS DescripcionMan, ManoObra.CategoriaMan AS CategoriaMan, "
            "SUM(ManoObra.RendimientoMan * ManoObra.HorasMan*Presupuesto.CantidadPres) AS TotalMan, "
            "ManoObra.SalarioMan AS SalarioMan "
            " FROM [SELECT ManoObra.RendimientoMan , ManoObra.DescripcionMan, ManoObra.CategoriaMan, "
            "ManoObra.HorasMan, ManoObra.SalarioMan, Presupuesto.CantidadPres "
            " FROM ManoObra INNER JOIN Presupuesto ON (ManoObra.ItemPres = Presupuesto.ItemPres) AND "
            "(ManoObra.CodigoPres = Presupuesto.CodigoPres)]. AS [%$##@_Alias] "
            " GROUP BY ManoObra.DescripcionMan, ManoObra.CategoriaMan, ManoObra.SalarioMan ");
    case TipoRecurso::Transporte:
        break;
    }
    return QStringLiteral(
        " SELECT Transporte.DescripcionTran AS DescripcionTran, Transporte.UnidadTran AS UnidadTran, "
        "Sum(Transporte.CantidadTran*Presupuesto.CantidadPres) AS TotalTran, Transporte.PrecioTran AS "
        "PrecioTran "
        " FROM [SELECT Transporte.DescripcionTran, Transporte.UnidadTran, Transporte.CantidadTran, "
        "Transporte.PrecioTran, Presupuesto.CantidadPres "
        " FROM Transporte INNER JOIN Presupuesto ON (Transporte.ItemPres = Presupuesto.ItemPres) AND "
        "(Transporte.CodigoPres = Presupuesto.CodigoPres)]. AS [%$##@_Alias] "
        " GROUP BY Transporte.DescripcionTran, Transporte.UnidadTran, Transporte.PrecioTran ");
}

struct TotalsFields {
    const char* table;
    const char* description;
    const char* second; // nullptr for equipment
    const char* quantity;
    const char* price;
};

TotalsFields fieldsOf(TipoRecurso kind) {
    switch (kind) {
    case TipoRecurso::Material:
        return {"Materiales", "DescripcionMat", "UnidadMat", "TotalMat", "PrecioUniMat"};
    case TipoRecurso::Equipo:
        return {"Maquinaria", "DescripcionMaq", nullptr, "TotalMaq", "CostoMaq"};
    case TipoRecurso::ManoObra:
        return {"ManoObra", "DescripcionMan", "CategoriaMan", "TotalMan", "SalarioMan"};
    case TipoRecurso::Transporte:
        break;
    }
    return {"Transporte", "DescripcionTran", "UnidadTran", "TotalTran", "PrecioTran"};
}

double sumOfAmounts(const std::vector<TotalRecurso>& rows) {
    double total = 0;
    for (const TotalRecurso& row : rows)
        total += row.importe;
    return total;
}

// The groups of the totals query valued one by one. A caller that only sums them needs no
// spellings, which cost a second pass over every line.
std::vector<TotalRecurso> groupedTotals(const QString& projectFolder, TipoRecurso tipo, bool spelled) {
    auto db = store::Database::openProject(projectFolder);
    auto groups = db.openRecordSet(totalsQuery(tipo));
    const TotalsFields fields = fieldsOf(tipo);
    EscriturasRecursos escrituras;
    if (spelled)
        escrituras = EscriturasRecursos::leer(db, fields.table, fields.description,
                                              fields.second ? QString(fields.second) : QString());
    std::vector<TotalRecurso> rows;
    rows.reserve(static_cast<std::size_t>(groups.recordCount()));
    detail::rewind(groups);
    for (; !groups.eof(); groups.moveNext()) {
        TotalRecurso row;
        const Escritura escritura = escrituras.de(groups.text(fields.description),
                                                  fields.second ? groups.text(fields.second) : QString());
        row.descripcion = escritura.descripcion;
        row.unidad = escritura.segundo;
        row.cantidad = groups.number(fields.quantity);
        row.precio = groups.number(fields.price);
        row.importe = Redondear(row.precio * row.cantidad, 2);
        rows.push_back(std::move(row));
    }
    return rows;
}

double projectTotal(const QString& projectFolder, TipoRecurso tipo) {
    return sumOfAmounts(groupedTotals(projectFolder, tipo, false));
}

} // namespace

std::vector<TotalRecurso> TotalesRecursos(const QString& projectFolder, TipoRecurso tipo) {
    return groupedTotals(projectFolder, tipo, true);
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
