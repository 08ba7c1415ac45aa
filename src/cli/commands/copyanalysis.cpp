// Batch command copy-analysis: one item's analysis, from this project or another one, replacing
// or added to the analyses of other items of the project.
#include "analysis/AnalysisCopy.h"
#include "analysis/AnalysisLoading.h"
#include "cli/CommandTable.h"
#include "engine/Engine.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

namespace korvex {

namespace {

const QString kUsage =
    QStringLiteral("copy-analysis PROJECT SOURCE-PROJECT CODE:ITEM TARGET-CODE:TARGET-ITEM... "
                   "[--append]");

int refuse(cli::CommandContext& context, const QString& message) {
    context.err << message << "\n";
    context.err.flush();
    return cli::kRefused;
}

// A code may hold a colon, item numbers such as "1.01" do not: every colon is tried from the left
// and the first split that names an item of db wins, else the first split. false without a split.
bool itemArgument(store::Database& db, const QString& argument, analysis::ItemRef& ref) {
    bool split = false;
    for (qsizetype colon = argument.indexOf(':'); colon > 0; colon = argument.indexOf(':', colon + 1)) {
        const analysis::ItemRef candidate{argument.left(colon), argument.mid(colon + 1)};
        if (!split)
            ref = candidate;
        split = true;
        if (analysis::loadBudgetItem(db, candidate.code, candidate.item)) {
            ref = candidate;
            return true;
        }
    }
    return split;
}

int copyAnalysis(cli::CommandContext& context) {
    QStringList args = context.args;
    const bool append = args.removeAll("--append") > 0;
    if (args.size() < 4)
        return cli::usage(context, kUsage);

    const QString folder = context.projectFolder(args[0]);
    const QString sourceFolder = context.projectFolder(args[1]);
    const store::FolderResult project = store::checkOpenProject(folder, context.root);
    if (!project.ok)
        return refuse(context, project.message);
    const bool sameProject = store::samePath(project.path, sourceFolder);
    if (!sameProject) {
        const store::FolderResult source = store::checkOpenProject(sourceFolder, context.root);
        if (!source.ok)
            return refuse(context, source.message);
    }

    store::Database target = store::Database::openProject(project.path);
    store::Database other;
    if (!sameProject)
        other = store::Database::openProject(sourceFolder);
    store::Database& source = sameProject ? target : other;

    analysis::ItemRef from;
    if (!itemArgument(source, args[2], from))
        return cli::usage(context, kUsage);
    std::vector<analysis::ItemRef> to;
    for (const QString& argument : args.mid(3)) {
        analysis::ItemRef ref;
        if (!itemArgument(target, argument, ref))
            return cli::usage(context, kUsage);
        to.push_back(ref);
    }

    if (!context.lockForWriting(project.path))
        return cli::kRefused;
    const analysis::AnalysisCopyOutcome outcome = analysis::copyAnalysis(
        target, source, from, to, append ? analysis::CopyMode::Append : analysis::CopyMode::Replace);
    if (!outcome.ok)
        return refuse(context, outcome.message);
    for (const analysis::CopiedAnalysis& copy : outcome.targets)
        context.out << copy.target.code << ' ' << copy.target.item << ": " << copy.lines << " líneas\n";

    // The stored unit prices follow the new lines, as after any change of an analysis.
    const engine::ResultadoRecalculo recalculated = engine::RecalcularPresupuesto(project.path);
    if (!recalculated.ok)
        context.err << "Los precios unitarios no se recalcularon: " << recalculated.message << "\n";
    return cli::kOk;
}

} // namespace

void commands_copyanalysis(cli::CommandTable& table) {
    table.add("copy-analysis", kUsage,
              "Copia el análisis de un rubro, de este u otro proyecto, a uno o más rubros del proyecto",
              copyAnalysis);
}

} // namespace korvex
