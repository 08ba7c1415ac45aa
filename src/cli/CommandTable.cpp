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
    QString usageError;   // why the arguments cannot be run, when they cannot
    bool verbose = false; // --verbose: developer detail of a failure (the statement) on standard error
};

// The root given as an option or in KORVEX_ROOT must name a folder: an empty one is a mistake to
// report, never a reason to fall back on the default root.
QString rootMistake(const ParsedArguments& parsed, bool optionGiven, const CommandTable& table) {
    if (optionGiven) {
        if (parsed.rootOption.trimmed().isEmpty())
            return QStringLiteral("korvex: --root necesita el nombre de una carpeta");
        if (table.find(parsed.rootOption))
            return QStringLiteral("korvex: falta la carpeta de --root antes de la orden %1")
                .arg(parsed.rootOption);
        return {};
    }
    if (qEnvironmentVariableIsSet("KORVEX_ROOT") && qEnvironmentVariable("KORVEX_ROOT").trimmed().isEmpty())
        return QStringLiteral("korvex: la variable KORVEX_ROOT está vacía");
    return {};
}

ParsedArguments parse(const QStringList& arguments, const CommandTable& table) {
    ParsedArguments parsed;
    bool optionGiven = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == "--root") {
            if (i + 1 >= arguments.size()) {
                parsed.usageError = QStringLiteral("korvex: --root necesita el nombre de una carpeta");
                return parsed;
            }
            parsed.rootOption = arguments[++i];
            optionGiven = true;
        } else if (a == "--verbose" && parsed.rest.isEmpty()) {
            parsed.verbose = true;
        } else if (a.startsWith("--root=")) {
            parsed.rootOption = a.mid(7);
            optionGiven = true;
        } else {
            parsed.rest.append(a);
        }
    }
    parsed.usageError = rootMistake(parsed, optionGiven, table);
    return parsed;
}

const CommandTable& allCommands() {
    static const CommandTable table = [] {
        CommandTable t;
        registerAllCommands(t);
        return t;
    }();
    return table;
}

void printCommands(const CommandTable& table, QTextStream& err) {
    err << "usage: korvex [--root DIR] [--verbose] COMMAND ARGS...\n";
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
    out << "Uso: korvex [--root CARPETA] [--verbose] [ORDEN ARGUMENTOS...]\n\n"
           "Presupuestos de obra: proyectos, análisis de precios unitarios, listas de recursos,\n"
           "cronogramas, fórmula polinómica de reajuste y reportes. Sin ORDEN abre el programa\n"
           "de escritorio.\n\n"
           "Opciones:\n"
           "  --root CARPETA  carpeta raíz de los proyectos; si falta, $KORVEX_ROOT, si no, ~/Korvex\n"
           "  --verbose       tras un error de la base de datos, la instrucción que lo produjo\n"
           "  --help          muestra esta ayuda y termina\n"
           "  --version       muestra la versión y termina\n\n"
           "Órdenes:\n";
    for (const auto& [name, command] : table.all())
        out << "  " << command.usage.leftJustified(kUsageColumn) << "  " << command.summary << "\n";
    out << "\nPROJECT es una ruta si lleva una barra o empieza por «.» o «~»; si no, el nombre de una\n"
           "carpeta de la raíz, nunca del directorio actual.\n"
           "Una negativa escribe su mensaje en la salida de errores y termina con código 1;\n"
           "un uso incorrecto termina con código 2 y muestra el uso de la orden.\n";
    out.flush();
    return text;
}

bool asksForInformation(const QStringList& arguments) {
    const ParsedArguments parsed = parse(arguments, allCommands());
    return parsed.usageError.isEmpty() && parsed.rest.size() == 1 &&
           (isHelp(parsed.rest.first()) || isVersion(parsed.rest.first()));
}

bool hasCommand(const QStringList& arguments) {
    const ParsedArguments parsed = parse(arguments, allCommands());
    return !parsed.rest.isEmpty() || !parsed.usageError.isEmpty();
}

QString rootFromArguments(const QStringList& arguments) {
    return store::resolveRootFolder(parse(arguments, allCommands()).rootOption);
}

QString projectToOpen(const QStringList& arguments) {
    const ParsedArguments parsed = parse(arguments, allCommands());
    if (!parsed.usageError.isEmpty() || parsed.rest.size() != 2 ||
        parsed.rest.first() != QLatin1String("open"))
        return {};
    const QString root = store::resolveRootFolder(parsed.rootOption);
    QString unused;
    QTextStream quiet(&unused);
    const CommandContext context{root, {}, quiet, quiet, quiet};
    try {
        const store::FolderResult check =
            store::checkOpenProject(context.projectFolder(parsed.rest[1]), root);
        return check.ok ? check.path : QString();
    } catch (const store::StoreError&) {
        return {}; // the command itself then says why
    }
}

int usage(CommandContext& context, const QString& usage) {
    context.err << "usage: korvex " << usage << "\n";
    context.err.flush();
    return kUsage;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err, QTextStream& in) {
    const CommandTable& table = allCommands();
    const ParsedArguments parsed = parse(arguments, table);
    if (!parsed.usageError.isEmpty()) {
        err << parsed.usageError << "\n";
        printCommands(table, err);
        return kUsage;
    }
    if (parsed.rest.isEmpty()) {
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
        if (parsed.verbose && !e.statement().trimmed().isEmpty())
            err << e.statement().trimmed() << "\n";
    } catch (const std::exception& e) {
        out.flush();
        err << QString::fromUtf8(e.what()) << "\n";
    }
    err.flush();
    return kRefused;
}

} // namespace korvex::cli
