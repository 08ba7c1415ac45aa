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

// The resource key of a loaded line; none for a Null description or unit, which a query on a
// typed value never finds.
std::optional<QString> keyOfLine(const QVariantList& values, bool second) {
    const QVariant& description = values[0];
    const QVariant unit = second ? values[1] : QVariant(QString());
    if (description.isNull() || unit.isNull())
        return std::nullopt;
    return store::text::resourceKey(description.toString(), unit.toString());
}

// The lines of the changed resources must be the ones the list was made of, as they were.
void checkLines(store::Database& db, const PriceList& list, const QHash<QString, double>& prices) {
    const bool second = list.layout().hasSecond();
    list.loadedLines().check(
        db,
        [&](const QVariantList& values) {
            const auto key = keyOfLine(values, second);
            return key && prices.contains(*key);
        },
        [second](const QVariantList& values) {
            return second ? QStringLiteral("%1 (%2)").arg(values[0].toString(), values[1].toString())
                          : values[0].toString();
        },
        QStringLiteral("Las líneas de "));
}

// Writes the changed prices into the lines of their resources; lines holds the lines as loaded
// and ends with them as saved. Once the check has passed, the stored lines of those resources
// are the loaded ones, so the loaded lines say which to write. Lines of other resources keep
// what the list loaded, so that a change another writer made to them is still found by the next
// save. Returns the number of lines written.
int saveKind(store::Database& db, const PriceList& list, store::LoadedRows& lines) {
    const QHash<QString, double> prices = pricesToWrite(list);
    if (prices.isEmpty())
        return 0;
    checkLines(db, list, prices);
    const ListLayout& l = list.layout();
    const bool second = l.hasSecond();
    const int priceAt = lines.fieldIndex(l.priceField);
    // Written by row number: a record set's update would read every line back.
    const QString update = "UPDATE " + l.table + " SET " + l.priceField + " = ? WHERE rowid = ?";
    int written = 0;
    for (const qint64 row : lines.rows()) {
        const QVariantList values = lines.values(row);
        const auto key = keyOfLine(values, second);
        const auto price = key ? prices.constFind(*key) : prices.constEnd();
        if (price == prices.constEnd())
            continue;
        const QVariant& stored = values[priceAt];
        if (!stored.isNull() && stored.toDouble() == *price)
            continue;
        db.execute(update, {*price, row});
        lines.setValue(row, priceAt, *price);
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
        std::array<store::LoadedRows, 4> saved;
        for (TipoRecurso kind : kListKinds) {
            current = kind;
            const auto k = static_cast<std::size_t>(kindIndex(kind));
            saved[k] = lists[k].loadedLines();
            outcome.lines[k] = saveKind(db, lists[k], saved[k]);
        }
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
