// Two windows open on one project: the second save refuses what the first saved meanwhile, and a
// save writes only what its user changed, all or nothing.
#include "ScheduleTestData.h"
#include "schedule/GroupAssignment.h"
#include "schedule/GroupSchedule.h"
#include "schedule/GroupSummary.h"
#include "schedule/ItemSchedule.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>

using namespace korvex;
using namespace korvex::schedule;
using korvex::testing::FailureGuard;
using korvex::testing::ScheduleProject;

namespace {

// A window as loaded: each call makes edit number n (1 or 2, on a different row) and saves.
using Window = std::function<engine::Resultado(int n)>;

template <class T> T* byName(std::vector<T>& groups, const QString& name) {
    for (T& g : groups)
        if (g.grupo == name)
            return &g;
    return nullptr;
}

const QString kGrupos[] = {"Obra", "Muros "};

struct Saver {
    const char* name;
    std::function<Window(ScheduleProject&)> open;
    QString query;
    QStringList fields;
    QStringList afterFirst; // rows written by edit 1 alone, untouched ones as they were
};

const Saver kSavers[] = {
    {"group assignment",
     [](ScheduleProject& p) -> Window {
         auto loaded = std::make_shared<GruposItems>(CargarGruposItems(p.db));
         return [&p, loaded](int n) -> engine::Resultado {
             std::vector<ItemGrupo> rows = loaded->items;
             rows[n - 1].grupo = QString("Nuevo%1").arg(n);
             const ResultadoGrupos result = GrabarGrupos(p.db, *loaded, rows);
             if (result.ok) // the window shows the table again
                 *loaded = CargarGruposItems(p.db);
             return result;
         };
     },
     "SELECT * FROM Presupuesto ORDER BY Indice",
     {"GruposPres"},
     {"Nuevo1", "Muros "}},
    {"group editor",
     [](ScheduleProject& p) -> Window {
         auto loaded = std::make_shared<ResumenGrupos>(CargarResumenGrupos(p.db));
         return [&p, loaded](int n) -> engine::Resultado {
             byName(loaded->grupos, kGrupos[n - 1])->descripcion = QString("Desc%1").arg(n);
             return GrabarDescripcionGrupos(p.db, *loaded);
         };
     },
     "SELECT * FROM Grupos ORDER BY Grupo",
     {"Grupo", "DescripcionGru", "OrdenGru"},
     {"Muros \t<null>\t<null>", "Obra\tDesc1\t1"}},
    {"group schedule",
     [](ScheduleProject& p) -> Window {
         auto loaded = std::make_shared<Cronograma>(CargarCronograma(p.db));
         return [&p, loaded](int n) -> engine::Resultado {
             byName(loaded->grupos, kGrupos[n - 1])->porcentajes = {"50", "50"};
             loaded->periodoTipo = "Semanal";
             return GrabarCronograma(p.db, *loaded);
         };
     },
     "SELECT * FROM DetalleGrupo ORDER BY Grupo, PeriodoGru",
     {"Grupo", "PeriodoGru", "PorcentajeGru"},
     {"Muros \t13\t5", "Obra\t1\t50", "Obra\t2\t50"}},
    {"item schedule",
     [](ScheduleProject& p) -> Window {
         auto loaded = std::make_shared<CronoItems>(CargarCronoItems(p.db));
         return [&p, loaded](int n) -> engine::Resultado {
             loaded->items[n - 1].cantidades[0] = n;
             return GrabarCronoValores(p.db, *loaded);
         };
     },
     "SELECT * FROM CronoValores ORDER BY CronoCodigo",
     {"CronoCodigo", "Crono30C", "Crono60C"},
     {"E1\t1\t<null>"}},
};

// Every table a schedule save writes.
QStringList everyTable(ScheduleProject& p) {
    return p.rows("SELECT * FROM Presupuesto ORDER BY Indice", {"GruposPres"}) +
           p.rows("SELECT * FROM Grupos ORDER BY Grupo", {"Grupo", "DescripcionGru", "OrdenGru"}) +
           p.rows("SELECT * FROM DetalleGrupo ORDER BY Grupo, PeriodoGru",
                  {"Grupo", "PeriodoGru", "PorcentajeGru", "SemanasGru"}) +
           p.rows("SELECT * FROM CronoValores ORDER BY CronoCodigo", {"CronoCodigo", "Crono30C"}) +
           p.rows("SELECT * FROM Proyecto", {"Periodotipo"});
}

} // namespace

TEST(ScheduleSaves, TheSecondWindowRefusesAndUntouchedRowsAreNotWrittenBack) {
    FailureGuard guard;
    for (const Saver& saver : kSavers) {
        SCOPED_TRACE(saver.name);
        ScheduleProject p;
        p.header();
        p.item("E1", "1", "Uno", 10, "Obra");
        p.item("E2", "2", "Dos", 5, "Muros ");
        p.group("Obra", "Obra gruesa", 1);
        p.group("Muros ");
        p.detail("Obra", 1, 100, 4, 1);
        p.detail("Muros ", 13, 5, 1); // a period no column shows

        const Window first = saver.open(p);
        const Window second = saver.open(p);
        // A failure at each write of the first save in turn leaves every table as it was.
        const QStringList untouched = everyTable(p);
        int failures = 0;
        for (;; ++failures) {
            store::testing::failAfterWrites(failures);
            const engine::Resultado saved = first(1);
            store::testing::failAfterWrites(-1);
            if (saved.ok)
                break;
            EXPECT_FALSE(saved.message.isEmpty());
            EXPECT_EQ(everyTable(p), untouched) << "write " << failures;
            ASSERT_LT(failures, 10) << saved.message.toStdString();
        }
        EXPECT_GT(failures, 0);
        const QStringList stored = p.rows(saver.query, saver.fields);
        EXPECT_EQ(stored, saver.afterFirst);

        const engine::Resultado refused = second(2);
        EXPECT_FALSE(refused.ok);
        EXPECT_TRUE(
            refused.message.contains("cambiaron desde que abrió la ventana; ciérrela y vuelva a abrirla"))
            << refused.message.toStdString();
        EXPECT_EQ(p.rows(saver.query, saver.fields), stored);

        // The first window's own save is no change meanwhile.
        const engine::Resultado again = first(2);
        EXPECT_TRUE(again.ok) << again.message.toStdString();
    }
}
