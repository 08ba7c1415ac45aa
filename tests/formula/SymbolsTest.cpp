#include "formula/Symbols.h"

#include "ProjectFixture.h"

#include <gtest/gtest.h>
#include <numeric>

using namespace korvex;
using namespace korvex::formula;
using korvex::testing::FailureGuard;
using korvex::testing::FormulaProject;

namespace {

// The sample's item 1 (130.00) and item 2 (quantity 2): cement 10 kg @ 0.25, 2.50 a unit. Project
// direct cost 135.00; equipment 20, labour 30, transport 10.
void fillSample(FormulaProject& p) {
    p.fillSample();
    p.item("2", 2);
    p.material("2", "Cemento", "kg", 10, 0.25);
}

const ProjectTotals kSampleTotals{135, 20, 30, 10};

double percentSum(const std::vector<SymbolRow>& rows) {
    return std::accumulate(rows.begin(), rows.end(), 0.0,
                           [](double s, const SymbolRow& r) { return s + r.porcentaje; });
}

} // namespace

TEST(SymbolRows, ListMaterialsByPriceThenTheSeparatorAndTheSixComponents) {
    FormulaProject p;
    fillSample(p);
    const auto rows = loadSymbolRows(p.db(), kSampleTotals);
    ASSERT_EQ(rows.size(), 3u + 1u + 6u);

    EXPECT_EQ(rows[0].descripcion, "Arena");
    EXPECT_EQ(percentageText(rows[0]), "44.444");
    EXPECT_EQ(rows[1].descripcion, "Cemento");
    EXPECT_EQ(percentageText(rows[1]), "7.407"); // 50 kg @ 0.20
    EXPECT_EQ(rows[2].descripcion, "Cemento");
    EXPECT_EQ(percentageText(rows[2]), "3.704"); // 20 kg @ 0.25: the same material at another price
    EXPECT_EQ(rows[3].kind, SymbolRowKind::Separator);
    EXPECT_EQ(rows[3].descripcion, separatorText());
    EXPECT_EQ(percentageText(rows[3]), "");

    QStringList names;
    QStringList shares;
    for (std::size_t i = 4; i < rows.size(); ++i) {
        names << rows[i].descripcion;
        shares << percentageText(rows[i]);
        EXPECT_EQ(rows[i].unidad, "");
    }
    EXPECT_EQ(names, componentNames());
    EXPECT_EQ(shares, QStringList({"11.556", "5.778", "1.778", "0.667", "2.444", "22.222"}));

    // Every share of the direct cost is accounted for: materials, equipment with transport, labour;
    // the totals are the engine's.
    EXPECT_NEAR(percentSum(rows), 100.0, 0.0005);
    const ProjectTotals engine = loadProjectTotals(p.folder());
    EXPECT_DOUBLE_EQ(engine.costoDirecto, 135);
    EXPECT_DOUBLE_EQ(engine.equipo + engine.transporte, 30);
    EXPECT_NEAR(percentSum(loadSymbolRows(p.db(), engine)), 100.0, 0.0005);
}

TEST(SymbolRows, WithoutMaterialsOrDirectCostShowSeparatorFirstAndZeroShares) {
    FormulaProject p;
    p.item("1", 0);
    p.labour("1", "Peon", "E2", 1, 1, 3);
    const auto rows = loadSymbolRows(p.db(), ProjectTotals{0, 5, 3, 0});
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].kind, SymbolRowKind::Separator);
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_EQ(percentageText(rows[i]), "0.000");
}

TEST(SymbolRows, StoredSymbolsComeBackForMaterialsAtEveryPriceAndForComponents) {
    FormulaProject p;
    fillSample(p);
    p.material("1", "Tubo 1/2\" O'Neil", "m", 1, 1);
    SymbolTable table = loadSymbols(p.db(), kSampleTotals);
    std::vector<SymbolRow>& rows = table.rows;
    for (SymbolRow& row : rows) {
        if (row.descripcion == "Cemento")
            row.simbolo = "C";
        else if (row.descripcion.startsWith("Tubo"))
            row.simbolo = "T'1";
        else if (row.descripcion == "Mano de Obra")
            row.simbolo = " B ";
    }
    rows[0].simbolo = ""; // Arena: no symbol, saved all the same
    EXPECT_EQ(saveSymbolRows(p.db(), table), static_cast<int>(rows.size()) - 1);
    EXPECT_EQ(p.count("SimbolosMat"), static_cast<int>(rows.size()) - 1);

    const auto again = loadSymbolRows(p.db(), kSampleTotals);
    QStringList symbols;
    for (const SymbolRow& row : again)
        symbols << row.simbolo;
    // Arena, Cemento 0.20, Cemento 0.25, Tubo, separator, five equipment shares, labour.
    EXPECT_EQ(symbols, QStringList({"", "C", "C", "T'1", "", "", "", "", "", "", "B"}));
}

TEST(SymbolRows, DistinctSymbolsIgnoreBlanksAndCaseAndNameTheOnesBeyondEleven) {
    std::vector<SymbolRow> rows;
    for (const char* s : {"B", " b", "", "A", "a ", "C"})
        rows.push_back({SymbolRowKind::Material, s, "x", "u", 1, {}});
    EXPECT_EQ(distinctSymbols(rows), QStringList({"B", "A", "C"}));

    QStringList thirteen;
    for (char c = 'M'; c >= 'A'; --c)
        thirteen << QString(QChar(c));
    EXPECT_EQ(symbolsBeyondLimit(thirteen), QStringList({"L", "M"}));
    EXPECT_TRUE(symbolsBeyondLimit(thirteen.mid(0, 11)).isEmpty());
    EXPECT_TRUE(tooManySymbolsMessage({}).isEmpty());
    EXPECT_TRUE(tooManySymbolsMessage({"L", "M"}).contains("L, M"));
}

// Two symbol windows: the second save refuses what the first saved meanwhile; a failed save leaves
// the earlier symbols; a save writes the symbols changed and deletes the record of a material gone
// from the budget, whose share would otherwise still count in the formula.
TEST(SymbolRows, ASecondWindowRefusesAFailedSaveChangesNothingAndGoneMaterialsLeave) {
    FormulaProject p;
    FailureGuard guard;
    fillSample(p);
    SymbolTable first = loadSymbols(p.db(), kSampleTotals);
    ASSERT_EQ(saveSymbolRows(p.db(), first), int(first.rows.size()) - 1);
    SymbolTable second = loadSymbols(p.db(), kSampleTotals);

    first.rows[0].simbolo = "A";
    EXPECT_EQ(saveSymbolRows(p.db(), first), 1);
    second.rows[1].simbolo = "C";
    try {
        saveSymbolRows(p.db(), second);
        ADD_FAILURE() << "the second window overwrote the first one's symbols";
    } catch (const store::StaleDataError& error) {
        EXPECT_TRUE(
            error.message().startsWith("Los símbolos de Arena (m3) cambiaron desde que abrió la ventana"))
            << error.message().toStdString();
    }
    first.rows[0].simbolo = "Z";
    store::testing::failAfterWrites(0);
    EXPECT_THROW(saveSymbolRows(p.db(), first), store::StoreError);
    store::testing::failAfterWrites(-1);
    EXPECT_EQ(p.count("SimbolosMat"), int(first.rows.size()) - 1);
    EXPECT_EQ(loadSymbolRows(p.db(), kSampleTotals)[0].simbolo, "A");

    p.db().execute("DELETE * FROM Materiales WHERE DescripcionMat = ?", {"Arena"});
    SymbolTable after = loadSymbols(p.db(), kSampleTotals);
    after.rows[0].simbolo = "C";
    saveSymbolRows(p.db(), after);
    EXPECT_EQ(p.count("SimbolosMat"), int(after.rows.size()) - 1);
    EXPECT_EQ(loadSymbolRows(p.db(), kSampleTotals)[0].simbolo, "C");
}
