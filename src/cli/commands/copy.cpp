// Batch command of the copy between projects: copy-items.

#include "cli/CommandTable.h"

#include "shell/ops/CopyItems.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

namespace korvex {

namespace {

const QString kUsage = QStringLiteral("copy-items PROJECT SOURCE CODE:ITEM... | --all");

int refuse(cli::CommandContext& context, const QString& message)
{
    context.err << message << "\n";
    context.err.flush();
    return cli::kRefused;
}

// CODE:ITEM, split at the first colon (item numbers such as "1.01" never hold one; codes rarely).
bool parseItemArgument(const QString& argument, QString& codigo, QString& item)
{
    const qsizetype colon = argument.indexOf(':');
    if (colon <= 0)
        return false;
    codigo = argument.left(colon);
    item = argument.mid(colon + 1);
    return true;
}

int copyItems(cli::CommandContext& context)
{
    if (context.args.size() < 3)
        return cli::usage(context, kUsage);
    const QStringList wanted = context.args.mid(2);
    const bool all = wanted.contains("--all");
    if (all && wanted.size() != 1)
        return cli::usage(context, kUsage);

    const QString folder = context.projectFolder(context.args[0]);
    const QString sourceFolder = context.projectFolder(context.args[1]);
    const store::FolderResult destination = store::checkOpenProject(folder, context.root);
    if (!destination.ok)
        return refuse(context, destination.message);
    const engine::Resultado check = shell::checkSourceProject(sourceFolder, folder, context.root);
    if (!check.ok)
        return refuse(context, check.message);

    store::Database target = store::Database::openProject(folder);
    store::Database source = store::Database::openProject(sourceFolder);
    std::vector<shell::SourceItem> items;
    if (all) {
        items = shell::loadSourceItems(source);
    } else {
        for (const QString& argument : wanted) {
            QString codigo, item;
            if (!parseItemArgument(argument, codigo, item))
                return cli::usage(context, kUsage);
            const auto found = shell::findSourceItems(source, codigo, item);
            if (found.empty())
                return refuse(context, QString("El rubro %1 %2 no existe en el proyecto de origen").arg(codigo, item));
            items.insert(items.end(), found.begin(), found.end());
        }
    }

    const shell::ResultadoCopia result = shell::copyItems(target, source, items);
    if (!result.ok)
        return refuse(context, result.message);
    for (const shell::CopiedItem& copy : result.copiados)
        context.out << copy.codigo << '\t' << copy.item << '\t' << copy.lineas << " lineas\n";
    return cli::kOk;
}

} // namespace

void commands_copy(cli::CommandTable& table) { table.add("copy-items", kUsage, copyItems); }

} // namespace korvex
