// The budget windows on a large budget (the synthetic project of `korvex demo --items 2000`,
// 2,000 items and about 40,000 resource lines): what an estimator waits for through the windows
// (the items editor opening, F2 / F10 near the top of the list, F9 with ten items renamed, the
// presentation and the picker opening) and the operations beneath.

#include "WindowBench.h"
#include "budget/BudgetItems.h"
#include "budget/Presentation.h"
#include "budget/frmAnalisis.h"
#include "budget/frmDatosPresupuesto.h"
#include "budget/frmPresPresu.h"
#include "engine/Demo.h"
#include "store/Database.h"
#include "ui/Grid.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

using namespace korvex;
using namespace korvex::budget;

constexpr int kItems = bench::kLargeProjectItems;
using bench::sendKey;

// Questions are answered No: an editor closes without saving.
bench::LargeProject& project() {
    static bench::LargeProject instance(ui::MessageAnswer::No, kItems);
    return instance;
}

bench::AnsweringMessages& answering() {
    return project().messages;
}

template <typename W> std::unique_ptr<W> openWindow() {
    return bench::showWindow<W>(project().context());
}

// Renames ten items of the sheet, or back again, so that the project keeps its size.
void renameTen(HojaPresupuesto& hoja, bool back) {
    for (int r = 100; r <= 1000; r += 100) {
        const QString code = hoja.celda(r, kColCodigo);
        hoja.escribir(r, kColCodigo, back ? code.chopped(1) : code + "x");
    }
}

// ---- Through the windows ---------------------------------------------------------------------

void BM_AbrirDatosPresupuesto(benchmark::State& state) {
    project();
    for (auto _ : state) {
        auto window = openWindow<frmDatosPresupuesto>();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AbrirDatosPresupuesto)->Unit(benchmark::kMillisecond);

// F2 on row 2 then F10 on the empty row: the whole list below shifts twice.
void BM_InsertarYSuprimirF2F10(benchmark::State& state) {
    auto window = openWindow<frmDatosPresupuesto>();
    auto* grid = window->findChild<ui::Grid*>("msfgDatosPres");
    for (auto _ : state) {
        grid->setCell(2, 0);
        sendKey(grid, Qt::Key_F2);
        sendKey(grid, Qt::Key_F10);
    }
    if (window->hoja().items() != kItems)
        state.SkipWithError("the list changed");
}
BENCHMARK(BM_InsertarYSuprimirF2F10)->Unit(benchmark::kMillisecond);

void BM_GrabarDatosPresupuestoF9(benchmark::State& state) {
    project();
    bool back = false;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = openWindow<frmDatosPresupuesto>();
        auto* grid = window->findChild<ui::Grid*>("msfgDatosPres");
        auto* editor = window->findChild<QLineEdit*>("txtIngreso");
        // F12 on the code, an "x" added at its end or taken off again, Enter.
        for (int r = 100; r <= 1000; r += 100) {
            grid->setCell(r, kColCodigo);
            sendKey(grid, Qt::Key_F12);
            sendKey(editor, back ? Qt::Key_Backspace : Qt::Key_X, back ? QString() : QString("x"));
            sendKey(editor, Qt::Key_Return);
        }
        back = !back;
        state.ResumeTiming();
        sendKey(grid, Qt::Key_F9);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    if (answering().shown > 0)
        state.SkipWithError("the save showed a message");
}
BENCHMARK(BM_GrabarDatosPresupuestoF9)->Unit(benchmark::kMillisecond);

// Includes the recalculation of every stored unit price.
void BM_AbrirPresentacion(benchmark::State& state) {
    project();
    for (auto _ : state) {
        auto window = openWindow<frmPresPresu>();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AbrirPresentacion)->Unit(benchmark::kMillisecond);

void BM_AbrirSelectorRubros(benchmark::State& state) {
    project();
    for (auto _ : state) {
        auto window = openWindow<frmAnalisis>();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AbrirSelectorRubros)->Unit(benchmark::kMillisecond);

// ---- The operations beneath ------------------------------------------------------------------

void BM_LeerPresupuesto(benchmark::State& state) {
    auto db = store::Database::openProject(project().folder);
    for (auto _ : state) {
        HojaPresupuesto hoja = cargarHoja(db);
        benchmark::DoNotOptimize(hoja.items());
    }
}
BENCHMARK(BM_LeerPresupuesto)->Unit(benchmark::kMillisecond);

// Ten items renamed and the whole table rewritten.
void BM_GrabarPresupuesto(benchmark::State& state) {
    auto db = store::Database::openProject(project().folder);
    bool back = false;
    for (auto _ : state) {
        state.PauseTiming();
        HojaPresupuesto hoja = cargarHoja(db);
        renameTen(hoja, back);
        back = !back;
        state.ResumeTiming();
        const ResultadoGrabacion result = grabarPresupuesto(db, hoja);
        if (!result.ok)
            state.SkipWithError(result.message.toStdString().c_str());
    }
}
BENCHMARK(BM_GrabarPresupuesto)->Unit(benchmark::kMillisecond);

// The part of that save that checks the stored items are still the ones loaded.
void BM_ComprobarPresupuesto(benchmark::State& state) {
    auto db = store::Database::openProject(project().folder);
    const HojaPresupuesto hoja = cargarHoja(db);
    for (auto _ : state) {
        store::Transaction transaction(db);
        hoja.cargados().checkByKey(db, 2);
    }
}
BENCHMARK(BM_ComprobarPresupuesto)->Unit(benchmark::kMillisecond);

void BM_Presentacion(benchmark::State& state) {
    for (auto _ : state) {
        const auto p = calcularPresentacion(project().folder);
        if (!p.ok)
            state.SkipWithError(p.message.toStdString().c_str());
        benchmark::DoNotOptimize(p.total);
    }
}
BENCHMARK(BM_Presentacion)->Unit(benchmark::kMillisecond);

} // namespace
