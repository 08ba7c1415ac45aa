// The batch commands "korvex lists PROJECT [KIND]" and "korvex reprice PROJECT KIND PERCENT".
#include "AnalysisFixture.h"
#include "CommandRun.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::testing::AnalysisProject;
using korvex::testing::CommandRun;
using korvex::testing::runCommand;

namespace {

class ListsCommand : public ::testing::Test {
protected:
    void SetUp() override {
        p.addItem("C1", "1", "Hormigón simple");
        p.addItem("C1", "2", "Enlucido");
        p.db.execute("UPDATE Presupuesto SET CantidadPres = 2 WHERE ItemPres = '1'");
        p.addMaterial("C1", "1", "Cemento", "kg", 1.5, 10);
        p.addMaterial("C1", "1", "Arena", "m3", 0.25, 14.5);
        p.addLabour("C1", "1", "Peón", "E2", 1, 1, 3);
        p.addLabour("C1", "2", "Peón", "E2", 8, 0.5, 3);
        p.addLabour("C1", "2", "Albañil", "D2", 2, 1, 3.65);
    }
    CommandRun run(const QStringList& args) {
        return runCommand(QStringList{"--root", p.root.root()} + args);
    }

    AnalysisProject p;
};

} // namespace

TEST_F(ListsCommand, ListsPrintTheBlocksTheWindowShows) {
    const CommandRun materials = run({"lists", p.folder, "materiales"});
    EXPECT_EQ(materials.code, 0) << materials.err.toStdString();
    EXPECT_EQ(materials.out, "Lista de Materiales\n"
                             "DESCRIPCION\tUNIDAD\tPRECIO UNIT.\tCANTIDAD\tPRECIO TOTAL\n"
                             "Arena\tm3\t14.50\t0.500\t7.25\n"
                             "Cemento\tkg\t10.00\t3.000\t30.00\n"
                             "Total de Materiales:\t37.25\n");

    const CommandRun all = run({"lists", "Analisis"});
    EXPECT_EQ(all.code, 0) << all.err.toStdString();
    EXPECT_TRUE(all.out.startsWith(materials.out + "\nLista de Herramientas y Equipo\n"))
        << all.out.toStdString();
    EXPECT_TRUE(all.out.contains("\nAlbañil\tD2\t3.65\t2.00\t7.30\nPeón\tE2\t3.00\t6.00\t18.00\n"));
    EXPECT_TRUE(all.out.endsWith("PRECIO TOTAL\nTotal de Transporte:\t0.00\n"));

    const CommandRun badKind = run({"lists", p.folder, "madera"});
    EXPECT_EQ(badKind.code, 2);
    EXPECT_TRUE(badKind.err.startsWith("Tipo de lista no válido: madera")) << badKind.err.toStdString();
}

TEST_F(ListsCommand, RepriceRaisesAWholeListAndSavesItIntoEveryLine) {
    const CommandRun reprice = run({"reprice", p.folder, "mano", "10"});
    EXPECT_EQ(reprice.code, 0) << reprice.err.toStdString();
    EXPECT_EQ(reprice.out, "Recursos cambiados: 2\nLíneas cambiadas: 3\n");
    // 3.65 + 10 % is 4.015 held a hair below; the system's rounding still takes it up.
    EXPECT_EQ(p.all("ManoObra", {"DescripcionMan", "SalarioMan"}),
              QStringList({"Peón|3.3", "Peón|3.3", "Albañil|4.02"}));
    EXPECT_TRUE(run({"lists", p.folder, "mano"}).out.contains("Total de Mano de Obra:\t27.84\n"));
    EXPECT_EQ(p.all("Materiales", {"PrecioUniMat"}), QStringList({"10", "14.5"}));

    const QStringList before = p.all("ManoObra", {"SalarioMan"});
    const CommandRun badKind = run({"reprice", p.folder, "obreros", "10"});
    EXPECT_EQ(badKind.code, 2);
    EXPECT_TRUE(
        badKind.err.startsWith("Tipo de lista no válido: obreros (materiales, equipo, mano o transporte)"));
    const CommandRun badPercent = run({"reprice", p.folder, "mano", "diez"});
    EXPECT_EQ(badPercent.code, 1);
    EXPECT_EQ(badPercent.err, "Porcentaje no válido: diez\n");
    const CommandRun noProject = run({"reprice", "NoExiste", "mano", "10"});
    EXPECT_EQ(noProject.code, 1);
    EXPECT_FALSE(noProject.err.isEmpty());
    EXPECT_EQ(p.all("ManoObra", {"SalarioMan"}), before);
}
