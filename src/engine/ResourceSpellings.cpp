#include "engine/ResourceSpellings.h"

#include "store/Database.h"
#include "store/LoadedRows.h"
#include "store/TextCompare.h"

#include <utility>

namespace korvex::engine {

EscriturasRecursos EscriturasRecursos::leer(store::Database& db, const QString& table,
                                            const QString& descField, const QString& secondField) {
    EscriturasRecursos escrituras;
    const QString fields = secondField.isEmpty() ? descField : descField + ", " + secondField;
    // In stored order, as the search for a resource's project price meets its lines.
    store::RecordSet rs = db.openRecordSet("SELECT " + fields + " FROM " + table);
    Vistas seen;
    for (; !rs.eof(); rs.moveNext())
        escrituras.meet({rs.text(descField), secondField.isEmpty() ? QString() : rs.text(secondField)}, seen);
    return escrituras;
}

EscriturasRecursos EscriturasRecursos::deLineas(const store::LoadedRows& lines, bool withSecond) {
    EscriturasRecursos escrituras;
    const auto text = [](const QVariant& value) { return value.isNull() ? QString() : value.toString(); };
    Vistas seen;
    for (const qint64 row : lines.rows()) {
        const QVariantList values = lines.values(row);
        escrituras.meet({text(values.value(0)), withSecond ? text(values.value(1)) : QString()}, seen);
    }
    return escrituras;
}

void EscriturasRecursos::meet(Escritura escritura, Vistas& seen) {
    const std::pair<QString, QString> spelt{escritura.descripcion, escritura.segundo};
    if (seen.contains(spelt))
        return;
    seen.insert(spelt);
    const QString clave = store::text::resourceKey(escritura.descripcion, escritura.segundo);
    if (!primeras_.contains(clave))
        primeras_.insert(clave, std::move(escritura));
}

Escritura EscriturasRecursos::de(const QString& descripcion, const QString& segundo) const {
    return primeras_.value(store::text::resourceKey(descripcion, segundo), Escritura{descripcion, segundo});
}

} // namespace korvex::engine
