// korvex formula PROJECT [--symbols]: the polynomial formula as its window computes it, without
// saving, or the rows of the symbols window. korvex crew PROJECT: the typical crew.
#include "formula/Formula.h"

#include "cli/CommandTable.h"
#include "formula/Crew.h"
#include "formula/ProjectTotals.h"
#include "formula/Symbols.h"
#include "store/Database.h"

namespace korvex {

namespace {

const char* const kFormulaUsage = "formula PROJECT [--symbols]";
const char* const kCrewUsage = "crew PROJECT";

void printLine(QTextStream& out, const QStringList& fields) {
    out << fields.join('\t') << '\n';
}

int printSymbols(cli::CommandContext& context, const QString& folder) {
    const formula::ProjectTotals totals = formula::loadProjectTotals(folder);
    store::Database db = store::Database::openProject(folder);
    for (const formula::SymbolRow& row : formula::loadSymbolRows(db, totals))
        printLine(context.out, {row.simbolo, row.descripcion, row.unidad, formula::percentageText(row)});
    return cli::kOk;
}

int printFormula(cli::CommandContext& context, const QString& folder) {
    const double directCost = formula::loadProjectTotals(folder).costoDirecto;
    store::Database db = store::Database::openProject(folder);
    const formula::FormulaSheet sheet = formula::computeFormula(db, directCost);
    if (!sheet.excedentes.isEmpty()) {
        context.err << formula::tooManySymbolsMessage(sheet.excedentes) << '\n';
        context.err.flush();
    }
    for (const formula::FormulaRow& row : sheet.rows) {
        printLine(context.out, {row.simbolo, row.descripcion, formula::costText(row.costo),
                                formula::coefficientText(row.coeficiente)});
    }
    printLine(context.out, {"Total", formula::costText(sheet.totalCosto),
                            formula::coefficientTotalText(sheet.totalCoeficiente)});
    if (!sheet.sumaEsUno()) {
        context.err << formula::kSumaNoEsUno << '\n';
        context.err.flush();
    }
    return cli::kOk;
}

int runFormula(cli::CommandContext& context) {
    QStringList args = context.args;
    const bool symbols = args.removeAll("--symbols") > 0;
    if (args.size() != 1 || args.first().startsWith("--"))
        return cli::usage(context, kFormulaUsage);
    const QString folder = context.openableProject(args.first());
    if (folder.isEmpty())
        return cli::kRefused;
    return symbols ? printSymbols(context, folder) : printFormula(context, folder);
}

int runCrew(cli::CommandContext& context) {
    if (context.args.size() != 1 || context.args.first().startsWith("--"))
        return cli::usage(context, kCrewUsage);
    const QString folder = context.openableProject(context.args.first());
    if (folder.isEmpty())
        return cli::kRefused;
    const formula::ProjectTotals totals = formula::loadProjectTotals(folder);
    store::Database db = store::Database::openProject(folder);
    const formula::CrewSheet sheet = formula::computeCrew(db, totals);
    for (const formula::CrewRow& row : sheet.rows) {
        printLine(context.out, {row.descripcion, row.categoria, formula::crewCostText(row.costo),
                                formula::crewCoefficientText(row.coeficiente)});
    }
    printLine(context.out, {"Total", formula::crewCostText(sheet.totalCosto),
                            formula::crewCoefficientText(sheet.totalCoeficiente)});
    if (!sheet.sumaEsUno()) {
        context.err << formula::kSumaNoEsUno << '\n';
        context.err.flush();
    }
    return cli::kOk;
}

} // namespace

void commands_formula(cli::CommandTable& table) {
    table.add("formula", kFormulaUsage, "Muestra la fórmula polinómica de reajuste de precios", runFormula);
    table.add("crew", kCrewUsage, "Muestra la cuadrilla tipo con sus categorías y coeficientes", runCrew);
}

} // namespace korvex
