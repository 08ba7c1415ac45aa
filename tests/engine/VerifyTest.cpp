// The project health check through its batch command: a clean project, one with every kind of
// finding, bad usage and an unreadable project; and it never writes.
#include "CommandRun.h"
#include "EngineFixture.h"
#include "engine/Engine.h"
#include "store/Database.h"

#include <QCryptographicHash>
#include <QFile>

using korvex::testing::EngineTest;
using korvex::testing::runCommand;

namespace {

QByteArray fileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class Verify : public EngineTest {
protected:
    korvex::testing::CommandRun verify() { return runCommand({"--root", root.root(), "verify", folder}); }

    void cleanProject() {
        header(20, 5, true);
        item("A1", "1", 10);
        material("A1", "1", "Cemento", "kg", 2.5, 0.18);
        manoObra("A1", "1", "Peón", "E2", 1, 0.8, 3.05);
        item("B2", "1", 4);
        material("B2", "1", "CEMENTO", "KG", 50, 0.18); // the same resource, in other letter case
        equipo("B2", "1", "Concretera", 1, 1, 4.5);
        ASSERT_TRUE(korvex::engine::RecalcularPresupuesto(folder).ok);
    }
};

TEST_F(Verify, ACleanProjectHasNoFindingsAndIsLeftAsItWas) {
    cleanProject();
    db.close();
    const QString file = folder + "/Presupuesto.mdb";
    const QByteArray before = fileHash(file);
    const auto run = verify();
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "Proyecto sin hallazgos: 2 rubros, 4 líneas\n");
    EXPECT_EQ(fileHash(file), before) << "verifying writes nothing";
}

TEST_F(Verify, EveryKindOfFindingIsNamedWithItsItem) {
    cleanProject();
    material("X9", "1", "Arena", "m3", 1, 14);       // no such item
    item("a1", "1", 1);                              // the key of A1 in other letter case
    material("B2", "1", "Cal", "saco", 1, 0);        // without a price
    transporte("C3", "2", "Cemento", "kg", 1, 0.01); // again no such item
    manoObra("B2", "1", "PEÓN", "e2", 1, 1, 3.25);   // Peón E2 at another price
    item("D4", "1", 1);                              // no lines
    ASSERT_TRUE(korvex::engine::RecalcularPresupuesto(folder).ok);
    db.execute("UPDATE Presupuesto SET TotalPres = 99.5 WHERE CodigoPres = 'A1'");
    db.close();

    const auto run = verify();
    EXPECT_EQ(run.code, 1) << run.err.toStdString();
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    const QStringList expected = {
        "rubro duplicado\ta1\t1\tOtro rubro tiene el mismo código e ítem",
        "precio unitario\tA1\t1\tTotalPres 99.50 y el análisis da 3.76",
        // The store compares codes without regard to case, so the update reached both.
        "precio unitario\ta1\t1\tTotalPres 99.50 y el análisis da 3.76",
        "línea sin rubro\tX9\t1\tMateriales: Arena (m3) pertenece a un rubro que no existe",
        "línea sin precio\tB2\t1\tMateriales: Cal (saco) no tiene precio",
        "precio distinto\tB2\t1\tMano de obra: PEÓN (e2) a 3.25; el precio del proyecto es 3.05",
        "línea sin rubro\tC3\t2\tTransporte: Cemento (kg) pertenece a un rubro que no existe",
        "rubro sin líneas\tD4\t1\tEl rubro no tiene análisis",
    };
    for (const QString& finding : expected)
        EXPECT_TRUE(lines.contains(finding)) << finding.toStdString() << "\n" << run.out.toStdString();
    EXPECT_EQ(lines.size(), expected.size() + 1);
    EXPECT_EQ(lines.last(), "8 hallazgos en 4 rubros y 8 líneas");
    for (const QString& line : lines.mid(0, lines.size() - 1))
        EXPECT_EQ(line.split('\t').size(), 4) << line.toStdString();
}

TEST_F(Verify, UsageAndUnreadableProjects) {
    EXPECT_EQ(runCommand({"--root", root.root(), "verify"}).code, 2);
    EXPECT_EQ(runCommand({"--root", root.root(), "verify", folder, "otro"}).code, 2);

    const auto missing = runCommand({"--root", root.root(), "verify", root.root() + "/NoExiste"});
    EXPECT_EQ(missing.code, 3);
    EXPECT_TRUE(missing.err.startsWith("No se pudo leer el proyecto: ")) << missing.err.toStdString();

    header(0, 0, false);
    db.close();
    QFile file(folder + "/Presupuesto.mdb");
    ASSERT_TRUE(file.remove()); // a new file, not the one the process has open
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(8192, 'x'));
    file.close();
    const auto damaged = verify();
    EXPECT_EQ(damaged.code, 3);
    EXPECT_TRUE(damaged.out.isEmpty());
}
