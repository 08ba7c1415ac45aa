#include "CommandRun.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using korvex::testing::CommandRun;

class StoreCommands : public ::testing::Test {
protected:
    QString root() const { return dir.path() + "/raiz"; }
    CommandRun korvex(const QStringList& args, const QString& input = {}) {
        return korvex::testing::runCommand(QStringList{"--root", root()} + args, input);
    }

    QTemporaryDir dir;
};

TEST_F(StoreCommands, InitNewListDelete) {
    ASSERT_EQ(korvex({"init"}).code, 0);
    EXPECT_TRUE(QFile::exists(root() + "/Presupuesto.mdb"));
    EXPECT_TRUE(QFile::exists(root() + "/KORVEX.hlp"));
    EXPECT_TRUE(QFileInfo(root() + "/Reportes").isDir());

    EXPECT_EQ(korvex({"new", "  Obra Norte "}).code, 0);
    EXPECT_EQ(korvex({"new", "Casa"}).code, 0);
    const CommandRun again = korvex({"new", "Casa"});
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(again.err, "El PROYECTO Casa ya existe\n");
    EXPECT_EQ(korvex({"list"}).out, "Casa\nObra Norte\n");

    EXPECT_EQ(korvex({"delete", "Casa"}).code, 2); // without --yes
    EXPECT_EQ(korvex({"delete", "Casa", "--yes"}).code, 0);
    EXPECT_EQ(korvex({"list"}).out, "Obra Norte\n");
    const CommandRun rootRefused = korvex({"delete", root(), "--yes"});
    EXPECT_EQ(rootRefused.code, 1);
    EXPECT_EQ(rootRefused.err, "Esta carpeta no contiene ningun Proyecto\n");
    EXPECT_TRUE(QFile::exists(root() + "/Presupuesto.mdb"));
}

TEST_F(StoreCommands, SqlPrintsRecordsAndCounts) {
    korvex({"new", "Obra"});
    const QString insert =
        "INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat, PrecioUniMat) "
        "VALUES (?, ?, ?, ?, ?, ?)";
    CommandRun r =
        korvex({"sql", "Obra", insert, "A", "1", "Tubo 1/2\" PVC d'agua", "m", "1,234.50", "45.3"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\n");
    korvex({"sql", "Obra", "INSERT INTO Proyecto (Proyecto, IVA) VALUES ('x', True)"});

    r = korvex({"sql", "Obra",
                "SELECT DescripcionMat, CantidadMat, PrecioUniMat, ItemPres FROM Materiales WHERE "
                "DescripcionMat = ?",
                "TUBO 1/2\" pvc D'AGUA"});
    EXPECT_EQ(
        r.out,
        "DescripcionMat\tCantidadMat\tPrecioUniMat\tItemPres\nTubo 1/2\" PVC d'agua\t1234.5\t45.3\t1\n");
    r = korvex({"sql", "Obra", "SELECT Proyecto, IVA, Herramienta, CostosIndirectos FROM Proyecto"});
    EXPECT_EQ(r.out, "Proyecto\tIVA\tHerramienta\tCostosIndirectos\nx\t-1\t0\t\n");
    korvex({"sql", "Obra",
            "UPDATE Proyecto SET Ciudad = ?, CostosIndirectos = 0.1, OtrosIndirectos = 1000000", "a\tb\nc"});
    r = korvex(
        {"sql", "Obra", "SELECT Ciudad, CostosIndirectos, OtrosIndirectos, 0.1 + 0.2 AS s FROM Proyecto"});
    EXPECT_EQ(r.out,
              "Ciudad\tCostosIndirectos\tOtrosIndirectos\ts\na\\tb\\nc\t0.1\t1000000\t0.30000000000000004\n");
}

TEST_F(StoreCommands, SqlFromStandardInputRunsEveryLine) {
    korvex({"new", "Obra"});
    CommandRun r = korvex({"sql", "Obra", "-"}, "INSERT INTO Grupos (Grupo, OrdenGru) VALUES ('G1', 1)\n\n"
                                                "INSERT INTO Grupos (Grupo, OrdenGru) VALUES ('G2', 2)\n"
                                                "SELECT Grupo FROM Grupos ORDER BY OrdenGru\n");
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\n1\nGrupo\nG1\nG2\n");
}

TEST_F(StoreCommands, RefusalsAndUsage) {
    korvex({"init"});
    CommandRun r = korvex({"sql", root(), "SELECT * FROM Materiales"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "La Carpeta seleccionada NO contiene ningun proyecto\n");
    r = korvex({"sql", "NoExiste", "SELECT * FROM Materiales"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(korvex({"sql", "Obra"}).code, 2);
    EXPECT_EQ(korvex({"new"}).code, 2);
    korvex({"new", "Obra"});
    r = korvex({"sql", "Obra", "DROP TABLE Materiales"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.startsWith("Instrucción SQL no válida")) << r.err.toStdString();
}

} // namespace
