// Batch command of the copy between projects: copy-items.

#include "cli/CommandTable.h"
#include "engine/Numbers.h"
#include "shell/ops/CopyItems.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

namespace korvex {

namespace {

const QString kUsage = QStringLiteral("copy-items PROJECT SOURCE CODE:ITEM... | --all");

int refuse(cli::CommandContext& context, const QString& message) {
    context.err << message << "\n";
    context.err.flush();
    return cli::kRefused;
}

// The source items a CODE:ITEM argument names. Item numbers such as "1.01" never hold a colon but
// a code may: every colon is tried from the left and the first split that names an item wins.
// false when the argument has no split at all (no colon, or an empty code).
bool namedItems(store::Database& source, const QString& argument, std::vector<shell::SourceItem>& found,
                QString& codigo, QString& item) {
    bool split = false;
    for (qsizetype colon = argument.indexOf(':'); colon >= 0; colon = argument.indexOf(':', colon + 1)) {
        if (colon == 0)
            continue;
        const QString code = argument.left(colon);
        const QString number = argument.mid(colon + 1);
        if (!split) {
            codigo = code;
            item = number;
            split = true;
        }
        found = shell::findSourceItems(source, code, number);
        if (!found.empty())
            return true;
    }
    return split;
}

int copyItems(cli::CommandContext& context) {
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
    if (!context.lockForWriting(folder))
        return cli::kRefused;
    const engine::Resultado check = shell::checkSourceProject(sourceFolder, folder, context.root);
    if (!check.ok)
        return refuse(context, check.message);

    store::Database target = store::Database::openProject(folder);
    store::Database source = store::Database::openProject(sourceFolder);
    std::vector<shell::SourceItem> items;
    if (all) {
        for (const shell::SourceItem& item : shell::loadSourceItems(source))
            if (shell::canBeCopied(item))
                items.push_back(item);
    } else {
        for (const QString& argument : wanted) {
            QString codigo, item;
            std::vector<shell::SourceItem> found;
            if (!namedItems(source, argument, found, codigo, item))
                return cli::usage(context, kUsage);
            if (found.empty())
                return refuse(context,
                              QString("El rubro %1 %2 no existe en el proyecto de origen").arg(codigo, item));
            items.insert(items.end(), found.begin(), found.end());
        }
    }

    const shell::ResultadoCopia result = shell::copyItems(target, source, items);
    if (!result.ok)
        return refuse(context, result.message);
    for (const shell::CopiedItem& copy : result.copiados)
        context.out << copy.codigo << '\t' << copy.item << '\t'
                    << engine::Contar(copy.lineas, "línea", "líneas") << '\n';
    return cli::kOk;
}

} // namespace

void commands_copy(cli::CommandTable& table) {
    table.add("copy-items", kUsage, "Copia rubros con todas sus líneas desde otro proyecto", copyItems);
}

} // namespace korvex
