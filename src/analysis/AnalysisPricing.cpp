#include "analysis/AnalysisPricing.h"

#include "engine/Numbers.h"
#include "store/Database.h"

#include <QSet>

namespace korvex::analysis {

using engine::FormatoMoneda;
using engine::Redondear;

// ---- Project prices ---------------------------------------------------------------------------

namespace {

// SQLite of this vintage takes at most 999 bound values per statement.
constexpr int kKeysPerQuery = 400;

QString placeholders(int count) {
    QStringList marks;
    marks.reserve(count);
    for (int i = 0; i < count; ++i)
        marks.append(QStringLiteral("?"));
    return marks.join(QStringLiteral(", "));
}

} // namespace

PriceTable lookupProjectPrices(store::Database& db, Kind kind, const QList<ResourceRef>& resources) {
    const KindSpec& s = kindInfo(kind);
    QSet<QString> wanted;
    QStringList descriptions;
    QSet<QString> seenDescriptions;
    for (const ResourceRef& r : resources) {
        wanted.insert(resourceKey(r.description, s.hasSecond() ? r.second : QString()));
        const QString folded = r.description.toCaseFolded();
        if (!seenDescriptions.contains(folded)) {
            seenDescriptions.insert(folded);
            descriptions.append(r.description);
        }
    }

    PriceTable prices;
    const QString fields = s.hasSecond() ? s.descField + ", " + s.secondField + ", " + s.priceField
                                         : s.descField + ", " + s.priceField;
    for (int start = 0; start < descriptions.size(); start += kKeysPerQuery) {
        const QStringList chunk = descriptions.mid(start, kKeysPerQuery);
        QVariantList params;
        for (const QString& d : chunk)
            params.append(d);
        // Records come in stored order; the first one of each resource is its project price.
        store::RecordSet rs = db.openRecordSet("SELECT " + fields + " FROM " + s.table + " WHERE " +
                                                   s.descField + " IN (" + placeholders(chunk.size()) + ")",
                                               params);
        for (; !rs.eof(); rs.moveNext()) {
            const QString key =
                resourceKey(rs.text(s.descField), s.hasSecond() ? rs.text(s.secondField) : QString());
            if (wanted.contains(key) && !prices.contains(key))
                prices.insert(key, rs.number(s.priceField));
        }
    }
    return prices;
}

QList<ResourceRef> resourcesOf(const LineTable& lines) {
    QList<ResourceRef> refs;
    for (int row = 1; row <= lines.lastUsedRow(); ++row) {
        if (!lines.description(row).isEmpty())
            refs.append({lines.description(row), lines.second(row)});
    }
    return refs;
}

ProjectPrices lookupProjectPrices(store::Database& db, const AnalysisSheet& sheet) {
    ProjectPrices prices;
    for (Kind kind : kAllKinds)
        prices[kindIndex(kind)] = lookupProjectPrices(db, kind, resourcesOf(sheet.lines(kind)));
    return prices;
}

// ---- The editor's calculation -----------------------------------------------------------------

namespace {

// A number cell as the editor reads it back; an empty cell becomes "0.00" and counts as 0.
double readOrZeroCell(LineTable& lines, int row, int col) {
    const QString text = lines.cell(row, col);
    if (text.isEmpty()) {
        lines.setCell(row, col, QStringLiteral("0.00"));
        return 0;
    }
    return engine::ConvertirNumeroOCero(text);
}

double priceKind(LineTable& lines, const PriceTable& prices, int& pricedLines) {
    const KindSpec& s = lines.layout();
    double subtotal = 0;
    for (int row = 1; row <= lines.lastUsedRow(); ++row) {
        const QString description = lines.description(row);
        if (description.isEmpty())
            continue;
        const auto found = prices.constFind(resourceKey(description, lines.second(row)));
        if (found == prices.constEnd())
            continue;
        const double price = *found;
        const double amount = Redondear(readOrZeroCell(lines, row, s.quantityCol) * price, 2);
        lines.setCell(row, s.priceCol, FormatoMoneda(price));
        lines.setCell(row, s.amountCol, FormatoMoneda(amount));
        if (s.hasYield()) {
            const double cost = readOrZeroCell(lines, row, s.yieldCol) * amount;
            lines.setCell(row, s.costCol, FormatoMoneda(cost));
            subtotal += cost;
        } else {
            subtotal += amount;
        }
        ++pricedLines;
    }
    return subtotal;
}

// The amounts are added as the labels show them.
double shown(double value) {
    return engine::ConvertirNumeroOCero(FormatoMoneda(value));
}

} // namespace

AnalysisTotals computeAnalysis(AnalysisSheet& sheet, const ProjectPrices& prices,
                               const ProjectHeader& header) {
    AnalysisTotals totals;
    std::array<double, 4> raw{};
    for (Kind kind : kAllKinds)
        raw[kindIndex(kind)] = priceKind(sheet.lines(kind), prices[kindIndex(kind)], totals.pricedLines);

    totals.withTools = header.exists && header.herramienta;
    const double tools = totals.withTools ? raw[kindIndex(Kind::Labour)] * 0.05 : 0.0;

    double direct = 0;
    for (Kind kind : kAllKinds) {
        totals.subtotals[kindIndex(kind)] = Redondear(raw[kindIndex(kind)], 2);
        direct += totals.subtotals[kindIndex(kind)];
    }
    totals.tools = Redondear(tools, 2);
    direct += totals.tools;
    totals.direct = shown(direct);

    if (header.exists) {
        totals.indirect = Redondear(totals.direct * header.costosIndirectos / 100, 2);
        totals.otherIndirect = Redondear(totals.direct * header.otrosIndirectos / 100, 2);
    }
    totals.unitPrice = Redondear(totals.direct + shown(totals.indirect) + shown(totals.otherIndirect), 2);
    return totals;
}

QString indirectCaption(const ProjectHeader& header) {
    if (!header.exists || header.costosIndirectos == 0)
        return QStringLiteral("COSTOS INDIRECTOS");
    return QStringLiteral("COSTOS INDIRECTOS    ") + QString::number(header.costosIndirectos, 'g', 15) +
           QStringLiteral(" %");
}

} // namespace korvex::analysis
