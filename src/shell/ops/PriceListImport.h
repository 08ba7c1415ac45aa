#pragma once
// Repricing a project from a supplier's price list: each row of the list is matched to the
// project's resources of its kind by the resource key (description, plus unit for materials and
// transport or category for labour; letter case ignored, as the store compares), and the new
// price goes into every line with that key through the price window's own saving (F9), in one
// transaction: all of it or nothing.

#include "engine/Engine.h"
#include "exchange/PriceListReading.h"
#include "exchange/Table.h"
#include "lists/PriceList.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace korvex::shell {

struct PriceImportOptions {
    QString sheet;                                 // of a workbook; the first when empty
    std::optional<engine::TipoRecurso> kind;       // rows without a "tipo" of their own
    std::optional<exchange::PriceColumns> columns; // instead of the column titles
    bool dryRun = false;
};

struct PriceUpdate {
    engine::TipoRecurso kind = engine::TipoRecurso::Material;
    QString description; // as the project has it
    QString second;      // unit or category; "" for equipment
    QString oldPrice;    // as the price window shows it
    QString newPrice;
    int row = 0; // of the list
};

struct UnmatchedRow {
    int row = 0;
    QString description;
};

struct UnpricedResource {
    engine::TipoRecurso kind = engine::TipoRecurso::Material;
    QString description;
    QString second;
};

struct PriceImportPlan {
    std::vector<PriceUpdate> updates; // one per project resource row priced, in list order
    std::vector<UnmatchedRow> unmatched;
    std::vector<UnpricedResource> unpriced; // resources of the kinds the list prices that it left out
    int withoutPrice = 0;                   // rows skipped: section titles, rows without a price
    int repeated = 0;                       // rows whose resource a later row priced again
    lists::PriceLists changed = lists::emptyPriceLists(); // the priced rows only, with their new prices
};

// The project's resources of each kind (TotalesRecursos), in the order of lists::kListKinds.
using ProjectResources = std::array<std::vector<engine::TotalRecurso>, 4>;

// Matches the list's rows to the resources. A later row for the same resource replaces an earlier
// one. A material price never touches transport lines (and the other way round).
PriceImportPlan planPriceImport(const exchange::PriceListReading& reading, const ProjectResources& resources);

struct PriceImportOutcome : engine::Resultado {
    PriceImportPlan plan;
    bool applied = false; // prices were written (not a dry run, and the save succeeded)
    int linesChanged = 0;
};

// Reads the list from the table, matches and, unless a dry run, saves. Refusals (a list without
// titles or columns, a price that is not a number) and save failures change nothing.
PriceImportOutcome importPriceList(const QString& projectFolder, const exchange::Table& table,
                                   const PriceImportOptions& options);
// The same from a .xlsx or .csv file.
PriceImportOutcome importPriceListFile(const QString& projectFolder, const QString& path,
                                       const PriceImportOptions& options);

// The report: "Actualizado" lines (kind, description, unit or category, old price, new price),
// "Sin coincidencia" lines (row, description), then the summary and the project resources the
// list did not price; tab-separated.
QString priceImportReport(const PriceImportOutcome& outcome, bool dryRun);

} // namespace korvex::shell
