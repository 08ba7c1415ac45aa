#include "analysis/ResourceUsage.h"

#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>
#include <QPair>

namespace korvex::analysis {

QList<UsageRow> findUsage(store::Database& db, Kind kind, const ResourceKey& resource) {
    const KindSpec& s = kindInfo(kind);
    QString where = " WHERE " + s.descField + " = ?";
    QVariantList params{resource.description};
    if (s.hasSecond()) {
        where += " and " + s.secondField + " = ?";
        params.append(resource.second);
    }
    store::RecordSet lines = db.openRecordSet(
        "SELECT CodigoPres, ItemPres FROM " + s.table + where + " ORDER BY CodigoPres", params);

    // The items are read once, narrowed to the codes and numbers of the lines; a line finds the
    // first item of its code and number, as a query by the pair would (a Null code or number is
    // found by no query).
    QHash<QPair<QString, QString>, UsageRow> items;
    if (!lines.eof()) {
        store::RecordSet budget = db.openRecordSet(
            "SELECT CodigoPres, ItemPres, DescripcionPres, UnidadPres FROM Presupuesto WHERE CodigoPres IN "
            "(SELECT CodigoPres FROM " +
                s.table + where + ") and ItemPres IN (SELECT ItemPres FROM " + s.table + where + ")",
            params + params);
        for (; !budget.eof(); budget.moveNext()) {
            if (budget.isNull("CodigoPres") || budget.isNull("ItemPres"))
                continue;
            const QPair<QString, QString> key{store::text::foldKey(budget.text("CodigoPres")),
                                              store::text::foldKey(budget.text("ItemPres"))};
            if (!items.contains(key))
                items.insert(key, {budget.text("CodigoPres"), budget.text("ItemPres"),
                                   budget.text("DescripcionPres"), budget.text("UnidadPres")});
        }
    }
    QList<UsageRow> rows;
    rows.reserve(lines.recordCount());
    for (; !lines.eof(); lines.moveNext())
        rows.append(items.value(
            {store::text::foldKey(lines.text("CodigoPres")), store::text::foldKey(lines.text("ItemPres"))}));
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
