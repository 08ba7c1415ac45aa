#include "analysis/ResourceUsage.h"

#include "store/Database.h"

#include <QHash>

namespace korvex::analysis {

QList<UsageRow> findUsage(store::Database& db, Kind kind, const ResourceKey& resource) {
    const KindSpec& s = kindInfo(kind);
    QString sql = "SELECT CodigoPres, ItemPres FROM " + s.table + " WHERE " + s.descField + " = ?";
    QVariantList params{resource.description};
    if (s.hasSecond()) {
        sql += " and " + s.secondField + " = ?";
        params.append(resource.second);
    }
    store::RecordSet lines = db.openRecordSet(sql + " ORDER BY CodigoPres", params);

    // Lines of one item usually come together: its record is read once.
    QHash<QPair<QString, QString>, UsageRow> items;
    QList<UsageRow> rows;
    rows.reserve(lines.recordCount());
    for (; !lines.eof(); lines.moveNext()) {
        const QPair<QString, QString> key{lines.text("CodigoPres"), lines.text("ItemPres")};
        auto found = items.constFind(key);
        if (found == items.constEnd()) {
            UsageRow row;
            store::RecordSet item = db.openRecordSet(
                "SELECT * FROM Presupuesto WHERE CodigoPres = ? and ItemPres = ?", {key.first, key.second});
            if (!item.eof())
                row = {item.text("CodigoPres"), item.text("ItemPres"), item.text("DescripcionPres"),
                       item.text("UnidadPres")};
            found = items.insert(key, row);
        }
        rows.append(*found);
    }
    return rows;
}

QString usageSentence(Kind kind, const QString& description) {
    const char* who = kind == Kind::Equipment ? "El Equipo: "
                      : kind == Kind::Labour  ? "El Personal: "
                                              : "El Material: ";
    return QString::fromUtf8(who) + description + " se encuentra en los Rubros";
}

QString searchTitle(Kind kind) {
    switch (kind) {
    case Kind::Equipment:
        return QStringLiteral("Buscar Herramientas y Equipo");
    case Kind::Labour:
        return QStringLiteral("Buscar Mano de Obra");
    default:
        return QStringLiteral("Buscar Materiales");
    }
}

} // namespace korvex::analysis
