#pragma once
// The fixed schema of a project database. The dialect translator and the record sets use it to
// know the type of every field, so that text is compared without regard to case, displayed
// numbers are stored as numbers and Booleans as -1 / 0.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace korvex::store {

inline constexpr int kSchemaVersion = 1;

enum class FieldType { Text, Double, Integer, Long, Boolean, Counter, Unknown };

struct FieldDef {
    QString name;
    FieldType type;
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    const FieldDef* field(QStringView name) const; // case-insensitive; nullptr when unknown
};

const std::vector<TableDef>& schemaTables();
const TableDef* findTable(QStringView name); // case-insensitive; nullptr when unknown

// CREATE TABLE / CREATE INDEX statements of a new project database, in order.
QStringList schemaStatements();

inline bool isNumericType(FieldType t) {
    return t == FieldType::Double || t == FieldType::Integer || t == FieldType::Long ||
           t == FieldType::Counter || t == FieldType::Boolean;
}

} // namespace korvex::store
