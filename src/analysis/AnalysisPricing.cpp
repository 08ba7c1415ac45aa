#include "analysis/AnalysisPricing.h"

#include "engine/Engine.h"
#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/TextCompare.h"

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
        const QString folded = store::text::foldKey(r.description);
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

// The price a line was stored with when the analysis was loaded, as the hidden copy shows it;
// empty for a line that was not in the analysis.
QString loadedPrice(const LineTable& copy, const QString& key) {
    for (int row = 1; row <= copy.lastUsedRow(); ++row) {
        if (resourceKey(copy.description(row), copy.second(row)) == key)
            return copy.cell(row, copy.layout().priceCol);
    }
    return {};
}

// Prices every line of a kind and returns its subtotal. The line amount is the one the budget
// computes (engine's Importe...), so that the subtotals are the budget's.
double priceKind(LineTable& lines, const LineTable& copy, const PriceTable& prices, AnalysisTotals& totals) {
    const KindSpec& s = lines.layout();
    double subtotal = 0;
    for (int row = 1; row <= lines.lastUsedRow(); ++row) {
        const QString description = lines.description(row);
        if (description.isEmpty())
            continue;
        const QString key = resourceKey(description, lines.second(row));
        const auto found = prices.constFind(key);
        if (found == prices.constEnd())
            continue;
        const double price = *found;
        const double quantity = readOrZeroCell(lines, row, s.quantityCol);
        const double amount = Redondear(quantity * price, 2);
        lines.setCell(row, s.priceCol, FormatoMoneda(price));
        lines.setCell(row, s.amountCol, FormatoMoneda(amount));
        double lineAmount = amount;
        if (s.hasYield()) {
            const double yield = readOrZeroCell(lines, row, s.yieldCol);
            lineAmount = s.kind == Kind::Equipment ? engine::ImporteEquipo(quantity, price, yield)
                                                   : engine::ImporteManoObra(quantity, price, yield);
            lines.setCell(row, s.costCol, FormatoMoneda(lineAmount));
        }
        subtotal += lineAmount;
        ++totals.pricedLines;
        const QString stored = loadedPrice(copy, key);
        if (!stored.isEmpty() && stored != FormatoMoneda(price))
            totals.repriced[kindIndex(s.kind)].append(row);
    }
    return subtotal;
}

} // namespace

AnalysisTotals computeAnalysis(AnalysisSheet& sheet, const ProjectPrices& prices,
                               const ProjectHeader& header) {
    AnalysisTotals totals;
    for (Kind kind : kAllKinds)
        totals.subtotals[kindIndex(kind)] =
            priceKind(sheet.lines(kind), sheet.loaded(kind), prices[kindIndex(kind)], totals);

    engine::Subtotales subtotales;
    subtotales.materiales = totals.subtotal(Kind::Material);
    subtotales.equipo = totals.subtotal(Kind::Equipment);
    subtotales.manoObra = totals.subtotal(Kind::Labour);
    subtotales.transporte = totals.subtotal(Kind::Transport);
    engine::DatosIndirectos datos;
    if (header.exists) {
        datos.costosIndirectos = header.costosIndirectos;
        datos.otrosIndirectos = header.otrosIndirectos;
        datos.herramienta = header.herramienta;
    }
    const engine::PrecioUnitario p = engine::CalcularPrecioUnitario(subtotales, datos);
    totals.withTools = datos.herramienta;
    totals.tools = p.herramienta;
    totals.direct = p.costoDirecto;
    totals.indirect = p.indirectos;
    totals.otherIndirect = p.otrosIndirectos;
    totals.unitPrice = p.precioUnitario;
    return totals;
}

int AnalysisTotals::repricedLines() const {
    int count = 0;
    for (const QList<int>& rows : repriced)
        count += static_cast<int>(rows.size());
    return count;
}

QString repricedStatus(const AnalysisTotals& totals) {
    const int count = totals.repricedLines();
    if (count == 0)
        return {};
    return QStringLiteral("%1 línea(s) a precio del proyecto distinto del grabado (marcadas): se grabarán "
                          "a ese precio")
        .arg(count);
}

QString indirectCaption(const ProjectHeader& header) {
    if (!header.exists || header.costosIndirectos == 0)
        return QStringLiteral("COSTOS INDIRECTOS");
    return QStringLiteral("COSTOS INDIRECTOS    ") + QString::number(header.costosIndirectos, 'g', 15) +
           QStringLiteral(" %");
}

} // namespace korvex::analysis
