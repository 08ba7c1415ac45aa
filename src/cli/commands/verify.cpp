// "korvex verify PROJECT": the project health check. One line per finding, tab-separated (kind,
// code, item, detail), then a summary line. Exit 0 clean, 1 with findings, 2 bad usage, 3 when
// the project cannot be read. Writes nothing.

#include "cli/CommandTable.h"
#include "engine/ProjectCheck.h"

namespace korvex {

namespace {

constexpr int kUnreadable = 3;
const char* const kVerifyUsage = "verify PROJECT";

int verify(cli::CommandContext& context) {
    if (context.args.size() != 1)
        return cli::usage(context, kVerifyUsage);
    const engine::ResultadoVerificacion result =
        engine::VerificarProyecto(context.projectFolder(context.args[0]));
    if (!result.legible) {
        context.err << "No se pudo leer el proyecto: " << result.error << '\n';
        context.err.flush();
        return kUnreadable;
    }
    for (const engine::Hallazgo& finding : result.hallazgos)
        context.out << finding.linea() << '\n';
    context.out << result.resumen() << '\n';
    context.out.flush();
    return result.limpio() ? cli::kOk : cli::kRefused;
}

} // namespace

void commands_verify(cli::CommandTable& table) {
    table.add("verify", kVerifyUsage,
              "Verifica el proyecto sin modificarlo: el archivo, los precios unitarios grabados y los datos "
              "que los descuadran",
              verify);
}

} // namespace korvex
