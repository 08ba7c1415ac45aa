#pragma once
// Where a resource is used: the budget items whose analyses hold a line of it, one row per line in
// order of item code (as text). Only materials, equipment and labour are searched.

#include "analysis/ResourceKeys.h"

#include <QList>
#include <QString>

namespace korvex::store {
class Database;
}

namespace korvex::analysis {

// One line of the resource: its item's code, number, description and unit; all "" when the line's
// item is no longer in the budget (the row stays, so that every line shows).
struct UsageRow {
    QString code;
    QString item;
    QString description;
    QString unit;
    bool itemExists() const { return !code.isEmpty() || !item.isEmpty() || !description.isEmpty(); }
};

// Throws store::StoreError.
QList<UsageRow> findUsage(store::Database& db, Kind kind, const ResourceKey& resource);

// "El Material: Cemento se encuentra en los Rubros" (equipment "El Equipo: ", labour "El Personal: ").
QString usageSentence(Kind kind, const QString& description);

// The list titles of the search window: "Buscar Materiales", "Buscar Herramientas y Equipo",
// "Buscar Mano de Obra".
QString searchTitle(Kind kind);

} // namespace korvex::analysis
