// Copying an item's analysis onto other items: the operation and the batch command copy-analysis.
#include "analysis/AnalysisCopy.h"

#include "AnalysisFixture.h"
#include "CommandRun.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::testing::AnalysisProject;
using korvex::testing::runCommand;

namespace {

const QStringList kMat = {"DescripcionMat", "CantidadMat", "PrecioUniMat"};
const QStringList kTran = {"DescripcionTran", "CantidadTran", "PrecioTran"};

// A1/1 holds the project's first Cemento line (price 10, transport 1); B1/1 another one at 12.
void fillTargetProject(AnalysisProject& p) {
    p.setHeader(20, 5, false);
    p.addItem("A1", "1", "Hormigón");
    p.addItem("B1", "1", "Mortero");
    p.addItem("C1", "1", "Contrapiso");
    p.addMaterial("A1", "1", "Cemento", "kg", 2, 10);
    p.addTransport("A1", "1", "Cemento", "kg", 2, 1);
    p.addLabour("A1", "1", "Peón", "E2", 8, 0.5, 3);
    p.addMaterial("B1", "1", "cemento", "KG", 3, 12);
    p.addTransport("B1", "1", "cemento", "KG", 3, 2);
    p.addMaterial("B1", "1", "Arena", "m3", 1, 14);
    p.addEquipment("B1", "1", "Concretera", 1, 1, 5);
}

} // namespace

TEST(AnalysisCopy, AppendsWithinTheProjectAddingQuantitiesOfTheSameResource) {
    AnalysisProject p;
    fillTargetProject(p);
    const auto outcome =
        analysis::copyAnalysis(p.db, p.db, {"b1", "1"}, {{"A1", "1"}}, analysis::CopyMode::Append);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.lines(), 5); // two materials, their transport, one equipment
    // "cemento (KG)" is the target's Cemento line: 2 + 3 at the project price; Arena keeps the
    // price it has in the project; the transport follows the material quantities.
    EXPECT_EQ(p.lines("Materiales", "A1", "1", kMat), QStringList({"Cemento|5|10", "Arena|1|14"}));
    EXPECT_EQ(p.lines("Transporte", "A1", "1", kTran), QStringList({"Cemento|5|1", "Arena|1|0"}));
    EXPECT_EQ(p.lines("ManoObra", "A1", "1", {"DescripcionMan"}), QStringList({"Peón"}));
    EXPECT_EQ(p.lines("Maquinaria", "A1", "1", {"DescripcionMaq", "CostoMaq"}),
              QStringList({"Concretera|5"}));
    EXPECT_EQ(analysis::copyAnalysisSummary(outcome), "Análisis copiado en 1 rubro(s), 5 línea(s)");
}

TEST(AnalysisCopy, ReplacesFromAnotherProjectAtThisProjectsPricesOrTheSourcesAndRefusesWhole) {
    AnalysisProject p;
    fillTargetProject(p);
    AnalysisProject q;
    q.addItem("X", "9", "Pared");
    q.addMaterial("X", "9", "Cemento", "kg", 4, 99);
    q.addTransport("X", "9", "Cemento", "kg", 4, 7);
    q.addMaterial("X", "9", "Ladrillo", "u", 100, 0.5);
    q.addTransport("X", "9", "Ladrillo", "u", 100, 0.2);

    const QStringList before = p.all("Materiales", kMat);
    const auto missing = analysis::copyAnalysis(p.db, q.db, {"X", "9"}, {{"A1", "1"}, {"Z", "1"}},
                                                analysis::CopyMode::Replace);
    EXPECT_FALSE(missing.ok);
    EXPECT_TRUE(missing.message.contains("Z / 1")) << missing.message.toStdString();
    EXPECT_EQ(p.all("Materiales", kMat), before);

    const auto outcome = analysis::copyAnalysis(
        p.db, q.db, {"X", "9"}, {{"A1", "1"}, {"C1", "1"}, {"a1", "1"}}, analysis::CopyMode::Replace);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.items(), 2);
    for (const QString code : {"A1", "C1"}) {
        EXPECT_EQ(p.lines("Materiales", code, "1", kMat), QStringList({"Cemento|4|10", "Ladrillo|100|0.5"}));
        EXPECT_EQ(p.lines("Transporte", code, "1", kTran), QStringList({"Cemento|4|1", "Ladrillo|100|0.2"}));
        EXPECT_TRUE(p.lines("ManoObra", code, "1", {"DescripcionMan"}).isEmpty());
    }
}

TEST(CopyAnalysisCommand, PrintsOneLinePerTargetRecalculatesAndRefusesWithoutChanges) {
    AnalysisProject p;
    fillTargetProject(p);
    const auto run = [&](const QStringList& args) {
        return runCommand(QStringList{"--root", p.root.root(), "copy-analysis"} + args);
    };
    const auto ok = run({p.folder, p.folder, "B1:1", "C1:1", "A1:1", "--append"});
    EXPECT_EQ(ok.code, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.out, "C1 1: 5 líneas\nA1 1: 5 líneas\n");
    store::RecordSet stored = p.db.openRecordSet("SELECT TotalPres FROM Presupuesto WHERE CodigoPres = 'C1'");
    EXPECT_GT(stored.number("TotalPres"), 0);

    const QStringList before = p.all("Materiales", kMat);
    const auto missing = run({p.folder, p.folder, "B1:1", "C1:1", "C1:7"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_EQ(p.all("Materiales", kMat), before);
    EXPECT_EQ(run({p.folder, p.folder, "B1:1"}).code, 2);
    EXPECT_EQ(run({p.folder, p.folder, "B1", "C1:1"}).code, 2);
}
