#include "schedule/GroupAssignment.h"

#include "schedule/RecordKeys.h"
#include "store/Database.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace korvex::schedule {

GruposItems CargarGruposItems(store::Database& db) {
    GruposItems cargados;
    cargados.presupuesto = store::LoadedRows::read(
        db, "Presupuesto", {"CodigoPres", "ItemPres", "GruposPres"}, {}, {}, "Indice");
    cargados.grupos = store::LoadedRows::read(db, "Grupos", {"Grupo", "DescripcionGru", "OrdenGru"});
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    for (; !rs.eof(); rs.moveNext()) {
        cargados.items.push_back({rs.text("CodigoPres"), rs.text("ItemPres"), rs.text("DescripcionPres"),
                                  rs.text("UnidadPres"), rs.text("GruposPres"), rs.rowId()});
    }
    return cargados;
}

namespace {

QString describirRubro(const QVariantList& values) {
    return QStringLiteral("%1 %2").arg(values.value(0).toString(), values.value(1).toString());
}

// The group each changed item takes, by its row.
QHash<qint64, QString> gruposCambiados(const GruposItems& cargados, const std::vector<ItemGrupo>& rows) {
    const int campo = cargados.presupuesto.fieldIndex("GruposPres");
    QHash<qint64, QString> cambios;
    for (const ItemGrupo& row : rows) {
        if (!cargados.presupuesto.contains(row.fila))
            continue;
        const QString cargado = cargados.presupuesto.value(row.fila, campo).toString();
        const QString grupo = row.grupo.trimmed();
        if (row.grupo != cargado && !grupo.isEmpty() && grupo != cargado)
            cambios.insert(row.fila, grupo);
    }
    return cambios;
}

int asignarGrupos(store::Database& db, const QHash<qint64, QString>& cambios) {
    if (cambios.isEmpty())
        return 0;
    int changed = 0;
    store::RecordSet rs = db.openRecordSet("SELECT GruposPres FROM Presupuesto");
    for (; !rs.eof(); rs.moveNext()) {
        const auto grupo = cambios.constFind(rs.rowId());
        if (grupo == cambios.constEnd())
            continue;
        rs.edit();
        rs.setValue("GruposPres", *grupo);
        rs.update();
        ++changed;
    }
    return changed;
}
// The names the items carry, each once (letter case ignored), spelled as the first item in
// budget order spells it.
QStringList nombresEnUso(store::Database& db) {
    QStringList names;
    QSet<QString> seen;
    store::RecordSet rs = db.openRecordSet("SELECT GruposPres FROM Presupuesto ORDER BY Indice");
    for (; !rs.eof(); rs.moveNext()) {
        const QString name = rs.text("GruposPres");
        if (!name.isEmpty() && !seen.contains(comparableText(name))) {
            seen.insert(comparableText(name));
            names.append(name);
        }
    }
    return names;
}

QSet<QString> comparables(const QStringList& names) {
    QSet<QString> set;
    for (const QString& name : names)
        set.insert(comparableText(name));
    return set;
}

// The groups' names as loaded, each once (letter case ignored).
QStringList nombresCargados(const store::LoadedRows& grupos) {
    QStringList names;
    QSet<QString> seen;
    for (const qint64 row : grupos.rows()) {
        const QString name = grupos.values(row).value(0).toString();
        if (!seen.contains(comparableText(name))) {
            seen.insert(comparableText(name));
            names.append(name);
        }
    }
    return names;
}

int crearGrupos(store::Database& db, const QStringList& names) {
    if (names.isEmpty())
        return 0;
    store::RecordSet groups = db.openRecordSet("SELECT * FROM Grupos");
    for (const QString& name : names) {
        groups.addNew();
        groups.setValue("Grupo", name);
        groups.update();
    }
    return int(names.size());
}

int borrarGrupos(store::Database& db, const QStringList& names) {
    int deleted = 0;
    for (const QString& name : names)
        deleted += db.execute("DELETE * FROM Grupos WHERE Grupo = ?", {name});
    return deleted;
}

} // namespace

ResultadoGrupos GrabarGrupos(store::Database& db, const GruposItems& cargados,
                             const std::vector<ItemGrupo>& rows) {
    try {
        store::Transaction transaction(db);
        cargados.presupuesto.check(db, {}, describirRubro, QStringLiteral("Los rubros "));
        ResultadoGrupos result;
        result.registros = asignarGrupos(db, gruposCambiados(cargados, rows));

        // Groups are created for names in use that none carried when loaded, and deleted when no
        // item carries their name any more; those groups must still be as loaded.
        const QStringList inUse = nombresEnUso(db);
        const QStringList known = nombresCargados(cargados.grupos);
        const QSet<QString> used = comparables(inUse);
        const QSet<QString> loaded = comparables(known);
        QStringList toCreate;
        QStringList toDelete;
        for (const QString& name : inUse)
            if (!loaded.contains(comparableText(name)))
                toCreate << name;
        for (const QString& name : known)
            if (!name.isEmpty() && !used.contains(comparableText(name)))
                toDelete << name;
        const QSet<QString> touched = comparables(toCreate + toDelete);
        cargados.grupos.check(
            db,
            [&](const QVariantList& values) {
                return touched.contains(comparableText(values.value(0).toString()));
            },
            {}, QStringLiteral("Los grupos "));
        result.gruposCreados = crearGrupos(db, toCreate);
        result.gruposBorrados = borrarGrupos(db, toDelete);
        transaction.commit();
        return result;
    } catch (const store::StoreError& error) {
        return fallo<ResultadoGrupos>(error);
    }
}

} // namespace korvex::schedule
