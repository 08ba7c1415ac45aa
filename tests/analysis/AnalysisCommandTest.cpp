// The batch command "korvex analysis PROJECT CODE ITEM".
#include "AnalysisFixture.h"
#include "CommandRun.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::testing::AnalysisProject;
using korvex::testing::CommandRun;
using korvex::testing::runCommand;

TEST(AnalysisCommand, PrintsThePricedAnalysisOrNamesTheMissingItem) {
    AnalysisProject p;
    p.setHeader(20, 5, true);
    p.addItem("A1", "1", "Hormigón simple");
    p.addMaterial("A1", "1", "Cemento", "kg", 2, 10);
    p.addLabour("A1", "1", "Peón", "E2", 8, 0.5, 3);

    const CommandRun ok = runCommand({"--root", p.root.root(), "analysis", p.folder, "A1", "1"});
    EXPECT_EQ(ok.code, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.contains("Cemento\tkg\t2.000\t10.00\t20.00\n"));
    EXPECT_TRUE(ok.out.endsWith("PRECIO UNITARIO\t40.75\n")) << ok.out.toStdString();

    const CommandRun missing = runCommand({"--root", p.root.root(), "analysis", "Analisis", "A1", "7"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains("A1 / 7")) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());

    EXPECT_EQ(runCommand({"--root", p.root.root(), "analysis", p.folder, "A1"}).code, 2);
}

TEST(CorrectCommand, AppliesTypedCorrectionsAtOnceAndPrintsTheirLines) {
    korvex::testing::AnalysisProject p;
    p.addMaterial("A1", "1", "Arena", "m3", 1, 14);
    p.addTransport("A1", "1", "Arena", "m3", 1, 3);
    p.addMaterial("B1", "1", "Ripio", "m3", 2, 16);
    p.addTransport("B1", "1", "Ripio", "m3", 2, 4);
    p.addEquipment("A1", "1", "Concretera", 1, 1, 5);
    const auto run = [&](const QStringList& args, const QString& input = {}) {
        return korvex::testing::runCommand(QStringList{"--root", p.root.root()} + args, input);
    };
    const auto swap =
        run({"correct", p.folder, "materiales"}, "Arena\tm3\tRipio\tm3\nRipio\tm3\tArena\tm3\n");
    EXPECT_EQ(swap.code, 0) << swap.err.toStdString();
    EXPECT_EQ(swap.out,
              "Arena\tm3\tRipio\tm3\t1\nRipio\tm3\tArena\tm3\t1\nLíneas de transporte cambiadas: 2\n");
    EXPECT_EQ(p.all("Materiales", {"CodigoPres", "DescripcionMat", "PrecioUniMat"}),
              QStringList({"A1|Ripio|16", "B1|Arena|14"}));
    EXPECT_EQ(p.all("Transporte", {"CodigoPres", "DescripcionTran"}), QStringList({"A1|Ripio", "B1|Arena"}));

    EXPECT_EQ(run({"correct", p.folder, "equipo"}, "Concretera\t\tMezcladora\t\n").out,
              "Concretera\t\tMezcladora\t\t1\n");
    // All or nothing: an unknown resource refuses the whole input.
    const auto unknown =
        run({"correct", p.folder, "materiales"}, "Ripio\tm3\tGrava\tm3\nCal\tkg\tCal viva\tkg\n");
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.err, "Línea 2: el recurso Cal (kg) no está en la lista\n");
    EXPECT_EQ(p.all("Materiales", {"DescripcionMat"}), QStringList({"Ripio", "Arena"}));
    EXPECT_EQ(run({"correct", p.folder, "madera"}).code, 2);
}
