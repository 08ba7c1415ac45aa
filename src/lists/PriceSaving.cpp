#include "lists/PriceSaving.h"

#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>

namespace korvex::lists {

namespace {

// The price each resource of the list ends with: its last row's.
QHash<QString, double> pricesToWrite(const PriceList& list) {
    QHash<QString, double> prices;
    for (int i = 0; i < list.size(); ++i) {
        const PriceRow& row = list.row(i);
        if (!row.description.isEmpty())
            prices.insert(store::text::resourceKey(row.description, row.second),
                          engine::ConvertirNumeroOCero(row.price));
    }
    return prices;
}

int saveKind(store::Database& db, const PriceList& list) {
    const QHash<QString, double> prices = pricesToWrite(list);
    if (prices.isEmpty())
        return 0;
    const ListLayout& l = list.layout();
    const QString fields =
        l.descField + (l.hasSecond() ? ", " + l.secondField : QString()) + ", " + l.priceField;
    store::RecordSet lines = db.openRecordSet("SELECT " + fields + " FROM " + l.table);
    int written = 0;
    for (; !lines.eof(); lines.moveNext()) {
        const QVariant description = lines.value(l.descField);
        const QVariant second = l.hasSecond() ? lines.value(l.secondField) : QVariant(QString());
        // A Null description or unit is never found by a query on a typed value.
        if (description.isNull() || second.isNull())
            continue;
        const auto price =
            prices.constFind(store::text::resourceKey(description.toString(), second.toString()));
        if (price == prices.constEnd())
            continue;
        const QVariant stored = lines.value(l.priceField);
        if (!stored.isNull() && stored.toDouble() == *price)
            continue;
        lines.edit();
        lines.setValue(l.priceField, *price);
        lines.update();
        ++written;
    }
    return written;
}

const char* kindLabel(TipoRecurso kind) {
    switch (kind) {
    case TipoRecurso::Material:
        return "Materiales";
    case TipoRecurso::Equipo:
        return "Herramientas y Equipo";
    case TipoRecurso::ManoObra:
        return "Mano de Obra";
    case TipoRecurso::Transporte:
        break;
    }
    return "Transporte";
}

} // namespace

PriceSaveOutcome savePrices(store::Database& db, const PriceLists& lists) {
    PriceSaveOutcome outcome;
    TipoRecurso current = TipoRecurso::Material;
    try {
        store::Transaction transaction(db);
        for (TipoRecurso kind : kListKinds) {
            current = kind;
            outcome.lines[static_cast<std::size_t>(kindIndex(kind))] =
                saveKind(db, lists[static_cast<std::size_t>(kindIndex(kind))]);
        }
        transaction.commit();
        outcome.ok = true;
    } catch (const store::StoreError& e) {
        outcome = PriceSaveOutcome{};
        outcome.message =
            QStringLiteral(
                "No se pudieron grabar los precios (%1): %2\nLos precios guardados no han cambiado.")
                .arg(QString::fromUtf8(kindLabel(current)), e.message());
    }
    return outcome;
}

RepriceOutcome repriceProject(const QString& projectFolder, TipoRecurso kind, double percent) {
    RepriceOutcome outcome;
    PriceLists lists = loadPriceLists(projectFolder);
    outcome.resources = lists[static_cast<std::size_t>(kindIndex(kind))].increaseBy(percent);
    store::Database db = store::Database::openProject(projectFolder);
    const PriceSaveOutcome saved = savePrices(db, lists);
    outcome.ok = saved.ok;
    outcome.message = saved.message;
    outcome.lines = saved.total();
    if (!saved.ok)
        outcome.resources = 0;
    return outcome;
}

QString savedPricesStatus(const PriceSaveOutcome& outcome) {
    return QStringLiteral("Precios grabados: %1 línea(s) cambiada(s)").arg(outcome.total());
}

} // namespace korvex::lists
