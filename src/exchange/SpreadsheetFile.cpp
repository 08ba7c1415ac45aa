#include "exchange/SpreadsheetFile.h"

#include "exchange/CsvReader.h"
#include "exchange/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace korvex::exchange {

ReadOutcome readSpreadsheetFile(const QString& path, const QString& sheetName, const ReadLimits& limits) {
    const QString label = QDir::toNativeSeparators(path);
    ReadOutcome outcome;
    const auto refuse = [&](const QString& why) {
        outcome.message = QStringLiteral("No se puede leer %1: %2").arg(label, why);
        return outcome;
    };
    QFile file(path);
    if (QFileInfo(path).isDir())
        return refuse(QStringLiteral("es una carpeta"));
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.exists() ? QStringLiteral("no se puede abrir") : QStringLiteral("no existe"));
    if (file.size() > limits.maxFileBytes)
        return refuse(QStringLiteral("el archivo pasa del límite de %1 MB").arg(limits.maxFileBytes >> 20));
    const QByteArray data = file.read(limits.maxFileBytes + 1);
    if (data.isEmpty())
        return refuse(QStringLiteral("el archivo está vacío"));
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (looksLikeZip(data) || looksLikeCompoundFile(data) || suffix == QLatin1String("xlsx") ||
        suffix == QLatin1String("xlsm"))
        return readXlsx(data, sheetName, label, limits);
    return readCsv(data, label, limits);
}

} // namespace korvex::exchange
