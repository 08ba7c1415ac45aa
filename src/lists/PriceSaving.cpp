#include "lists/PriceSaving.h"

#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>
#include <optional>
#include <unordered_map>

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

// The resource key of a line; none for a Null description or unit, which a query on a typed
// value never finds.
std::optional<QString> keyOfLine(const QVariant& description, const QVariant& unit) {
    if (description.isNull() || unit.isNull())
        return std::nullopt;
    return store::text::resourceKey(description.toString(), unit.toString());
}

std::optional<QString> keyOfLine(const QVariantList& values, bool second) {
    return keyOfLine(values[0], second ? values[1] : QVariant(QString()));
}

// The new price of each loaded line's resource. The lines of one pass share the strings of each
// text they repeat, so a line's resource is looked up once per pair of strings met, not once per
// line; equal strings that are not shared only cost a lookup each.
class NewPrices {
public:
    explicit NewPrices(const QHash<QString, double>& prices) : prices_(prices) {}

    // nullptr when the line's resource keeps its price.
    const double* of(const QVariant& description, const QVariant& unit) {
        if (description.isNull() || unit.isNull())
            return nullptr;
        const QString d = description.toString();
        const QString u = unit.toString();
        const auto [it, added] = found_.try_emplace({d.constData(), u.constData(), d.size(), u.size()});
        if (added) {
            const auto price = prices_.constFind(*keyOfLine(description, unit));
            it->second = price == prices_.constEnd() ? nullptr : &*price;
        }
        return it->second;
    }

private:
    struct Strings {
        const QChar* description;
        const QChar* unit;
        qsizetype descriptionSize;
        qsizetype unitSize;
        bool operator==(const Strings&) const = default;
    };
    struct StringsHash {
        std::size_t operator()(const Strings& s) const noexcept {
            return std::hash<const void*>{}(s.description) * 31u ^ std::hash<const void*>{}(s.unit) ^
                   std::size_t(s.descriptionSize);
        }
    };
    const QHash<QString, double>& prices_;
    std::unordered_map<Strings, const double*, StringsHash> found_;
};

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
    NewPrices newPrices(prices);
    const QVariant noUnit = QString();
    for (const qint64 row : lines.rows()) {
        const double* price = newPrices.of(lines.value(row, 0), second ? lines.value(row, 1) : noUnit);
        if (!price)
            continue;
        const QVariant& stored = lines.value(row, priceAt);
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
