#pragma once
// Many items priced as priceItem prices one (the editor's F5), from one ordered scan per kind and
// one project-price lookup per kind instead of several queries per item: what a whole-project
// export needs on a budget of thousands of items.

#include "analysis/AnalysisText.h"

#include <QList>
#include <QString>
#include <functional>
#include <utility>

namespace korvex::store {
class Database;
}

namespace korvex::analysis {

// Calls priced once per item of the list that exists, in the list's order, with the same figures
// priceItem gives for it. Throws store::StoreError.
void priceItems(store::Database& db, const QList<std::pair<QString, QString>>& items,
                const std::function<void(const PricedAnalysis&)>& priced);

} // namespace korvex::analysis
