#pragma once
// Running one report: what the report buttons and the batch command hand over (the project
// database with its password, the template, named formula values) and what comes back (the
// composed pages, or the message that says why there are none).

#include "reports/Document.h"

#include <QString>
#include <QStringList>

namespace korvex::reports {

inline constexpr const char* kReportsFolder = "Reportes";

struct ReportRequest {
    QString databasePath; // the project folder + "/Presupuesto.mdb"
    // The database password. A leading line feed, the report engine's mark of a database
    // password, is accepted and dropped.
    QString password;
    QString templatePath; // the .rpt file
    QString templateName; // how messages name it: "Reportes/Presupuesto.rpt"
    // Formula settings, each "Name =value" ("TotalManoObra =105.5"). They apply to this run only.
    QStringList formulas;
};

struct ReportResult {
    bool ok = false;
    QString message; // why the report could not be made, in Spanish, naming the template
    ReportDocument document;
};

// Never throws: a missing or broken template, a query the database refuses and a formula the
// template lacks all end as a message.
ReportResult runReport(const ReportRequest& request);

// The template file "Reportes/<fileName>" of a root folder, found whatever the letter case of
// the folder and the file; the expected path when there is none.
QString templatePath(const QString& rootFolder, const QString& fileName);
QString templateDisplayName(const QString& fileName); // "Reportes/Presupuesto.rpt", native separators

// "TotalManoObra =105.5" -> ("TotalManoObra", "105.5"); false when there is no "=" or no name.
bool splitFormulaSetting(const QString& setting, QString& name, QString& value);

} // namespace korvex::reports
