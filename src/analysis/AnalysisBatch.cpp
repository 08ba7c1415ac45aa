#include "analysis/AnalysisBatch.h"

#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>

namespace korvex::analysis {

namespace {

// Codes are compared as the store compares them, letter case aside.
QString itemKey(const QString& code, const QString& item) {
    return store::text::foldKey(code) + QChar(0x1f) + store::text::foldKey(item);
}

using LinesByItem = QHash<QString, QList<QStringList>>;

// Every line of the kind, grouped by item, each item's lines in the order the editor loads them.
LinesByItem linesOf(store::Database& db, Kind kind) {
    const KindSpec& s = kindInfo(kind);
    LinesByItem lines;
    store::RecordSet rs =
        db.openRecordSet("SELECT * FROM " + s.table + " ORDER BY CodigoPres, ItemPres, " + s.descField);
    for (; !rs.eof(); rs.moveNext())
        lines[itemKey(rs.text("CodigoPres"), rs.text("ItemPres"))].append(loadedLineCells(rs, kind));
    return lines;
}

QList<ResourceRef> resourcesOf(Kind kind, const LinesByItem& lines) {
    const KindSpec& s = kindInfo(kind);
    QList<ResourceRef> refs;
    for (const QList<QStringList>& item : lines) {
        for (const QStringList& cells : item) {
            if (!cells[0].isEmpty())
                refs.append({cells[0], s.hasSecond() ? cells[s.secondCol] : QString()});
        }
    }
    return refs;
}

} // namespace

void priceItems(store::Database& db, const QList<std::pair<QString, QString>>& items,
                const std::function<void(const PricedAnalysis&)>& priced) {
    const ProjectHeader header = loadProjectHeader(db);
    QHash<QString, BudgetItem> budgetItems;
    for (store::RecordSet rs = db.openRecordSet("SELECT * FROM Presupuesto"); !rs.eof(); rs.moveNext()) {
        const QString key = itemKey(rs.text("CodigoPres"), rs.text("ItemPres"));
        if (!budgetItems.contains(key)) // the first record, as a query by code and item finds it
            budgetItems.insert(key, BudgetItem{rs.text("CodigoPres"), rs.text("ItemPres"),
                                               rs.text("DescripcionPres"), rs.text("UnidadPres")});
    }
    std::array<LinesByItem, 4> lines;
    ProjectPrices prices;
    for (Kind kind : kAllKinds) {
        lines[kindIndex(kind)] = linesOf(db, kind);
        prices[kindIndex(kind)] = lookupProjectPrices(db, kind, resourcesOf(kind, lines[kindIndex(kind)]));
    }
    for (const auto& [code, number] : items) {
        const QString key = itemKey(code, number);
        const auto item = budgetItems.constFind(key);
        if (item == budgetItems.constEnd())
            continue;
        PricedAnalysis analysis;
        analysis.item = *item;
        analysis.header = header;
        for (Kind kind : kAllKinds) {
            for (const QStringList& cells : lines[kindIndex(kind)].value(key))
                appendLoadedLine(analysis.sheet, kind, cells);
        }
        analysis.sheet.setModified(false);
        analysis.totals = computeAnalysis(analysis.sheet, prices, header);
        priced(analysis);
    }
}

} // namespace korvex::analysis
