#include "exchange/XlsxWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>
#include <cmath>
#include <cstdio>
#include <xlsxwriter.h>

namespace korvex::exchange {

namespace {

constexpr uint8_t kPaperA4 = 9;
constexpr int kMaxTextLength = 32767; // what a cell holds

engine::Resultado failure(const QString& path, const QString& why) {
    engine::Resultado result;
    result.ok = false;
    result.title = QStringLiteral("Error");
    result.message =
        QStringLiteral("No se pudo escribir el archivo %1: %2").arg(QDir::toNativeSeparators(path), why);
    return result;
}

// One format per number format and weight, made on first use.
class Formats {
public:
    explicit Formats(lxw_workbook* workbook) : workbook_(workbook) {}
    lxw_format* of(const SheetCell& cell) {
        if (cell.format.isEmpty() && !cell.bold)
            return nullptr;
        const QString key = cell.format + (cell.bold ? QStringLiteral("\x01") : QString());
        if (lxw_format* found = formats_.value(key))
            return found;
        lxw_format* format = workbook_add_format(workbook_);
        if (cell.bold)
            format_set_bold(format);
        if (!cell.format.isEmpty())
            format_set_num_format(format, cell.format.toUtf8().constData());
        formats_.insert(key, format);
        return format;
    }

private:
    lxw_workbook* workbook_;
    QHash<QString, lxw_format*> formats_;
};

// "&" starts a code in a page header; the text itself must double it.
QByteArray headerText(const QString& text) {
    QString escaped = text;
    escaped.replace('&', QStringLiteral("&&"));
    QByteArray utf8 = ("&C" + escaped).toUtf8();
    while (utf8.size() > LXW_HEADER_FOOTER_MAX) {
        escaped.chop(1);
        if (escaped.endsWith('&') && !escaped.endsWith(QStringLiteral("&&")))
            escaped.chop(1);
        utf8 = ("&C" + escaped).toUtf8();
    }
    return utf8;
}

lxw_error writeCell(lxw_worksheet* sheet, int row, int col, const SheetCell& cell, Formats& formats) {
    lxw_format* format = formats.of(cell);
    const auto r = static_cast<lxw_row_t>(row);
    const auto c = static_cast<lxw_col_t>(col);
    switch (cell.kind) {
    case SheetCell::Kind::Empty:
        return cell.bold ? worksheet_write_blank(sheet, r, c, format) : LXW_NO_ERROR;
    case SheetCell::Kind::Text:
        if (cell.text.isEmpty())
            return LXW_NO_ERROR;
        return worksheet_write_string(sheet, r, c, cell.text.left(kMaxTextLength).toUtf8().constData(),
                                      format);
    case SheetCell::Kind::Number:
        if (!std::isfinite(cell.number))
            return LXW_NO_ERROR;
        return worksheet_write_number(sheet, r, c, cell.number, format);
    case SheetCell::Kind::Formula:
        return worksheet_write_formula_num(sheet, r, c, ("=" + cell.text).toUtf8().constData(), format,
                                           std::isfinite(cell.number) ? cell.number : 0.0);
    }
    return LXW_NO_ERROR;
}

lxw_error writeSheet(lxw_workbook* workbook, const WorkSheet& source, Formats& formats) {
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, source.name.toUtf8().constData());
    if (!sheet)
        return LXW_ERROR_PARAMETER_VALIDATION;
    for (std::size_t col = 0; col < source.columnWidths.size(); ++col) {
        const auto c = static_cast<lxw_col_t>(col);
        worksheet_set_column(sheet, c, c, source.columnWidths[col], nullptr);
    }
    if (source.frozenRows > 0)
        worksheet_freeze_panes(sheet, static_cast<lxw_row_t>(source.frozenRows), 0);
    worksheet_set_paper(sheet, kPaperA4);
    if (!source.pageHeader.isEmpty())
        worksheet_set_header(sheet, headerText(source.pageHeader).constData());
    if (source.rows.size() > LXW_ROW_MAX)
        return LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
    for (std::size_t row = 0; row < source.rows.size(); ++row) {
        const SheetRow& cells = source.rows[row];
        for (std::size_t col = 0; col < cells.size() && col < LXW_COL_MAX; ++col) {
            if (const lxw_error error = writeCell(sheet, int(row), int(col), cells[col], formats))
                return error;
        }
    }
    return LXW_NO_ERROR;
}

} // namespace

engine::Resultado writeXlsx(const Workbook& workbook, const QString& path) {
    const QFileInfo target(path);
    if (target.isDir())
        return failure(path, QStringLiteral("es una carpeta"));
    // The temporary file lives beside the destination so that the final rename stays on one disk.
    QTemporaryFile reserve(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");
    if (!reserve.open())
        return failure(path, QStringLiteral("no se puede crear un archivo en la carpeta %1")
                                 .arg(QDir::toNativeSeparators(target.absolutePath())));
    reserve.setAutoRemove(false);
    reserve.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                           QFileDevice::ReadOther);
    const QString temporary = reserve.fileName();
    reserve.close();
    const QByteArray temporaryName = QFile::encodeName(temporary);

    lxw_workbook_options options{};
    options.use_zip64 = LXW_FALSE; // parts of a budget stay far below 4 GB
    lxw_workbook* book = workbook_new_opt(temporaryName.constData(), &options);
    if (!book) {
        QFile::remove(temporary);
        return failure(path, QStringLiteral("no hay memoria suficiente"));
    }
    Formats formats(book);
    lxw_error error = LXW_NO_ERROR;
    for (const WorkSheet& sheet : workbook.sheets) {
        if ((error = writeSheet(book, sheet, formats)) != LXW_NO_ERROR)
            break;
    }
    const lxw_error closed = workbook_close(book); // frees the workbook in every case
    if (error == LXW_NO_ERROR)
        error = closed;
    if (error != LXW_NO_ERROR) {
        QFile::remove(temporary);
        return failure(path, QString::fromUtf8(lxw_strerror(error)));
    }
    if (std::rename(temporaryName.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) !=
        0) {
        QFile::remove(temporary);
        return failure(path, QStringLiteral("no se pudo reemplazar el archivo"));
    }
    return {};
}

} // namespace korvex::exchange
