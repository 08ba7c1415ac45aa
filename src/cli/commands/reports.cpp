// korvex report PROJECT TEMPLATE -o FILE.pdf: runs the preparation of the template's button,
// composes the report without a display and writes it as PDF. korvex report --list: the
// templates of the root folder with the buttons that print them.
#include "cli/CommandTable.h"
#include "reports/Render.h"
#include "reports/ReportButtons.h"
#include "reports/ReportRunner.h"
#include "store/ProjectFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace korvex {

namespace {

const char* const kUsage = "report PROJECT TEMPLATE -o FILE.pdf | report --list";

QString groupCaption(const QString& groupButton) {
    const reports::FormatGroup* group = reports::findFormatGroup(groupButton);
    return group ? group->caption + QStringLiteral(" > ") : QString();
}

int listTemplates(cli::CommandContext& context) {
    QSet<QString> listed;
    for (const reports::ReportButton& button : reports::reportButtons()) {
        context.out << button.templateFile << '\t' << button.button << '\t' << "pestaña " << button.tab
                    << ": " << groupCaption(button.group) << button.caption << '\t'
                    << reports::preparationName(button.preparation) << '\n';
        listed.insert(button.templateFile.toLower());
    }
    // Templates a user added to the folder print too, without preparation.
    const QFileInfo folder(reports::templatePath(context.root, QStringLiteral("x.rpt")));
    const QStringList files =
        folder.absoluteDir().entryList({QStringLiteral("*.rpt")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        if (!listed.contains(file.toLower()))
            context.out << file << '\t' << '-' << '\t' << "sin botón" << '\t' << '\n';
    }
    return cli::kOk;
}

int printReport(cli::CommandContext& context) {
    QString project;
    QString templateFile;
    QString output;
    const QStringList& args = context.args;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o") && i + 1 < args.size())
            output = args[++i];
        else if (project.isEmpty())
            project = args[i];
        else if (templateFile.isEmpty())
            templateFile = args[i];
        else
            return cli::usage(context, kUsage);
    }
    if (project.isEmpty() || templateFile.isEmpty() || output.isEmpty())
        return cli::usage(context, kUsage);
    if (!templateFile.endsWith(QLatin1String(".rpt"), Qt::CaseInsensitive))
        templateFile += QStringLiteral(".rpt");

    const QString folder = context.projectFolder(project);
    if (!store::isProjectFolder(folder)) {
        context.err << "La Carpeta seleccionada NO contiene ningun proyecto\n";
        return cli::kRefused;
    }
    const reports::ReportButton* known = reports::findReportButton(templateFile);
    reports::ReportButton button;
    if (known) {
        button = *known;
    } else {
        button.templateFile = QFileInfo(reports::templatePath(context.root, templateFile)).fileName();
    }
    const reports::PreparedReport prepared = reports::prepareReport(button, folder, context.root);
    for (const reports::Notice& notice : prepared.notices)
        context.err << notice.text << '\n';
    const reports::ReportResult result = reports::runReport(prepared.request);
    if (!result.ok) {
        context.err << result.message << '\n';
        return cli::kRefused;
    }
    const QString failure = reports::writePdf(result.document, QFileInfo(output).absoluteFilePath());
    if (!failure.isEmpty()) {
        context.err << failure << '\n';
        return cli::kRefused;
    }
    const int pages = static_cast<int>(result.document.pages.size());
    context.out << QDir::toNativeSeparators(output) << ": " << pages << (pages == 1 ? " página" : " páginas")
                << '\n';
    return cli::kOk;
}

} // namespace

void commands_reports(cli::CommandTable& table) {
    table.add(QStringLiteral("report"), QString::fromLatin1(kUsage),
              QStringLiteral("Imprime un reporte del proyecto en PDF; --list nombra las plantillas"),
              [](cli::CommandContext& context) {
                  if (context.args.size() == 1 && context.args.front() == QLatin1String("--list"))
                      return listTemplates(context);
                  return printReport(context);
              });
}

} // namespace korvex
