#include "analysis/AnalysisText.h"

#include "analysis/AnalysisCaptions.h"
#include "engine/Numbers.h"
#include "store/Database.h"

namespace korvex::analysis {

namespace {

void appendKind(QStringList& out, Kind kind, const LineTable& lines, const AnalysisTotals& totals) {
    const KindSpec& s = kindInfo(kind);
    out.append(s.headers.join('\t'));
    for (int row = 1; row <= lines.lastUsedRow(); ++row) {
        QStringList cells;
        for (int col = 0; col < s.columns; ++col)
            cells.append(lines.cell(row, col));
        out.append(cells.join('\t'));
    }
    out.append(s.subtotalLabel + '\t' + engine::FormatoMoneda(totals.subtotal(kind)));
    out.append(QString());
}

} // namespace

QString analysisText(const BudgetItem& item, const ProjectHeader& header, const AnalysisSheet& sheet,
                     const AnalysisTotals& totals) {
    using engine::FormatoMoneda;
    QStringList out;
    out.append(QString(kCaptionProyecto) + '\t' + header.name);
    out.append(QString(kCaptionRubro) + '\t' + item.description);
    out.append(QString(kCaptionCodigo) + '\t' + item.code);
    out.append(QString(kCaptionUnidad) + '\t' + item.unit);
    out.append(QString());
    for (Kind kind : kAllKinds)
        appendKind(out, kind, sheet.lines(kind), totals);
    out.append(QString(kCaptionHerramientas) + '\t' + FormatoMoneda(totals.tools));
    out.append(QString(kCaptionDirectos) + '\t' + FormatoMoneda(totals.direct));
    out.append(indirectCaption(header) + '\t' + engine::FormatoPrecio(totals.indirect));
    out.append(QString(kCaptionOtrosIndirectos) + '\t' + engine::FormatoPrecio(totals.otherIndirect));
    out.append(QString(kCaptionPrecioUnitario) + '\t' + FormatoMoneda(totals.unitPrice));
    if (const QString note = repricedStatus(totals); !note.isEmpty())
        out.append(note);
    return out.join('\n') + '\n';
}

std::optional<PricedAnalysis> priceItem(store::Database& db, const QString& code, const QString& itemNumber) {
    const std::optional<BudgetItem> item = loadBudgetItem(db, code, itemNumber);
    if (!item)
        return std::nullopt;
    PricedAnalysis priced;
    priced.item = *item;
    priced.header = loadProjectHeader(db);
    loadAnalysisLines(db, code, itemNumber, priced.sheet);
    priced.totals = computeAnalysis(priced.sheet, lookupProjectPrices(db, priced.sheet), priced.header);
    return priced;
}

} // namespace korvex::analysis
