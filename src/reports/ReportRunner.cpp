#include "reports/ReportRunner.h"

#include "reports/Composer.h"
#include "reports/DataSet.h"
#include "reports/Template.h"
#include "store/Database.h"

#include <QDir>
#include <QFileInfo>

namespace korvex::reports {

namespace {

// The entry of folder whose name matches name ignoring letter case, or "" when none does.
QString findEntry(const QString& folder, const QString& name, QDir::Filters filters) {
    const QDir dir(folder);
    if (dir.exists(name))
        return dir.filePath(name);
    const QStringList entries = dir.entryList(filters | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return {};
}

bool hasNoItems(DataProvider& data) {
    const DataSet count = data.query(QStringLiteral("SELECT Count(*) AS N FROM Presupuesto"));
    return !count.rows.empty() && !count.rows.front().empty() && count.rows.front().front().toNumber() == 0;
}

// A project without items prints, in every report, its header and the report's title over one
// notice instead of empty tables, zero totals and signatures under nothing.
void printNoticeOnly(ReportTemplate& report, const QString& notice) {
    Block gap;
    gap.type = Block::Type::Spacer;
    gap.height = 10;
    Block text;
    text.type = Block::Type::Text;
    text.text = Expression::constant(Value(notice));
    text.align = Align::Center;
    text.bold = true;
    text.boxed = true;
    report.body = {gap, text};
}

} // namespace

QString templatePath(const QString& rootFolder, const QString& fileName) {
    QString folder = findEntry(rootFolder, QString::fromLatin1(kReportsFolder), QDir::Dirs);
    if (folder.isEmpty())
        folder = QDir(rootFolder).filePath(QString::fromLatin1(kReportsFolder));
    const QString file = findEntry(folder, fileName, QDir::Files);
    return file.isEmpty() ? QDir(folder).filePath(fileName) : file;
}

QString templateDisplayName(const QString& fileName) {
    return QDir::toNativeSeparators(QString::fromLatin1(kReportsFolder) + QLatin1Char('/') + fileName);
}

bool splitFormulaSetting(const QString& setting, QString& name, QString& value) {
    const int equals = setting.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return false;
    name = setting.left(equals).trimmed();
    value = setting.mid(equals + 1).trimmed();
    return !name.isEmpty();
}

ReportResult runReport(const ReportRequest& request) {
    ReportResult result;
    const QString name =
        request.templateName.isEmpty() ? QFileInfo(request.templatePath).fileName() : request.templateName;
    try {
        ReportTemplate report = loadTemplate(request.templatePath, name);
        FormulaValues formulas;
        for (const QString& setting : request.formulas) {
            QString formula;
            QString value;
            if (!splitFormulaSetting(setting, formula, value)) {
                result.message =
                    QStringLiteral("La fórmula «%1» dada al reporte «%2» no tiene la forma «Nombre =valor».")
                        .arg(setting, name);
                return result;
            }
            formulas.emplace_back(formula, value);
        }
        QString password = request.password;
        if (password.startsWith(QLatin1Char('\n')))
            password.remove(0, 1);
        if (!QFileInfo::exists(request.databasePath)) {
            result.message = QStringLiteral("No se encuentra la base de datos del proyecto «%1».")
                                 .arg(QDir::toNativeSeparators(request.databasePath));
            return result;
        }
        StoreDataProvider data(request.databasePath, password);
        if (hasNoItems(data))
            printNoticeOnly(report, QStringLiteral("No hay rubros en el presupuesto"));
        result.document = composeReport(report, data, formulas);
        result.ok = true;
    } catch (const TemplateError& error) {
        result.message = error.message();
    } catch (const store::StoreError& error) {
        result.message =
            QStringLiteral("No se pudo leer el proyecto para el reporte «%1»: %2").arg(name, error.message());
    } catch (const std::exception& error) {
        result.message =
            QStringLiteral("No se pudo hacer el reporte «%1»: %2").arg(name, QString::fromUtf8(error.what()));
    }
    return result;
}

} // namespace korvex::reports
