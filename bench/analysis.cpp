// The analysis editor on a large budget: the synthetic project of `korvex demo --items 2000`
// (2,000 items, about 40,000 resource lines). What an estimator waits for: opening an item, F5,
// F9 and the lookup list on every keystroke, through the window, plus the operations beneath.

#include "WindowBench.h"
#include "analysis/AnalysisLoading.h"
#include "analysis/AnalysisPricing.h"
#include "analysis/AnalysisSaving.h"
#include "analysis/ResourceLookup.h"
#include "analysis/frmMateriales.h"
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
using namespace korvex::analysis;

constexpr int kItems = bench::kLargeProjectItems;
// An item in the middle of the budget (n = 1000 of the synthetic generator).
const QString kCode = "S01000";
const QString kItem = "11.01";

using bench::sendKey;

// Every question is answered Yes (save, keep the first of a repeated resource).
struct BenchProject : bench::LargeProject {
    // The item picker keeps its own handle open while the editor works, as in the program.
    store::Database pickerHandle;

    BenchProject() : LargeProject(ui::MessageAnswer::Yes, kItems) {
        pickerHandle = store::Database::openProject(folder);
    }

    ui::WindowContext context() const {
        ui::WindowContext c = LargeProject::context();
        c.arguments = {{"txtCod", kCode}, {"txtItem", kItem}};
        return c;
    }
};

BenchProject& project() {
    static BenchProject instance;
    return instance;
}

std::unique_ptr<frmMateriales> openEditor() {
    return bench::showWindow<frmMateriales>(project().context());
}

// ---- Through the window -----------------------------------------------------------------------

void BM_AbrirRubro(benchmark::State& state) {
    project();
    for (auto _ : state) {
        auto window = openEditor();
        benchmark::DoNotOptimize(window->hasItem());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AbrirRubro)->Unit(benchmark::kMillisecond);

void BM_CalcularF5(benchmark::State& state) {
    auto window = openEditor();
    for (auto _ : state) {
        window->CalcularAnalisis();
        benchmark::DoNotOptimize(window->totals().unitPrice);
    }
    state.counters["lineas"] = window->totals().pricedLines;
}
BENCHMARK(BM_CalcularF5)->Unit(benchmark::kMillisecond);

void BM_GrabarF9(benchmark::State& state) {
    auto window = openEditor();
    for (auto _ : state) {
        if (!window->Grabar())
            state.SkipWithError("the save failed");
    }
}
BENCHMARK(BM_GrabarF9)->Unit(benchmark::kMillisecond);

// The first keystroke in a description cell: the editor opens and reads the project's resources.
void BM_BusquedaPrimeraTecla(benchmark::State& state) {
    auto window = openEditor();
    ui::Grid* materials = window->grid(Kind::Material);
    auto* editor = window->findChild<QLineEdit*>("txtIngreso");
    auto* list = window->findChild<ui::Grid*>("msfgIngreso");
    for (auto _ : state) {
        materials->setCell(1, 0);
        sendKey(materials, Qt::Key_C, "C");
        state.PauseTiming();
        list = list ? list : window->findChild<ui::Grid*>("msfgIngreso");
        if (!list || list->rows() == 0)
            state.SkipWithError("no list shown");
        sendKey(editor, Qt::Key_Escape);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BusquedaPrimeraTecla)->Unit(benchmark::kMillisecond);

// Every later keystroke filters the list.
void BM_BusquedaTecla(benchmark::State& state) {
    auto window = openEditor();
    ui::Grid* materials = window->grid(Kind::Material);
    auto* editor = window->findChild<QLineEdit*>("txtIngreso");
    materials->setCell(1, 0);
    sendKey(materials, Qt::Key_A, "A");
    for (auto _ : state) {
        sendKey(editor, Qt::Key_R, "r");
        state.PauseTiming();
        editor->setText("A");
        state.ResumeTiming();
    }
    if (auto* list = window->findChild<ui::Grid*>("msfgIngreso"))
        state.counters["filas"] = list->rows();
}
BENCHMARK(BM_BusquedaTecla)->Unit(benchmark::kMillisecond);

// ---- The operations beneath -------------------------------------------------------------------

void BM_CargarLineas(benchmark::State& state) {
    store::Database db = store::Database::openProject(project().folder);
    AnalysisSheet sheet;
    for (auto _ : state) {
        loadAnalysisLines(db, kCode, kItem, sheet);
        benchmark::DoNotOptimize(sheet.lines(Kind::Material).lastUsedRow());
    }
}
BENCHMARK(BM_CargarLineas)->Unit(benchmark::kMillisecond);

void BM_PreciosDelProyecto(benchmark::State& state) {
    store::Database db = store::Database::openProject(project().folder);
    AnalysisSheet sheet;
    loadAnalysisLines(db, kCode, kItem, sheet);
    const ProjectHeader header = loadProjectHeader(db);
    for (auto _ : state) {
        const AnalysisTotals totals = computeAnalysis(sheet, lookupProjectPrices(db, sheet), header);
        benchmark::DoNotOptimize(totals.unitPrice);
    }
}
BENCHMARK(BM_PreciosDelProyecto)->Unit(benchmark::kMillisecond);

void BM_GrabarAnalisis(benchmark::State& state) {
    store::Database db = store::Database::openProject(project().folder);
    AnalysisSheet sheet;
    loadAnalysisLines(db, kCode, kItem, sheet);
    for (auto _ : state) {
        const SaveOutcome outcome = saveAnalysis(db, kCode, kItem, sheet);
        if (!outcome.ok)
            state.SkipWithError(outcome.message.toStdString().c_str());
    }
}
BENCHMARK(BM_GrabarAnalisis)->Unit(benchmark::kMillisecond);

// F9 with one quantity typed (back and forth between two values): the line is written after the
// check that the item and its lines are as loaded.
void BM_GrabarAnalisisUnaCantidad(benchmark::State& state) {
    store::Database db = store::Database::openProject(project().folder);
    AnalysisSheet sheet;
    loadAnalysisLines(db, kCode, kItem, sheet);
    bool back = false;
    for (auto _ : state) {
        sheet.assign(Kind::Material, {1, 2}, back ? "1" : "2");
        back = !back;
        const SaveOutcome outcome = saveAnalysis(db, kCode, kItem, sheet);
        if (!outcome.ok)
            state.SkipWithError(outcome.message.toStdString().c_str());
    }
}
BENCHMARK(BM_GrabarAnalisisUnaCantidad)->Unit(benchmark::kMillisecond);

// The part of that save that only checks: the item and the four kinds' lines read again and
// compared with what was loaded, plus the reload that the next save compares with.
void BM_ComprobarAnalisis(benchmark::State& state) {
    store::Database db = store::Database::openProject(project().folder);
    AnalysisSheet sheet;
    loadAnalysisLines(db, kCode, kItem, sheet);
    for (auto _ : state) {
        store::Transaction transaction(db);
        sheet.storedItem().checkByKey(db, 2);
        for (Kind kind : kAllKinds)
            sheet.storedLines(kind).checkWritten(db, {});
        AnalysisSheet saved;
        loadAnalysisLines(db, kCode, kItem, saved);
        benchmark::DoNotOptimize(saved.lines(Kind::Material).lastUsedRow());
    }
}
BENCHMARK(BM_ComprobarAnalisis)->Unit(benchmark::kMillisecond);

void BM_CatalogoMateriales(benchmark::State& state) {
    store::Database db = store::Database::openProject(project().folder);
    for (auto _ : state) {
        const ResourceCatalog catalog = ResourceCatalog::read(db, Kind::Material);
        benchmark::DoNotOptimize(catalog.matches("C").size());
        state.counters["recursos"] = catalog.size();
    }
}
BENCHMARK(BM_CatalogoMateriales)->Unit(benchmark::kMillisecond);

} // namespace
