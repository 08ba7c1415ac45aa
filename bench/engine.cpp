// The cost engine on a large budget: the synthetic project of `korvex demo --items 2000`
// (2,000 items, about 40,000 resource lines). The plain-SQLite scan is the yardstick for the
// recalculation: one ordered pass over the four line tables joined to Presupuesto.

#include "engine/Engine.h"

#include "TestProject.h"
#include "engine/Demo.h"
#include "store/Database.h"

#include <QDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>

namespace {

constexpr int kItems = 2000;

struct BenchProject {
    korvex::testing::TempRoot root;
    QString folder;
    int lines = 0;

    BenchProject() {
        const auto demo = korvex::engine::CrearProyectoEjemplo(root.root(), "Grande", kItems);
        if (!demo.ok)
            throw std::runtime_error(demo.message.toStdString());
        folder = demo.folder;
        lines = demo.lineas;
        std::fprintf(stderr, "bench project: %d items, %d lines\n", demo.items, demo.lineas);
    }
};

BenchProject& project() {
    static BenchProject instance;
    return instance;
}

void BM_RecalcularPresupuesto(benchmark::State& state) {
    const QString folder = project().folder;
    for (auto _ : state) {
        const auto result = korvex::engine::RecalcularPresupuesto(folder);
        if (!result.ok)
            state.SkipWithError(result.message.toStdString().c_str());
        benchmark::DoNotOptimize(result.items);
    }
    state.counters["lines"] = project().lines;
}
BENCHMARK(BM_RecalcularPresupuesto)->Unit(benchmark::kMillisecond);

// The same prices with one query per item and kind, as an item's own analysis reads them: what a
// recalculation would cost without the whole-table scans.
void BM_PreciosConConsultasPorRubro(benchmark::State& state) {
    const QString folder = project().folder;
    const auto items = korvex::engine::PreciosUnitarios(folder);
    for (auto _ : state) {
        double sum = 0;
        for (const auto& item : items)
            sum += korvex::engine::PrecioUnitarioItem(folder, item.codigoPres, item.itemPres)
                       .precio.precioUnitario;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_PreciosConConsultasPorRubro)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_TotalCostoDirecto(benchmark::State& state) {
    const QString folder = project().folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::engine::TotalCostoDirecto(folder));
}
BENCHMARK(BM_TotalCostoDirecto)->Unit(benchmark::kMillisecond);

void BM_TotalEquipoProyecto(benchmark::State& state) {
    const QString folder = project().folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::engine::TotalEquipoProyecto(folder));
}
BENCHMARK(BM_TotalEquipoProyecto)->Unit(benchmark::kMillisecond);

void BM_TotalManoObraProyecto(benchmark::State& state) {
    const QString folder = project().folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::engine::TotalManoObraProyecto(folder));
}
BENCHMARK(BM_TotalManoObraProyecto)->Unit(benchmark::kMillisecond);

void BM_TotalTransporteProyecto(benchmark::State& state) {
    const QString folder = project().folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(korvex::engine::TotalTransporteProyecto(folder));
}
BENCHMARK(BM_TotalTransporteProyecto)->Unit(benchmark::kMillisecond);

void BM_LlenarInfoAnalisis(benchmark::State& state) {
    const QString folder = project().folder;
    for (auto _ : state) {
        const auto result = korvex::engine::LlenarInfoAnalisis(folder);
        if (!result.ok)
            state.SkipWithError(result.message.toStdString().c_str());
        benchmark::DoNotOptimize(result.registros);
    }
}
BENCHMARK(BM_LlenarInfoAnalisis)->Unit(benchmark::kMillisecond);

// One ordered scan of the four line tables joined to their items, straight through SQLite on
// the same file (keyed once, outside the timing), reading the figures a unit price needs.
void BM_SqlitePlainOrderedScan(benchmark::State& state) {
    const QByteArray path = QDir(project().folder).filePath(korvex::store::kDatabaseFileName).toUtf8();
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(path.constData(), &raw, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open the project file");
        return;
    }
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    sqlite3_exec(raw, "PRAGMA key = '5816240397'", nullptr, nullptr, nullptr);
    const char* queries[] = {
        "SELECT p.Indice, l.CantidadMat, l.PrecioUniMat FROM Presupuesto p JOIN Materiales l "
        "ON l.CodigoPres = p.CodigoPres AND l.ItemPres = p.ItemPres ORDER BY p.Indice, l.rowid",
        "SELECT p.Indice, l.HorasMaq, l.CostoMaq, l.RendimientoMaq FROM Presupuesto p JOIN Maquinaria l "
        "ON l.CodigoPres = p.CodigoPres AND l.ItemPres = p.ItemPres ORDER BY p.Indice, l.rowid",
        "SELECT p.Indice, l.HorasMan, l.SalarioMan, l.RendimientoMan FROM Presupuesto p JOIN ManoObra l "
        "ON l.CodigoPres = p.CodigoPres AND l.ItemPres = p.ItemPres ORDER BY p.Indice, l.rowid",
        "SELECT p.Indice, l.CantidadTran, l.PrecioTran FROM Presupuesto p JOIN Transporte l "
        "ON l.CodigoPres = p.CodigoPres AND l.ItemPres = p.ItemPres ORDER BY p.Indice, l.rowid",
    };
    for (auto _ : state) {
        double sum = 0;
        long rows = 0;
        for (const char* sql : queries) {
            sqlite3_stmt* statement = nullptr;
            if (sqlite3_prepare_v2(raw, sql, -1, &statement, nullptr) != SQLITE_OK) {
                state.SkipWithError(sqlite3_errmsg(raw));
                return;
            }
            while (sqlite3_step(statement) == SQLITE_ROW) {
                const int columns = sqlite3_column_count(statement);
                double product = 1;
                for (int c = 1; c < columns; ++c)
                    product *= sqlite3_column_double(statement, c);
                sum += product;
                ++rows;
            }
            sqlite3_finalize(statement);
        }
        benchmark::DoNotOptimize(sum);
        state.counters["rows"] = static_cast<double>(rows);
    }
}
BENCHMARK(BM_SqlitePlainOrderedScan)->Unit(benchmark::kMillisecond);

} // namespace
