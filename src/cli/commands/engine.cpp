// Batch commands of the cost engine: recalc, totals, import-prices, demo.

#include "engine/Engine.h"

#include "cli/CommandTable.h"
#include "engine/Demo.h"
#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

namespace korvex {

namespace {

// Money in batch output: two decimals, "." as the point, no grouping, whatever the locale.
QString money(double value) {
    return engine::formatNumber(value, engine::kFormatoSimple);
}

int refuse(cli::CommandContext& context, const QString& message) {
    context.err << message << "\n";
    context.err.flush();
    return cli::kRefused;
}

int recalc(cli::CommandContext& context) {
    if (context.args.size() != 1)
        return cli::usage(context, "recalc PROJECT");
    const QString folder = context.projectFolder(context.args[0]);
    const engine::ResultadoRecalculo result = engine::RecalcularPresupuesto(folder);
    if (!result.ok)
        return refuse(context, result.message);
    auto db = store::Database::openProject(folder);
    auto items = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    if (items.recordCount() > 0)
        items.moveFirst();
    for (; !items.eof(); items.moveNext())
        context.out << items.text("CodigoPres") << '\t' << items.text("ItemPres") << '\t'
                    << items.text("DescripcionPres") << '\t' << money(items.number("TotalPres")) << '\n';
    return cli::kOk;
}

int totals(cli::CommandContext& context) {
    if (context.args.size() != 1)
        return cli::usage(context, "totals PROJECT");
    const QString folder = context.projectFolder(context.args[0]);
    if (!store::isProjectFolder(folder))
        return refuse(context, engine::kCarpetaSinProyecto);
    context.out << "TotalCostoDirecto\t" << money(engine::TotalCostoDirecto(folder)) << '\n'
                << "TotalEquipoProyecto\t" << money(engine::TotalEquipoProyecto(folder)) << '\n'
                << "TotalManoObraProyecto\t" << money(engine::TotalManoObraProyecto(folder)) << '\n'
                << "TotalTransporteProyecto\t" << money(engine::TotalTransporteProyecto(folder)) << '\n';
    return cli::kOk;
}

int importPrices(cli::CommandContext& context) {
    if (context.args.size() != 2)
        return cli::usage(context, "import-prices PROJECT SOURCE");
    const QString folder = context.projectFolder(context.args[0]);
    const QString source = context.projectFolder(context.args[1]);
    // The root folder holds the template database, which is not a project to take prices from.
    if (store::samePath(source, context.root))
        return refuse(context, engine::kCarpetaSinProyecto);
    if (store::isProjectFolder(folder) && !context.lockForWriting(folder))
        return cli::kRefused;
    const engine::ResultadoImportacion result = engine::ImportarPrecios(folder, source);
    if (!result.ok)
        return refuse(context, result.message);
    context.out << "Líneas con precio del proyecto de origen: " << result.lineas() << " (materiales "
                << result.materiales << ", equipo " << result.equipo << ", mano de obra " << result.manoObra
                << ", transporte " << result.transporte << ")\n";
    return cli::kOk;
}

int demo(cli::CommandContext& context) {
    static const QString usageLine = "demo [NAME] [--items N]";
    QString name = engine::kNombreEjemplo;
    int items = 0;
    bool named = false;
    for (qsizetype i = 0; i < context.args.size(); ++i) {
        const QString& arg = context.args[i];
        if (arg == "--items") {
            bool ok = false;
            items = i + 1 < context.args.size() ? context.args[++i].toInt(&ok) : 0;
            if (!ok || items <= 0 || items > 1000000)
                return cli::usage(context, usageLine);
        } else if (!named && !arg.startsWith("--")) {
            name = arg;
            named = true;
        } else {
            return cli::usage(context, usageLine);
        }
    }
    const engine::ResultadoDemo result = engine::CrearProyectoEjemplo(context.root, name, items);
    if (!result.ok)
        return refuse(context, result.message);
    context.out << result.folder << '\t' << engine::Contar(result.items, "rubro", "rubros") << '\t'
                << engine::Contar(result.lineas, "línea", "líneas") << '\n';
    return cli::kOk;
}

} // namespace

void commands_engine(cli::CommandTable& table) {
    table.add("recalc", "recalc PROJECT", "Recalcula y muestra el precio unitario de cada rubro", recalc);
    table.add("totals", "totals PROJECT", "Muestra el costo directo del proyecto y sus totales por tipo",
              totals);
    table.add("import-prices", "import-prices PROJECT SOURCE",
              "Da a cada línea el precio que otro proyecto tiene para su recurso", importPrices);
    table.add("demo", "demo [NAME] [--items N]", "Crea un proyecto de ejemplo", demo);
}

} // namespace korvex
