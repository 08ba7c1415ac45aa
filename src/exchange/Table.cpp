#include "exchange/Table.h"

#include <QLocale>

namespace korvex::exchange {

QString TableCell::asText() const {
    switch (kind) {
    case Kind::Empty:
        return {};
    case Kind::Number:
        return QString::number(number, 'f', QLocale::FloatingPointShortest);
    case Kind::Text:
        break;
    }
    return text;
}

const TableCell& TableRow::cell(int col) const {
    static const TableCell empty;
    if (col < 0 || col >= static_cast<int>(cells.size()))
        return empty;
    return cells[static_cast<std::size_t>(col)];
}

int Table::columnCount() const {
    std::size_t count = 0;
    for (const TableRow& row : rows)
        count = std::max(count, row.cells.size());
    return static_cast<int>(count);
}

} // namespace korvex::exchange
