#include "exchange/Workbook.h"

namespace korvex::exchange {

SheetCell SheetCell::textCell(const QString& text, bool bold) {
    SheetCell cell;
    cell.kind = Kind::Text;
    cell.text = text;
    cell.bold = bold;
    return cell;
}

SheetCell SheetCell::numberCell(double value, const QString& format, bool bold) {
    SheetCell cell;
    cell.kind = Kind::Number;
    cell.number = value;
    cell.format = format;
    cell.bold = bold;
    return cell;
}

SheetCell SheetCell::formulaCell(const QString& formula, double result, const QString& format, bool bold) {
    SheetCell cell;
    cell.kind = Kind::Formula;
    cell.text = formula;
    cell.number = result;
    cell.format = format;
    cell.bold = bold;
    return cell;
}

int WorkSheet::addRow(SheetRow row) {
    rows.push_back(std::move(row));
    return static_cast<int>(rows.size()) - 1;
}

QString columnName(int col) {
    QString name;
    for (int n = col + 1; n > 0; n = (n - 1) / 26)
        name.prepend(QChar('A' + (n - 1) % 26));
    return name;
}

QString cellName(int row, int col) {
    return columnName(col) + QString::number(row + 1);
}

QString sumFormula(int col, int firstRow, int lastRow) {
    if (lastRow < firstRow)
        return {};
    return QStringLiteral("SUM(%1:%2)").arg(cellName(firstRow, col), cellName(lastRow, col));
}

} // namespace korvex::exchange
