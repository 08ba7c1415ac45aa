// Peak resident memory of the desktop program's heaviest pair of windows on the largest projects:
// the items editor and the price lists open together on 20,000 items (and 2,000 beside it). Run
// each size in a process of its own (--benchmark_filter=/20000) for a peak of that size alone.

#include "CachedProject.h"
#include "WindowBench.h"
#include "budget/frmDatosPresupuesto.h"
#include "lists/frmListaMEM.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

using namespace korvex;

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void BM_MemoriaPico(benchmark::State& state) {
    bench::ensureApplication();
    static bench::AnsweringMessages messages(ui::MessageAnswer::No);
    ui::setMessageService(&messages);
    const bench::CopiedProject project(static_cast<int>(state.range(0)));
    const double before = peakMegabytes();
    for (auto _ : state) {
        auto items = bench::showWindow<budget::frmDatosPresupuesto>(project.context());
        auto lists = bench::showWindow<lists::frmListaMEM>(project.context());
        QCoreApplication::processEvents();
    }
    state.counters["pico_MB"] = peakMegabytes();
    state.counters["antes_MB"] = before;
}
BENCHMARK(BM_MemoriaPico)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
