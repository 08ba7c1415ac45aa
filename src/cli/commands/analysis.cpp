// Batch command of the analysis editor: an item's analysis as the editor shows it after F5.

#include "analysis/AnalysisText.h"
#include "cli/CommandTable.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

namespace korvex {

namespace {

int showAnalysis(cli::CommandContext& context) {
    if (context.args.size() != 3)
        return cli::usage(context, "analysis PROJECT CODE ITEM");
    const QString folder = context.projectFolder(context.args[0]);
    if (!store::isProjectFolder(folder)) {
        context.err << "La Carpeta seleccionada NO contiene ningun proyecto: " << folder << "\n";
        return cli::kRefused;
    }
    store::Database db = store::Database::openProject(folder);
    const auto priced = analysis::priceItem(db, context.args[1], context.args[2]);
    if (!priced) {
        context.err << analysis::missingItemMessage(context.args[1], context.args[2]) << "\n";
        return cli::kRefused;
    }
    context.out << analysis::analysisText(priced->item, priced->header, priced->sheet, priced->totals);
    return cli::kOk;
}

} // namespace

void commands_analysis(cli::CommandTable& table) {
    table.add("analysis", "analysis PROJECT CODE ITEM", "Muestra el análisis de precio unitario de un rubro",
              showAnalysis);
}

} // namespace korvex
