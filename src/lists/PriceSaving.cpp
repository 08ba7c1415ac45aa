#include "lists/PriceSaving.h"

#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>
#include <optional>

namespace korvex::lists {

namespace {

// The price each resource the user changed ends with: its last changed row's.
QHash<QString, double> pricesToWrite(const PriceList& list) {
    QHash<QString, double> prices;
    for (int i = 0; i < list.size(); ++i) {
        const PriceRow& row = list.row(i);
        if (!row.description.isEmpty() && row.changed())
            prices.insert(store::text::resourceKey(row.description, row.second),
                          engine::ConvertirNumeroOCero(row.price));
    }
    return prices;
}

// The lines of the changed resources must be the ones the list was made of, as they were.
void checkLines(store::Database& db, const PriceList& list, const QHash<QString, double>& prices) {
    const bool second = list.layout().hasSecond();
    const auto keyOf = [second](const QVariantList& values) -> std::optional<QString> {
        const QVariant& description = values[0];
        const QVariant unit = second ? values[1] : QVariant(QString());
        if (description.isNull() || unit.isNull())
            return std::nullopt;
        return store::text::resourceKey(description.toString(), unit.toString());
    };
    list.loadedLines().check(
        db,
        [&](const QVariantList& values) {
            const auto key = keyOf(values);
            return key && prices.contains(*key);
        },
        [second](const QVariantList& values) {
            return second ? QStringLiteral("%1 (%2)").arg(values[0].toString(), values[1].toString())
                          : values[0].toString();
        },
        QStringLiteral("Las líneas de "));
}

int saveKind(store::Database& db, const PriceList& list) {
    const QHash<QString, double> prices = pricesToWrite(list);
    if (prices.isEmpty())
        return 0;
    checkLines(db, list, prices);
    const ListLayout& l = list.layout();
    const QString fields =
        l.descField + (l.hasSecond() ? ", " + l.secondField : QString()) + ", " + l.priceField;
    store::RecordSet lines = db.openRecordSet("SELECT " + fields + " FROM " + l.table);
    // Written by row number: a record set's update would read every line back.
    const QString update = "UPDATE " + l.table + " SET " + l.priceField + " = ? WHERE rowid = ?";
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
        db.execute(update, {*price, lines.rowId()});
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

PriceSaveOutcome savePrices(store::Database& db, PriceLists& lists) {
    PriceSaveOutcome outcome;
    TipoRecurso current = TipoRecurso::Material;
    try {
        store::Transaction transaction(db);
        for (TipoRecurso kind : kListKinds) {
            current = kind;
            outcome.lines[static_cast<std::size_t>(kindIndex(kind))] =
                saveKind(db, lists[static_cast<std::size_t>(kindIndex(kind))]);
        }
        std::array<store::LoadedRows, 4> saved;
        for (TipoRecurso kind : kListKinds)
            saved[static_cast<std::size_t>(kindIndex(kind))] = readLines(db, kind);
        transaction.commit();
        for (TipoRecurso kind : kListKinds)
            lists[static_cast<std::size_t>(kindIndex(kind))].markSaved(
                std::move(saved[static_cast<std::size_t>(kindIndex(kind))]));
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
    return QStringLiteral("Precios grabados: ") + engine::Contar(outcome.total(),
                                                                 QStringLiteral("línea cambiada"),
                                                                 QStringLiteral("líneas cambiadas"));
}

} // namespace korvex::lists
