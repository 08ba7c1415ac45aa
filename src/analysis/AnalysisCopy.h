#pragma once
// Copying one item's analysis onto other items of the project: the source item may be in this
// project or in another project folder. Each target either has its lines replaced by the source's
// or gets them added; a source line whose resource the target already has adds its quantity to
// that line instead of repeating the resource. Every line written is priced at this project's
// price of its resource (the first line of the project with it, looked up before anything is
// written) and, for a resource new to the project, at the price it has in the source. Transport
// follows the materials as the analysis editor keeps it: each material line written has a
// transport line of the same resource with the same quantity. All targets in one transaction.

#include "analysis/AnalysisLoading.h"

#include <QString>
#include <vector>

namespace korvex::store {
class Database;
}

namespace korvex::analysis {

struct ItemRef {
    QString code; // CodigoPres
    QString item; // ItemPres
};

enum class CopyMode { Replace, Append };

struct CopiedAnalysis {
    ItemRef target;
    int lines = 0; // lines written into the target, transport included
};

struct AnalysisCopyOutcome {
    bool ok = false;
    QString message; // on failure: what failed; nothing was written
    std::vector<CopiedAnalysis> targets;
    int items() const { return static_cast<int>(targets.size()); }
    int lines() const;
};

// source may be target itself (a copy within the project). A target named twice is copied once.
// A missing source or target item refuses the whole copy. Never throws.
AnalysisCopyOutcome copyAnalysis(store::Database& target, store::Database& source, const ItemRef& from,
                                 const std::vector<ItemRef>& to, CopyMode mode);

// Every budget item of a project in stored order, for choosing source and targets. Throws
// store::StoreError.
std::vector<BudgetItem> loadBudgetItems(store::Database& db);

// "Análisis copiado en 2 rubro(s), 14 línea(s)": the status line after a copy.
QString copyAnalysisSummary(const AnalysisCopyOutcome& outcome);

} // namespace korvex::analysis
