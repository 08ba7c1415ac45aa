#include "shell/ops/PriceListImport.h"

#include "engine/Numbers.h"
#include "exchange/SpreadsheetFile.h"
#include "lists/PriceSaving.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>
#include <array>
#include <map>

namespace korvex::shell {

using engine::TipoRecurso;

namespace {

std::size_t indexOf(TipoRecurso kind) {
    return static_cast<std::size_t>(lists::kindIndex(kind));
}

// Resources of one kind looked up by key. Keys are bucketed by Unicode case folding and then
// compared as the store compares, so the match is exactly the store's "=".
class KeyIndex {
public:
    KeyIndex(TipoRecurso kind, const std::vector<engine::TotalRecurso>& resources)
        : kind_(kind), resources_(resources) {
        for (int i = 0; i < int(resources.size()); ++i)
            buckets_[bucket(resources[std::size_t(i)].descripcion,
                            secondOf(resources[std::size_t(i)].unidad))]
                .append(i);
    }
    QList<int> find(const QString& description, const QString& second) const {
        QList<int> found;
        for (int i : buckets_.value(bucket(description, secondOf(second)))) {
            const engine::TotalRecurso& r = resources_[std::size_t(i)];
            if (store::text::equalFolded(r.descripcion, description) &&
                store::text::equalFolded(secondOf(r.unidad), secondOf(second)))
                found.append(i);
        }
        return found;
    }

private:
    QString secondOf(const QString& second) const {
        return kind_ == TipoRecurso::Equipo ? QString() : second;
    }
    static QString bucket(const QString& description, const QString& second) {
        return store::text::resourceKey(description, second);
    }
    TipoRecurso kind_;
    const std::vector<engine::TotalRecurso>& resources_;
    QHash<QString, QList<int>> buckets_;
};

QString flat(QString text) {
    for (const QChar c : {QChar('\t'), QChar('\n'), QChar('\r')})
        text.replace(c, QChar(' '));
    return text;
}

} // namespace

PriceImportPlan planPriceImport(const exchange::PriceListReading& reading,
                                const ProjectResources& resources) {
    PriceImportPlan plan;
    plan.withoutPrice = static_cast<int>(reading.withoutPrice.size());
    std::array<std::optional<KeyIndex>, 4> indexes;
    // For each kind, resource index -> the entry that prices it (the last one wins).
    std::array<std::map<int, int>, 4> pricedBy;
    std::array<bool, 4> kindInList{};
    for (int e = 0; e < int(reading.entries.size()); ++e) {
        const exchange::PriceListEntry& entry = reading.entries[std::size_t(e)];
        const std::size_t k = indexOf(entry.kind);
        kindInList[k] = true;
        if (!indexes[k])
            indexes[k].emplace(entry.kind, resources[k]);
        const QList<int> found = indexes[k]->find(entry.description, entry.second);
        if (found.isEmpty()) {
            plan.unmatched.push_back({entry.row, entry.description});
            continue;
        }
        bool replaced = false;
        for (int r : found) {
            auto [it, inserted] = pricedBy[k].insert({r, e});
            if (!inserted) {
                it->second = e;
                replaced = true;
            }
        }
        if (replaced)
            ++plan.repeated;
    }
    for (TipoRecurso kind : lists::kListKinds) {
        const std::size_t k = indexOf(kind);
        const std::vector<engine::TotalRecurso>& all = resources[k];
        const lists::PriceList shownList = lists::PriceList::fromTotals(kind, all);
        std::vector<engine::TotalRecurso> priced;
        std::vector<double> prices;
        for (const auto& [r, e] : pricedBy[k]) {
            priced.push_back(all[std::size_t(r)]);
            prices.push_back(reading.entries[std::size_t(e)].price);
        }
        plan.changed[k] = lists::PriceList::fromTotals(kind, priced);
        int i = 0;
        for (const auto& [r, e] : pricedBy[k]) {
            plan.changed[k].commitPrice(i, engine::FormatoMoneda(prices[std::size_t(i)]));
            const lists::PriceRow& before = shownList.row(r);
            plan.updates.push_back({kind, before.description, before.second, before.price,
                                    plan.changed[k].row(i).price, reading.entries[std::size_t(e)].row});
            ++i;
        }
        if (!kindInList[k])
            continue;
        for (int r = 0; r < int(all.size()); ++r) {
            if (!pricedBy[k].count(r))
                plan.unpriced.push_back({kind, shownList.row(r).description, shownList.row(r).second});
        }
    }
    std::stable_sort(plan.updates.begin(), plan.updates.end(),
                     [](const PriceUpdate& a, const PriceUpdate& b) { return a.row < b.row; });
    return plan;
}

PriceImportOutcome importPriceList(const QString& projectFolder, const exchange::Table& table,
                                   const PriceImportOptions& options) {
    PriceImportOutcome outcome;
    const exchange::PriceListReading reading =
        exchange::readPriceList(table, {options.kind, options.columns});
    if (!reading.ok) {
        outcome.ok = false;
        outcome.title = QStringLiteral("Error");
        outcome.message = reading.message;
        return outcome;
    }
    try {
        // The lines the plan is made from; the save checks they are still so.
        store::Database db = store::Database::openProject(projectFolder);
        std::array<store::LoadedRows, 4> lines;
        ProjectResources resources;
        engine::AgrupacionRecursos grouping(db);
        for (TipoRecurso kind : lists::kListKinds) {
            engine::LineasAgrupadas grouped = grouping.agrupar(kind);
            lines[indexOf(kind)] = std::move(grouped.lineas);
            resources[indexOf(kind)] = std::move(grouped.totales);
        }
        outcome.plan = planPriceImport(reading, resources);
        if (options.dryRun || outcome.plan.updates.empty())
            return outcome;
        for (TipoRecurso kind : lists::kListKinds)
            outcome.plan.changed[indexOf(kind)].setLoadedLines(std::move(lines[indexOf(kind)]));
        const lists::PriceSaveOutcome saved = lists::savePrices(db, outcome.plan.changed);
        if (!saved.ok) {
            outcome.ok = false;
            outcome.title = QStringLiteral("Error");
            outcome.message = saved.message;
            return outcome;
        }
        outcome.applied = true;
        outcome.linesChanged = saved.total();
    } catch (const store::StoreError& error) {
        outcome.ok = false;
        outcome.title = QStringLiteral("Error");
        outcome.message = QStringLiteral("No se pudo leer el proyecto: %1").arg(error.message());
    }
    return outcome;
}

PriceImportOutcome importPriceListFile(const QString& projectFolder, const QString& path,
                                       const PriceImportOptions& options) {
    const exchange::ReadOutcome read = exchange::readSpreadsheetFile(path, options.sheet);
    if (!read.ok) {
        PriceImportOutcome outcome;
        outcome.ok = false;
        outcome.title = QStringLiteral("Error");
        outcome.message = read.message;
        return outcome;
    }
    return importPriceList(projectFolder, read.table, options);
}

QString priceImportReport(const PriceImportOutcome& outcome, bool dryRun) {
    const PriceImportPlan& plan = outcome.plan;
    QStringList lines;
    for (const PriceUpdate& u : plan.updates)
        lines.append(QStringList{"Actualizado", exchange::kindName(u.kind), flat(u.description),
                                 flat(u.second), u.oldPrice, u.newPrice}
                         .join('\t'));
    for (const UnmatchedRow& u : plan.unmatched)
        lines.append(QStringList{"Sin coincidencia", QString::number(u.row), flat(u.description)}.join('\t'));
    if (dryRun)
        lines.append(QStringLiteral("Simulación: no se ha grabado ningún precio"));
    lines.append(QStringLiteral("Recursos actualizados:\t%1").arg(plan.updates.size()));
    if (!dryRun)
        lines.append(QStringLiteral("Líneas cambiadas:\t%1").arg(outcome.linesChanged));
    lines.append(QStringLiteral("Filas sin coincidencia:\t%1").arg(plan.unmatched.size()));
    lines.append(QStringLiteral("Filas sin precio:\t%1").arg(plan.withoutPrice));
    if (plan.repeated > 0)
        lines.append(QStringLiteral("Filas repetidas (vale la última):\t%1").arg(plan.repeated));
    lines.append(
        QStringLiteral("Recursos del proyecto sin precio en la lista:\t%1").arg(plan.unpriced.size()));
    for (const UnpricedResource& r : plan.unpriced)
        lines.append(QStringList{"Sin precio en la lista", exchange::kindName(r.kind), flat(r.description),
                                 flat(r.second)}
                         .join('\t'));
    return lines.join('\n') + '\n';
}

} // namespace korvex::shell
