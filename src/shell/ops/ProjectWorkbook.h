#pragma once
// The whole project as a workbook: the budget, every analysis, the four resource lists, the group
// schedule, the formula and the crew, one sheet each. Every figure is taken from the routine that
// shows it in the program and in its batch command (budget presentation, analysis editor, price
// window, schedule window, formula and crew windows), read back from the text they show, so that
// the spreadsheet and the program agree to the cent.

#include "engine/Engine.h"
#include "exchange/Workbook.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace korvex::shell {

enum class ExportSheet {
    Presupuesto,
    Analisis,
    Materiales,
    Equipo,
    ManoObra,
    Transporte,
    Cronograma,
    Formula,
    Cuadrilla
};

// Every sheet, in the workbook's order.
const std::vector<ExportSheet>& allExportSheets();
// "presupuesto", "analisis", ...: how the batch command names a sheet.
QString exportSheetKey(ExportSheet sheet);
// "Presupuesto", "Análisis", "Mano de obra", ...: the sheet's tab.
QString exportSheetTitle(ExportSheet sheet);
// "presupuesto,formula" in any order and letter case; the sheets in the workbook's order. On an
// unknown name returns false with the name in unknown.
bool parseExportSheets(const QString& list, std::vector<ExportSheet>& sheets, QString& unknown);

struct ProjectWorkbook : engine::Resultado {
    exchange::Workbook workbook;
};

// Recalculates the stored unit prices (a refresh of derived figures only), then gathers the
// sheets. A project without its header is refused as the budget presentation refuses it.
// Database failures are reported in the result, never thrown.
ProjectWorkbook buildProjectWorkbook(const QString& projectFolder, const std::vector<ExportSheet>& sheets);

// buildProjectWorkbook, then the .xlsx file (written whole under a temporary name, then renamed).
engine::Resultado exportProjectWorkbook(const QString& projectFolder, const QString& path,
                                        const std::vector<ExportSheet>& sheets);

} // namespace korvex::shell
