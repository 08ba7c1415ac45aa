#include "analysis/AnalysisCopy.h"

#include "analysis/AnalysisKinds.h"
#include "analysis/AnalysisLoading.h"
#include "analysis/AnalysisPricing.h"
#include "analysis/AnalysisSheet.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>
#include <QSet>
#include <array>
#include <exception>
#include <numeric>

namespace korvex::analysis {

namespace {

const QString kByItem = QStringLiteral(" WHERE CodigoPres = ? and ItemPres = ?");

struct SourceLine {
    QString description;
    QString second;
    double quantity = 0;
    double yield = 0;
    double price = 0;
};

// The source's analysis: the lines of materials, equipment and labour, and the price of each
// transport resource (its first line), which the mirrored transport lines take.
struct SourceAnalysis {
    std::array<QList<SourceLine>, 4> lines;
    QHash<QString, double> transportPrices;
};

QString keyOf(Kind kind, const QString& description, const QString& second) {
    return resourceKey(description, kindInfo(kind).hasSecond() ? second : QString());
}

SourceAnalysis readSource(store::Database& source, const ItemRef& from) {
    SourceAnalysis analysis;
    for (Kind kind : kAllKinds) {
        const KindSpec& s = kindInfo(kind);
        store::RecordSet rs =
            source.openRecordSet("SELECT * FROM " + s.table + kByItem, {from.code, from.item});
        for (; !rs.eof(); rs.moveNext()) {
            SourceLine line{rs.text(s.descField), s.hasSecond() ? rs.text(s.secondField) : QString(),
                            rs.number(s.quantityField), s.hasYield() ? rs.number(s.yieldField) : 0.0,
                            rs.number(s.priceField)};
            // A line without a resource is not stored by the editor either.
            if (line.description.isEmpty() && line.second.isEmpty())
                continue;
            if (kind == Kind::Transport) {
                const QString key = keyOf(kind, line.description, line.second);
                if (!analysis.transportPrices.contains(key))
                    analysis.transportPrices.insert(key, line.price);
            } else {
                analysis.lines[kindIndex(kind)].append(line);
            }
        }
    }
    return analysis;
}

// This project's prices of the source's resources, transport looked up by the materials' keys.
ProjectPrices projectPricesOf(store::Database& target, const SourceAnalysis& analysis) {
    ProjectPrices prices;
    for (Kind kind : kAllKinds) {
        const Kind linesKind = kind == Kind::Transport ? Kind::Material : kind;
        QList<ResourceRef> resources;
        for (const SourceLine& line : analysis.lines[kindIndex(linesKind)])
            resources.append({line.description, line.second});
        prices[kindIndex(kind)] = lookupProjectPrices(target, kind, resources);
    }
    return prices;
}

// Adds quantity to the target's line of the resource, or writes a new line; the line takes the
// given price. Returns the line's quantity afterwards.
double writeLine(store::Database& db, Kind kind, const BudgetItem& target, const SourceLine& line,
                 double quantity, double price, bool addToExisting) {
    const KindSpec& s = kindInfo(kind);
    const QString key = keyOf(kind, line.description, line.second);
    store::RecordSet rs = db.openRecordSet("SELECT * FROM " + s.table + kByItem, {target.code, target.item});
    for (; !rs.eof(); rs.moveNext()) {
        if (keyOf(kind, rs.text(s.descField), s.hasSecond() ? rs.text(s.secondField) : QString()) != key)
            continue;
        const double total = addToExisting ? rs.number(s.quantityField) + quantity : quantity;
        rs.edit();
        rs.setValue(s.quantityField, total);
        rs.setValue(s.priceField, price);
        rs.update();
        return total;
    }
    rs.addNew();
    rs.setValue("CodigoPres", target.code);
    rs.setValue("ItemPres", target.item);
    rs.setValue(s.descField, line.description);
    if (s.hasSecond())
        rs.setValue(s.secondField, line.second);
    rs.setValue(s.quantityField, quantity);
    if (s.hasYield())
        rs.setValue(s.yieldField, line.yield);
    rs.setValue(s.priceField, price);
    rs.update();
    return quantity;
}

int copyInto(store::Database& db, const BudgetItem& target, const SourceAnalysis& analysis,
             const ProjectPrices& prices, CopyMode mode) {
    if (mode == CopyMode::Replace) {
        for (Kind kind : kAllKinds)
            db.execute("DELETE FROM " + kindInfo(kind).table + kByItem, {target.code, target.item});
    }
    int written = 0;
    for (Kind kind : {Kind::Material, Kind::Equipment, Kind::Labour}) {
        const PriceTable& own = prices[kindIndex(kind)];
        for (const SourceLine& line : analysis.lines[kindIndex(kind)]) {
            const QString key = keyOf(kind, line.description, line.second);
            const double total =
                writeLine(db, kind, target, line, line.quantity, own.value(key, line.price), true);
            ++written;
            if (kind != Kind::Material)
                continue;
            // The transport line of the material follows its quantity.
            const double transportPrice =
                prices[kindIndex(Kind::Transport)].value(key, analysis.transportPrices.value(key, 0.0));
            writeLine(db, Kind::Transport, target, line, total, transportPrice, false);
            ++written;
        }
    }
    return written;
}

AnalysisCopyOutcome refused(const QString& message) {
    AnalysisCopyOutcome outcome;
    outcome.message = message;
    return outcome;
}

} // namespace

int AnalysisCopyOutcome::lines() const {
    return std::accumulate(targets.begin(), targets.end(), 0,
                           [](int sum, const CopiedAnalysis& copy) { return sum + copy.lines; });
}

AnalysisCopyOutcome copyAnalysis(store::Database& target, store::Database& source, const ItemRef& from,
                                 const std::vector<ItemRef>& to, CopyMode mode) {
    if (to.empty())
        return refused(QStringLiteral("No hay rubros de destino para copiar el análisis"));
    try {
        if (!loadBudgetItem(source, from.code, from.item))
            return refused(missingItemMessage(from.code, from.item) + QStringLiteral(" de origen"));
        std::vector<BudgetItem> targets;
        QSet<QString> seen;
        for (const ItemRef& ref : to) {
            const std::optional<BudgetItem> item = loadBudgetItem(target, ref.code, ref.item);
            if (!item)
                return refused(missingItemMessage(ref.code, ref.item));
            const QString key = store::text::foldKey(item->code) + '\n' + store::text::foldKey(item->item);
            if (!seen.contains(key)) {
                seen.insert(key);
                targets.push_back(*item);
            }
        }
        // Everything is read before the first write: the source may be one of the targets.
        const SourceAnalysis analysis = readSource(source, from);
        const ProjectPrices prices = projectPricesOf(target, analysis);

        AnalysisCopyOutcome outcome;
        store::Transaction transaction(target);
        for (const BudgetItem& item : targets)
            outcome.targets.push_back(
                {{item.code, item.item}, copyInto(target, item, analysis, prices, mode)});
        transaction.commit();
        outcome.ok = true;
        return outcome;
    } catch (const store::StoreError& error) {
        return refused(QStringLiteral("No se pudo copiar el análisis: %1\nNingún rubro ha cambiado.")
                           .arg(error.message()));
    } catch (const std::exception& error) {
        return refused(QStringLiteral("No se pudo copiar el análisis: %1\nNingún rubro ha cambiado.")
                           .arg(QString::fromLocal8Bit(error.what())));
    }
}

std::vector<BudgetItem> loadBudgetItems(store::Database& db) {
    std::vector<BudgetItem> items;
    for (store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto"); !rs.eof(); rs.moveNext())
        items.push_back(
            {rs.text("CodigoPres"), rs.text("ItemPres"), rs.text("DescripcionPres"), rs.text("UnidadPres")});
    return items;
}

QString copyAnalysisSummary(const AnalysisCopyOutcome& outcome) {
    return QStringLiteral("Análisis copiado en %1 rubro(s), %2 línea(s)")
        .arg(outcome.items())
        .arg(outcome.lines());
}

} // namespace korvex::analysis
