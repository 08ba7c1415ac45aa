#include "cli/CommandTable.h"

#include "store/Database.h"
#include "store/ProjectFolders.h"
#include "store/ProjectLock.h"

#include <exception>

namespace korvex {
void registerAllCommands(cli::CommandTable& table);
}

namespace korvex::cli {

QString CommandContext::projectFolder(const QString& argument) const {
    return store::projectFolderFromArgument(argument, root);
}

QString CommandContext::openableProject(const QString& argument) {
    const QString folder = projectFolder(argument);
    const store::FolderResult check = store::checkOpenProject(folder, root);
    if (!check.ok) {
        err << check.message << '\n';
        err.flush();
        return {};
    }
    return folder;
}

bool CommandContext::lockForWriting(const QString& projectFolder) {
    if (lock && store::samePath(lock->projectFolder(), projectFolder))
        return true;
    store::ProjectLock::Attempt attempt = store::ProjectLock::forBatch(projectFolder, command);
    if (attempt.status != store::ProjectLock::Status::Taken) {
        err << attempt.message << '\n';
        err.flush();
        return false;
    }
    lock = std::move(attempt.lock);
    return true;
}

void CommandTable::add(const QString& name, const QString& usage, const QString& summary,
                       std::function<int(CommandContext&)> run) {
    commands_[name] = Command{usage, summary, std::move(run)};
}

void CommandTable::add(const QString& name, const QString& usage, std::function<int(CommandContext&)> run) {
    add(name, usage, QString(), std::move(run));
}

const Command* CommandTable::find(const QString& name) const {
    const auto it = commands_.find(name);
    return it == commands_.end() ? nullptr : &it->second;
}

namespace {

struct ParsedArguments {
    QString rootOption;
    QStringList rest;
    bool rootMissing = false;
};

ParsedArguments parse(const QStringList& arguments) {
    ParsedArguments parsed;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == "--root") {
            if (i + 1 >= arguments.size()) {
                parsed.rootMissing = true;
                break;
            }
            parsed.rootOption = arguments[++i];
        } else if (a.startsWith("--root=")) {
            parsed.rootOption = a.mid(7);
        } else {
            parsed.rest.append(a);
        }
    }
    return parsed;
}

void printCommands(const CommandTable& table, QTextStream& err) {
    err << "usage: korvex [--root DIR] COMMAND ARGS...\n";
    for (const auto& [name, command] : table.all())
        err << "  korvex " << command.usage << "\n";
    err.flush();
}

bool isHelp(const QString& argument) {
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

bool isVersion(const QString& argument) {
    return argument == QLatin1String("--version");
}

// Usages shorter than this line up their summaries in one column; longer ones take two spaces.
constexpr qsizetype kUsageColumn = 34;

} // namespace

QString helpText(const CommandTable& table) {
    QString text;
    QTextStream out(&text);
    out << "Uso: korvex [--root CARPETA] [ORDEN ARGUMENTOS...]\n\n"
           "Presupuestos de obra: proyectos, análisis de precios unitarios, listas de recursos,\n"
           "cronogramas, fórmula polinómica de reajuste y reportes. Sin ORDEN abre el programa\n"
           "de escritorio.\n\n"
           "Opciones:\n"
           "  --root CARPETA  carpeta raíz de los proyectos; si falta, $KORVEX_ROOT, si no, ~/Korvex\n"
           "  --help          muestra esta ayuda y termina\n"
           "  --version       muestra la versión y termina\n\n"
           "Órdenes:\n";
    for (const auto& [name, command] : table.all())
        out << "  " << command.usage.leftJustified(kUsageColumn) << "  " << command.summary << "\n";
    out << "\nPROJECT es la ruta de una carpeta de proyecto o el nombre de una carpeta de la raíz.\n"
           "Una negativa escribe su mensaje en la salida de errores y termina con código 1;\n"
           "un uso incorrecto termina con código 2 y muestra el uso de la orden.\n";
    out.flush();
    return text;
}

bool asksForInformation(const QStringList& arguments) {
    const ParsedArguments parsed = parse(arguments);
    return !parsed.rootMissing && parsed.rest.size() == 1 &&
           (isHelp(parsed.rest.first()) || isVersion(parsed.rest.first()));
}

bool hasCommand(const QStringList& arguments) {
    // "--root" without its folder is a mistake to report, not a reason to start on the default root.
    const ParsedArguments parsed = parse(arguments);
    return !parsed.rest.isEmpty() || parsed.rootMissing;
}

QString rootFromArguments(const QStringList& arguments) {
    return store::resolveRootFolder(parse(arguments).rootOption);
}

QString projectToOpen(const QStringList& arguments) {
    const ParsedArguments parsed = parse(arguments);
    if (parsed.rootMissing || parsed.rest.size() != 2 || parsed.rest.first() != QLatin1String("open"))
        return {};
    const QString root = store::resolveRootFolder(parsed.rootOption);
    const store::FolderResult check =
        store::checkOpenProject(store::projectFolderFromArgument(parsed.rest[1], root), root);
    return check.ok ? check.path : QString();
}

int usage(CommandContext& context, const QString& usage) {
    context.err << "usage: korvex " << usage << "\n";
    context.err.flush();
    return kUsage;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err, QTextStream& in) {
    CommandTable table;
    registerAllCommands(table);
    const ParsedArguments parsed = parse(arguments);
    if (parsed.rootMissing || parsed.rest.isEmpty()) {
        printCommands(table, err);
        return kUsage;
    }
    if (asksForInformation(arguments)) {
        out << (isVersion(parsed.rest.first()) ? versionLine() + "\n" : helpText(table));
        out.flush();
        return kOk;
    }
    const Command* command = table.find(parsed.rest.first());
    if (!command) {
        err << "korvex: orden desconocida: " << parsed.rest.first() << "\n";
        printCommands(table, err);
        return kUsage;
    }
    try {
        const QString root = store::resolveRootFolder(parsed.rootOption);
        store::layOutRootFolder(root);
        CommandContext context{root, parsed.rest.mid(1), out, err, in};
        context.command = parsed.rest.first();
        const int code = command->run(context);
        out.flush();
        err.flush();
        return code;
    } catch (const store::StoreError& e) {
        out.flush();
        err << e.message() << "\n";
    } catch (const std::exception& e) {
        out.flush();
        err << QString::fromUtf8(e.what()) << "\n";
    }
    err.flush();
    return kRefused;
}

} // namespace korvex::cli
