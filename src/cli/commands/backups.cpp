// korvex backups PROJECT: the project's backups, newest first. korvex restore PROJECT FILE --yes:
// one of them put back as the project database, after backing up the current file.
#include "store/Backups.h"

#include "cli/CommandTable.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

#include <QFileInfo>

namespace korvex {

namespace {

int refuse(cli::CommandContext& context, const QString& message) {
    context.err << message << '\n';
    context.err.flush();
    return cli::kRefused;
}

int listBackups(cli::CommandContext& context) {
    if (context.args.size() != 1)
        return cli::usage(context, "backups PROJECT");
    const QString folder = context.projectFolder(context.args[0]);
    if (!QFileInfo(folder).isDir())
        return refuse(context, QStringLiteral("No existe la carpeta %1").arg(folder));
    for (const store::BackupInfo& backup : store::listBackups(folder, true))
        context.out << backup.fileName << '\t' << backup.taken.toString("yyyy-MM-dd HH:mm:ss") << '\t'
                    << backup.size << '\t' << (backup.items ? QString::number(*backup.items) : QString("?"))
                    << '\n';
    return cli::kOk;
}

int restore(cli::CommandContext& context) {
    QStringList args = context.args;
    const bool confirmed = args.removeAll(QStringLiteral("--yes")) > 0;
    if (args.size() != 2 || !confirmed)
        return cli::usage(context, "restore PROJECT FILE-NAME --yes");
    const QString folder = context.projectFolder(args[0]);
    if (!context.lockForWriting(folder))
        return cli::kRefused;
    const QString saved = store::restoreBackup(folder, args[1]);
    context.out << "Restaurado " << args[1] << '\n';
    if (!saved.isEmpty())
        context.out << "Respaldo del archivo reemplazado: " << saved << '\n';
    return cli::kOk;
}

} // namespace

void commands_backups(cli::CommandTable& table) {
    table.add("backups", "backups PROJECT", "Lista los respaldos del proyecto", listBackups);
    table.add("restore", "restore PROJECT FILE-NAME --yes",
              "Devuelve el proyecto al estado de uno de sus respaldos", restore);
}

} // namespace korvex
