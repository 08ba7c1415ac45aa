#include "formula/Crew.h"

#include "ProjectFixture.h"
#include "engine/Engine.h"
#include "engine/Numbers.h"

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::formula;
using korvex::testing::FailureGuard;
using korvex::testing::FormulaProject;

namespace {

struct ShownRow {
    QString descripcion, categoria, costo, coeficiente;
    bool operator==(const ShownRow&) const = default;
};

std::vector<ShownRow> shown(const CrewSheet& sheet) {
    std::vector<ShownRow> rows;
    for (const CrewRow& r : sheet.rows)
        rows.push_back(
            {r.descripcion, r.categoria, crewCostText(r.costo), crewCoefficientText(r.coeficiente)});
    return rows;
}

ProjectTotals totals(double labour, double equipment, double transport) {
    return ProjectTotals{0, equipment, labour, transport};
}

} // namespace

TEST(Crew, LabourRowsThenTheMechanicOnElevenPercentOfEquipment) {
    const std::vector<LabourTotal> labour{{"Peon", "E2", 30, 3.0}, {"Albanil", "D2", 10, 3.5}};
    const CrewSheet sheet = computeCrew(labour, totals(125, 100, 40));
    EXPECT_DOUBLE_EQ(sheet.mecanico, 11);
    EXPECT_DOUBLE_EQ(sheet.baseManoObra, 136);
    EXPECT_EQ(shown(sheet),
              (std::vector<ShownRow>{{"Peon", "E2", "90.00", "0.662"},
                                     {"Albanil", "D2", "35.00", "0.257"},
                                     {"Mecanico de Mantenimiento", "MEP I", "11.00", "0.081"}}));
    EXPECT_FALSE(sheet.correction.applied());
    EXPECT_EQ(crewCostText(sheet.totalCosto), "136.00");
    EXPECT_TRUE(sheet.sumaEsUno());
}

TEST(Crew, TheWholeResidualGoesOnTheLargestCoefficient) {
    // 10 + 10 + mechanic 10 (11 % of 90.909091): 0.333 each, the first of the largest is raised.
    const CrewSheet low = computeCrew({{"A", "x", 1, 10}, {"B", "x", 1, 10}}, totals(20, 90.909091, 0));
    EXPECT_EQ(crewCoefficientText(low.rows[0].coeficiente), "0.334");
    EXPECT_EQ(crewCoefficientText(low.rows[2].coeficiente), "0.333");
    EXPECT_TRUE(low.sumaEsUno());

    // 10 + 10 + mechanic 11: 0.323 + 0.323 + 0.355 = 1.001, the largest gives a thousandth back.
    const CrewSheet high = computeCrew({{"A", "x", 1, 10}, {"B", "x", 1, 10}}, totals(20, 100, 0));
    EXPECT_EQ(high.correction.row, 2);
    EXPECT_EQ(crewCoefficientText(high.rows[2].coeficiente), "0.354");
    EXPECT_TRUE(high.sumaEsUno());

    // Six equal shares of 0.167 add up to 1.002: one correction of two thousandths, not one.
    std::vector<LabourTotal> six;
    for (int i = 0; i < 5; ++i)
        six.push_back({QString("Obrero %1").arg(i), "E2", 1, 11});
    const CrewSheet many = computeCrew(six, totals(55, 100, 0)); // mechanic 11
    EXPECT_EQ(many.correction.row, 0);
    EXPECT_EQ(many.correction.delta, -2);
    EXPECT_EQ(crewCoefficientText(many.rows[0].coeficiente), "0.165");
    EXPECT_TRUE(many.sumaEsUno());
}

TEST(Crew, WithoutLabourOrWithoutEquipment) {
    const CrewSheet onlyMechanic = computeCrew({}, totals(0, 100, 0));
    EXPECT_EQ(shown(onlyMechanic),
              (std::vector<ShownRow>{{"Mecanico de Mantenimiento", "MEP I", "11.00", "1.000"}}));

    // Transport alone pays no mechanic on the crew sheet.
    const CrewSheet noEquipment = computeCrew({{"Peon", "E2", 10, 3}}, totals(30, 0, 25));
    EXPECT_EQ(shown(noEquipment)[1], (ShownRow{"Mecanico de Mantenimiento", "MEP I", "0.00", "0.000"}));
    EXPECT_EQ(crewCoefficientText(noEquipment.rows[0].coeficiente), "1.000");
}

TEST(Crew, AgreesWithTheEngineTotalsAndSplitsOneWorkerAtTwoWages) {
    FormulaProject p;
    p.item("1", 10);
    p.labour("1", "Peon", "E2", 2, 0.5, 3.05);
    p.labour("1", "Maestro d'obra", "C1", 1, 0.25, 4.1);
    p.equipment("1", "Concretera", 1, 0.5, 4.45);
    p.transport("1", "Arena", "m3", 0.5, 2);
    p.item("2", 3);
    p.labour("2", "Peon", "E2", 1, 1, 3.2);
    p.labour("9", "Huerfano", "E2", 100, 1, 100); // line of no item: left out

    const ProjectTotals projectTotals = loadProjectTotals(p.folder());
    const CrewSheet sheet = computeCrew(p.db(), projectTotals);
    ASSERT_EQ(sheet.rows.size(), 4u);
    EXPECT_EQ(sheet.rows[0].descripcion, "Maestro d'obra");
    EXPECT_EQ(sheet.rows[1].descripcion, "Peon");
    EXPECT_EQ(sheet.rows[2].descripcion, "Peon");
    EXPECT_NE(sheet.rows[1].costo, sheet.rows[2].costo);

    Cents labourCents = 0;
    for (std::size_t i = 0; i + 1 < sheet.rows.size(); ++i)
        labourCents += sheet.rows[i].costo;
    EXPECT_EQ(labourCents, toCents(engine::TotalManoObraProyecto(p.folder())));
    EXPECT_DOUBLE_EQ(sheet.mecanico, engine::Redondear(engine::TotalEquipoProyecto(p.folder()) * 0.11, 3));
    EXPECT_TRUE(sheet.sumaEsUno());
}

TEST(CrewReport, FiguresAndTheirFormulaTexts) {
    // The mechanic is paid on equipment alone, as in the window, to three decimals.
    const CrewReportFigures figures = crewReportFigures(100, 50);
    EXPECT_EQ(totalManoObraFormula(figures), "TotalManoObra =105.5");
    EXPECT_EQ(totalMecanicoFormula(figures), "TotalMecanico =5.5");

    const CrewReportFigures noLabour = crewReportFigures(0, 50);
    EXPECT_FALSE(noLabour.totalManoObra);
    EXPECT_EQ(totalManoObraFormula(noLabour), "");
    EXPECT_EQ(totalMecanicoFormula(noLabour), "TotalMecanico =5.5");

    const CrewReportFigures noEquipment = crewReportFigures(1234.567, 0);
    EXPECT_EQ(totalManoObraFormula(noEquipment), "TotalManoObra =1234.567");
    EXPECT_FALSE(noEquipment.totalMecanico);
    EXPECT_EQ(reportNumberText(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(totalMecanicoFormula(crewReportFigures(0, 12.3456)), "TotalMecanico =1.358");

    // The report is told where the window put the residual.
    const ProjectTotals sums = totals(55, 100, 7);
    std::vector<LabourTotal> six;
    for (int i = 0; i < 5; ++i)
        six.push_back({QString("Obrero %1").arg(i), "E2", 1, 11});
    EXPECT_EQ(crewReportSettings(computeCrew(six, sums), sums),
              QStringList(
                  {"TotalManoObra =66", "TotalMecanico =11", "FilaAjuste =1", "AjusteCoeficiente =-0.002"}));
    const ProjectTotals mechanicLargest = totals(20, 100, 0); // the mechanic gives a thousandth back
    EXPECT_EQ(crewReportSettings(computeCrew({{"A", "x", 1, 10}, {"B", "x", 1, 10}}, mechanicLargest),
                                 mechanicLargest)
                  .last(),
              "AjusteMecanico =-0.001");
}
