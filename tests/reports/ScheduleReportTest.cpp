// The group schedule report when two groups share an order and their periods interleave: each
// group is listed once, the total is the budget's and the progress reaches 100 %.
#include "ProjectData.h"
#include "TestProject.h"
#include "reports/ReportButtons.h"

#include <gtest/gtest.h>

using namespace korvex;
namespace kt = korvex::testing;

TEST(ScheduleReport, GroupsSharingAnOrderAreListedOnceAndAddUpToTheBudget) {
    kt::TempRoot root;
    const QString folder = kt::sampleProjectWithSchedules(root.root());
    {
        auto db = root.open(folder);
        db.execute(
            "DELETE * FROM DetalleGrupo WHERE Grupo = 'MOVIMIENTO DE TIERRAS' OR Grupo = 'ESTRUCTURA'");
        const QStringList fields{"Grupo", "PeriodoGru", "SemanasGru", "PorcentajeGru", "OrdenGru"};
        kt::insert(db, "DetalleGrupo", fields, {"MOVIMIENTO DE TIERRAS", 1, 2, 40.0, 2});
        kt::insert(db, "DetalleGrupo", fields, {"ESTRUCTURA", 2, 3, 30.0, 2});
        kt::insert(db, "DetalleGrupo", fields, {"MOVIMIENTO DE TIERRAS", 2, 4, 60.0, 2});
        kt::insert(db, "DetalleGrupo", fields, {"ESTRUCTURA", 3, 4, 70.0, 2});
    }
    const auto prepared =
        reports::prepareReport(*reports::findReportButton("cmdCronoTodo"), folder, root.root());
    ASSERT_TRUE(prepared.notices.empty());
    const auto result = reports::runReport(prepared.request);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    const QString text = kt::allText(result.document);
    EXPECT_TRUE(text.contains("Montos a precios del presupuesto"));
    EXPECT_EQ(text.count("Estructura de hormigón armado"), 1) << text.toStdString();
    EXPECT_TRUE(text.contains("32,865.82")) << "the budget's subtotal, not a group counted twice";
    EXPECT_TRUE(text.contains("100.00 %"));
}
