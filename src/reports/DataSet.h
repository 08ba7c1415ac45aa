#pragma once
// The records a template prints: read once per query, then filtered, joined, grouped and sorted
// in memory, so that a report of thousands of rows costs a handful of database round trips.

#include "engine/Engine.h"
#include "reports/Value.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvex::reports {

struct DataSet {
    QStringList columns;
    std::vector<std::vector<Value>> rows;

    // The column of a lower-case name: the name as the query gave it, or its part after the last
    // "." ("materiales.descripcionmat" finds DescripcionMat); -1 when there is none.
    int column(const QString& lowerName) const;
    void addColumn(const QString& name);

private:
    QHash<QString, int> index_;
};

// Runs the queries of a template. The store's implementation opens the project database; tests
// may give their own.
class DataProvider {
public:
    virtual ~DataProvider() = default;
    // Throws store::StoreError (or TemplateError) when the query cannot run.
    virtual DataSet query(const QString& sql) = 0;
    // The percentages every unit price of the project is computed with, which the template's
    // Proyecto.CostosIndirectos and Proyecto.OtrosIndirectos print; nullopt prints the stored ones.
    virtual std::optional<engine::DatosIndirectos> unitPriceFigures() { return std::nullopt; }
};

// Reads through store::Database, opened on the given database file with its password.
class StoreDataProvider : public DataProvider {
public:
    StoreDataProvider(const QString& databasePath, const QString& password);
    ~StoreDataProvider() override;
    DataSet query(const QString& sql) override;
    std::optional<engine::DatosIndirectos> unitPriceFigures() override;

private:
    struct Impl;
    Impl* impl_;
};

} // namespace korvex::reports
