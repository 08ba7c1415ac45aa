#include "formula/Formula.h"

#include "ProjectFixture.h"
#include "store/WriteGuard.h"

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::formula;
using korvex::testing::FailureGuard;
using korvex::testing::FormulaProject;

namespace {

FormulaSheet compute(const std::vector<SymbolTotal>& totals, double directCost = 1000) {
    return computeFormula(totals, directCost, {});
}

QStringList coefficients(const FormulaSheet& sheet) {
    QStringList texts;
    for (const FormulaRow& row : sheet.rows)
        texts << coefficientText(row.coeficiente);
    return texts;
}

} // namespace

TEST(Formula, CoefficientsThatAddUpAreLeftAlone) {
    const FormulaSheet sheet = compute({{"A", 50}, {"B", 30}, {"C", 20}, {"Z", 0}}, 1234.56);
    EXPECT_FALSE(sheet.correction.applied());
    EXPECT_EQ(coefficients(sheet), QStringList({"0.500", "0.300", "0.200", "0.000"}));
    EXPECT_EQ(costText(sheet.rows[0].costo), "617.28");
    EXPECT_EQ(costText(sheet.rows[3].costo), "0.00"); // a symbol at 0 % is still listed
    EXPECT_EQ(costText(sheet.totalCosto), "1,234.56");
    EXPECT_TRUE(sheet.sumaEsUno());
    EXPECT_EQ(coefficientTotalText(sheet.totalCoeficiente), "1.000");
}

TEST(Formula, LastDigitCorrectionIsAppliedOnceAndTheRealSumShown) {
    const FormulaSheet low = compute({{"A", 33.333}, {"B", 33.333}, {"C", 33.333}});
    EXPECT_EQ(coefficients(low), QStringList({"0.334", "0.333", "0.333"}));
    EXPECT_TRUE(low.sumaEsUno());

    // 1.002 needs two thousandths; only one is taken, and the sum says so.
    const FormulaSheet high = compute({{"A", 50.1}, {"B", 50.1}});
    EXPECT_EQ(coefficients(high), QStringList({"0.500", "0.501"}));
    EXPECT_FALSE(high.sumaEsUno());
    EXPECT_EQ(coefficientTotalText(high.totalCoeficiente), "1.001");

    const FormulaSheet empty = compute({});
    EXPECT_TRUE(empty.rows.empty());
    EXPECT_EQ(costText(empty.totalCosto), "0.00");
    EXPECT_EQ(coefficientTotalText(empty.totalCoeficiente), "0.000");
    EXPECT_FALSE(empty.sumaEsUno());
}

TEST(Formula, MoreThanElevenSymbolsAreNamedAndLeftOut) {
    std::vector<SymbolTotal> totals;
    for (char c = 'A'; c <= 'M'; ++c)
        totals.push_back({QString(QChar(c)), 100.0 / 13});
    const FormulaSheet sheet = compute(totals);
    EXPECT_EQ(sheet.rows.size(), 11u);
    EXPECT_EQ(sheet.excedentes, QStringList({"L", "M"}));
    EXPECT_EQ(sheet.rows.back().simbolo, "K");
    EXPECT_FALSE(sheet.sumaEsUno());

    totals.pop_back();
    totals.pop_back();
    EXPECT_TRUE(compute(totals).excedentes.isEmpty());
}

TEST(Formula, SymbolTotalsSumPerSymbolAsTheDatabaseComparesText) {
    FormulaProject p;
    p.symbol("b", "Cemento", 10.5, "kg");
    p.symbol("B ", "Repuestos (26%)", 4.25);
    p.symbol("", "Arena", 40, "m3");
    p.symbol("A", "Mano de Obra", 45.25);
    p.symbol("O'K", "Tubo 1/2\"", 0, "m");
    const auto totals = symbolTotals(p.db());
    ASSERT_EQ(totals.size(), 3u);
    EXPECT_EQ(totals[0].simbolo, "A");
    EXPECT_EQ(totals[1].simbolo, "b");
    EXPECT_DOUBLE_EQ(totals[1].porcentaje, 14.75);
    EXPECT_EQ(totals[2].simbolo, "O'K");
}

TEST(Formula, DescriptionsComeBackAfterSavingQuotesAreTextAndAFailedSaveChangesNothing) {
    FormulaProject p;
    FailureGuard guard;
    p.symbol("A", "Mano de Obra", 60);
    p.symbol("O'K", "Cemento", 40, "kg");
    FormulaSheet sheet = computeFormula(p.db(), 500);
    ASSERT_EQ(sheet.rows.size(), 2u);
    sheet.rows[0].descripcion = "Mano de obra \"calificada\"";
    sheet.rows[1].descripcion = "Cemento d'Or";
    EXPECT_EQ(saveFormula(p.db(), sheet.rows), 2);

    auto stored = p.db().openRecordSet("SELECT * FROM SimbolosDesc WHERE Simbolo = ?", {"O'K"});
    ASSERT_EQ(stored.recordCount(), 1);
    EXPECT_DOUBLE_EQ(stored.number("TotalSimb"), 200);
    EXPECT_DOUBLE_EQ(stored.number("PorcentajeTot"), 0.4);

    FormulaSheet again = computeFormula(p.db(), 500);
    EXPECT_EQ(again.rows[0].descripcion, "Mano de obra \"calificada\"");
    EXPECT_EQ(again.rows[1].descripcion, "Cemento d'Or");

    again.rows[0].descripcion = "Despues";
    store::testing::failAfterWrites(2);
    EXPECT_THROW(saveFormula(p.db(), again.rows), store::StoreError);
    store::testing::failAfterWrites(-1);
    EXPECT_EQ(p.count("SimbolosDesc"), 2);
    EXPECT_EQ(computeFormula(p.db(), 500).rows[0].descripcion, "Mano de obra \"calificada\"");
}

// Two formula windows: opening the second stores the same formula again, which is no change; the
// first save then stands, the second refuses, and a read-only project takes no description.
TEST(Formula, ASecondWindowsDescriptionRefusesAndReadOnlyTakesNone) {
    FormulaProject p;
    p.symbol("A", "Mano de Obra", 60);
    p.symbol("B", "Cemento", 40, "kg");
    FormulaSheet first = refreshStoredFormula(p.db(), 500);
    FormulaSheet second = refreshStoredFormula(p.db(), 500);

    first.rows[0].descripcion = "Obreros";
    EXPECT_EQ(saveFormulaDescriptions(p.db(), first), 1);
    second.rows[1].descripcion = "Cemento gris";
    EXPECT_THROW(saveFormulaDescriptions(p.db(), second), store::StaleDataError);
    first.rows[1].descripcion = "Cemento blanco";
    EXPECT_EQ(saveFormulaDescriptions(p.db(), first), 1);

    store::setReadOnly(p.folder(), true);
    FormulaSheet readOnly = refreshStoredFormula(p.db(), 500); // derived: still stored
    readOnly.rows[0].descripcion = "Peones";
    EXPECT_THROW(saveFormulaDescriptions(p.db(), readOnly), store::StoreError);
    store::setReadOnly(p.folder(), false);

    const FormulaSheet stored = computeFormula(p.db(), 500);
    EXPECT_EQ(stored.rows[0].descripcion + "|" + stored.rows[1].descripcion, "Obreros|Cemento blanco");
}
