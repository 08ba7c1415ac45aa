#pragma once
// An item's analysis as plain text, as the editor shows it after a calculation: for the batch
// command and for anyone who wants the sheet without a window.

#include "analysis/AnalysisLoading.h"
#include "analysis/AnalysisPricing.h"
#include "analysis/AnalysisSheet.h"

#include <QString>

namespace korvex::store {
class Database;
}

namespace korvex::analysis {

// The header lines, one tab-separated block per kind (column headers, every line with its typed
// and priced cells, the kind's subtotal), then the allowance, direct cost, indirect costs, other
// indirect costs and unit price under the editor's captions.
QString analysisText(const BudgetItem& item, const ProjectHeader& header, const AnalysisSheet& sheet,
                     const AnalysisTotals& totals);

// A loaded, priced analysis of one item.
struct PricedAnalysis {
    BudgetItem item;
    ProjectHeader header;
    AnalysisSheet sheet;
    AnalysisTotals totals;
};
// Loads the item and computes it as F5 does; nullopt when the item does not exist.
// Throws store::StoreError.
std::optional<PricedAnalysis> priceItem(store::Database& db, const QString& code, const QString& itemNumber);

} // namespace korvex::analysis
