// korvex lists PROJECT [materiales|equipo|mano|transporte]: the resource lists as the price window
// fills them. korvex reprice PROJECT KIND PERCENT: a whole list raised by a percentage and saved
// into every line, as F6 then F9 in the price window.
#include "cli/CommandTable.h"
#include "engine/Numbers.h"
#include "lists/PriceList.h"
#include "lists/PriceSaving.h"

namespace korvex {

namespace {

const char* const kListsUsage = "lists PROJECT [materiales|equipo|mano|transporte]";
const char* const kRepriceUsage = "reprice PROJECT materiales|equipo|mano|transporte PERCENT";

// A kind the lists do not have: said in Spanish with the kinds there are, then the usage.
int unknownKind(cli::CommandContext& context, const QString& name, const char* usage) {
    context.err << "Tipo de lista no válido: " << name << " (materiales, equipo, mano o transporte)\n";
    return cli::usage(context, usage);
}

int runLists(cli::CommandContext& context) {
    const QStringList& args = context.args;
    if (args.isEmpty() || args.size() > 2 || args.first().startsWith("--"))
        return cli::usage(context, kListsUsage);
    lists::TipoRecurso only = lists::TipoRecurso::Material;
    const bool one = args.size() == 2;
    if (one && !lists::kindFromName(args[1], only))
        return unknownKind(context, args[1], kListsUsage);
    const QString folder = context.openableProject(args.first());
    if (folder.isEmpty())
        return cli::kRefused;
    bool first = true;
    for (lists::TipoRecurso kind : lists::kListKinds) {
        if (one && kind != only)
            continue;
        if (!first)
            context.out << '\n';
        first = false;
        context.out << lists::listText(lists::PriceList::load(folder, kind));
    }
    return cli::kOk;
}

int runReprice(cli::CommandContext& context) {
    const QStringList& args = context.args;
    lists::TipoRecurso kind = lists::TipoRecurso::Material;
    if (args.size() != 3 || args.first().startsWith("--"))
        return cli::usage(context, kRepriceUsage);
    if (!lists::kindFromName(args[1], kind))
        return unknownKind(context, args[1], kRepriceUsage);
    const std::optional<double> percent = engine::ConvertirNumero(args[2]);
    if (!percent) {
        context.err << "Porcentaje no válido: " << args[2] << '\n';
        context.err.flush();
        return cli::kRefused;
    }
    const QString folder = context.openableProject(args.first());
    if (folder.isEmpty() || !context.lockForWriting(folder))
        return cli::kRefused;
    const lists::RepriceOutcome outcome = lists::repriceProject(folder, kind, *percent);
    if (!outcome.ok) {
        context.err << outcome.message << '\n';
        context.err.flush();
        return cli::kRefused;
    }
    context.out << "Recursos cambiados: " << outcome.resources << '\n'
                << "Líneas cambiadas: " << outcome.lines << '\n';
    return cli::kOk;
}

} // namespace

void commands_lists(cli::CommandTable& table) {
    table.add("lists", kListsUsage, "Muestra las listas de materiales, equipo, mano de obra y transporte",
              runLists);
    table.add("reprice", kRepriceUsage, "Sube o baja en un porcentaje los precios de una lista", runReprice);
}

} // namespace korvex
