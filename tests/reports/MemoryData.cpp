#include "MemoryData.h"

#include "reports/Expression.h"

namespace korvex::testing {

reports::DataSet makeData(const QStringList& columns, const std::vector<QVariantList>& rows) {
    reports::DataSet data;
    for (const QString& column : columns)
        data.addColumn(column);
    for (const QVariantList& row : rows) {
        std::vector<reports::Value> values;
        for (const QVariant& value : row)
            values.push_back(reports::Value::fromVariant(value));
        data.rows.push_back(std::move(values));
    }
    return data;
}

reports::DataSet MemoryData::query(const QString& sql) {
    ++queries_;
    const auto it = answers_.constFind(sql.simplified());
    if (it != answers_.constEnd())
        return *it;
    // A project without header data answers the header query with no records.
    if (sql.simplified().compare(QStringLiteral("SELECT * FROM Proyecto"), Qt::CaseInsensitive) == 0)
        return makeData({"Institucion", "Proyecto"}, {});
    throw reports::TemplateError(QStringLiteral("consulta sin datos de prueba: ") + sql);
}

} // namespace korvex::testing
