// What the store refuses to write, what a query returns for fields that share a name, and the
// messages a user gets for statements and files the store cannot use.
#include "CommandRun.h"
#include "store/Connection.h"
#include "store/Database.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using korvex::testing::CommandRun;
using korvex::testing::runCommand;

class StoreSafety : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(korvex({"new", "Obra"}).code, 0);
        korvex(
            {"sql", "Obra", "-"},
            "INSERT INTO Proyecto (Proyecto, IVA) VALUES ('Casa', True)\n"
            "INSERT INTO Presupuesto (CodigoPres, ItemPres, Indice, CantidadPres) VALUES ('A', '1', 1, 2)\n"
            "INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat) "
            "VALUES ('A', '1', 'Arena', 'm3', 1.5)\n");
    }
    CommandRun korvex(QStringList args, const QString& input = {}) {
        args.prepend(dir.path() + "/raiz");
        args.prepend("--root");
        return runCommand(args, input);
    }
    QString query(const QString& statement) { return korvex({"sql", "Obra", statement}).out; }

    QTemporaryDir dir;
};

TEST_F(StoreSafety, ComputedValuesGoThroughTheFieldsConversion) {
    const struct {
        const char* statement;
        const char* message;
    } refused[] = {
        {"UPDATE Proyecto SET IVA = 'abc' & ''", "campo IVA"},
        {"UPDATE Materiales SET CantidadMat = 'abc' & 'd'", "campo CantidadMat"},
        {"INSERT INTO Materiales (CodigoPres, CantidadMat) VALUES ('B', 'abc' & 'd')", "campo CantidadMat"},
        {"UPDATE Materiales SET CantidadMat = 1e309", "campo CantidadMat"},
        {"UPDATE Materiales SET CantidadMat = CantidadMat * 1e308 * 10", "campo CantidadMat"},
        {"UPDATE Materiales SET CantidadMat = 0/0", "División por cero"},
        {"INSERT INTO Grupos (Grupo, OrdenGru) SELECT DescripcionMat, DescripcionMat FROM Materiales",
         "campo OrdenGru"},
    };
    for (const auto& r : refused) {
        const CommandRun run = korvex({"sql", "Obra", r.statement});
        EXPECT_EQ(run.code, 1) << r.statement;
        EXPECT_TRUE(run.err.contains(r.message)) << r.statement << ": " << run.err.toStdString();
    }
    EXPECT_EQ(query("SELECT IVA FROM Proyecto"), "IVA\n-1\n");
    EXPECT_EQ(query("SELECT CantidadMat FROM Materiales"), "CantidadMat\n1.5\n");
    EXPECT_EQ(query("SELECT Count(*) AS n FROM Grupos"), "n\n0\n");

    // What converts is stored converted, as typed text would be.
    EXPECT_EQ(
        korvex({"sql", "Obra", "UPDATE Materiales SET CantidadMat = CantidadMat * 2 + ('1' & '0')"}).code, 0);
    EXPECT_EQ(query("SELECT CantidadMat FROM Materiales"), "CantidadMat\n13\n");
    EXPECT_EQ(korvex({"sql", "Obra", "UPDATE Proyecto SET IVA = 1 - 1, Proyecto = 12 / 4"}).code, 0);
    EXPECT_EQ(query("SELECT IVA, Proyecto FROM Proyecto"), "IVA\tProyecto\n0\t3\n");
    EXPECT_EQ(korvex({"sql", "Obra",
                      "INSERT INTO Grupos (Grupo, OrdenGru) SELECT DescripcionMat, 7 FROM Materiales"})
                  .code,
              0);
    EXPECT_EQ(query("SELECT Grupo, OrdenGru FROM Grupos"), "Grupo\tOrdenGru\nArena\t7\n");
}

TEST_F(StoreSafety, JoinedFieldsKeepTheirOwnValuesAndNames) {
    korvex({"sql", "Obra", "UPDATE Materiales SET ItemPres = '1', CodigoPres = 'A'"});
    korvex({"sql", "Obra", "UPDATE Presupuesto SET DescripcionPres = 'Contrapiso'"});
    EXPECT_EQ(query("SELECT Materiales.DescripcionMat, Presupuesto.DescripcionPres, Materiales.CantidadMat, "
                    "Presupuesto.CantidadPres FROM Materiales INNER JOIN Presupuesto ON "
                    "(Materiales.ItemPres = Presupuesto.ItemPres) AND (Materiales.CodigoPres = "
                    "Presupuesto.CodigoPres)"),
              "DescripcionMat\tDescripcionPres\tCantidadMat\tCantidadPres\nArena\tContrapiso\t1.5\t2\n");
    const QString both = query("SELECT Materiales.CodigoPres, Presupuesto.CodigoPres, Materiales.ItemPres, "
                               "Presupuesto.Indice FROM Materiales INNER JOIN Presupuesto ON "
                               "Materiales.ItemPres = Presupuesto.ItemPres");
    EXPECT_TRUE(both.startsWith("Materiales.CodigoPres\tPresupuesto.CodigoPres\tItemPres\tIndice\n"))
        << both.toStdString();
    const QString star = query("SELECT * FROM Materiales INNER JOIN Presupuesto ON "
                               "Materiales.ItemPres = Presupuesto.ItemPres");
    EXPECT_TRUE(star.contains("Materiales.CantidadMat") || star.contains("\tCantidadMat\t"))
        << star.toStdString();
    EXPECT_TRUE(star.contains("Presupuesto.CantidadPres") || star.contains("CantidadPres"))
        << star.toStdString();
    const QStringList lines = star.split('\n');
    ASSERT_GE(lines.size(), 2);
    const QStringList names = lines[0].split('\t');
    const QStringList values = lines[1].split('\t');
    ASSERT_EQ(names.size(), values.size());
    EXPECT_EQ(values[names.indexOf("Materiales.ItemPres")], "1");
    EXPECT_EQ(
        values[names.indexOf("Presupuesto.CantidadPres") >= 0 ? names.indexOf("Presupuesto.CantidadPres")
                                                              : names.indexOf("CantidadPres")],
        "2");
    EXPECT_EQ(QStringList(names).removeDuplicates(), 0);
}

TEST_F(StoreSafety, MessagesAreSpanishAndNameTheCause) {
    // A failing line of the input is named; nothing of the input is written.
    CommandRun run =
        korvex({"sql", "Obra", "-"}, "DELETE * FROM Materiales\n\nUPDATE Grupos SET OrdenGru = 'x'\n");
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.startsWith("Línea 3 (UPDATE Grupos SET OrdenGru = 'x'): ")) << run.err.toStdString();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(query("SELECT Count(*) AS n FROM Materiales"), "n\n1\n");

    // The statement goes to standard error only with --verbose.
    run = korvex({"sql", "Obra", "SELECT 1" + QString(" + 1").repeated(200) + " AS x FROM Materiales"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("anida demasiados niveles")) << run.err.left(300).toStdString();
    run = runCommand(
        {"--root", dir.path() + "/raiz", "--verbose", "sql", "Obra", "SELECT Nada FROM Materiales"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.startsWith("No existe el campo Nada")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("\nSELECT Nada FROM Materiales")) << run.err.toStdString();
}

TEST_F(StoreSafety, ForeignAndDamagedFilesAreNamedSo) {
    // Enough rows for the table to spread over pages beyond the first.
    QString input;
    for (int i = 0; i < 400; ++i)
        input += QString("INSERT INTO Materiales (CodigoPres, DescripcionMat) VALUES ('Z', '%1')\n")
                     .arg(QString("Material de relleno %1 ").arg(i).repeated(8));
    ASSERT_EQ(korvex({"sql", "Obra", "-"}, input).code, 0);
    korvex::store::Connection::forgetUnder(dir.path());
    const QString file = dir.path() + "/raiz/Obra/Presupuesto.mdb";
    QFile database(file);
    ASSERT_TRUE(database.open(QIODevice::ReadWrite));
    ASSERT_GT(database.size(), 40000);
    database.seek(database.size() - 5000);
    database.write(QByteArray(64, 'x'));
    database.close();
    CommandRun run = korvex({"sql", "Obra", "SELECT Count(DescripcionMat) AS n FROM Materiales"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.startsWith("El archivo ") && run.err.contains("está dañado\n"))
        << run.err.toStdString();

    korvex::store::Connection::forgetUnder(dir.path());
    ASSERT_TRUE(database.open(QIODevice::ReadWrite));
    database.seek(0);
    database.write(QByteArray(64, 'x'));
    database.close();
    run = korvex({"sql", "Obra", "SELECT * FROM Grupos"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("está dañado o no es un proyecto")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("contraseña"));
}

} // namespace
