#include "CommandRun.h"
#include "ProjectFixture.h"

#include <gtest/gtest.h>

using korvex::testing::CommandRun;
using korvex::testing::FormulaProject;
using korvex::testing::runCommand;

namespace {

void fill(FormulaProject& p) {
    p.item("1", 10);
    p.material("1", "Arena", "m3", 0.5, 12);
    p.equipment("1", "Concretera", 1, 0.5, 4);
    p.labour("1", "Peon", "E2", 2, 0.5, 3);
    p.transport("1", "Arena", "m3", 0.5, 2);
}

} // namespace

TEST(Commands, FormulaPrintsTheWindowsFiguresWithoutSaving) {
    FormulaProject p;
    fill(p);
    p.symbol("M", "Arena", 50, "m3");
    p.symbol("B", "Mano de Obra", 33.333);
    p.symbol("E", "Repuestos (26%)", 16.666);
    const CommandRun run = runCommand({"--root", p.root(), "formula", p.folder()});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "B\t\t40.00\t0.333\n"
                       "E\t\t20.00\t0.167\n"
                       "M\t\t60.00\t0.500\n"
                       "Total\t120.00\t1.000\n");
    EXPECT_EQ(p.count("SimbolosDesc"), 0);

    const CommandRun symbols = runCommand({"--root", p.root(), "formula", p.folder(), "--symbols"});
    EXPECT_EQ(symbols.code, 0);
    EXPECT_TRUE(symbols.out.startsWith("M\tArena\tm3\t50.000\n")) << symbols.out.toStdString();
    EXPECT_TRUE(symbols.out.endsWith("B\tMano de Obra\t\t25.000\n"));
}

TEST(Commands, FormulaPrintsTheFirstElevenSymbolsAndRefusesFoldersWithoutProject) {
    FormulaProject p;
    fill(p);
    for (int i = 0; i < 12; ++i)
        p.symbol(QString(QChar('A' + i)), QString("Material %1").arg(i), 1, "u");
    const CommandRun run = runCommand({"--root", p.root(), "formula", p.folder()});
    EXPECT_EQ(run.code, 0);
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 12); // eleven symbols and the total
    EXPECT_TRUE(lines[10].startsWith("K\t"));
    EXPECT_TRUE(lines[11].startsWith("Total\t"));
    EXPECT_TRUE(run.err.contains("quedan fuera de ella: L")) << run.err.toStdString();

    EXPECT_EQ(runCommand({"--root", p.root(), "crew", p.root()}).code, 1);
    EXPECT_EQ(runCommand({"--root", p.root(), "crew"}).code, 2);
}

TEST(Commands, CrewPrintsLabourTheMechanicAndTheTotalAndRefusesAmountsBeyondAnyNumber) {
    FormulaProject p;
    fill(p);
    const CommandRun run = runCommand({"--root", p.root(), "crew", p.folder()});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Peon\tE2\t30.00\t0.932\n"
                       "Mecanico de Mantenimiento\tMEP I\t2.20\t0.068\n"
                       "Total\t32.20\t1.000\n");

    // Large but finite amounts are summed in doubles, not whole cents.
    p.labour("1", "Capataz", "C1", 1e17, 1, 10);
    const CommandRun big = runCommand({"--root", p.root(), "crew", p.folder()});
    EXPECT_EQ(big.code, 0) << big.err.toStdString();
    p.labour("1", "Capataz", "C1", 1e308, 1, 10);
    const CommandRun infinite = runCommand({"--root", p.root(), "crew", p.folder()});
    EXPECT_EQ(infinite.code, 1);
    EXPECT_TRUE(infinite.err.contains("no es un número finito")) << infinite.err.toStdString();
}
