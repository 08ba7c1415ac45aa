#pragma once
// A sheet as read from a spreadsheet file: its rows, each with the number the user sees it under,
// and their cells as numbers or texts. Rows and cells the file does not hold are not stored.

#include <QString>
#include <QStringList>
#include <vector>

namespace korvex::exchange {

struct TableCell {
    enum class Kind { Empty, Number, Text };
    Kind kind = Kind::Empty;
    double number = 0;
    QString text;
    QString formula; // an .xlsx cell's formula, without "="; the cell holds its last result

    bool isEmpty() const { return kind == Kind::Empty || (kind == Kind::Text && text.trimmed().isEmpty()); }
    // The cell as a text: a number in its shortest decimal form.
    QString asText() const;
};

struct TableRow {
    int number = 0; // 1 for the first row of the sheet
    std::vector<TableCell> cells;
    const TableCell& cell(int col) const;
};

struct Table {
    QString sheetName;          // "" for a CSV file
    QStringList sheetNames;     // every sheet of the workbook, in order
    std::vector<TableRow> rows; // ascending row numbers
    // A CSV file separated by ";" writes "," for the decimal point and "." between thousands.
    bool commaDecimals = false;
    int columnCount() const;
};

// Bounds every reader keeps to; a file past one is refused with a message saying which.
struct ReadLimits {
    qint64 maxFileBytes = 64LL << 20;      // the file as stored
    qint64 maxExpandedBytes = 256LL << 20; // everything read out of the archive, together
    qint64 maxEntryBytes = 128LL << 20;    // one part of the archive
    qint64 maxCells = 2'000'000;           // cell slots of the sheet read, empty ones between included
    int maxParts = 10'000;                 // parts of the archive
    int maxSharedStrings = 1'000'000;
    int maxRows = 1'048'576;
    int maxColumns = 16'384;
    int maxDepth = 64; // nesting of XML elements
    int maxMilliseconds = 60'000;
};

struct ReadOutcome {
    bool ok = false;
    QString message; // Spanish, naming the file and where in it
    Table table;
};

} // namespace korvex::exchange
