#include "formula/Crew.h"

#include "engine/Numbers.h"

namespace korvex::formula {

// --- Crew report -------------------------------------------------------------------------------

namespace {

// The mechanic's pay, one figure for the window, the command and the report.
double mechanicOf(double equipo) {
    return engine::Redondear(equipo * kFactorMecanico, 3);
}

} // namespace

CrewReportFigures crewReportFigures(double manoObra, double equipo) {
    const double mecanico = mechanicOf(equipo);
    CrewReportFigures figures;
    if (manoObra > 0)
        figures.totalManoObra = manoObra + mecanico;
    if (mecanico > 0)
        figures.totalMecanico = mecanico;
    return figures;
}

CrewReportFigures crewReportFigures(const QString& projectFolder) {
    const ProjectTotals totals = loadProjectTotals(projectFolder);
    return crewReportFigures(totals.manoObra, totals.equipo);
}

QString reportNumberText(double value) {
    return engine::CambiarComas(QString::number(value, 'g', 15));
}

QString totalManoObraFormula(const CrewReportFigures& figures) {
    return figures.totalManoObra ? "TotalManoObra =" + reportNumberText(*figures.totalManoObra) : QString();
}

QString totalMecanicoFormula(const CrewReportFigures& figures) {
    return figures.totalMecanico ? "TotalMecanico =" + reportNumberText(*figures.totalMecanico) : QString();
}

// --- Crew window ------------------------------------------------------------------------------

namespace {

// The outer columns carry their own names so that every engine reports them under those names.
const char* const kLabourTotals =
    " SELECT ManoObra.DescripcionMan AS DescripcionMan, ManoObra.CategoriaMan AS CategoriaMan, "
    "SUM(ManoObra.RendimientoMan * ManoObra.HorasMan*Presupuesto.CantidadPres) AS TotalMan, "
    "ManoObra.SalarioMan AS SalarioMan "
    " FROM [SELECT ManoObra.RendimientoMan , ManoObra.DescripcionMan, ManoObra.CategoriaMan, "
    "ManoObra.HorasMan, ManoObra.SalarioMan, Presupuesto.CantidadPres "
    " FROM ManoObra INNER JOIN Presupuesto ON (ManoObra.ItemPres = Presupuesto.ItemPres) AND "
    "(ManoObra.CodigoPres = Presupuesto.CodigoPres)]. AS [%$##@_Alias] "
    " GROUP BY ManoObra.DescripcionMan, ManoObra.CategoriaMan, ManoObra.SalarioMan ";

// A cost as the grid shows it, read back the way the sums read it.
Cents shownCents(double value) {
    return toCents(engine::ConvertirNumeroOCero(engine::FormatoMoneda(value)));
}

Thousandths shareOf(double cost, double base) {
    return base > 0 ? toThousandths(engine::Redondear(cost / base, 3)) : 0;
}

} // namespace

std::vector<LabourTotal> labourTotals(store::Database& db) {
    std::vector<LabourTotal> labour;
    auto records = db.openRecordSet(kLabourTotals);
    for (; !records.eof(); records.moveNext()) {
        labour.push_back({records.text("DescripcionMan"), records.text("CategoriaMan"),
                          records.number("TotalMan"), records.number("SalarioMan")});
    }
    return labour;
}

CrewSheet computeCrew(const std::vector<LabourTotal>& labour, const ProjectTotals& totals) {
    CrewSheet sheet;
    sheet.mecanico = mechanicOf(totals.equipo);
    sheet.baseManoObra = totals.manoObra + sheet.mecanico;

    for (const LabourTotal& line : labour) {
        const double cost = engine::Redondear(line.horas * line.salario, 2);
        sheet.rows.push_back(
            {line.descripcion, line.categoria, shownCents(cost), shareOf(cost, sheet.baseManoObra), false});
    }
    sheet.rows.push_back({kMecanicoDescripcion, kMecanicoCategoria, shownCents(sheet.mecanico),
                          shareOf(sheet.mecanico, sheet.baseManoObra), true});

    std::vector<Thousandths> coefficients;
    for (const CrewRow& row : sheet.rows)
        coefficients.push_back(row.coeficiente);
    sheet.correction = correctOnLargest(coefficients);
    for (std::size_t i = 0; i < sheet.rows.size(); ++i) {
        sheet.rows[i].coeficiente = coefficients[i];
        sheet.totalCosto += sheet.rows[i].costo;
        sheet.totalCoeficiente += sheet.rows[i].coeficiente;
    }
    return sheet;
}

CrewSheet computeCrew(store::Database& db, const ProjectTotals& totals) {
    return computeCrew(labourTotals(db), totals);
}

QStringList crewReportSettings(const CrewSheet& sheet, const ProjectTotals& totals) {
    const CrewReportFigures figures = crewReportFigures(totals.manoObra, totals.equipo);
    QStringList settings;
    if (const QString text = totalManoObraFormula(figures); !text.isEmpty())
        settings.append(text);
    if (const QString text = totalMecanicoFormula(figures); !text.isEmpty())
        settings.append(text);
    if (sheet.correction.applied()) {
        const QString delta = reportNumberText(fromThousandths(sheet.correction.delta));
        const std::size_t row = static_cast<std::size_t>(sheet.correction.row);
        if (sheet.rows[row].mecanico)
            settings.append("AjusteMecanico =" + delta);
        else
            settings << "FilaAjuste =" + QString::number(row + 1) << "AjusteCoeficiente =" + delta;
    }
    return settings;
}

QString crewCostText(Cents value) {
    return engine::FormatoMoneda(fromCents(value));
}
QString crewCoefficientText(Thousandths value) {
    return engine::FormatoTresDecimales(fromThousandths(value));
}

} // namespace korvex::formula
