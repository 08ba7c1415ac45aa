// The formula report prints the formula of the symbols as they are when it is printed: never a
// formula stored before the symbols changed, and at most the first eleven symbols, with a warning.
#include "ProjectData.h"
#include "TestProject.h"
#include "reports/ReportButtons.h"

#include <gtest/gtest.h>

using namespace korvex;
namespace kt = korvex::testing;

TEST(FormulaReport, PrintsTheCurrentFirstElevenSymbolsAndWarnsOfTheRest) {
    kt::TempRoot root;
    const QString folder = kt::sampleProjectWithSchedules(root.root());
    {
        auto db = root.open(folder);
        db.execute("DELETE * FROM SimbolosMat");
        kt::insert(db, "SimbolosDesc", {"Simbolo", "DescripcionSim", "TotalSimb", "PorcentajeTot"},
                   {"X", "Símbolo que ya no existe", 10.0, 0.01});
        for (int i = 0; i < 13; ++i)
            kt::insert(db, "SimbolosMat", {"Simbolo", "DescripcionMat", "UnidadMat", "PorcentajeSimb"},
                       {QString(QChar('A' + i)), QString("Material %1").arg(i), "u", 100.0 / 13});
    }
    const auto prepared =
        reports::prepareReport(*reports::findReportButton("cmdFormulaR"), folder, root.root());
    ASSERT_EQ(prepared.notices.size(), 1u);
    EXPECT_EQ(prepared.notices[0].title, "Advertencia");
    EXPECT_TRUE(prepared.notices[0].text.contains("L, M"));
    const auto result = reports::runReport(prepared.request);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    const QString text = kt::allText(result.document);
    EXPECT_TRUE(text.contains("K1/Ko")) << text.toStdString();
    EXPECT_FALSE(text.contains("L1/Lo"));
    EXPECT_FALSE(text.contains("X1/Xo")) << "a symbol that no longer exists";
    EXPECT_FALSE(text.contains("Símbolo que ya no existe"));
    EXPECT_TRUE(text.contains("Mano de obra")) << "descriptions typed earlier are kept";
}
