// The budget windows' data operations on a large budget (the synthetic project of
// `korvex demo --items 2000`): loading the items editor, saving it with ten items renamed,
// and the budget presentation with its recalculation.

#include "TestProject.h"

#include "budget/BudgetItems.h"
#include "budget/Presentation.h"
#include "engine/Demo.h"
#include "store/Database.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>

namespace {

constexpr int kItems = 2000;

struct BenchProject {
    korvex::testing::TempRoot root;
    QString folder;

    BenchProject()
    {
        const auto demo = korvex::engine::CrearProyectoEjemplo(root.root(), "Grande", kItems);
        if (!demo.ok)
            throw std::runtime_error(demo.message.toStdString());
        folder = demo.folder;
        std::fprintf(stderr, "bench project: %d items, %d lines\n", demo.items, demo.lineas);
    }
};

BenchProject& project()
{
    static BenchProject instance;
    return instance;
}

void BM_LeerPresupuesto(benchmark::State& state)
{
    auto db = korvex::store::Database::openProject(project().folder);
    for (auto _ : state) {
        korvex::budget::HojaPresupuesto hoja(korvex::budget::leerPresupuesto(db));
        benchmark::DoNotOptimize(hoja.items());
    }
}
BENCHMARK(BM_LeerPresupuesto)->Unit(benchmark::kMillisecond);

// Every save renames ten items (and back on the next round, so the project stays the same size)
// and rewrites the whole table.
void BM_GrabarPresupuesto(benchmark::State& state)
{
    using namespace korvex::budget;
    auto db = korvex::store::Database::openProject(project().folder);
    bool renamed = false;
    for (auto _ : state) {
        state.PauseTiming();
        HojaPresupuesto hoja(leerPresupuesto(db));
        for (int r = 100; r <= 1000; r += 100) {
            const QString code = hoja.celda(r, kColCodigo);
            hoja.escribir(r, kColCodigo, renamed ? code.chopped(1) : code + "x");
        }
        renamed = !renamed;
        state.ResumeTiming();
        const ResultadoGrabacion result = grabarPresupuesto(db, hoja);
        if (!result.ok)
            state.SkipWithError(result.message.toStdString().c_str());
    }
}
BENCHMARK(BM_GrabarPresupuesto)->Unit(benchmark::kMillisecond);

void BM_Presentacion(benchmark::State& state)
{
    for (auto _ : state) {
        const auto p = korvex::budget::calcularPresentacion(project().folder);
        if (!p.ok)
            state.SkipWithError(p.message.toStdString().c_str());
        benchmark::DoNotOptimize(p.total);
    }
}
BENCHMARK(BM_Presentacion)->Unit(benchmark::kMillisecond);

} // namespace
