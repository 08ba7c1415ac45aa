// Batch commands of the project store: lay out the root folder, create, delete and list project
// folders, and run statements of the query dialect on a project.
#include "cli/CommandTable.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace korvex {

namespace {

using cli::CommandContext;

int refuse(CommandContext& c, const QString& message) {
    c.err << message << "\n";
    c.err.flush();
    return cli::kRefused;
}

// Shortest text that reads back as the same double; plain decimals for everyday magnitudes.
QString shortestNumber(double d) {
    if (d == 0)
        return QStringLiteral("0");
    char buffer[400];
    const double magnitude = std::fabs(d);
    const auto format =
        magnitude >= 1e-6 && magnitude < 1e15 ? std::chars_format::fixed : std::chars_format::general;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, d, format);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString fieldText(const QVariant& v) {
    if (!v.isValid() || v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
    case QMetaType::Double:
        return shortestNumber(v.toDouble());
    default:
        break;
    }
    QString s = v.toString();
    // One record per line: line breaks and tabs inside a text are written as escapes.
    s.replace('\\', QLatin1String("\\\\"));
    s.replace('\t', QLatin1String("\\t"));
    s.replace('\n', QLatin1String("\\n"));
    s.replace('\r', QLatin1String("\\r"));
    return s;
}

bool isQuery(const QString& statement) {
    static const QRegularExpression select(QStringLiteral("^\\s*\\(*\\s*select\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    return select.match(statement).hasMatch();
}

// Runs one statement and writes its result: a query as a header line and one line per record,
// anything else as the number of records it touched.
void runStatement(store::Database& db, const QString& statement, const QVariantList& values, QString& out) {
    if (!isQuery(statement)) {
        out += QString::number(db.execute(statement, values)) + "\n";
        return;
    }
    store::RecordSet rs = db.openRecordSet(statement, values);
    const QStringList names = rs.fieldNames();
    out += names.join('\t') + "\n";
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields;
        for (const QString& name : names)
            fields << fieldText(rs.value(name));
        out += fields.join('\t') + "\n";
    }
}

int openProject(CommandContext& c, const QString& argument, store::Database& db) {
    const QString folder = c.projectFolder(argument);
    const store::FolderResult check = store::checkOpenProject(folder, c.root);
    if (!check.ok)
        return refuse(c, check.message);
    db = store::Database::openProject(check.path);
    return cli::kOk;
}

int sqlCommand(CommandContext& c) {
    const QString usage = QStringLiteral("sql PROJECT STATEMENT [VALUE...] | sql PROJECT -");
    if (c.args.size() < 2)
        return cli::usage(c, usage);
    const bool fromInput = c.args[1] == "-";
    if (fromInput && c.args.size() > 2)
        return cli::usage(c, usage);
    QStringList statements;
    while (fromInput && !c.in.atEnd()) {
        const QString line = c.in.readLine();
        if (!line.trimmed().isEmpty())
            statements << line;
    }
    if (!fromInput)
        statements << c.args[1];
    store::Database db;
    if (const int code = openProject(c, c.args[0], db))
        return code;
    const bool writes = std::any_of(statements.begin(), statements.end(),
                                    [](const QString& statement) { return !isQuery(statement); });
    if (writes && !c.lockForWriting(c.projectFolder(c.args[0])))
        return cli::kRefused;
    QString output;
    if (fromInput) {
        store::Transaction transaction(db);
        for (const QString& statement : std::as_const(statements))
            runStatement(db, statement, {}, output);
        transaction.commit();
    } else {
        QVariantList values;
        for (const QString& v : c.args.mid(2))
            values << v;
        runStatement(db, c.args[1], values, output);
    }
    c.out << output;
    return cli::kOk;
}

int initCommand(CommandContext& c) {
    if (!c.args.isEmpty())
        return cli::usage(c, "init");
    c.out << c.root << "\n";
    return cli::kOk;
}

int newCommand(CommandContext& c) {
    if (c.args.size() != 1)
        return cli::usage(c, "new NAME");
    const store::FolderResult result = store::createProject(c.root, c.args[0], c.root);
    if (!result.ok)
        return refuse(c, result.message);
    c.out << result.path << "\n";
    return cli::kOk;
}

int deleteCommand(CommandContext& c) {
    const QString usage = QStringLiteral("delete PROJECT --yes");
    QStringList args = c.args;
    const bool confirmed = args.removeAll(QStringLiteral("--yes")) > 0;
    if (args.size() != 1 || !confirmed)
        return cli::usage(c, usage);
    const QString folder = c.projectFolder(args[0]);
    if (store::isProjectFolder(folder) && !c.lockForWriting(folder))
        return cli::kRefused;
    const store::FolderResult result = store::deleteProject(folder, c.root);
    if (!result.ok)
        return refuse(c, result.message);
    c.out << result.path << "\n";
    return cli::kOk;
}

// The program starts the desktop with the project before commands run; reached, it says why not.
int openCommand(CommandContext& c) {
    if (c.args.size() != 1)
        return cli::usage(c, "open PROJECT");
    const store::FolderResult check = store::checkOpenProject(c.projectFolder(c.args[0]), c.root);
    if (!check.ok)
        return refuse(c, check.message);
    return refuse(c, QStringLiteral("Este programa no tiene el programa de escritorio para abrir ") +
                         check.path);
}

int listCommand(CommandContext& c) {
    if (!c.args.isEmpty())
        return cli::usage(c, "list");
    for (const QString& name : store::listProjects(c.root))
        c.out << name << "\n";
    return cli::kOk;
}

} // namespace

void commands_store(cli::CommandTable& table) {
    table.add("init", "init", "Prepara la carpeta raíz sin sobrescribir los archivos que ya tiene",
              initCommand);
    table.add("new", "new NAME", "Crea un proyecto nuevo copiando la plantilla", newCommand);
    table.add("delete", "delete PROJECT --yes", "Borra una carpeta de proyecto", deleteCommand);
    table.add("list", "list", "Lista las carpetas de proyecto de la raíz", listCommand);
    table.add("open", "open PROJECT", "Abre un proyecto en el programa de escritorio", openCommand);
    table.add("sql", "sql PROJECT STATEMENT [VALUE...] | sql PROJECT -",
              "Ejecuta sentencias de consulta en un proyecto", sqlCommand);
}

} // namespace korvex
