#include "store/Schema.h"

namespace korvex::store {

namespace {

using F = FieldType;

std::vector<FieldDef> periods(const QString& suffix, FieldType type) {
    std::vector<FieldDef> fields{{"Grupo", F::Text}};
    for (int i = 1; i <= 12; ++i)
        fields.push_back({QStringLiteral("Periodo%1%2").arg(i).arg(suffix), type});
    return fields;
}

std::vector<TableDef> buildTables() {
    return {
        {"Proyecto",
         {{"Institucion", F::Text},
          {"Proyecto", F::Text},
          {"ubicacion", F::Text},
          {"oferente", F::Text},
          {"CostosIndirectos", F::Double},
          {"OtrosIndirectos", F::Double},
          {"Elaborado", F::Text},
          {"fecha", F::Text},
          {"Ciudad", F::Text},
          {"IVA", F::Boolean},
          {"Herramienta", F::Boolean},
          {"Periodotipo", F::Text}}},
        {"Presupuesto",
         {{"Indice", F::Counter},
          {"CodigoPres", F::Text},
          {"ItemPres", F::Text},
          {"DescripcionPres", F::Text},
          {"UnidadPres", F::Text},
          {"CantidadPres", F::Double},
          {"GruposPres", F::Text},
          {"TotalPres", F::Double}}},
        {"Materiales",
         {{"CodigoPres", F::Text},
          {"ItemPres", F::Text},
          {"DescripcionMat", F::Text},
          {"UnidadMat", F::Text},
          {"CantidadMat", F::Double},
          {"PrecioUniMat", F::Double}}},
        {"Maquinaria",
         {{"CodigoPres", F::Text},
          {"ItemPres", F::Text},
          {"DescripcionMaq", F::Text},
          {"HorasMaq", F::Double},
          {"RendimientoMaq", F::Double},
          {"CostoMaq", F::Double}}},
        {"ManoObra",
         {{"CodigoPres", F::Text},
          {"ItemPres", F::Text},
          {"DescripcionMan", F::Text},
          {"CategoriaMan", F::Text},
          {"HorasMan", F::Double},
          {"RendimientoMan", F::Double},
          {"SalarioMan", F::Double}}},
        {"Transporte",
         {{"CodigoPres", F::Text},
          {"ItemPres", F::Text},
          {"DescripcionTran", F::Text},
          {"UnidadTran", F::Text},
          {"CantidadTran", F::Double},
          {"PrecioTran", F::Double}}},
        {"Grupos",
         {{"Grupo", F::Text},
          {"DescripcionGru", F::Text},
          {"TotalGrupo", F::Double},
          {"OrdenGru", F::Integer}}},
        {"DetalleGrupo",
         {{"Grupo", F::Text},
          {"PeriodoGru", F::Long},
          {"SemanasGru", F::Integer},
          {"PorcentajeGru", F::Double},
          {"OrdenGru", F::Integer}}},
        {"Crono", periods("", F::Boolean)},
        {"Crono2", periods("S", F::Integer)},
        {"Crono3", periods("P", F::Double)},
        {"CronoValores",
         {{"CronoCodigo", F::Text},
          {"CronoItem", F::Text},
          {"Crono30C", F::Double},
          {"Crono60C", F::Double},
          {"Crono90C", F::Double},
          {"Crono120C", F::Double},
          {"Crono150C", F::Double},
          {"Crono180C", F::Double}}},
        {"SimbolosMat",
         {{"Simbolo", F::Text},
          {"DescripcionMat", F::Text},
          {"UnidadMat", F::Text},
          {"PorcentajeSimb", F::Double}}},
        {"SimbolosDesc",
         {{"Simbolo", F::Text},
          {"DescripcionSim", F::Text},
          {"TotalSimb", F::Double},
          {"PorcentajeTot", F::Double}}},
        {"InfoAnalisis",
         {{"CodigoPres", F::Text},
          {"ItemPres", F::Text},
          {"Tipo", F::Integer},
          {"Descripcion", F::Text},
          {"Unidad", F::Text},
          {"Cantidad", F::Double},
          {"Precio", F::Double},
          {"Rendimiento", F::Double}}},
    };
}

// Text columns carry SQLite's own NOCASE so that the plain sqlcipher shell and the stored indexes
// agree with the case-blind comparisons the translator asks for; letters beyond ASCII are folded
// by the collation each connection registers.
QString columnDeclaration(const FieldDef& f) {
    switch (f.type) {
    case F::Text:
        return f.name + " TEXT COLLATE NOCASE";
    case F::Double:
        return f.name + " DOUBLE";
    case F::Integer:
        return f.name + " SMALLINT";
    case F::Long:
        return f.name + " INTEGER";
    case F::Boolean:
        return f.name + " BOOLEAN DEFAULT 0";
    case F::Counter:
        return f.name + " INTEGER PRIMARY KEY AUTOINCREMENT";
    case F::Unknown:
        break;
    }
    return f.name;
}

} // namespace

const FieldDef* TableDef::field(QStringView name) const {
    for (const auto& f : fields)
        if (name.compare(f.name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

const std::vector<TableDef>& schemaTables() {
    static const std::vector<TableDef> tables = buildTables();
    return tables;
}

const TableDef* findTable(QStringView name) {
    for (const auto& t : schemaTables())
        if (name.compare(t.name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QStringList schemaStatements() {
    QStringList statements;
    for (const auto& table : schemaTables()) {
        QStringList columns;
        for (const auto& f : table.fields)
            columns << columnDeclaration(f);
        statements << QStringLiteral("CREATE TABLE %1 (%2)").arg(table.name, columns.join(", "));
    }
    // The cost engine reads the lines of one item at a time.
    for (const char* table : {"Presupuesto", "Materiales", "Maquinaria", "ManoObra", "Transporte"})
        statements << QStringLiteral("CREATE INDEX ix%1Item ON %1 (CodigoPres, ItemPres)").arg(table);
    statements << "CREATE INDEX ixCronoValoresItem ON CronoValores (CronoCodigo, CronoItem)";
    return statements;
}

} // namespace korvex::store
