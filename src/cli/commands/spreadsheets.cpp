// korvex export-xlsx PROJECT FILE.xlsx [--sheets LIST]: the whole project as one workbook.
// korvex import-price-list PROJECT FILE [--sheet NAME] [--kind KIND] [--columns COLUMNAS] [--dry-run]:
// a supplier's price list (.xlsx or .csv) written into every line of the resources it prices.
#include "cli/CommandTable.h"
#include "lists/PriceList.h"
#include "shell/ops/PriceListImport.h"
#include "shell/ops/ProjectWorkbook.h"

#include <QDir>

namespace korvex {

namespace {

const char* const kExportUsage =
    "export-xlsx PROJECT FILE.xlsx [--sheets presupuesto,analisis,materiales,equipo,mano,transporte,"
    "cronograma,formula,cuadrilla]";
const char* const kImportUsage = "import-price-list PROJECT FILE.xlsx|FILE.csv [--sheet NAME] "
                                 "[--kind materiales|equipo|mano|transporte] "
                                 "[--columns descripcion=B,unidad=C,precio=D] [--dry-run]";

int refuse(cli::CommandContext& context, const QString& message) {
    context.err << message << '\n';
    context.err.flush();
    return cli::kRefused;
}

// Splits "--name value" options off the positional arguments; false on an unknown option or a
// missing value.
bool takeOptions(QStringList args, const QStringList& valued, const QStringList& flags,
                 QStringList& positional, QHash<QString, QString>& options) {
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (!arg.startsWith("--")) {
            positional.append(arg);
        } else if (flags.contains(arg)) {
            options.insert(arg, QString());
        } else if (valued.contains(arg) && !args.isEmpty()) {
            options.insert(arg, args.takeFirst());
        } else {
            return false;
        }
    }
    return true;
}

int runExport(cli::CommandContext& context) {
    QStringList positional;
    QHash<QString, QString> options;
    if (!takeOptions(context.args, {"--sheets"}, {}, positional, options) || positional.size() != 2)
        return cli::usage(context, kExportUsage);
    std::vector<shell::ExportSheet> sheets = shell::allExportSheets();
    if (options.contains("--sheets")) {
        QString unknown;
        if (!shell::parseExportSheets(options.value("--sheets"), sheets, unknown)) {
            context.err << "Hoja no válida: " << unknown << '\n';
            return cli::usage(context, kExportUsage);
        }
    }
    const QString folder = context.openableProject(positional[0]);
    if (folder.isEmpty())
        return cli::kRefused;
    const engine::Resultado result = shell::exportProjectWorkbook(folder, positional[1], sheets);
    if (!result.ok)
        return refuse(context, result.message);
    context.out << "Exportado: " << QDir::toNativeSeparators(positional[1]) << " (" << sheets.size()
                << " hojas)\n";
    return cli::kOk;
}

int runImport(cli::CommandContext& context) {
    QStringList positional;
    QHash<QString, QString> options;
    if (!takeOptions(context.args, {"--sheet", "--kind", "--columns"}, {"--dry-run"}, positional, options) ||
        positional.size() != 2)
        return cli::usage(context, kImportUsage);
    shell::PriceImportOptions import;
    import.sheet = options.value("--sheet");
    import.dryRun = options.contains("--dry-run");
    if (options.contains("--kind")) {
        engine::TipoRecurso kind = engine::TipoRecurso::Material;
        if (!lists::kindFromName(options.value("--kind"), kind)) {
            context.err << "Tipo de lista no válido: " << options.value("--kind")
                        << " (materiales, equipo, mano o transporte)\n";
            return cli::usage(context, kImportUsage);
        }
        import.kind = kind;
    }
    if (options.contains("--columns")) {
        QString error;
        import.columns = exchange::parseColumnChoice(options.value("--columns"), error);
        if (!import.columns) {
            context.err << error << '\n';
            return cli::usage(context, kImportUsage);
        }
    }
    const QString folder = context.openableProject(positional[0]);
    if (folder.isEmpty() || (!import.dryRun && !context.lockForWriting(folder)))
        return cli::kRefused;
    const shell::PriceImportOutcome outcome = shell::importPriceListFile(folder, positional[1], import);
    if (!outcome.ok)
        return refuse(context, outcome.message);
    context.out << shell::priceImportReport(outcome, import.dryRun);
    return cli::kOk;
}

} // namespace

void commands_spreadsheets(cli::CommandTable& table) {
    table.add("export-xlsx", kExportUsage, "Exporta el proyecto entero a un libro de hoja de cálculo .xlsx",
              runExport);
    table.add("import-price-list", kImportUsage,
              "Lleva los precios de una lista de proveedor (.xlsx o .csv) a las líneas que usan sus recursos",
              runImport);
}

} // namespace korvex
