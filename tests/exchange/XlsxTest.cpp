// Writing a workbook and reading it back, and what the .xlsx reader refuses.
#include "ZipBuilder.h"
#include "exchange/SpreadsheetFile.h"
#include "exchange/XlsxReader.h"
#include "exchange/XlsxWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex::exchange;
using korvex::testing::minimalWorkbook;

namespace {

Workbook sampleBook() {
    Workbook book;
    WorkSheet first;
    first.name = "Presupuesto";
    first.pageHeader = "Casa & Garaje";
    first.frozenRows = 1;
    first.columnWidths = {30, 12};
    first.addRow({SheetCell::textCell("DESCRIPCIÓN", true), SheetCell::textCell("TOTAL", true)});
    first.addRow({SheetCell::textCell("Hormigón <f'c 210>"), SheetCell::numberCell(1234.5, kFormatMoney)});
    first.addRow({SheetCell::textCell("Acero"), SheetCell::numberCell(0.125, kFormatThree)});
    first.addRow({SheetCell::textCell("Total", true),
                  SheetCell::formulaCell(sumFormula(1, 1, 2), 1234.63, kFormatMoney)});
    book.sheets.push_back(first);
    WorkSheet second;
    second.name = "Mano de obra";
    second.addRow();
    second.addRow({{}, {}, SheetCell::textCell("C3")});
    book.sheets.push_back(second);
    return book;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(Xlsx, WrittenWorkbookReadsBackWithNumbersTextsAndFormulas) {
    QTemporaryDir dir;
    const QString path = dir.filePath("libro.xlsx");
    const auto written = writeXlsx(sampleBook(), path);
    ASSERT_TRUE(written.ok) << written.message.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"libro.xlsx"});

    const ReadOutcome first = readSpreadsheetFile(path);
    ASSERT_TRUE(first.ok) << first.message.toStdString();
    EXPECT_EQ(first.table.sheetName, "Presupuesto");
    EXPECT_EQ(first.table.sheetNames, (QStringList{"Presupuesto", "Mano de obra"}));
    ASSERT_EQ(first.table.rows.size(), 4u);
    EXPECT_EQ(first.table.rows[1].cell(0).text, "Hormigón <f'c 210>");
    EXPECT_EQ(first.table.rows[1].cell(1).kind, TableCell::Kind::Number);
    EXPECT_DOUBLE_EQ(first.table.rows[1].cell(1).number, 1234.5);
    const TableCell& total = first.table.rows[3].cell(1);
    EXPECT_EQ(total.formula, "SUM(B2:B3)");
    EXPECT_DOUBLE_EQ(total.number, 1234.63); // the result written with it

    const ReadOutcome second = readSpreadsheetFile(path, "MANO DE OBRA");
    ASSERT_TRUE(second.ok) << second.message.toStdString();
    ASSERT_EQ(second.table.rows.size(), 1u); // the empty first row is not stored
    EXPECT_EQ(second.table.rows[0].number, 2);
    EXPECT_EQ(second.table.rows[0].cell(2).text, "C3");
    EXPECT_TRUE(second.table.rows[0].cell(0).isEmpty());

    const ReadOutcome missing = readSpreadsheetFile(path, "Precios");
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.message.contains("no hay una hoja «Precios» (hojas: Presupuesto, Mano de obra)"))
        << missing.message.toStdString();
}

TEST(Xlsx, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    QTemporaryDir dir;
    const QString path = dir.filePath("libro.xlsx");
    ASSERT_TRUE(writeXlsx(sampleBook(), path).ok);
    const QByteArray before = fileBytes(path);

    Workbook bad = sampleBook();
    bad.sheets[1].name = "Presupuesto"; // a name used twice: the library refuses it
    const auto refused = writeXlsx(bad, path);
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.message.startsWith("No se pudo escribir el archivo"))
        << refused.message.toStdString();
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"libro.xlsx"});

    const auto noFolder = writeXlsx(sampleBook(), dir.filePath("no/existe.xlsx"));
    EXPECT_FALSE(noFolder.ok);
    EXPECT_TRUE(noFolder.message.contains("no se puede crear un archivo en la carpeta"))
        << noFolder.message.toStdString();
}

TEST(Xlsx, CellKindsOfOtherWriters) {
    const QByteArray shared =
        "<si><t>Cemento</t></si>"
        "<si><r><t>Arena </t></r><r><rPr><b/></rPr><t>fina</t></r><rPh><t>yomi</t></rPh></si>";
    const QByteArray data =
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"inlineStr\"><is><t>en "
        "línea</t></is></c></row>"
        "<row r=\"3\"><c t=\"s\"><v>0</v></c><c><v>12.5</v></c><c t=\"str\"><f>A3&amp;\"x\"</f>"
        "<v>Cementox</v></c><c t=\"b\"><v>1</v></c></row>";
    const ReadOutcome read = readXlsx(minimalWorkbook(data, shared), {}, "prueba.xlsx");
    ASSERT_TRUE(read.ok) << read.message.toStdString();
    ASSERT_EQ(read.table.rows.size(), 2u);
    EXPECT_EQ(read.table.rows[0].cell(0).text, "Arena fina");
    EXPECT_EQ(read.table.rows[0].cell(2).text, "en línea");
    EXPECT_EQ(read.table.rows[1].number, 3);
    EXPECT_EQ(read.table.rows[1].cell(0).text, "Cemento");
    EXPECT_DOUBLE_EQ(read.table.rows[1].cell(1).number, 12.5);
    EXPECT_EQ(read.table.rows[1].cell(2).text, "Cementox");
    EXPECT_EQ(read.table.rows[1].cell(3).text, "1");
}

TEST(Xlsx, BadAndHostileFilesAreRefusedWithTheirReason) {
    const auto message = [](const QByteArray& bytes, const ReadLimits& limits = {}) {
        const ReadOutcome read = readXlsx(bytes, {}, "lista.xlsx", limits);
        EXPECT_FALSE(read.ok);
        return read.message.toStdString();
    };
    EXPECT_EQ(message({}), "No se puede leer lista.xlsx: el archivo está vacío");
    EXPECT_EQ(message("descripcion;precio\n"), "No se puede leer lista.xlsx: no es un libro .xlsx");
    EXPECT_NE(message(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\0'))
                  .find("protegido con contraseña"),
              std::string::npos);

    const QByteArray good =
        minimalWorkbook("<row r=\"1\"><c t=\"s\"><v>0</v></c></row>", "<si><t>a</t></si>");
    EXPECT_NE(message(good.left(good.size() - 30)).find("no es un libro .xlsx"), std::string::npos);
    QByteArray encrypted = good;
    for (qsizetype at = encrypted.indexOf("PK\x01\x02"); at >= 0;
         at = encrypted.indexOf("PK\x01\x02", at + 4))
        encrypted[at + 8] = 1;
    EXPECT_NE(message(encrypted).find("protegido con contraseña"), std::string::npos);

    EXPECT_NE(message(minimalWorkbook("<row r=\"1\"><c t=\"s\"><v>7</v></c></row>", "<si><t>a</t></si>"))
                  .find("fila 1: la celda A1 remite a un texto compartido que no existe"),
              std::string::npos);
    EXPECT_NE(message(minimalWorkbook("<row r=\"2\"/><row r=\"1\"/>")).find("fila 1 fuera de orden"),
              std::string::npos);
    EXPECT_NE(message(minimalWorkbook("<row r=\"1\"><c r=\"B7\"><v>1</v></c></row>"))
                  .find("referencia de celda no válida"),
              std::string::npos);

    QByteArray deep;
    for (int i = 0; i < 80; ++i)
        deep += "<x>";
    EXPECT_NE(message(minimalWorkbook(deep)).find("anida más de 64 niveles"), std::string::npos);

    ReadLimits few;
    few.maxCells = 10;
    EXPECT_NE(message(minimalWorkbook("<row r=\"1\"><c r=\"Z1\"><v>1</v></c></row>"), few)
                  .find("fila 1: la hoja pasa del límite de 10 celdas"),
              std::string::npos);
    ReadLimits small;
    small.maxEntryBytes = 64;
    EXPECT_NE(message(good, small).find("se expande más allá del límite"), std::string::npos);
}

TEST(Xlsx, ADeflatedPartExpandingPastTheBoundIsStopped) {
    // A sheet of one repeated cell compresses a hundredfold; the bound stops the inflation, not
    // the size the archive claims.
    Workbook book;
    WorkSheet sheet;
    sheet.name = "Hoja";
    for (int r = 0; r < 5000; ++r)
        sheet.addRow({SheetCell::numberCell(1, {}), SheetCell::numberCell(2, {})});
    book.sheets.push_back(sheet);
    QTemporaryDir dir;
    const QString path = dir.filePath("grande.xlsx");
    ASSERT_TRUE(writeXlsx(book, path).ok);
    const QByteArray bytes = fileBytes(path);
    ReadLimits limits;
    limits.maxExpandedBytes = bytes.size() * 4;
    const ReadOutcome read = readXlsx(bytes, {}, "grande.xlsx", limits);
    EXPECT_FALSE(read.ok);
    EXPECT_TRUE(read.message.contains("se expande más allá del límite")) << read.message.toStdString();
    EXPECT_TRUE(readXlsx(bytes, {}, "grande.xlsx").ok);
}
