// korvex correct PROJECT materiales|equipo|mano: resource corrections read from standard input,
// one per line: old description, old unit or category, new description, new unit or category,
// tab-separated (the unit or category empty for equipment). All applied at once as the correction
// window's F7 applies them, material corrections mirrored into transport; all or nothing.
#include "analysis/ResourceCorrection.h"
#include "cli/CommandTable.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

namespace korvex {

namespace {

const char* const kUsage = "correct PROJECT materiales|equipo|mano < CORRECCIONES";

int refuse(cli::CommandContext& context, const QString& message) {
    context.err << message << '\n';
    context.err.flush();
    return cli::kRefused;
}

bool kindOf(const QString& name, analysis::Kind& kind) {
    if (name == QLatin1String("materiales"))
        kind = analysis::Kind::Material;
    else if (name == QLatin1String("equipo"))
        kind = analysis::Kind::Equipment;
    else if (name == QLatin1String("mano"))
        kind = analysis::Kind::Labour;
    else
        return false;
    return true;
}

QString keyText(const analysis::ResourceKey& key) {
    return key.description + '\t' + key.second;
}

int runCorrect(cli::CommandContext& context) {
    analysis::Kind kind = analysis::Kind::Material;
    if (context.args.size() != 2 || !kindOf(context.args[1], kind))
        return cli::usage(context, kUsage);
    const QString folder = context.projectFolder(context.args[0]);
    const store::FolderResult check = store::checkOpenProject(folder, context.root);
    if (!check.ok)
        return refuse(context, check.message);
    if (!context.lockForWriting(check.path))
        return cli::kRefused;

    store::Database db = store::Database::openProject(check.path);
    analysis::CorrectionSheet sheet = analysis::CorrectionSheet::load(db);
    const bool second = analysis::kindInfo(kind).hasSecond();
    QList<int> typedRows;
    for (int number = 1; !context.in.atEnd(); ++number) {
        const QString line = context.in.readLine();
        if (line.trimmed().isEmpty())
            continue;
        const QStringList fields = line.split('\t');
        if (fields.size() != 4)
            return refuse(
                context,
                QStringLiteral("Línea %1: se esperan cuatro campos separados por tabuladores").arg(number));
        const analysis::ResourceKey old{fields[0], second ? fields[1] : QString()};
        const QList<analysis::CorrectionRow>& rows = sheet.rows(kind);
        int index = -1;
        for (int i = 0; i < rows.size() && index < 0; ++i)
            if (analysis::sameResource(kind, rows[i].loaded, old))
                index = i;
        if (index < 0)
            return refuse(context,
                          QStringLiteral("Línea %1: el recurso %2 no está en la lista")
                              .arg(number)
                              .arg(second ? old.description + " (" + old.second + ")" : old.description));
        if (typedRows.contains(index))
            return refuse(context, QStringLiteral("Línea %1: el recurso %2 ya tiene una corrección")
                                       .arg(number)
                                       .arg(old.description));
        if (sheet.assign(kind, index, analysis::kDescriptionCol, fields[2]) !=
            analysis::CorrectionSheet::Assign::Written)
            return refuse(context, QStringLiteral("Línea %1: la nueva descripción está vacía").arg(number));
        if (second)
            sheet.assign(kind, index, analysis::kSecondCol, fields[3]);
        typedRows << index;
    }
    const analysis::CorrectionOutcome outcome = analysis::applyCorrections(db, sheet);
    if (!outcome.ok)
        return refuse(context, outcome.message);
    for (const int index : typedRows) {
        const analysis::CorrectionRow& row = sheet.rows(kind)[index];
        context.out << keyText(row.loaded) << '\t' << keyText(row.current) << '\t'
                    << outcome.linesOf(kind, row.loaded) << '\n';
    }
    if (kind == analysis::Kind::Material)
        context.out << "Líneas de transporte cambiadas: "
                    << outcome.lines[analysis::kindIndex(analysis::Kind::Transport)] << '\n';
    return cli::kOk;
}

} // namespace

void commands_correct(cli::CommandTable& table) {
    table.add("correct", kUsage,
              "Corrige descripciones, unidades o categorías de recursos en todo el proyecto", runCorrect);
}

} // namespace korvex
