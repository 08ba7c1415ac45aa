#pragma once
// The typical crew: every labour category of the project with its cost over the whole budget and its
// share of the labour base, plus the maintenance mechanic, paid 11 % of the project's equipment.
// Also the two figures the crew report is given ("TotalManoObra", "TotalMecanico").

#include "formula/Coefficients.h"
#include "formula/ProjectTotals.h"
#include "store/Database.h"

#include <QString>
#include <optional>
#include <vector>

namespace korvex::formula {

inline constexpr double kFactorMecanico = 0.11;
inline constexpr const char* kMecanicoDescripcion = "Mecanico de Mantenimiento";
inline constexpr const char* kMecanicoCategoria = "MEP I";

// --- Crew report -------------------------------------------------------------------------------

// The two values the crew report prints: labour plus the mechanic, and the mechanic alone, paid
// as in the crew window: Redondear(equipment x 0.11, 3). A value is absent when its base is zero
// (no labour; no equipment), as the report then shows nothing for it.
struct CrewReportFigures {
    std::optional<double> totalManoObra; // L + mechanic, when L > 0
    std::optional<double> totalMecanico; // the mechanic, when above 0
};

CrewReportFigures crewReportFigures(double manoObra, double equipo);
// The same from the project totals of the cost engine. Throws store::StoreError.
CrewReportFigures crewReportFigures(const QString& projectFolder);

// A number as the report engine reads it: its general text (up to 15 significant digits, no
// grouping) with "." as the decimal point, e.g. 105.5 -> "105.5".
QString reportNumberText(double value);
// "TotalManoObra =105.5" and "TotalMecanico =5.5"; empty when the figure is absent.
QString totalManoObraFormula(const CrewReportFigures& figures);
QString totalMecanicoFormula(const CrewReportFigures& figures);

// --- Crew window ------------------------------------------------------------------------------

struct CrewRow {
    QString descripcion;
    QString categoria;
    Cents costo = 0;             // as shown, "###,##0.00"
    Thousandths coeficiente = 0; // after the correction, "###,##0.000"
    bool mecanico = false;
};

struct CrewSheet {
    std::vector<CrewRow> rows; // labour by description, category and wage, then the mechanic
    double baseManoObra = 0;   // labour total + mechanic: the base of the coefficients
    double mecanico = 0;       // the mechanic's cost, rounded to 3 decimals
    Correction correction;
    Cents totalCosto = 0;
    Thousandths totalCoeficiente = 0; // the real sum after the correction
    bool sumaEsUno() const { return totalCoeficiente == kOne; }
};

// One record per labour description, category and wage, with the project hours of that labour.
struct LabourTotal {
    QString descripcion;
    QString categoria;
    double horas = 0;
    double salario = 0;
};
std::vector<LabourTotal> labourTotals(store::Database& db);

CrewSheet computeCrew(const std::vector<LabourTotal>& labour, const ProjectTotals& totals);
CrewSheet computeCrew(store::Database& db, const ProjectTotals& totals);

// The crew report's formula settings: TotalManoObra and TotalMecanico, and the correction of the
// crew's coefficients so that the report prints the window's: "FilaAjuste =n" and
// "AjusteCoeficiente =x" for labour row n (in the report's row order, the window's), or
// "AjusteMecanico =x" for the mechanic.
QStringList crewReportSettings(const CrewSheet& sheet, const ProjectTotals& totals);

QString crewCostText(Cents value);              // "###,##0.00"
QString crewCoefficientText(Thousandths value); // "###,##0.000"

} // namespace korvex::formula
