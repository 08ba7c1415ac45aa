#include "engine/ResourceSpellings.h"

#include "store/Database.h"
#include "store/TextCompare.h"

#include <QSet>
#include <utility>

namespace korvex::engine {

EscriturasRecursos EscriturasRecursos::leer(store::Database& db, const QString& table,
                                            const QString& descField, const QString& secondField) {
    EscriturasRecursos escrituras;
    const QString fields = secondField.isEmpty() ? descField : descField + ", " + secondField;
    // In stored order, as the search for a resource's project price meets its lines.
    store::RecordSet rs = db.openRecordSet("SELECT " + fields + " FROM " + table);
    // Most lines repeat a spelling already met; only a new one is worth folding into its key.
    QSet<std::pair<QString, QString>> vistas;
    for (; !rs.eof(); rs.moveNext()) {
        Escritura escritura{rs.text(descField), secondField.isEmpty() ? QString() : rs.text(secondField)};
        if (vistas.contains({escritura.descripcion, escritura.segundo}))
            continue;
        vistas.insert({escritura.descripcion, escritura.segundo});
        const QString clave = store::text::resourceKey(escritura.descripcion, escritura.segundo);
        if (!escrituras.primeras_.contains(clave))
            escrituras.primeras_.insert(clave, std::move(escritura));
    }
    return escrituras;
}

Escritura EscriturasRecursos::de(const QString& descripcion, const QString& segundo) const {
    return primeras_.value(store::text::resourceKey(descripcion, segundo), Escritura{descripcion, segundo});
}

} // namespace korvex::engine
