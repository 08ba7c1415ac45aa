#include "analysis/ResourceKeys.h"

#include "engine/ResourceGroups.h"
#include "store/Database.h"
#include "store/LoadedRows.h"
#include "store/TextCompare.h"

namespace korvex::analysis {

store::LoadedRows readResourceLines(store::Database& db, Kind kind) {
    const KindSpec& s = kindInfo(kind);
    QStringList fields{s.descField};
    if (s.hasSecond())
        fields << s.secondField;
    fields << s.priceField;
    return store::LoadedRows::read(db, s.table, fields);
}

QList<ResourceKey> distinctResources(const store::LoadedRows& lines, Kind kind) {
    QList<ResourceKey> keys;
    for (engine::Escritura spelling : engine::RecursosDistintos(lines, kindInfo(kind).hasSecond()))
        if (!spelling.descripcion.isEmpty())
            keys.append({std::move(spelling.descripcion), std::move(spelling.segundo)});
    return keys;
}

QList<ResourceKey> distinctResources(store::Database& db, Kind kind) {
    return distinctResources(readResourceLines(db, kind), kind);
}

bool sameResource(Kind kind, const ResourceKey& a, const ResourceKey& b) {
    if (!store::text::equalFolded(a.description, b.description))
        return false;
    return !kindInfo(kind).hasSecond() || store::text::equalFolded(a.second, b.second);
}

} // namespace korvex::analysis
