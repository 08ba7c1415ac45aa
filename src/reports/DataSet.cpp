#include "reports/DataSet.h"

#include "store/Database.h"

namespace korvex::reports {

int DataSet::column(const QString& lowerName) const {
    const auto it = index_.constFind(lowerName);
    if (it != index_.constEnd())
        return *it;
    const int dot = lowerName.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        const auto bare = index_.constFind(lowerName.mid(dot + 1));
        if (bare != index_.constEnd())
            return *bare;
    }
    return -1;
}

void DataSet::addColumn(const QString& name) {
    const int position = static_cast<int>(columns.size());
    columns.append(name);
    const QString lower = name.toLower();
    index_.insert(lower, position);
    const int dot = lower.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && !index_.contains(lower.mid(dot + 1)))
        index_.insert(lower.mid(dot + 1), position);
}

struct StoreDataProvider::Impl {
    store::Database database;
};

StoreDataProvider::StoreDataProvider(const QString& databasePath, const QString& password) : impl_(new Impl) {
    try {
        impl_->database = store::Database::open(databasePath, QStringLiteral(";pwd=") + password);
    } catch (...) {
        delete impl_;
        throw;
    }
}

StoreDataProvider::~StoreDataProvider() {
    delete impl_;
}

DataSet StoreDataProvider::query(const QString& sql) {
    store::RecordSet records = impl_->database.openRecordSet(sql);
    DataSet data;
    const QStringList names = records.fieldNames();
    for (const QString& name : names)
        data.addColumn(name);
    data.rows.reserve(static_cast<std::size_t>(records.recordCount()));
    for (records.moveFirst(); !records.eof(); records.moveNext()) {
        std::vector<Value> row;
        row.reserve(static_cast<std::size_t>(names.size()));
        for (const QString& name : names)
            row.push_back(Value::fromVariant(records.value(name)));
        data.rows.push_back(std::move(row));
    }
    return data;
}

std::optional<engine::DatosIndirectos> StoreDataProvider::unitPriceFigures() {
    return engine::DatosIndirectosEnUso(impl_->database);
}

} // namespace korvex::reports
