#pragma once
// Reads a CSV file as a table of texts: fields separated by "," or ";" (or tabs), whichever the
// first line uses most; fields in double quotes may hold separators, line breaks and doubled
// quotes. The text is UTF-8 when it is valid UTF-8 (a byte-order mark is skipped), otherwise
// Windows-1252, as spreadsheet programs save it on Spanish systems.

#include "exchange/Table.h"

#include <QByteArray>
#include <QString>

namespace korvex::exchange {

// Every cell is a text; a file separated by ";" marks the table with commaDecimals. Row numbers
// count records from 1, as a spreadsheet program would number them. Never throws.
ReadOutcome readCsv(const QByteArray& data, const QString& fileLabel, const ReadLimits& limits = {});

// The bytes as text: UTF-8 when valid, else Windows-1252.
QString decodeText(const QByteArray& data);

} // namespace korvex::exchange
