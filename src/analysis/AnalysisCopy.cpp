#include "analysis/AnalysisCopy.h"

#include "analysis/AnalysisKinds.h"
#include "analysis/AnalysisLoading.h"
#include "analysis/AnalysisPricing.h"
#include "analysis/AnalysisSheet.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <array>
#include <exception>
#include <numeric>
#include <optional>

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

// An item's code and number as the store compares them (letter case ignored).
using PairKey = QPair<QString, QString>;

PairKey pairKey(const QString& code, const QString& item) {
    return {store::text::foldKey(code), store::text::foldKey(item)};
}

// The pair of the current record; nullopt when its code or number is Null, which no query by
// value finds.
std::optional<PairKey> pairOfRecord(const store::RecordSet& rs) {
    if (rs.isNull("CodigoPres") || rs.isNull("ItemPres"))
        return std::nullopt;
    return pairKey(rs.text("CodigoPres"), rs.text("ItemPres"));
}

// The first budget item of each code and number, from one read of the items.
QHash<PairKey, BudgetItem> budgetItemsByPair(store::Database& db) {
    QHash<PairKey, BudgetItem> items;
    store::RecordSet rs =
        db.openRecordSet("SELECT CodigoPres, ItemPres, DescripcionPres, UnidadPres FROM Presupuesto");
    for (; !rs.eof(); rs.moveNext())
        if (const auto pair = pairOfRecord(rs); pair && !items.contains(*pair))
            items.insert(*pair, {rs.text("CodigoPres"), rs.text("ItemPres"), rs.text("DescripcionPres"),
                                 rs.text("UnidadPres")});
    return items;
}

// A line of a target as the copy keeps track of it: a stored one by its row number, or one the
// copy is to add.
struct TargetLine {
    qint64 row = 0; // 0: not stored yet
    QString key;    // resource key (keyOf)
    double quantity = 0;
    const SourceLine* source = nullptr; // of a line to add
    double price = 0;
};

// The lines of each kind of every target, in stored order, from one read of each line table.
using TargetLines = QHash<PairKey, std::array<std::vector<TargetLine>, 4>>;

TargetLines readTargetLines(store::Database& db, const std::vector<BudgetItem>& targets) {
    TargetLines lines;
    for (const BudgetItem& target : targets)
        lines[pairKey(target.code, target.item)];
    for (Kind kind : kAllKinds) {
        const KindSpec& s = kindInfo(kind);
        store::RecordSet rs = db.openRecordSet("SELECT CodigoPres, ItemPres, " + s.descField +
                                               (s.hasSecond() ? ", " + s.secondField : QString()) + ", " +
                                               s.quantityField + " FROM " + s.table);
        for (; !rs.eof(); rs.moveNext()) {
            const auto pair = pairOfRecord(rs);
            const auto found = pair ? lines.find(*pair) : lines.end();
            if (found == lines.end())
                continue;
            (*found)[kindIndex(kind)].push_back(
                {rs.rowId(),
                 keyOf(kind, rs.text(s.descField), s.hasSecond() ? rs.text(s.secondField) : QString()),
                 rs.number(s.quantityField), nullptr, 0});
        }
    }
    return lines;
}

// Adds quantity to the target's line of the resource, or makes a new line; the line takes the
// given price. A stored line is written at once, a new one kept to be added with the others.
// Returns the line's quantity afterwards.
double writeLine(store::Database& db, Kind kind, std::vector<TargetLine>& lines, const SourceLine& line,
                 double quantity, double price, bool addToExisting) {
    const KindSpec& s = kindInfo(kind);
    const QString key = keyOf(kind, line.description, line.second);
    for (TargetLine& existing : lines) {
        if (existing.key != key)
            continue;
        existing.quantity = addToExisting ? existing.quantity + quantity : quantity;
        existing.price = price;
        if (existing.row)
            db.execute("UPDATE " + s.table + " SET " + s.quantityField + " = ?, " + s.priceField +
                           " = ? WHERE rowid = ?",
                       {existing.quantity, price, existing.row});
        return existing.quantity;
    }
    lines.push_back({0, key, quantity, &line, price});
    return quantity;
}

// The new lines of a target, in the order they were made.
void addNewLines(store::Database& db, Kind kind, const BudgetItem& target,
                 const std::vector<TargetLine>& lines) {
    const KindSpec& s = kindInfo(kind);
    QStringList fields{"CodigoPres", "ItemPres", s.descField};
    if (s.hasSecond())
        fields << s.secondField;
    fields << s.quantityField;
    if (s.hasYield())
        fields << s.yieldField;
    fields << s.priceField;
    QStringList marks;
    for (int i = 0; i < fields.size(); ++i)
        marks << QStringLiteral("?");
    const QString sql =
        "INSERT INTO " + s.table + " (" + fields.join(", ") + ") VALUES (" + marks.join(", ") + ")";
    for (const TargetLine& line : lines) {
        if (line.row)
            continue;
        QVariantList values{target.code, target.item, line.source->description};
        if (s.hasSecond())
            values << line.source->second;
        values << line.quantity;
        if (s.hasYield())
            values << line.source->yield;
        values << line.price;
        db.execute(sql, values);
    }
}

int copyInto(store::Database& db, const BudgetItem& target, std::array<std::vector<TargetLine>, 4>& lines,
             const SourceAnalysis& analysis, const ProjectPrices& prices, CopyMode mode) {
    if (mode == CopyMode::Replace) {
        for (Kind kind : kAllKinds) {
            db.execute("DELETE FROM " + kindInfo(kind).table + kByItem, {target.code, target.item});
            lines[kindIndex(kind)].clear();
        }
    }
    int written = 0;
    for (Kind kind : {Kind::Material, Kind::Equipment, Kind::Labour}) {
        const PriceTable& own = prices[kindIndex(kind)];
        for (const SourceLine& line : analysis.lines[kindIndex(kind)]) {
            const QString key = keyOf(kind, line.description, line.second);
            const double total = writeLine(db, kind, lines[kindIndex(kind)], line, line.quantity,
                                           own.value(key, line.price), true);
            ++written;
            if (kind != Kind::Material)
                continue;
            // The transport line of the material follows its quantity.
            const double transportPrice =
                prices[kindIndex(Kind::Transport)].value(key, analysis.transportPrices.value(key, 0.0));
            writeLine(db, Kind::Transport, lines[kindIndex(Kind::Transport)], line, total, transportPrice,
                      false);
            ++written;
        }
    }
    for (Kind kind : kAllKinds)
        addNewLines(db, kind, target, lines[kindIndex(kind)]);
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
        const QHash<PairKey, BudgetItem> budget = budgetItemsByPair(target);
        std::vector<BudgetItem> targets;
        QSet<PairKey> seen;
        for (const ItemRef& ref : to) {
            const PairKey key = pairKey(ref.code, ref.item);
            const auto item = budget.constFind(key);
            if (item == budget.constEnd())
                return refused(missingItemMessage(ref.code, ref.item));
            if (!seen.contains(key)) {
                seen.insert(key);
                targets.push_back(*item);
            }
        }
        // Everything is read before the first write: the source may be one of the targets.
        const SourceAnalysis analysis = readSource(source, from);
        const ProjectPrices prices = projectPricesOf(target, analysis);

        TargetLines lines = readTargetLines(target, targets);

        AnalysisCopyOutcome outcome;
        store::Transaction transaction(target);
        for (const BudgetItem& item : targets)
            outcome.targets.push_back(
                {{item.code, item.item},
                 copyInto(target, item, lines[pairKey(item.code, item.item)], analysis, prices, mode)});
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
