// Batch commands of the FIEBDC-3 exchange: import-bc3 and export-bc3.

#include "cli/CommandTable.h"
#include "exchange/Bc3Export.h"
#include "exchange/Bc3Import.h"
#include "store/ProjectFolders.h"

namespace korvex {

namespace {

int refuse(cli::CommandContext& context, const QString& message) {
    context.err << message << "\n";
    context.err.flush();
    return cli::kRefused;
}

int importBc3(cli::CommandContext& context) {
    static const QString usageLine = QStringLiteral("import-bc3 PROJECT FILE.bc3 [--replace]");
    QStringList args = context.args;
    const bool replace = args.removeAll(QStringLiteral("--replace")) > 0;
    if (args.size() != 2 || args[0].startsWith(QLatin1String("--")) ||
        args[1].startsWith(QLatin1String("--")))
        return cli::usage(context, usageLine);
    const QString folder = context.projectFolder(args[0]);
    if (!store::isProjectFolder(folder))
        return refuse(context, QStringLiteral("La Carpeta Seleccionada no contiene ningun Proyecto"));
    if (!context.lockForWriting(folder))
        return cli::kRefused;
    const exchange::ResultadoImportacionBC3 result = exchange::ImportarArchivoBC3(folder, args[1], replace);
    if (!result.ok) {
        if (result.message == QLatin1String(exchange::kProyectoConRubros))
            return refuse(context, result.message + QStringLiteral(": use --replace para reemplazarlos"));
        return refuse(context, result.message);
    }
    for (const QString& line : result.informe())
        context.out << line << '\n';
    return cli::kOk;
}

int exportBc3(cli::CommandContext& context) {
    if (context.args.size() != 2)
        return cli::usage(context, QStringLiteral("export-bc3 PROJECT FILE.bc3"));
    const QString folder = context.projectFolder(context.args[0]);
    if (!store::isProjectFolder(folder))
        return refuse(context, QStringLiteral("La Carpeta Seleccionada no contiene ningun Proyecto"));
    const exchange::ResultadoExportacionBC3 result = exchange::ExportarBC3(folder, context.args[1]);
    if (!result.ok)
        return refuse(context, result.message);
    context.out << "Rubros exportados: " << result.items << "\nCapitulos: " << result.grupos
                << "\nRecursos: " << result.recursos << '\n';
    return cli::kOk;
}

} // namespace

void commands_bc3(cli::CommandTable& table) {
    table.add("import-bc3", "import-bc3 PROJECT FILE.bc3 [--replace]",
              "Importa al proyecto el presupuesto de un archivo BC3 (FIEBDC-3)", importBc3);
    table.add("export-bc3", "export-bc3 PROJECT FILE.bc3",
              "Exporta el presupuesto del proyecto a un archivo BC3 (FIEBDC-3)", exportBc3);
}

} // namespace korvex
