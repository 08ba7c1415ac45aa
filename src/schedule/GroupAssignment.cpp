#include "schedule/GroupAssignment.h"

#include "schedule/RecordKeys.h"
#include "store/Database.h"

#include <QSet>
#include <QStringList>

namespace korvex::schedule {

std::vector<ItemGrupo> CargarGruposItems(store::Database& db) {
    std::vector<ItemGrupo> items;
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    for (; !rs.eof(); rs.moveNext()) {
        items.push_back({rs.text("CodigoPres"), rs.text("ItemPres"), rs.text("DescripcionPres"),
                         rs.text("UnidadPres"), rs.text("GruposPres")});
    }
    return items;
}

namespace {

int asignarGrupos(store::Database& db, const std::vector<ItemGrupo>& rows) {
    KeyIndex rowsByItem;
    for (int i = 0; i < int(rows.size()); ++i)
        rowsByItem.add(itemKey(rows[i].codigoPres, rows[i].itemPres), i);

    int changed = 0;
    store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    for (; !rs.eof(); rs.moveNext()) {
        const auto row = rowsByItem.take(itemKey(rs.text("CodigoPres"), rs.text("ItemPres")));
        if (!row)
            continue; // an item added since the grid was filled keeps its group
        const QString grupo = rows[*row].grupo.trimmed();
        if (grupo.isEmpty() || grupo == rs.text("GruposPres"))
            continue;
        rs.edit();
        rs.setValue("GruposPres", grupo);
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

int crearGrupos(store::Database& db, const QStringList& inUse) {
    store::RecordSet groups = db.openRecordSet("SELECT * FROM Grupos");
    QStringList existing;
    for (; !groups.eof(); groups.moveNext())
        existing.append(groups.text("Grupo"));
    const QSet<QString> known = comparables(existing);

    int created = 0;
    for (const QString& name : inUse) {
        if (known.contains(comparableText(name)))
            continue;
        groups.addNew();
        groups.setValue("Grupo", name);
        groups.update();
        ++created;
    }
    return created;
}

int borrarGruposVacios(store::Database& db, const QStringList& inUse) {
    const QSet<QString> used = comparables(inUse);
    QStringList unused;
    store::RecordSet groups = db.openRecordSet("SELECT Grupo FROM Grupos");
    for (; !groups.eof(); groups.moveNext()) {
        const QString name = groups.text("Grupo");
        if (!name.isEmpty() && !used.contains(comparableText(name)) && !unused.contains(name))
            unused.append(name);
    }
    int deleted = 0;
    for (const QString& name : unused)
        deleted += db.execute("DELETE * FROM Grupos WHERE Grupo = ?", {name});
    return deleted;
}

} // namespace

ResultadoGrupos GrabarGrupos(store::Database& db, const std::vector<ItemGrupo>& rows) {
    try {
        store::Transaction transaction(db);
        ResultadoGrupos result;
        result.registros = asignarGrupos(db, rows);
        const QStringList inUse = nombresEnUso(db);
        result.gruposCreados = crearGrupos(db, inUse);
        result.gruposBorrados = borrarGruposVacios(db, inUse);
        transaction.commit();
        return result;
    } catch (const store::StoreError& error) {
        return fallo<ResultadoGrupos>(error);
    }
}

} // namespace korvex::schedule
