#pragma once
// The distinct resources of the project, one per resource key, as the where-used search and the
// correction window list them: materials and transport by description and unit, equipment by
// description, labour by description and category, in the store's grouped (alphabetical) order.

#include "analysis/AnalysisKinds.h"

#include <QList>
#include <QString>

namespace korvex::store {
class Database;
class LoadedRows;
} // namespace korvex::store

namespace korvex::analysis {

struct ResourceKey {
    QString description;
    QString second; // unit or category; "" for equipment
};

// Groups without a description are left out: they name no resource anyone could pick or correct.
// Throws store::StoreError.
QList<ResourceKey> distinctResources(store::Database& db, Kind kind);
// The same from the kind's lines already loaded (description, [unit or category,] price).
QList<ResourceKey> distinctResources(const store::LoadedRows& lines, Kind kind);
// The kind's lines as the correction loads them and its save checks them.
store::LoadedRows readResourceLines(store::Database& db, Kind kind);

// Whether two keys name the same resource, letter case ignored as the store's "=" ignores it.
bool sameResource(Kind kind, const ResourceKey& a, const ResourceKey& b);

} // namespace korvex::analysis
