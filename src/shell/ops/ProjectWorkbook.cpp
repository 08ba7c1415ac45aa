#include "shell/ops/ProjectWorkbook.h"

#include "analysis/AnalysisBatch.h"
#include "analysis/AnalysisCaptions.h"
#include "analysis/AnalysisText.h"
#include "budget/Presentation.h"
#include "budget/ProjectData.h"
#include "engine/Numbers.h"
#include "exchange/XlsxWriter.h"
#include "formula/Crew.h"
#include "formula/Formula.h"
#include "formula/ProjectTotals.h"
#include "formula/Symbols.h"
#include "lists/PriceList.h"
#include "schedule/GroupSchedule.h"
#include "schedule/GroupSummary.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>
#include <algorithm>

namespace korvex::shell {

using exchange::SheetCell;
using exchange::SheetRow;
using exchange::WorkSheet;

namespace {

struct SheetInfo {
    ExportSheet sheet;
    const char* key;
    const char* title;
};

constexpr SheetInfo kSheets[] = {
    {ExportSheet::Presupuesto, "presupuesto", "Presupuesto"},
    {ExportSheet::Analisis, "analisis", "Análisis"},
    {ExportSheet::Materiales, "materiales", "Materiales"},
    {ExportSheet::Equipo, "equipo", "Equipo"},
    {ExportSheet::ManoObra, "mano", "Mano de obra"},
    {ExportSheet::Transporte, "transporte", "Transporte"},
    {ExportSheet::Cronograma, "cronograma", "Cronograma"},
    {ExportSheet::Formula, "formula", "Fórmula"},
    {ExportSheet::Cuadrilla, "cuadrilla", "Cuadrilla"},
};

const SheetInfo& infoOf(ExportSheet sheet) {
    return kSheets[static_cast<int>(sheet)];
}

// ---- Cells from the texts the program shows ---------------------------------------------------

// The number format of a shown number: as many decimals as it shows, always grouped.
QString formatOfShown(const QString& text) {
    const qsizetype point = text.lastIndexOf('.');
    const qsizetype decimals = point < 0 ? 0 : text.size() - point - 1;
    if (decimals == 0)
        return QStringLiteral("#,##0");
    return decimals >= 3 ? exchange::kFormatThree : exchange::kFormatMoney;
}

// A shown number as a number cell holding exactly what the program shows; a text that is no
// number stays text.
SheetCell shown(const QString& text, const QString& format = {}) {
    if (text.trimmed().isEmpty())
        return {};
    const std::optional<double> value = engine::ConvertirNumero(text);
    if (!value)
        return SheetCell::textCell(text);
    return SheetCell::numberCell(*value, format.isEmpty() ? formatOfShown(text) : format);
}

double shownValue(const QString& text) {
    return engine::ConvertirNumeroOCero(text);
}

SheetCell money(double value, bool bold = false) {
    return SheetCell::numberCell(shownValue(engine::FormatoMoneda(value)), exchange::kFormatMoney, bold);
}

SheetCell text(const QString& value, bool bold = false) {
    return value.isEmpty() && !bold ? SheetCell{} : SheetCell::textCell(value, bold);
}

SheetCell heading(const QString& value) {
    return SheetCell::textCell(value, true);
}

// A total: its formula with the program's figure as the result, or the figure alone when there is
// nothing to add up.
SheetCell total(const QString& formula, double result, const QString& format = exchange::kFormatMoney) {
    if (formula.isEmpty())
        return SheetCell::numberCell(result, format, true);
    return SheetCell::formulaCell(formula, result, format, true);
}

SheetRow headings(const QStringList& titles) {
    SheetRow row;
    for (const QString& title : titles)
        row.push_back(heading(title));
    return row;
}

// A row with value at column col and the cells before it as given.
SheetRow rowWith(SheetRow leading, int col, SheetCell value) {
    leading.resize(static_cast<std::size_t>(std::max<int>(col + 1, int(leading.size()))));
    leading[static_cast<std::size_t>(col)] = std::move(value);
    return leading;
}

double widthOfTwips(int twips) {
    return std::clamp(twips / 100.0, 8.0, 70.0);
}

WorkSheet newSheet(ExportSheet which, const QString& projectName) {
    WorkSheet sheet;
    sheet.name = exportSheetTitle(which);
    sheet.pageHeader = projectName;
    return sheet;
}

// ---- Presupuesto ------------------------------------------------------------------------------

// The group each item of the presentation belongs to ("" for none), in the same order.
QStringList itemGroups(store::Database& db, const budget::Presentacion& p) {
    QStringList groups;
    store::RecordSet rs =
        db.openRecordSet("SELECT CodigoPres, ItemPres, GruposPres FROM Presupuesto ORDER BY indice");
    for (int i = 0; !rs.eof(); rs.moveNext(), ++i) {
        if (i >= p.filas.size() || rs.text("CodigoPres") != p.filas[i].codigo ||
            rs.text("ItemPres") != p.filas[i].item)
            return QStringList(p.filas.size(), QString()); // changed meanwhile: shown without groups
        groups.append(rs.text("GruposPres").trimmed());
    }
    return groups.size() == p.filas.size() ? groups : QStringList(p.filas.size(), QString());
}

constexpr int kTotalCol = 6;
constexpr int kGroupTotalCol = 7;

SheetRow itemRow(const budget::FilaPresentacion& f) {
    return {text(f.codigo),
            text(f.item),
            text(f.descripcion),
            text(f.unidad),
            shown(f.cantidad, exchange::kFormatPrice),
            shown(f.precioUnitario, exchange::kFormatMoney),
            shown(f.precioTotal, exchange::kFormatMoney)};
}

void addHeader(WorkSheet& sheet, const budget::DatosProyecto& datos, const budget::Presentacion& p) {
    sheet.addRow({heading(QStringLiteral("PRESUPUESTO"))});
    const QList<QPair<QString, QString>> fields = {{QStringLiteral("Institución:"), datos.institucion},
                                                   {QStringLiteral("Proyecto:"), p.proyecto},
                                                   {QStringLiteral("Ubicación:"), datos.ubicacion},
                                                   {QStringLiteral("Oferente:"), datos.oferente},
                                                   {QStringLiteral("Elaborado por:"), datos.elaborado},
                                                   {QStringLiteral("Fecha:"), datos.fecha},
                                                   {QStringLiteral("Ciudad:"), datos.ciudad},
                                                   {QStringLiteral("Costos indirectos:"), p.indirectos},
                                                   {QStringLiteral("Otros indirectos:"), p.otrosIndirectos}};
    for (const auto& [caption, value] : fields) {
        if (!value.trimmed().isEmpty())
            sheet.addRow({heading(caption), {}, text(value)});
    }
    sheet.addRow();
}

WorkSheet budgetSheet(store::Database& db, const budget::Presentacion& p, const QString& projectName) {
    WorkSheet sheet = newSheet(ExportSheet::Presupuesto, projectName);
    addHeader(sheet, budget::leerDatosProyecto(db, {}), p);
    const schedule::ResumenGrupos groups = schedule::CargarResumenGrupos(db);
    const QStringList ofItem = itemGroups(db, p);
    const bool grouped = !groups.grupos.empty() && std::any_of(ofItem.begin(), ofItem.end(),
                                                               [](const QString& g) { return !g.isEmpty(); });

    QStringList titles = {"CÓDIGO",          "ITEM",        "DESCRIPCIÓN", "UNIDAD", "CANTIDAD",
                          "PRECIO UNITARIO", "PRECIO TOTAL"};
    if (grouped)
        titles.append(QStringLiteral("TOTAL GRUPO"));
    sheet.addRow(headings(titles));
    sheet.frozenRows = static_cast<int>(sheet.rows.size());
    sheet.columnWidths = {12, 8, 60, 10, 14, 17, 17, 17};
    const int firstItemRow = static_cast<int>(sheet.rows.size());

    if (!grouped) {
        for (const budget::FilaPresentacion& f : p.filas)
            sheet.addRow(itemRow(f));
    } else {
        // Items under their group in the groups' order; items of no known group last.
        QHash<QString, int> groupIndex;
        for (int g = 0; g < int(groups.grupos.size()); ++g)
            groupIndex.insert(store::text::foldKey(groups.grupos[g].grupo.trimmed()), g);
        std::vector<std::vector<int>> members(groups.grupos.size() + 1);
        for (int i = 0; i < p.filas.size(); ++i) {
            const int g = groupIndex.value(store::text::foldKey(ofItem[i]), int(groups.grupos.size()));
            members[std::size_t(g)].push_back(i);
        }
        for (std::size_t g = 0; g < members.size(); ++g) {
            if (members[g].empty())
                continue;
            const bool known = g < groups.grupos.size();
            const QString name = known ? groups.grupos[g].grupo : QStringLiteral("Sin grupo");
            const QString description = known ? groups.grupos[g].descripcion : QString();
            sheet.addRow({heading(name), {}, heading(description.isEmpty() ? name : description)});
            const int first = static_cast<int>(sheet.rows.size());
            double sum = 0;
            for (int i : members[g]) {
                sheet.addRow(itemRow(p.filas[i]));
                sum = engine::Redondear(sum + shownValue(p.filas[i].precioTotal), 2);
            }
            const int last = static_cast<int>(sheet.rows.size()) - 1;
            sheet.addRow(rowWith({{}, {}, heading("Total " + (description.isEmpty() ? name : description))},
                                 kGroupTotalCol, total(exchange::sumFormula(kTotalCol, first, last), sum)));
        }
    }
    const int lastItemRow = static_cast<int>(sheet.rows.size()) - 1;
    sheet.addRow();
    const int subtotalRow = sheet.addRow(rowWith(
        {{}, {}, heading(QStringLiteral("Subtotal"))}, kTotalCol,
        total(exchange::sumFormula(kTotalCol, firstItemRow, lastItemRow), shownValue(p.subtotalTexto))));
    const int ivaRow =
        sheet.addRow(rowWith({{}, {}, heading(p.conIva ? "IVA 12%" : "IVA 0%")}, kTotalCol,
                             SheetCell::numberCell(shownValue(p.ivaTexto), exchange::kFormatMoney, true)));
    sheet.addRow(
        rowWith({{}, {}, heading(QStringLiteral("Total"))}, kTotalCol,
                total(exchange::sumFormula(kTotalCol, subtotalRow, ivaRow), shownValue(p.totalTexto))));
    return sheet;
}

// ---- Análisis ---------------------------------------------------------------------------------

constexpr int kAnalysisFigureCol = 6;

void addKindBlock(WorkSheet& sheet, analysis::Kind kind, const analysis::LineTable& lines,
                  const analysis::AnalysisTotals& totals, std::vector<int>& subtotalRows) {
    const analysis::KindSpec& s = analysis::kindInfo(kind);
    sheet.addRow(headings(s.headers));
    const int first = static_cast<int>(sheet.rows.size());
    for (int r = 1; r <= lines.lastUsedRow(); ++r) {
        SheetRow row;
        for (int col = 0; col < s.columns; ++col) {
            const QString cell = lines.cell(r, col);
            row.push_back(col == 0 || col == s.secondCol ? text(cell) : shown(cell));
        }
        sheet.addRow(std::move(row));
    }
    const int last = static_cast<int>(sheet.rows.size()) - 1;
    const int valueCol = s.hasYield() ? s.costCol : s.amountCol;
    subtotalRows.push_back(
        sheet.addRow(rowWith({heading(s.subtotalLabel)}, kAnalysisFigureCol,
                             total(exchange::sumFormula(valueCol, first, last),
                                   shownValue(engine::FormatoMoneda(totals.subtotal(kind)))))));
}

void addAnalysisBlock(WorkSheet& sheet, const analysis::PricedAnalysis& a) {
    sheet.addRow({heading(QString(analysis::kCaptionRubro).simplified()), text(a.item.description)});
    sheet.addRow({heading(QString(analysis::kCaptionCodigo).simplified()), text(a.item.code),
                  heading(QStringLiteral("Item:")), text(a.item.item)});
    sheet.addRow({heading(QString(analysis::kCaptionUnidad).simplified()), text(a.item.unit)});
    std::vector<int> figureRows;
    for (analysis::Kind kind : analysis::kAllKinds)
        addKindBlock(sheet, kind, a.sheet.lines(kind), a.totals, figureRows);
    const auto figureRow = [&](const QString& caption, SheetCell value) {
        return sheet.addRow(rowWith({heading(caption)}, kAnalysisFigureCol, std::move(value)));
    };
    figureRows.push_back(figureRow(analysis::kCaptionHerramientas, money(a.totals.tools, true)));
    QStringList addends;
    for (int row : figureRows)
        addends.append(exchange::cellName(row, kAnalysisFigureCol));
    const int direct =
        figureRow(analysis::kCaptionDirectos, total("SUM(" + addends.join(',') + ")",
                                                    shownValue(engine::FormatoMoneda(a.totals.direct))));
    // The indirect amounts keep their third decimal, as the unit price adds them.
    const auto indirect = [](double value) {
        return SheetCell::numberCell(shownValue(engine::FormatoPrecio(value)), exchange::kFormatPrice, true);
    };
    figureRow(analysis::indirectCaption(a.header), indirect(a.totals.indirect));
    const int other = figureRow(analysis::kCaptionOtrosIndirectos, indirect(a.totals.otherIndirect));
    figureRow(analysis::kCaptionPrecioUnitario, total(exchange::sumFormula(kAnalysisFigureCol, direct, other),
                                                      shownValue(engine::FormatoMoneda(a.totals.unitPrice))));
    sheet.addRow();
}

WorkSheet analysisSheet(store::Database& db, const budget::Presentacion& p, const QString& projectName) {
    WorkSheet sheet = newSheet(ExportSheet::Analisis, projectName);
    sheet.columnWidths = {48, 12, 14, 14, 14, 14, 16};
    sheet.addRow({heading(QStringLiteral("ANÁLISIS DE PRECIOS UNITARIOS"))});
    sheet.addRow();
    QList<std::pair<QString, QString>> items;
    for (const budget::FilaPresentacion& f : p.filas)
        items.append({f.codigo, f.item});
    analysis::priceItems(db, items,
                         [&](const analysis::PricedAnalysis& priced) { addAnalysisBlock(sheet, priced); });
    return sheet;
}

// ---- Resource lists ---------------------------------------------------------------------------

WorkSheet resourceSheet(ExportSheet which, engine::TipoRecurso kind, const QString& folder,
                        const QString& projectName) {
    WorkSheet sheet = newSheet(which, projectName);
    const lists::PriceList list = lists::PriceList::load(folder, kind);
    const lists::ListLayout& l = list.layout();
    sheet.addRow({heading(l.title.simplified())});
    sheet.addRow(headings(l.headers));
    sheet.frozenRows = 2;
    for (int width : l.widthsTwips)
        sheet.columnWidths.push_back(widthOfTwips(width));
    const QString quantityFormat =
        l.quantityFormat == engine::kFormatoTresDecimales ? exchange::kFormatThree : exchange::kFormatMoney;
    const int first = static_cast<int>(sheet.rows.size());
    for (int i = 0; i < list.size(); ++i) {
        SheetRow row;
        for (int col = 0; col < l.columns(); ++col) {
            const QString cell = list.cell(i, col);
            if (col == 0 || col == l.secondCol)
                row.push_back(text(cell));
            else
                row.push_back(
                    shown(cell, col == l.quantityCol ? quantityFormat : QString(exchange::kFormatMoney)));
        }
        sheet.addRow(std::move(row));
    }
    const int last = static_cast<int>(sheet.rows.size()) - 1;
    sheet.addRow(rowWith({heading(l.totalCaption + ":")}, l.totalCol,
                         total(exchange::sumFormula(l.totalCol, first, last),
                               shownValue(engine::FormatoMoneda(list.total())))));
    return sheet;
}

// ---- Cronograma -------------------------------------------------------------------------------

WorkSheet scheduleSheet(store::Database& db, const QString& folder, const QString& projectName) {
    WorkSheet sheet = newSheet(ExportSheet::Cronograma, projectName);
    const schedule::Cronograma crono = schedule::CargarCronograma(db);
    const std::vector<double> costs = schedule::CostosDirectosGrupos(folder, crono);
    const schedule::TotalesPeriodo totals = schedule::CalcularTotalesCrono(crono, costs);
    const int periods = std::clamp(crono.periodos, 1, schedule::kPeriodos);

    sheet.addRow({heading(QStringLiteral("CRONOGRAMA VALORADO POR GRUPOS"))});
    sheet.addRow({text(QStringLiteral("Base: costo directo de cada grupo, sin herramientas ni indirectos, "
                                      "como lo calcula la ventana del cronograma"))});
    if (!crono.periodoTipo.trimmed().isEmpty())
        sheet.addRow({heading(QStringLiteral("Periodo:")), text(crono.periodoTipo)});
    sheet.addRow();
    QStringList titles = {"GRUPO", "DESCRIPCIÓN", "COSTO DIRECTO"};
    for (int p = 1; p <= periods; ++p)
        titles.append(QStringLiteral("% PERIODO %1").arg(p));
    sheet.addRow(headings(titles));
    sheet.frozenRows = static_cast<int>(sheet.rows.size());
    sheet.columnWidths = {14, 40, 16};
    sheet.columnWidths.resize(std::size_t(3 + periods), 13);

    for (std::size_t g = 0; g < crono.grupos.size(); ++g) {
        const schedule::GrupoCrono& grupo = crono.grupos[g];
        SheetRow row = {text(grupo.grupo), text(grupo.descripcion), money(g < costs.size() ? costs[g] : 0)};
        for (int p = 0; p < periods; ++p)
            row.push_back(shown(grupo.porcentajes[std::size_t(p)], QStringLiteral("0.00")));
        sheet.addRow(std::move(row));
    }
    sheet.addRow();
    for (const bool partial : {true, false}) {
        SheetRow row = {heading(partial ? "TOTAL PARCIAL" : "TOTAL ACUMULADO"), {}, {}};
        const auto& values = partial ? totals.parcial : totals.acumulado;
        for (int p = 0; p < periods; ++p)
            row.push_back(values[std::size_t(p)] ? money(*values[std::size_t(p)], true) : SheetCell{});
        sheet.addRow(std::move(row));
    }
    return sheet;
}

// ---- Fórmula y cuadrilla ----------------------------------------------------------------------

QString writtenFormula(const formula::FormulaSheet& f) {
    QStringList terms;
    for (const formula::FormulaRow& row : f.rows)
        terms.append(formula::coefficientText(row.coeficiente).trimmed() + " " + row.simbolo + "1/" +
                     row.simbolo + "o");
    return "Pr = Po (" + terms.join(" + ") + ")";
}

WorkSheet formulaSheet(store::Database& db, const formula::ProjectTotals& projectTotals,
                       const QString& projectName) {
    WorkSheet sheet = newSheet(ExportSheet::Formula, projectName);
    const formula::FormulaSheet f = formula::computeFormula(db, projectTotals.costoDirecto);
    sheet.addRow({heading(QStringLiteral("FÓRMULA POLINÓMICA"))});
    sheet.addRow(headings({"SÍMBOLO", "DESCRIPCIÓN", "COSTO DIRECTO", "COEFICIENTE"}));
    sheet.frozenRows = 2;
    sheet.columnWidths = {10, 50, 16, 14};
    const int first = static_cast<int>(sheet.rows.size());
    for (const formula::FormulaRow& row : f.rows)
        sheet.addRow({text(row.simbolo), text(row.descripcion),
                      shown(formula::costText(row.costo), exchange::kFormatMoney),
                      shown(formula::coefficientText(row.coeficiente), exchange::kFormatCoefficient)});
    const int last = static_cast<int>(sheet.rows.size()) - 1;
    sheet.addRow(
        {heading(QStringLiteral("Total")),
         {},
         total(exchange::sumFormula(2, first, last), shownValue(formula::costText(f.totalCosto))),
         total(exchange::sumFormula(3, first, last),
               shownValue(formula::coefficientTotalText(f.totalCoeficiente)), exchange::kFormatCoefficient)});
    sheet.addRow();
    sheet.addRow({heading(QStringLiteral("Fórmula:")), text(writtenFormula(f))});
    if (!f.sumaEsUno())
        sheet.addRow({{}, text(formula::kSumaNoEsUno)});
    if (!f.excedentes.isEmpty())
        sheet.addRow({{}, text(formula::tooManySymbolsMessage(f.excedentes))});
    return sheet;
}

WorkSheet crewSheet(store::Database& db, const formula::ProjectTotals& projectTotals,
                    const QString& projectName) {
    WorkSheet sheet = newSheet(ExportSheet::Cuadrilla, projectName);
    const formula::CrewSheet crew = formula::computeCrew(db, projectTotals);
    sheet.addRow({heading(QStringLiteral("CUADRILLA TIPO"))});
    sheet.addRow(headings({"DESCRIPCIÓN", "CATEGORÍA", "COSTO", "COEFICIENTE"}));
    sheet.frozenRows = 2;
    sheet.columnWidths = {45, 12, 16, 14};
    const int first = static_cast<int>(sheet.rows.size());
    for (const formula::CrewRow& row : crew.rows)
        sheet.addRow({text(row.descripcion), text(row.categoria),
                      shown(formula::crewCostText(row.costo), exchange::kFormatMoney),
                      shown(formula::crewCoefficientText(row.coeficiente), exchange::kFormatThree)});
    const int last = static_cast<int>(sheet.rows.size()) - 1;
    sheet.addRow(
        {heading(QStringLiteral("Total")),
         {},
         total(exchange::sumFormula(2, first, last), shownValue(formula::crewCostText(crew.totalCosto))),
         total(exchange::sumFormula(3, first, last),
               shownValue(formula::crewCoefficientText(crew.totalCoeficiente)), exchange::kFormatThree)});
    if (!crew.sumaEsUno())
        sheet.addRow({{}, text(formula::kSumaNoEsUno)});
    return sheet;
}

engine::TipoRecurso kindOf(ExportSheet sheet) {
    switch (sheet) {
    case ExportSheet::Equipo:
        return engine::TipoRecurso::Equipo;
    case ExportSheet::ManoObra:
        return engine::TipoRecurso::ManoObra;
    case ExportSheet::Transporte:
        return engine::TipoRecurso::Transporte;
    default:
        return engine::TipoRecurso::Material;
    }
}

} // namespace

const std::vector<ExportSheet>& allExportSheets() {
    static const std::vector<ExportSheet> sheets = [] {
        std::vector<ExportSheet> all;
        for (const SheetInfo& info : kSheets)
            all.push_back(info.sheet);
        return all;
    }();
    return sheets;
}

QString exportSheetKey(ExportSheet sheet) {
    return QString::fromUtf8(infoOf(sheet).key);
}

QString exportSheetTitle(ExportSheet sheet) {
    return QString::fromUtf8(infoOf(sheet).title);
}

bool parseExportSheets(const QString& list, std::vector<ExportSheet>& sheets, QString& unknown) {
    std::vector<bool> chosen(std::size(kSheets), false);
    for (const QString& part : list.split(',', Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        const auto found = std::find_if(std::begin(kSheets), std::end(kSheets), [&](const SheetInfo& info) {
            return name.compare(QLatin1String(info.key), Qt::CaseInsensitive) == 0;
        });
        if (found == std::end(kSheets)) {
            unknown = name;
            return false;
        }
        chosen[std::size_t(found - std::begin(kSheets))] = true;
    }
    sheets.clear();
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (chosen[i])
            sheets.push_back(kSheets[i].sheet);
    }
    if (sheets.empty()) {
        unknown = list;
        return false;
    }
    return true;
}

ProjectWorkbook buildProjectWorkbook(const QString& projectFolder, const std::vector<ExportSheet>& sheets) {
    ProjectWorkbook result;
    // The presentation recalculates the stored unit prices first, as the budget window does.
    const budget::Presentacion p = budget::calcularPresentacion(projectFolder);
    if (!p.ok) {
        result.ok = false;
        result.message = p.message;
        result.title = p.title;
        return result;
    }
    try {
        store::Database db = store::Database::openProject(projectFolder);
        const QString name = p.proyecto;
        std::optional<formula::ProjectTotals> projectTotals;
        const auto totals = [&]() -> const formula::ProjectTotals& {
            if (!projectTotals)
                projectTotals = formula::loadProjectTotals(projectFolder);
            return *projectTotals;
        };
        for (ExportSheet which : sheets) {
            switch (which) {
            case ExportSheet::Presupuesto:
                result.workbook.sheets.push_back(budgetSheet(db, p, name));
                break;
            case ExportSheet::Analisis:
                result.workbook.sheets.push_back(analysisSheet(db, p, name));
                break;
            case ExportSheet::Materiales:
            case ExportSheet::Equipo:
            case ExportSheet::ManoObra:
            case ExportSheet::Transporte:
                result.workbook.sheets.push_back(resourceSheet(which, kindOf(which), projectFolder, name));
                break;
            case ExportSheet::Cronograma:
                result.workbook.sheets.push_back(scheduleSheet(db, projectFolder, name));
                break;
            case ExportSheet::Formula:
                result.workbook.sheets.push_back(formulaSheet(db, totals(), name));
                break;
            case ExportSheet::Cuadrilla:
                result.workbook.sheets.push_back(crewSheet(db, totals(), name));
                break;
            }
        }
    } catch (const store::StoreError& error) {
        result = ProjectWorkbook{};
        result.ok = false;
        result.title = QStringLiteral("Error");
        result.message = QStringLiteral("No se pudo leer el proyecto: %1").arg(error.message());
    }
    return result;
}

engine::Resultado exportProjectWorkbook(const QString& projectFolder, const QString& path,
                                        const std::vector<ExportSheet>& sheets) {
    const ProjectWorkbook built = buildProjectWorkbook(projectFolder, sheets);
    if (!built.ok)
        return built;
    return exchange::writeXlsx(built.workbook, path);
}

} // namespace korvex::shell
