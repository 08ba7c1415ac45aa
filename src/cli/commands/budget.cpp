// korvex budget PROJECT: the budget presentation on standard output.
#include "budget/Presentation.h"
#include "cli/CommandTable.h"
#include "store/ProjectFolders.h"

namespace korvex {

namespace {

constexpr const char* kUso = "budget PROJECT";

// A cell on one tab-separated line: a tab or line break typed into a description would split it.
QString campo(QString texto) {
    for (const QChar c : {QChar('\t'), QChar('\n'), QChar('\r')})
        texto.replace(c, QChar(' '));
    return texto;
}

int presentarPresupuesto(cli::CommandContext& context) {
    if (context.args.size() != 1)
        return cli::usage(context, kUso);
    const QString folder = context.projectFolder(context.args.first());
    const store::FolderResult abrir = store::checkOpenProject(folder, context.root);
    if (!abrir.ok) {
        context.err << abrir.message << "\n";
        return cli::kRefused;
    }
    const budget::Presentacion p = budget::calcularPresentacion(folder);
    if (!p.ok) {
        context.err << p.message << "\n";
        return cli::kRefused;
    }
    for (const budget::FilaPresentacion& f : p.filas)
        context.out << QStringList{campo(f.codigo), campo(f.item),    campo(f.descripcion), campo(f.unidad),
                                   f.cantidad,      f.precioUnitario, f.precioTotal}
                           .join('\t')
                    << "\n";
    context.out << "Subtotal\t" << p.subtotalTexto << "\n";
    context.out << (p.conIva ? "IVA 12%\t" : "IVA 0%\t") << p.ivaTexto << "\n";
    context.out << "Total\t" << p.totalTexto << "\n";
    return cli::kOk;
}

} // namespace

void commands_budget(cli::CommandTable& table) {
    table.add("budget", kUso, "Recalcula y muestra el presupuesto con subtotal, IVA y total",
              presentarPresupuesto);
}

} // namespace korvex
