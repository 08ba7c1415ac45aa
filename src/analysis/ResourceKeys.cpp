#include "analysis/ResourceKeys.h"

#include "engine/ResourceSpellings.h"
#include "store/Database.h"
#include "store/TextCompare.h"

namespace korvex::analysis {

QList<ResourceKey> distinctResources(store::Database& db, Kind kind) {
    const KindSpec& s = kindInfo(kind);
    const QString fields = s.hasSecond() ? s.descField + ", " + s.secondField : s.descField;
    store::RecordSet rs =
        db.openRecordSet(" SELECT DISTINCTROW   " + fields + " FROM " + s.table + " GROUP BY  " + fields);
    const engine::EscriturasRecursos spellings =
        engine::EscriturasRecursos::leer(db, s.table, s.descField, s.hasSecond() ? s.secondField : QString());
    QList<ResourceKey> keys;
    keys.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        const engine::Escritura spelling =
            spellings.de(rs.text(s.descField), s.hasSecond() ? rs.text(s.secondField) : QString());
        ResourceKey key{spelling.descripcion, spelling.segundo};
        if (!key.description.isEmpty())
            keys.append(std::move(key));
    }
    return keys;
}

bool sameResource(Kind kind, const ResourceKey& a, const ResourceKey& b) {
    if (!store::text::equalFolded(a.description, b.description))
        return false;
    return !kindInfo(kind).hasSecond() || store::text::equalFolded(a.second, b.second);
}

} // namespace korvex::analysis
