#include "schedule/GroupSchedule.h"

#include "ScheduleTestData.h"
#include "engine/Numbers.h"
#include "schedule/CronoTables.h"

#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::schedule;
using korvex::testing::FailureGuard;
using korvex::testing::ScheduleProject;

namespace {

GrupoCrono grupoCon(const QString& name, const QString& descripcion, const QStringList& percentages) {
    GrupoCrono g;
    g.grupo = name;
    g.descripcion = descripcion;
    for (int p = 0; p < percentages.size(); ++p)
        g.porcentajes[p] = percentages[p];
    return g;
}

QString money(const std::optional<double>& value) {
    return value ? engine::FormatoGrupo(*value) : QString("-");
}

QStringList detail(ScheduleProject& p) {
    return p.rows("SELECT * FROM DetalleGrupo",
                  {"Grupo", "PeriodoGru", "PorcentajeGru", "SemanasGru", "OrdenGru"});
}

} // namespace

TEST(GroupSchedule, LoadingShowsEachGroupsPeriodsInOrder) {
    ScheduleProject p;
    p.db.execute("INSERT INTO Proyecto (Periodotipo) VALUES (?)", {"Mensual"});
    p.group("B", "Estructura", 2);
    p.group("A", {}, 1);
    p.detail("A", 1, 60, 4, 1);
    p.detail("A", 2, 0, 2, 1);    // weeks without percentage
    p.detail("b", 7, 33.3, 9, 2); // the name in another case; weeks out of range
    p.detail("B", 13, 10, 1, 2);  // a period without a column

    const Cronograma crono = CargarCronograma(p.db);
    EXPECT_EQ(crono.periodoTipo, "Mensual");
    EXPECT_EQ(crono.periodos, 7);
    ASSERT_EQ(crono.grupos.size(), 2u);
    const GrupoCrono& a = crono.grupos[0];
    EXPECT_EQ(a.grupo, "A");
    EXPECT_EQ(a.descripcion, "");
    EXPECT_EQ(a.porcentajes[0], "60");
    EXPECT_EQ(a.porcentajes[1], "");
    EXPECT_EQ(a.semanas[0], 4);
    EXPECT_EQ(a.semanas[1], 2);
    const GrupoCrono& b = crono.grupos[1];
    EXPECT_EQ(b.porcentajes[6], "33.3");
    EXPECT_EQ(b.semanas[6], 0);
    EXPECT_EQ(barraSemanas(3), "---");
    EXPECT_EQ(barraSemanas(5), "");
}

TEST(GroupSchedule, PercentagesMustAddUpToAHundred) {
    Cronograma crono;
    crono.grupos = {grupoCon("A", "Obra gruesa", {"33.3", "33,3", "33.4"}),
                    grupoCon("B", "", {"25.49", "18.92", "17.93", "37.66"})};
    EXPECT_EQ(GrupoConErrorDePorcentaje(crono), std::nullopt);

    crono.grupos.push_back(grupoCon("C", "Acabados", {"50", "49.99"}));
    ASSERT_EQ(GrupoConErrorDePorcentaje(crono), 2);
    EXPECT_EQ(MensajeErrorPorcentaje(crono.grupos[2]),
              "El Grupo Acabados tiene un error en la suma de Porcentaje");
    // A group without description is named by its name.
    EXPECT_EQ(MensajeErrorPorcentaje(crono.grupos[1]), "El Grupo B tiene un error en la suma de Porcentaje");

    crono.grupos = {grupoCon("V", "Sin programar", {})};
    EXPECT_EQ(GrupoConErrorDePorcentaje(crono), 0);
}

TEST(GroupSchedule, TotalsPerPeriodFollowEachGroupsDirectCost) {
    ScheduleProject p;
    p.header(20, 5, true); // indirect costs and tools do not count in the schedule
    p.item("E1", "1", "Hormigón", 2.5, "Obra");
    p.material("E1", "1", "Cemento", 2.5, 13.47); // 33.68
    p.labour("E1", "1", "Peón", 1, 3.05, 0.8);    // 2.44 -> direct cost 36.12
    p.item("E2", "2", "Enlucido", 3, "Acab");
    p.material("E2", "2", "Mortero", 1, 10.005); // 10.01
    p.item("E3", "3", "Pintura", 2, "acab");
    p.material("E3", "3", "Pintura", 0.333, 10); // 3.33
    p.group("Obra", "Compartida", 1);
    p.group("Acab", "Compartida", 2); // the same description: still its own total
    p.group("Vacío", {}, 3);

    Cronograma crono = CargarCronograma(p.db);
    const std::vector<double> costs = CostosDirectosGrupos(p.folder, crono);
    ASSERT_EQ(costs.size(), 3u);
    EXPECT_EQ(QStringList({money(costs[0]), money(costs[1]), money(costs[2])}),
              QStringList({"90.30", "36.69", "00.00"})); // 2.5 x 36.12; 3 x 10.01 + 2 x 3.33

    crono.grupos[0].porcentajes = {"50", "", "50"};
    crono.grupos[1].porcentajes[0] = "100";
    crono.grupos[2].porcentajes[6] = "100";
    crono.periodos = 5; // period 7 is past the count: not totalled
    TotalesPeriodo totals = CalcularTotalesCrono(crono, costs);
    EXPECT_EQ(money(totals.parcial[0]), "81.84"); // 45.15 + 36.69
    EXPECT_EQ(money(totals.parcial[1]), "-");
    EXPECT_EQ(money(totals.parcial[2]), "45.15");
    EXPECT_EQ(money(totals.acumulado[1]), "81.84");
    EXPECT_EQ(money(totals.acumulado[4]), "126.99");
    EXPECT_EQ(money(totals.acumulado[5]), "-");

    crono.periodos = 7;
    totals = CalcularTotalesCrono(crono, costs);
    EXPECT_EQ(money(totals.parcial[6]), "00.00");
    EXPECT_EQ(money(totals.acumulado[6]), "126.99");
}

TEST(GroupSchedule, SavingWritesEachGroupUnderItsOwnName) {
    ScheduleProject p;
    p.group("A", "Igual", 3);
    p.group("B", "Igual", 4);
    p.group("Sin'desc", {}, 5);
    p.group("Vacío", {}, 6);
    p.detail("Viejo", 1, 100, 1);

    Cronograma crono = CargarCronograma(p.db);
    crono.periodoTipo = "Quincenal";
    crono.grupos[0].porcentajes[0] = "100";
    crono.grupos[0].semanas[0] = 4;
    crono.grupos[1].porcentajes[1] = "40";
    crono.grupos[1].porcentajes[2] = "60";
    crono.grupos[1].semanas[3] = 2; // weeks without percentage
    crono.grupos[2].porcentajes[11] = "100";
    crono.grupos[2].semanas[11] = 1;

    // No header yet: the period type makes one.
    const ResultadoGrabar result = GrabarCronograma(p.db, crono);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(result.registros, 5);
    // The rows of a name no group carries stay, as the group assignment keeps them.
    EXPECT_EQ(detail(p), QStringList({"Viejo\t1\t100\t1\t0", "A\t1\t100\t4\t3", "B\t2\t40\t0\t4",
                                      "B\t3\t60\t0\t4", "B\t4\t0\t2\t4", "Sin'desc\t12\t100\t1\t5"}));
    EXPECT_EQ(p.rows("SELECT * FROM Proyecto", {"Periodotipo"}), QStringList({"Quincenal"}));

    const Cronograma reloaded = CargarCronograma(p.db);
    EXPECT_EQ(reloaded.grupos[2].grupo, "Sin'desc");
    EXPECT_EQ(reloaded.grupos[2].porcentajes[11], "100");
    EXPECT_EQ(reloaded.periodos, 12);
}

TEST(GroupSchedule, WithoutPeriodTypeNoHeaderIsMadeUp) {
    ScheduleProject p;
    p.group("A", "Obra", 1);
    Cronograma crono = CargarCronograma(p.db);
    crono.grupos[0].porcentajes[0] = "100";
    ASSERT_TRUE(GrabarCronograma(p.db, crono).ok);
    EXPECT_EQ(p.count("SELECT * FROM Proyecto"), 0);
}

TEST(CronoTables, OneRecordPerGroupEvenWhenGroupsShareAnOrder) {
    ScheduleProject p;
    p.db.execute("INSERT INTO Crono (Grupo) VALUES (?)", {"basura"});
    p.detail("Acab", 3, 40, 2, 2);
    p.detail("Obra", 1, 60, 4, 1);
    p.detail("Obra", 2, 40, 1, 1);
    p.detail("Acab", 4, 60, 3, 2);
    p.detail("Acab", 13, 5, 1, 2); // no such period: skipped
    // Equal order: the rows interleave in stored order; Muro still gets one record.
    p.detail("Muro", 5, 50, 1, 7);
    p.detail("Losa", 5, 100, 4, 7);
    p.detail("Muro", 6, 50, 2, 7);

    EXPECT_EQ(LlenarTablasCrono(p.db), 4);
    // Each record's group and the periods its twelve flags mark.
    QStringList periods;
    for (store::RecordSet rs = p.db.openRecordSet("SELECT * FROM Crono"); !rs.eof(); rs.moveNext()) {
        QStringList marked;
        for (int k = 1; k <= 12; ++k)
            if (rs.boolean(QString("Periodo%1").arg(k)))
                marked << QString::number(k);
        periods << rs.text("Grupo") + ":" + marked.join(',');
    }
    EXPECT_EQ(periods, QStringList({"Obra:1,2", "Acab:3,4", "Muro:5,6", "Losa:5"}));

    EXPECT_EQ(p.rows("SELECT * FROM Crono2", {"Grupo", "Periodo1S", "Periodo2S", "Periodo3S", "Periodo4S"})
                  .first(2),
              QStringList({"Obra\t4\t1\t<null>\t<null>", "Acab\t<null>\t<null>\t2\t3"}));
    EXPECT_EQ(p.rows("SELECT * FROM Crono3", {"Grupo", "Periodo1P", "Periodo2P", "Periodo3P", "Periodo4P"})
                  .first(2),
              QStringList({"Obra\t60\t40\t<null>\t<null>", "Acab\t<null>\t<null>\t40\t60"}));
}

TEST(CronoTables, EmptyScheduleEmptiesTheTablesAndFailuresChangeNothing) {
    FailureGuard guard;
    ScheduleProject p;
    p.detail("Obra", 1, 100, 4, 1);
    ASSERT_TRUE(LlenarTablasCrono(p.folder).ok);
    EXPECT_EQ(p.count("SELECT * FROM Crono3"), 1);

    p.db.execute("DELETE * FROM DetalleGrupo");
    p.detail("Otra", 2, 100, 2, 1);
    for (int n = 0; n < 6; ++n) {
        store::testing::failAfterWrites(n);
        const ResultadoCrono result = LlenarTablasCrono(p.folder);
        store::testing::failAfterWrites(-1);
        ASSERT_FALSE(result.ok) << "write " << n;
        EXPECT_EQ(p.rows("SELECT * FROM Crono3", {"Grupo"}), QStringList({"Obra"}));
    }

    p.db.execute("DELETE * FROM DetalleGrupo");
    const ResultadoCrono result = LlenarTablasCrono(p.folder);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.registros, 0);
    for (const char* table : {"Crono", "Crono2", "Crono3"})
        EXPECT_EQ(p.count(QString("SELECT * FROM ") + table), 0);
}
