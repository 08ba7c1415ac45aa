#include "TestProject.h"
#include "cli/CommandTable.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

struct Result {
    int code;
    QString out;
    QString err;
};

Result korvex(const QString& root, QStringList args, const QString& input = {}) {
    QString out, err, in = input;
    QTextStream o(&out), e(&err), i(&in);
    args.prepend(root);
    args.prepend("--root");
    const int code = korvex::cli::run(args, o, e, i);
    o.flush();
    e.flush();
    return {code, out, err};
}

class StoreCommands : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString root() const { return dir.path() + "/raiz"; }
};

TEST_F(StoreCommands, InitLaysOutTheRootAndKeepsExistingFiles) {
    ASSERT_EQ(korvex(root(), {"init"}).code, 0);
    EXPECT_TRUE(QFile::exists(root() + "/Presupuesto.mdb"));
    EXPECT_TRUE(QFile::exists(root() + "/KORVEX.hlp"));
    EXPECT_TRUE(QFileInfo(root() + "/Reportes").isDir());
    QFile help(root() + "/KORVEX.hlp");
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.write("propio");
    help.close();
    ASSERT_EQ(korvex(root(), {"init"}).code, 0);
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    EXPECT_EQ(help.readAll(), "propio");
}

TEST_F(StoreCommands, NewListDelete) {
    EXPECT_EQ(korvex(root(), {"new", "  Obra Norte "}).code, 0);
    EXPECT_EQ(korvex(root(), {"new", "Casa"}).code, 0);
    const Result again = korvex(root(), {"new", "Casa"});
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(again.err, "El PROYECTO Casa ya existe\n");
    EXPECT_EQ(korvex(root(), {"list"}).out, "Casa\nObra Norte\n");

    EXPECT_EQ(korvex(root(), {"delete", "Casa"}).code, 2); // without --yes
    EXPECT_EQ(korvex(root(), {"delete", "Casa", "--yes"}).code, 0);
    EXPECT_EQ(korvex(root(), {"list"}).out, "Obra Norte\n");
    const Result rootRefused = korvex(root(), {"delete", root(), "--yes"});
    EXPECT_EQ(rootRefused.code, 1);
    EXPECT_EQ(rootRefused.err, "Esta carpeta no contiene ningun Proyecto\n");
    EXPECT_TRUE(QFile::exists(root() + "/Presupuesto.mdb"));
}

TEST_F(StoreCommands, SqlPrintsRecordsAndCounts) {
    korvex(root(), {"new", "Obra"});
    const QString insert =
        "INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat, PrecioUniMat) "
        "VALUES (?, ?, ?, ?, ?, ?)";
    Result r =
        korvex(root(), {"sql", "Obra", insert, "A", "1", "Tubo 1/2\" PVC d'agua", "m", "1,234.50", "45.3"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\n");
    korvex(root(), {"sql", "Obra", "INSERT INTO Proyecto (Proyecto, IVA) VALUES ('x', True)"});

    r = korvex(root(), {"sql", "Obra",
                        "SELECT DescripcionMat, CantidadMat, PrecioUniMat, ItemPres FROM Materiales WHERE "
                        "DescripcionMat = ?",
                        "TUBO 1/2\" pvc D'AGUA"});
    EXPECT_EQ(
        r.out,
        "DescripcionMat\tCantidadMat\tPrecioUniMat\tItemPres\nTubo 1/2\" PVC d'agua\t1234.5\t45.3\t1\n");
    r = korvex(root(), {"sql", "Obra", "SELECT Proyecto, IVA, Herramienta, CostosIndirectos FROM Proyecto"});
    EXPECT_EQ(r.out, "Proyecto\tIVA\tHerramienta\tCostosIndirectos\nx\t-1\t0\t\n");
    korvex(root(),
           {"sql", "Obra",
            "UPDATE Proyecto SET Ciudad = ?, CostosIndirectos = 0.1, OtrosIndirectos = 1000000", "a\tb\nc"});
    r = korvex(root(), {"sql", "Obra",
                        "SELECT Ciudad, CostosIndirectos, OtrosIndirectos, 0.1 + 0.2 AS s FROM Proyecto"});
    EXPECT_EQ(r.out,
              "Ciudad\tCostosIndirectos\tOtrosIndirectos\ts\na\\tb\\nc\t0.1\t1000000\t0.30000000000000004\n");
}

TEST_F(StoreCommands, SqlFromStandardInputIsAllOrNothing) {
    korvex(root(), {"new", "Obra"});
    Result r = korvex(root(), {"sql", "Obra", "-"},
                      "INSERT INTO Grupos (Grupo, OrdenGru) VALUES ('G1', 1)\n\n"
                      "INSERT INTO Grupos (Grupo, OrdenGru) VALUES ('G2', 2)\n"
                      "SELECT Grupo FROM Grupos ORDER BY OrdenGru\n");
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "1\n1\nGrupo\nG1\nG2\n");

    r = korvex(root(), {"sql", "Obra", "-"},
               "DELETE * FROM Grupos\nINSERT INTO Grupos (Grupo, OrdenGru) VALUES ('G3', 99999)\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.contains("OrdenGru")) << r.err.toStdString();
    EXPECT_EQ(korvex(root(), {"sql", "Obra", "SELECT Count(*) AS n FROM Grupos"}).out, "n\n2\n");
}

TEST_F(StoreCommands, RefusalsAndUsage) {
    korvex(root(), {"init"});
    Result r = korvex(root(), {"sql", root(), "SELECT * FROM Materiales"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "La Carpeta seleccionada NO contiene ningun proyecto\n");
    r = korvex(root(), {"sql", "NoExiste", "SELECT * FROM Materiales"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(korvex(root(), {"sql", "Obra"}).code, 2);
    EXPECT_EQ(korvex(root(), {"new"}).code, 2);
    korvex(root(), {"new", "Obra"});
    r = korvex(root(), {"sql", "Obra", "DROP TABLE Materiales"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.startsWith("Instrucción SQL no válida")) << r.err.toStdString();
}

} // namespace
