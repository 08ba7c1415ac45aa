// The project store: opening a further handle on an open file, and the resource-totals query of
// the dialect against the same query written directly for SQLite, on 2,000 items and 40,000 lines.
#include "TestProject.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

#define SQLITE_HAS_CODEC 1
#include <benchmark/benchmark.h>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>

namespace {

using korvex::store::Database;

constexpr int kItems = 2000;
constexpr int kLinesPerItem = 20;
constexpr int kMaterials = 600;

const char* const kDialectTotals =
    "SELECT Materiales.DescripcionMat, Materiales.UnidadMat, Sum(Materiales.Cantidadmat * "
    "Presupuesto.CantidadPres) AS TotalMat, Materiales.PrecioUniMat "
    " FROM [SELECT Materiales.DescripcionMat, Materiales.UnidadMat, Materiales.CantidadMat, "
    "Materiales.PrecioUniMat, Presupuesto.CantidadPres FROM Materiales INNER JOIN Presupuesto ON "
    "(Materiales.ItemPres = Presupuesto.ItemPres) AND (Materiales.CodigoPres = Presupuesto.CodigoPres)]. AS "
    "[%$##@_Alias] "
    " GROUP BY Materiales.DescripcionMat, Materiales.Unidadmat, Materiales.PrecioUniMat ";

const char* const kDirectTotals =
    "SELECT m.DescripcionMat, m.UnidadMat, SUM(m.CantidadMat * p.CantidadPres) AS TotalMat, m.PrecioUniMat "
    "FROM Materiales m INNER JOIN Presupuesto p ON m.ItemPres = p.ItemPres AND m.CodigoPres = p.CodigoPres "
    "GROUP BY m.DescripcionMat, m.UnidadMat, m.PrecioUniMat";

struct LargeProject {
    korvex::testing::TempRoot root;
    QString folder;
    Database db;

    LargeProject() {
        folder = root.newProject("Grande");
        db = root.open(folder);
        korvex::store::Transaction t(db);
        for (int i = 0; i < kItems; ++i) {
            const QString code = QStringLiteral("C%1").arg(i / 100);
            const QString item = QString::number(i % 100 + 1);
            db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, CantidadPres) VALUES "
                       "(?, ?, ?, ?)",
                       {code, item, QStringLiteral("Rubro %1").arg(i), 1.0 + i % 7});
            for (int l = 0; l < kLinesPerItem; ++l) {
                const int m = (i * 7 + l * 13) % kMaterials;
                db.execute("INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, "
                           "CantidadMat, PrecioUniMat) "
                           "VALUES (?, ?, ?, ?, ?, ?)",
                           {code, item, QStringLiteral("Material número %1").arg(m), m % 2 ? "kg" : "m3",
                            0.5 + l, 1.0 + m % 17});
            }
        }
        t.commit();
    }
};

LargeProject& largeProject() {
    static LargeProject* project = new LargeProject;
    return *project;
}

void BM_OpenSecondHandle(benchmark::State& state) {
    korvex::testing::TempRoot root;
    const QString folder = root.newProject();
    Database first = root.open(folder);
    for (auto _ : state) {
        Database second = Database::openProject(folder);
        benchmark::DoNotOptimize(second.isOpen());
    }
}
BENCHMARK(BM_OpenSecondHandle)->Unit(benchmark::kMicrosecond);

void BM_TotalsDialect(benchmark::State& state) {
    LargeProject& p = largeProject();
    for (auto _ : state) {
        korvex::store::RecordSet rs = p.db.openRecordSet(kDialectTotals);
        benchmark::DoNotOptimize(rs.recordCount());
    }
}
BENCHMARK(BM_TotalsDialect)->Unit(benchmark::kMillisecond);

void BM_TotalsDirectSqlite(benchmark::State& state) {
    LargeProject& p = largeProject();
    sqlite3* db = nullptr;
    const QByteArray path = korvex::store::projectDatabasePath(p.folder).toUtf8();
    sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_key(db, "5816240397", 10);
    sqlite3_exec(db, "PRAGMA cache_size = -16000", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, kDirectTotals, -1, &st, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    for (auto _ : state) {
        // Read every value as the record set does.
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_text(st, 0));
            benchmark::DoNotOptimize(sqlite3_column_text(st, 1));
            benchmark::DoNotOptimize(sqlite3_column_double(st, 2));
            benchmark::DoNotOptimize(sqlite3_column_double(st, 3));
            ++rows;
        }
        sqlite3_reset(st);
        benchmark::DoNotOptimize(rows);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}
BENCHMARK(BM_TotalsDirectSqlite)->Unit(benchmark::kMillisecond);

// The engine's pattern: the lines of one item, once per item.
void BM_LinesOfEveryItem(benchmark::State& state) {
    LargeProject& p = largeProject();
    for (auto _ : state) {
        int lines = 0;
        for (int i = 0; i < kItems; i += 10) {
            const QString code = QStringLiteral("C%1").arg(i / 100);
            const QString item = QString::number(i % 100 + 1);
            korvex::store::RecordSet rs = p.db.openRecordSet("SELECT * FROM Materiales WHERE CodigoPres = '" +
                                                             code + "' and ItemPres = '" + item + "'");
            lines += rs.recordCount();
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetItemsProcessed(state.iterations() * (kItems / 10));
}
BENCHMARK(BM_LinesOfEveryItem)->Unit(benchmark::kMillisecond);

} // namespace
