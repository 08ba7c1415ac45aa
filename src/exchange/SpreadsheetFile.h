#pragma once
// Reading a spreadsheet file by what it holds: an .xlsx workbook (a zip archive) or CSV text.

#include "exchange/Table.h"

#include <QString>

namespace korvex::exchange {

// The named sheet of a workbook (the first when sheetName is empty), or the CSV file's rows.
// Refuses an unreadable, empty, oversized or password-protected file with a Spanish message
// naming it. Never throws.
ReadOutcome readSpreadsheetFile(const QString& path, const QString& sheetName = {},
                                const ReadLimits& limits = {});

} // namespace korvex::exchange
