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
