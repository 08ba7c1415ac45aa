#pragma once
// Writes a workbook as an .xlsx file: bold headings, the cells' number formats, formulas with
// their result kept beside them (so that a reader that does not recalculate shows the figure),
// column widths, frozen header rows, A4 pages with the sheet's page header.

#include "engine/Engine.h"
#include "exchange/Workbook.h"

namespace korvex::exchange {

// The file is written under a temporary name in the destination folder and renamed over the
// destination only once complete; on any failure the destination is as it was and the result
// carries a Spanish message naming the file.
engine::Resultado writeXlsx(const Workbook& workbook, const QString& path);

} // namespace korvex::exchange
