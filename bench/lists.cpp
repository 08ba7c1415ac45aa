// The price window on a large budget: the synthetic project of `korvex demo --items 2000`
// (2,000 items, about 40,000 resource lines). What an estimator waits for: the window opening with
// its four lists, and F9 after retyping the price of a resource used in about a thousand lines,
// through the window, plus the operations beneath.

#include "WindowBench.h"
#include "engine/Demo.h"
#include "lists/PriceList.h"
#include "lists/PriceSaving.h"
#include "lists/frmListaMEM.h"
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
using namespace korvex::lists;

constexpr int kItems = bench::kLargeProjectItems;
using bench::sendKey;

// Questions are answered No: a window closes without saving.
bench::LargeProject& project() {
    static bench::LargeProject instance(ui::MessageAnswer::No, kItems);
    return instance;
}

bench::AnsweringMessages& answering() {
    return project().messages;
}

std::unique_ptr<frmListaMEM> openWindow() {
    return bench::showWindow<frmListaMEM>(project().context());
}

// The equipment or labour row of a resource used in about a thousand lines.
struct BusyResource {
    TipoRecurso kind = TipoRecurso::ManoObra;
    int row = 1; // grid row
    int lines = 0;
};

BusyResource busiestNearAThousand(const PriceLists& lists) {
    store::Database db = store::Database::openProject(project().folder);
    BusyResource best;
    for (TipoRecurso kind : {TipoRecurso::Equipo, TipoRecurso::ManoObra}) {
        const PriceList& list = lists[static_cast<std::size_t>(kindIndex(kind))];
        const ListLayout& l = list.layout();
        for (int i = 0; i < list.size(); ++i) {
            const PriceRow& row = list.row(i);
            QString sql = "SELECT " + l.priceField + " FROM " + l.table + " WHERE " + l.descField + " = ?";
            QVariantList params{row.description};
            if (l.hasSecond()) {
                sql += " and " + l.secondField + " = ?";
                params.append(row.second);
            }
            const int lines = db.openRecordSet(sql, params).recordCount();
            // The least used of those with a thousand lines or more, else the most used.
            const bool better = best.lines == 0 ||
                                (lines >= 1000 && (best.lines < 1000 || lines < best.lines)) ||
                                (lines < 1000 && best.lines < 1000 && lines > best.lines);
            if (better)
                best = {kind, i + 1, lines};
        }
    }
    return best;
}

// ---- Through the window -----------------------------------------------------------------------

void BM_AbrirListas(benchmark::State& state) {
    project();
    int rows = 0;
    for (auto _ : state) {
        auto window = openWindow();
        state.PauseTiming();
        rows = 0;
        for (TipoRecurso kind : kListKinds)
            rows += window->list(kind).size();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["filas"] = rows;
}
BENCHMARK(BM_AbrirListas)->Unit(benchmark::kMillisecond);

// A price retyped over the row (the editor opened by a key, Enter) and F9.
void BM_GrabarPrecioF9(benchmark::State& state) {
    auto window = openWindow();
    const BusyResource resource = [&] {
        PriceLists lists = emptyPriceLists();
        for (TipoRecurso kind : kListKinds)
            lists[static_cast<std::size_t>(kindIndex(kind))] = window->list(kind);
        return busiestNearAThousand(lists);
    }();
    // Show the resource's list, as F1 does.
    while (window->visibleKind() != resource.kind)
        window->CambiarLista();
    ui::Grid* grid = window->grid(resource.kind);
    auto* editor = window->findChild<QLineEdit*>("txtIngreso");
    const int priceCol = layoutOf(resource.kind).priceCol;
    bool high = false;
    for (auto _ : state) {
        state.PauseTiming();
        high = !high;
        grid->setCell(resource.row, priceCol);
        sendKey(grid, high ? Qt::Key_9 : Qt::Key_8, high ? "9" : "8");
        sendKey(editor, Qt::Key_Return);
        state.ResumeTiming();
        sendKey(grid, Qt::Key_F9);
    }
    state.counters["lineas"] = resource.lines;
    if (answering().shown > 0)
        state.SkipWithError("the save showed a message");
}
BENCHMARK(BM_GrabarPrecioF9)->Unit(benchmark::kMillisecond);

// ---- The operations beneath -------------------------------------------------------------------

void BM_CargarListas(benchmark::State& state) {
    project();
    for (auto _ : state) {
        const PriceLists lists = loadPriceLists(project().folder);
        benchmark::DoNotOptimize(lists[0].size());
    }
}
BENCHMARK(BM_CargarListas)->Unit(benchmark::kMillisecond);

// F9 with nothing changed: every line of the four kinds compared with its list.
void BM_GrabarSinCambios(benchmark::State& state) {
    PriceLists lists = loadPriceLists(project().folder);
    store::Database db = store::Database::openProject(project().folder);
    for (auto _ : state) {
        const PriceSaveOutcome outcome = savePrices(db, lists);
        if (!outcome.ok)
            state.SkipWithError(outcome.message.toStdString().c_str());
    }
}
BENCHMARK(BM_GrabarSinCambios)->Unit(benchmark::kMillisecond);

// The check a save makes before it writes, here over every line of the four kinds (a save checks
// only the lines of the resources it changes).
void BM_ComprobarTodasLasLineas(benchmark::State& state) {
    const PriceLists lists = loadPriceLists(project().folder);
    store::Database db = store::Database::openProject(project().folder);
    for (auto _ : state) {
        store::Transaction transaction(db);
        for (const PriceList& list : lists)
            list.loadedLines().check(db);
    }
}
BENCHMARK(BM_ComprobarTodasLasLineas)->Unit(benchmark::kMillisecond);

// korvex reprice on the labour list: every wage of the project written.
void BM_SubirPorcentajeManoObra(benchmark::State& state) {
    project();
    bool up = false;
    int lines = 0;
    for (auto _ : state) {
        up = !up;
        const RepriceOutcome outcome = repriceProject(project().folder, TipoRecurso::ManoObra, up ? 10 : -9);
        if (!outcome.ok)
            state.SkipWithError(outcome.message.toStdString().c_str());
        lines = outcome.lines;
    }
    state.counters["lineas"] = lines;
}
BENCHMARK(BM_SubirPorcentajeManoObra)->Unit(benchmark::kMillisecond);

} // namespace
