// Saving an analysis: which price each line is stored with, what is skipped, and all or nothing.
#include "analysis/AnalysisSaving.h"

#include "AnalysisFixture.h"
#include "analysis/AnalysisLoading.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace korvex;
using korvex::testing::AnalysisProject;
using namespace korvex::analysis;

namespace {

const QStringList kMatFields = {"DescripcionMat", "UnidadMat", "CantidadMat", "PrecioUniMat"};
const QStringList kMaqFields = {"DescripcionMaq", "HorasMaq", "RendimientoMaq", "CostoMaq"};
const QStringList kManFields = {"DescripcionMan", "CategoriaMan", "HorasMan", "RendimientoMan", "SalarioMan"};
const QStringList kTranFields = {"DescripcionTran", "UnidadTran", "CantidadTran", "PrecioTran"};

// Item A1 with one line of every kind, and item B2 whose lines give project prices.
class SavingTest : public ::testing::Test {
protected:
    void SetUp() override {
        p.addItem("A1", "1", "Contrapiso");
        p.addItem("B2", "1", "Enlucido");
        p.addMaterial("A1", "1", "Cemento", "kg", 50, 0.1575);
        p.addMaterial("A1", "1", "Arena", "m3", 0.0654, 13.5);
        p.addEquipment("A1", "1", "Concretera", 1, 0.8, 4.5);
        p.addLabour("A1", "1", "Peón", "E2", 2, 0.8, 3.6);
        p.addTransport("A1", "1", "Cemento", "kg", 50, 0.01);
        p.addTransport("A1", "1", "Arena", "m3", 0.0654, 0.025);
        p.addMaterial("B2", "1", "Cemento", "kg", 20, 0.18);
        p.addMaterial("B2", "1", "Cemento", "KG", 1, 0.99); // same resource, later line
        p.addMaterial("B2", "1", "Cal", "saco", 1, 5.25);
        p.addEquipment("B2", "1", "Andamio", 1, 1, 0.75);
        p.addLabour("B2", "1", "Albañil", "D2", 1, 1, 3.65);
        loadAnalysisLines(p.db, "A1", "1", sheet);
    }

    QStringList stored(const QString& table, const QStringList& fields) {
        return p.lines(table, "A1", "1", fields);
    }

    AnalysisProject p;
    AnalysisSheet sheet;
};

} // namespace

// A quantity the grid shows rounded (0.0654 as 0.065) is kept while nobody types over it.
TEST_F(SavingTest, SavingWithoutEditsKeepsLinesAndTheirProjectPrices) {
    const QStringList otherItemBefore = p.lines("Materiales", "B2", "1", kMatFields);
    const SaveOutcome outcome = saveAnalysis(p.db, "A1", "1", sheet);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.total(), 6);
    EXPECT_EQ(stored("Materiales", kMatFields),
              (QStringList{"Cemento|kg|50|0.1575", "Arena|m3|0.0654|13.5"}));
    EXPECT_EQ(stored("Maquinaria", kMaqFields), QStringList{"Concretera|1|0.8|4.5"});
    EXPECT_EQ(stored("ManoObra", kManFields), QStringList{"Peón|E2|2|0.8|3.6"});
    EXPECT_EQ(stored("Transporte", kTranFields),
              (QStringList{"Cemento|kg|50|0.01", "Arena|m3|0.0654|0.025"}));
    EXPECT_EQ(p.lines("Materiales", "B2", "1", kMatFields), otherItemBefore);
}

TEST_F(SavingTest, NewAndRenamedLinesTakeTheProjectPriceOrZero) {
    sheet.assign(Kind::Material, {3, 0}, "Cal");
    sheet.assign(Kind::Material, {3, 1}, "saco");
    sheet.assign(Kind::Material, {3, 2}, "0,5");
    sheet.assign(Kind::Material, {4, 0}, "Piedra bola");
    sheet.assign(Kind::Material, {4, 1}, "m3");
    // Renaming the loaded "Cemento kg" in other letter case keeps the resource: it takes the
    // project price the editor shows, the first line of the project with it (its own, 0.1575).
    sheet.assign(Kind::Material, {2, 0}, "CEMENTO");
    // Equipment is matched against the loaded lines in upper case: it keeps its rate.
    sheet.assign(Kind::Equipment, {1, 0}, "CONCRETERA");
    sheet.assign(Kind::Equipment, {2, 0}, "Andamio");
    sheet.assign(Kind::Labour, {1, 1}, "D2"); // Peón D2: known nowhere
    sheet.assign(Kind::Labour, {2, 0}, "Albañil", "D2");

    const SaveOutcome outcome = saveAnalysis(p.db, "A1", "1", sheet);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(stored("Materiales", {"DescripcionMat", "UnidadMat", "PrecioUniMat"}),
              (QStringList{"CEMENTO|kg|0.1575", "Arena|m3|13.5", "Cal|saco|5.25", "Piedra bola|m3|0"}));
    EXPECT_EQ(stored("Maquinaria", {"DescripcionMaq", "CostoMaq"}),
              (QStringList{"CONCRETERA|4.5", "Andamio|0.75"}));
    EXPECT_EQ(stored("ManoObra", {"DescripcionMan", "CategoriaMan", "SalarioMan"}),
              (QStringList{"Peón|D2|0", "Albañil|D2|3.65"}));
    // Transport followed the materials: the new transport lines are new to the project.
    EXPECT_EQ(stored("Transporte", kTranFields), (QStringList{"CEMENTO|kg|50|0.01", "Arena|m3|0.0654|0.025",
                                                              "Cal|saco|0.5|0", "Piedra bola|m3|0|0"}));
}

TEST_F(SavingTest, RepeatedResourcesKeepTheFirstLineAndAreNamedBeforeSaving) {
    sheet.assign(Kind::Material, {4, 0}, "arena");
    sheet.assign(Kind::Material, {4, 1}, "M3");
    sheet.assign(Kind::Material, {4, 2}, "9");
    const RepeatedResources repeated = findRepeatedResources(sheet);
    ASSERT_TRUE(repeated.any());
    EXPECT_EQ(repeated.names[kindIndex(Kind::Material)], QStringList{"arena (M3)"});
    EXPECT_TRUE(repeated.message().contains("Materiales: arena (M3)"));

    ASSERT_TRUE(saveAnalysis(p.db, "A1", "1", sheet).ok);
    EXPECT_EQ(stored("Materiales", {"DescripcionMat", "CantidadMat"}),
              (QStringList{"Cemento|50", "Arena|0.0654"}));
}

TEST_F(SavingTest, EmptyRowsAndEmptyNumbersDoNotStopOrBreakTheSave) {
    // Lines below an empty row are saved; a line typed without numbers stores zeros.
    sheet.lines(Kind::Labour).setCell(5, 0, "Maestro de obra");
    sheet.lines(Kind::Labour).setCell(5, 1, "C1");
    sheet.lines(Kind::Equipment).setCell(7, 0, "Vibrador");
    // Emptying every transport line removes them all.
    sheet.lines(Kind::Transport).clear();

    ASSERT_TRUE(saveAnalysis(p.db, "A1", "1", sheet).ok);
    EXPECT_EQ(stored("ManoObra", kManFields).last(), "Maestro de obra|C1|0|0|0");
    EXPECT_EQ(stored("Maquinaria", kMaqFields).last(), "Vibrador|0|0|0");
    EXPECT_TRUE(stored("Transporte", kTranFields).isEmpty());
}

TEST_F(SavingTest, AFailureAnywhereLeavesTheStoredAnalysisAsItWas) {
    korvex::testing::FailureGuard guard;
    sheet.assign(Kind::Material, {3, 0}, "Cal", "saco");
    sheet.assign(Kind::Labour, {2, 0}, "Albañil", "D2");
    const auto everyLine = [&] {
        return p.all("Materiales", kMatFields) + p.all("Maquinaria", kMaqFields) +
               p.all("ManoObra", kManFields) + p.all("Transporte", kTranFields);
    };
    const QStringList before = everyLine();
    // Fail at every write in turn until the save gets through.
    int writes = 0;
    for (;; ++writes) {
        ASSERT_LT(writes, 100);
        store::testing::failAfterWrites(writes);
        const SaveOutcome outcome = saveAnalysis(p.db, "A1", "1", sheet);
        store::testing::failAfterWrites(-1);
        if (outcome.ok)
            break;
        EXPECT_TRUE(outcome.message.contains("No se pudo grabar el análisis"))
            << outcome.message.toStdString();
        EXPECT_EQ(everyLine(), before) << "failure after " << writes << " writes";
    }
    EXPECT_GE(writes, 3); // three new lines; the loaded lines are not touched
    EXPECT_EQ(stored("ManoObra", {"DescripcionMan"}).last(), "Albañil");
}

// Two editors open on one item: the second save refuses whatever the first changed under the lines
// it writes or deletes, and any line added or deleted; changes elsewhere do not stop it, and a
// save never writes back a value it did not change.
TEST(AnalysisSaving, ASecondEditorRefusesLinesChangedSinceItLoaded) {
    struct Case {
        const char* name;
        std::function<void(AnalysisSheet&)> first; // saved first
        std::function<void(AnalysisSheet&)> second;
        const char* refusalNames; // "" when the second save goes through
    };
    const auto quantity = [](int row, const char* text) {
        return [=](AnalysisSheet& s) { s.assign(Kind::Material, {row, 2}, text); };
    };
    const auto labour = [](int row, int col, const char* text, const char* picked = "") {
        return [=](AnalysisSheet& s) { s.assign(Kind::Labour, {row, col}, text, picked); };
    };
    const auto deleteFirst = [](AnalysisSheet& s) { s.deleteLine(Kind::Material, 1); };
    // Loaded sorted: materials 1 Arena, 2 Cemento; labour 1 Peón.
    const std::vector<Case> cases = {
        {"same line", quantity(2, "60"), quantity(2, "70"), "Cemento (kg)"},
        {"deleted line", deleteFirst, quantity(1, "2"), "Arena (m3)"},
        {"added line", labour(2, 0, "Albañil", "D2"), quantity(2, "70"), "Albañil (D2)"},
        {"other lines", labour(1, 5, "0,5"), quantity(2, "70"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AnalysisProject p;
        p.addItem("A1", "1", "Contrapiso");
        p.addMaterial("A1", "1", "Cemento", "kg", 50, 0.1575);
        p.addMaterial("A1", "1", "Arena", "m3", 0.0654, 13.5);
        p.addLabour("A1", "1", "Peón", "E2", 2, 0.8, 3.6);
        AnalysisSheet first, second;
        loadAnalysisLines(p.db, "A1", "1", first);
        loadAnalysisLines(p.db, "A1", "1", second);
        c.first(first);
        ASSERT_TRUE(saveAnalysis(p.db, "A1", "1", first).ok);
        const QStringList afterFirst = p.all("Materiales", kMatFields) + p.all("ManoObra", kManFields);
        c.second(second);
        const SaveOutcome outcome = saveAnalysis(p.db, "A1", "1", second);
        if (*c.refusalNames) {
            EXPECT_FALSE(outcome.ok);
            EXPECT_TRUE(outcome.message.contains(c.refusalNames)) << outcome.message.toStdString();
            EXPECT_TRUE(outcome.message.contains("cambiaron desde que abrió la ventana"));
            EXPECT_EQ(p.all("Materiales", kMatFields) + p.all("ManoObra", kManFields), afterFirst);
        } else {
            ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
            EXPECT_EQ(p.lines("ManoObra", "A1", "1", {"RendimientoMan"}), QStringList{"0.5"});
            EXPECT_EQ(p.lines("Materiales", "A1", "1", {"CantidadMat"}), (QStringList{"70", "0.0654"}));
        }
    }
}

// Prices given to the item's lines meanwhile (a price list saved, prices copied from another
// project) stay: the editor's next save changes only what was typed in it, and saves again
// from what it stored.
TEST(AnalysisSaving, PricesStoredMeanwhileAreNotPutBack) {
    AnalysisProject p;
    p.addItem("A1", "1", "Contrapiso");
    p.addMaterial("A1", "1", "Cemento", "kg", 50, 0.1575);
    p.addMaterial("A1", "1", "Arena", "m3", 0.0654, 13.5);
    AnalysisSheet sheet;
    loadAnalysisLines(p.db, "A1", "1", sheet);
    p.db.execute("UPDATE Materiales SET PrecioUniMat = 0.2 WHERE DescripcionMat = 'Cemento'");
    sheet.assign(Kind::Material, {1, 2}, "1");
    ASSERT_TRUE(saveAnalysis(p.db, "A1", "1", sheet).ok);
    sheet.assign(Kind::Material, {3, 0}, "Cal", "saco");
    ASSERT_TRUE(saveAnalysis(p.db, "A1", "1", sheet).ok) << "the second save compares with the first";
    EXPECT_EQ(p.lines("Materiales", "A1", "1", {"DescripcionMat", "CantidadMat", "PrecioUniMat"}),
              (QStringList{"Cemento|50|0.2", "Arena|1|13.5", "Cal|0|0"}));
}

TEST(AnalysisSaving, QuotesAndManyLinesAreStoredAndFoundAgain) {
    AnalysisProject p;
    p.addItem("H'1", "1'", "Hormigón f'c = 210 kg/cm2");
    p.addMaterial("Z", "9", "Tubo 1/2\" PVC", "m", 1, 2.4);
    AnalysisSheet sheet;
    loadAnalysisLines(p.db, "H'1", "1'", sheet);
    for (int row = 1; row <= 60; ++row) {
        sheet.assign(Kind::Material, {row, 0}, QString("Tubo 1/2\" PVC %1").arg(row, 2, 10, QChar('0')));
        sheet.assign(Kind::Material, {row, 1}, "m");
        sheet.assign(Kind::Material, {row, 2}, "1");
    }
    sheet.assign(Kind::Material, {61, 0}, "Tubo 1/2\" PVC", "m");
    sheet.assign(Kind::Labour, {1, 0}, "Maestro 'A'", "C'1");
    ASSERT_TRUE(saveAnalysis(p.db, "H'1", "1'", sheet).ok);

    AnalysisSheet reloaded;
    loadAnalysisLines(p.db, "H'1", "1'", reloaded);
    EXPECT_EQ(reloaded.lines(Kind::Material).lastUsedRow(), 61);
    EXPECT_EQ(reloaded.lines(Kind::Transport).lastUsedRow(), 61);
    EXPECT_EQ(reloaded.lines(Kind::Labour).cell(1, 1), "C'1");
    EXPECT_EQ(p.lines("Materiales", "H'1", "1'", {"PrecioUniMat"}).last(), "2.4");
}
