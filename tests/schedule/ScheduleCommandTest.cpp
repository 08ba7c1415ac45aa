#include "CommandRun.h"
#include "ScheduleTestData.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::testing::CommandRun;
using korvex::testing::runCommand;
using korvex::testing::ScheduleProject;

TEST(ScheduleCommand, PrintsTheThreeReportTablesRebuilt) {
    ScheduleProject p;
    p.detail("Obra d'Agua", 1, 60, 4, 1);
    p.detail("Obra d'Agua", 3, 40.5, 2, 1);
    p.detail("Muros", 2, 100, 1, 2);

    const CommandRun run = runCommand({"--root", p.root.root(), "schedule", p.folder});
    ASSERT_EQ(run.code, cli::kOk) << run.err.toStdString();
    const QStringList blocks = run.out.split("\n\n");
    ASSERT_EQ(blocks.size(), 3);
    const QStringList crono = blocks[0].split('\n');
    EXPECT_EQ(crono[0], "Crono");
    EXPECT_TRUE(crono[1].startsWith("Grupo\tPeriodo1\tPeriodo2\tPeriodo3\t"));
    EXPECT_TRUE(crono[2].startsWith("Obra d'Agua\t-1\t0\t-1\t0")) << crono[2].toStdString();
    EXPECT_TRUE(crono[3].startsWith("Muros\t0\t-1\t0")) << crono[3].toStdString();
    const QStringList crono2 = blocks[1].split('\n');
    EXPECT_EQ(crono2[0], "Crono2");
    EXPECT_TRUE(crono2[2].startsWith("Obra d'Agua\t4\t\t2\t\t")) << crono2[2].toStdString();
    const QStringList crono3 = blocks[2].split('\n');
    EXPECT_EQ(crono3[0], "Crono3");
    EXPECT_TRUE(crono3[2].startsWith("Obra d'Agua\t60\t\t40.5\t")) << crono3[2].toStdString();
    EXPECT_TRUE(crono3[3].startsWith("Muros\t\t100\t")) << crono3[3].toStdString();
    EXPECT_EQ(p.count("SELECT * FROM Crono"), 2);
}

TEST(ScheduleCommand, RefusesAFolderWithoutProjectAndBadUsage) {
    ScheduleProject p;
    EXPECT_EQ(runCommand({"--root", p.root.root(), "schedule"}).code, cli::kUsage);
    const CommandRun missing = runCommand({"--root", p.root.root(), "schedule", "NoExiste"});
    EXPECT_EQ(missing.code, cli::kRefused);
    EXPECT_FALSE(missing.err.isEmpty());
}
