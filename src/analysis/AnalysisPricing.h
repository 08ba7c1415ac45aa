#pragma once
// Pricing an analysis as the editor shows it (F5): every line takes the project price of its
// resource, and the subtotals, the tools allowance, the direct cost, the two indirect amounts and
// the unit price come from the cost engine's own routine, so that the editor shows, to the cent,
// the unit price the recalculation stores once the lines are saved. The editor never stores
// these figures.

#include "analysis/AnalysisKinds.h"
#include "analysis/AnalysisSheet.h"

#include <QHash>
#include <QList>
#include <QString>
#include <array>

namespace korvex::store {
class Database;
}

namespace korvex::analysis {

// What the editor reads from the first Proyecto record.
struct ProjectHeader {
    bool exists = false; // the project has a header record
    QString name;        // Proyecto
    double costosIndirectos = 0;
    double otrosIndirectos = 0;
    bool herramienta = false; // add the hand-tools allowance
};

// Project prices of one kind, by resourceKey(description, unit or category).
using PriceTable = QHash<QString, double>;
using ProjectPrices = std::array<PriceTable, 4>;

struct ResourceRef {
    QString description;
    QString second; // unit or category; "" for equipment
};

// The price of the first line of the project (in stored order) with each of the given resources,
// in one query per call; resources with no line are absent. Throws store::StoreError.
PriceTable lookupProjectPrices(store::Database& db, Kind kind, const QList<ResourceRef>& resources);
// The resources of the lines of a kind that have a description.
QList<ResourceRef> resourcesOf(const LineTable& lines);
// The project prices of every line of the sheet: one query per kind.
ProjectPrices lookupProjectPrices(store::Database& db, const AnalysisSheet& sheet);

struct AnalysisTotals {
    std::array<double, 4> subtotals{}; // by kindIndex: the line amounts added, as the budget adds them
    bool withTools = false;            // the allowance line is shown
    double tools = 0;                  // "E. Herramientas Manuales (5% Mano de Obra)"
    double direct = 0;                 // "COSTOS DIRECTOS  (A+B+C+D+E)"
    double indirect = 0;               // "COSTOS INDIRECTOS", to 3 decimals as the budget keeps it
    double otherIndirect = 0;          // "OTROS INDIRECTOS", to 3 decimals
    double unitPrice = 0;              // "PRECIO UNITARIO"
    int pricedLines = 0;
    // Rows, by kindIndex, of loaded lines whose project price differs from the price they were
    // stored with: the editor shows them at the project price, which saving will store.
    std::array<QList<int>, 4> repriced;
    double subtotal(Kind kind) const { return subtotals[kindIndex(kind)]; }
    int repricedLines() const;
};

// Writes price, amount and (equipment, labour) cost into every line whose resource has a project
// price, and returns the totals. A line without a project price keeps its cells and adds
// nothing; an empty quantity or yield of a priced line becomes "0.00".
AnalysisTotals computeAnalysis(AnalysisSheet& sheet, const ProjectPrices& prices,
                               const ProjectHeader& header);

// The status line after a calculation: how many lines are shown at a project price other than
// the one they were stored with; empty when there are none.
QString repricedStatus(const AnalysisTotals& totals);

// "COSTOS INDIRECTOS    20 %" with a percentage, "COSTOS INDIRECTOS" without.
QString indirectCaption(const ProjectHeader& header);

} // namespace korvex::analysis
