// korvex schedule PROJECT: rebuilds the schedule report tables from the group schedule and prints
// them, so the flattened schedule can be checked without a window.
#include "cli/CommandTable.h"
#include "schedule/CronoTables.h"
#include "store/Database.h"

#include <QLocale>
#include <QMetaType>

namespace korvex {

namespace {

QString fieldText(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? "-1" : "0";
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        return value.toString();
    }
}

void printTable(store::Database& db, const QString& table, QTextStream& out) {
    store::RecordSet rs = db.openRecordSet("SELECT * FROM " + table);
    const QStringList fields = rs.fieldNames();
    out << table << "\n" << fields.join('\t') << "\n";
    for (; !rs.eof(); rs.moveNext()) {
        QStringList values;
        for (const QString& field : fields)
            values << fieldText(rs.value(field));
        out << values.join('\t') << "\n";
    }
}

int runSchedule(cli::CommandContext& context) {
    if (context.args.size() != 1)
        return cli::usage(context, "schedule PROJECT");
    const QString folder = context.projectFolder(context.args.first());
    const schedule::ResultadoCrono result = schedule::LlenarTablasCrono(folder);
    if (!result.ok) {
        context.err << result.message << "\n";
        return cli::kRefused;
    }
    store::Database db = store::Database::openProject(folder);
    const QStringList tables{"Crono", "Crono2", "Crono3"};
    for (int i = 0; i < tables.size(); ++i) {
        if (i > 0)
            context.out << "\n";
        printTable(db, tables[i], context.out);
    }
    return cli::kOk;
}

} // namespace

void commands_schedule(cli::CommandTable& table) {
    table.add("schedule", "schedule PROJECT", "Muestra los cronogramas del proyecto", runSchedule);
}

} // namespace korvex
