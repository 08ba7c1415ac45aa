#pragma once
// A workbook as plain data: sheets of rows of cells, each cell a text, a number with its number
// format, or a formula with its computed result. Whoever gathers the figures fills this model;
// the xlsx writer turns it into a file without knowing where the figures came from.

#include <QString>
#include <vector>

namespace korvex::exchange {

// Number formats of the written cells, matching the program's display patterns.
inline constexpr const char* kFormatMoney = "#,##0.00";
inline constexpr const char* kFormatThree = "#,##0.000";
inline constexpr const char* kFormatPrice = "#,##0.00#";
inline constexpr const char* kFormatCoefficient = "0.000";

struct SheetCell {
    enum class Kind { Empty, Text, Number, Formula };
    Kind kind = Kind::Empty;
    QString text;      // Text; Formula: the formula without "=", such as "SUM(G5:G9)"
    double number = 0; // Number; Formula: the result written with it
    QString format;    // number format; "" for the general one
    bool bold = false;

    static SheetCell textCell(const QString& text, bool bold = false);
    static SheetCell numberCell(double value, const QString& format, bool bold = false);
    static SheetCell formulaCell(const QString& formula, double result, const QString& format,
                                 bool bold = false);
};

using SheetRow = std::vector<SheetCell>;

struct WorkSheet {
    QString name;
    QString pageHeader; // printed at the top of every page
    std::vector<SheetRow> rows;
    std::vector<double> columnWidths; // in characters, from column A on
    int frozenRows = 0;               // rows kept in view while scrolling

    // Appends a row and returns its index (0-based).
    int addRow(SheetRow row = {});
};

struct Workbook {
    std::vector<WorkSheet> sheets;
};

// "A" for column 0, "AA" for column 26.
QString columnName(int col);
// "G5" for row 4, column 6 (both 0-based).
QString cellName(int row, int col);
// "SUM(G5:G9)" over rows first..last (0-based, inclusive) of one column; "" when there are none.
QString sumFormula(int col, int firstRow, int lastRow);

} // namespace korvex::exchange
