#pragma once
// Two projects under a temporary root, with items and analysis lines written straight into the
// store, and readers of what a copy left in the destination.

#include "TestProject.h"
#include "store/Database.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace korvex::testing {

struct CopyProjects {
    TempRoot temp;
    QString destino = temp.newProject("Destino");
    QString origen = temp.newProject("Origen");
};

inline void addItem(store::Database& db, const QString& codigo, const QString& item,
                    const QString& descripcion, const QString& unidad = "m2", double cantidad = 10) {
    auto items = db.openRecordSet("SELECT * FROM Presupuesto");
    items.addNew();
    items.setValue("CodigoPres", codigo);
    items.setValue("ItemPres", item);
    items.setValue("DescripcionPres", descripcion);
    items.setValue("UnidadPres", unidad);
    items.setValue("CantidadPres", cantidad);
    items.setValue("GruposPres", "Obra gris");
    items.setValue("TotalPres", 99.5);
    items.update();
}

// values: the fields of the table after CodigoPres and ItemPres, in the order of the table.
inline void addLine(store::Database& db, const QString& table, const QString& codigo, const QString& item,
                    const QVariantList& values) {
    static const QHash<QString, QStringList> fields = {
        {"Materiales", {"DescripcionMat", "UnidadMat", "CantidadMat", "PrecioUniMat"}},
        {"Maquinaria", {"DescripcionMaq", "HorasMaq", "RendimientoMaq", "CostoMaq"}},
        {"ManoObra", {"DescripcionMan", "CategoriaMan", "HorasMan", "RendimientoMan", "SalarioMan"}},
        {"Transporte", {"DescripcionTran", "UnidadTran", "CantidadTran", "PrecioTran"}},
    };
    auto lines = db.openRecordSet("SELECT * FROM " + table);
    lines.addNew();
    lines.setValue("CodigoPres", codigo);
    lines.setValue("ItemPres", item);
    const QStringList names = fields.value(table);
    for (int i = 0; i < names.size() && i < values.size(); ++i)
        lines.setValue(names[i], values[i]);
    lines.update();
}

// An item with lines of all four kinds, priced.
inline void addAnalysedItem(store::Database& db, const QString& codigo, const QString& item,
                            const QString& descripcion) {
    addItem(db, codigo, item, descripcion);
    addLine(db, "Materiales", codigo, item, {"Cemento", "saco", 7.5, 7.85});
    addLine(db, "Materiales", codigo, item, {"Arena fina", "m3", 0.65, 14.0});
    addLine(db, "Maquinaria", codigo, item, {"Concretera de 1 saco", 1.0, 0.8, 5.0});
    addLine(db, "ManoObra", codigo, item, {"Peón", "E2", 3.0, 0.8, 3.6});
    addLine(db, "ManoObra", codigo, item, {"Albañil", "D2", 1.0, 0.8, 3.65});
    addLine(db, "Transporte", codigo, item, {"Cemento", "saco", 7.5, 0.2});
    addLine(db, "Transporte", codigo, item, {"Arena fina", "m3", 0.65, 1.5});
}
inline constexpr int kAnalysedItemLines = 7;

inline int count(store::Database& db, const QString& table) {
    return db.openRecordSet("SELECT * FROM " + table).recordCount();
}

// Records of every table a copy writes, to compare before and after.
inline QList<int> tableCounts(store::Database& db) {
    QList<int> counts;
    for (const char* table : {"Presupuesto", "Materiales", "Maquinaria", "ManoObra", "Transporte"})
        counts.append(count(db, table));
    return counts;
}

inline int linesOf(store::Database& db, const QString& codigo, const QString& item) {
    int lines = 0;
    for (const char* table : {"Materiales", "Maquinaria", "ManoObra", "Transporte"})
        lines +=
            db.openRecordSet(QString("SELECT * FROM %1 WHERE CodigoPres = ? and ItemPres = ?").arg(table),
                             {codigo, item})
                .recordCount();
    return lines;
}

// Code and number of every item, in stored order, as "code|item".
inline QStringList itemPairs(store::Database& db) {
    QStringList pairs;
    auto items = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    if (items.recordCount() > 0)
        items.moveFirst();
    for (; !items.eof(); items.moveNext())
        pairs.append(items.text("CodigoPres") + "|" + items.text("ItemPres"));
    return pairs;
}

} // namespace korvex::testing
