// The whole-project operations that scan every item or resource, on the synthetic project of
// `korvex demo --items 2000`: copying every item into another project, where a material is used,
// correcting every material at once, and copying one analysis to every item. Each run also
// counts the queries it opened, which should not depend on the project's size.

#include "CachedProject.h"
#include "analysis/AnalysisCopy.h"
#include "analysis/ResourceCorrection.h"
#include "analysis/ResourceUsage.h"
#include "shell/ops/CopyItems.h"
#include "store/Database.h"
#include "store/StatementCounts.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

using namespace korvex;

// A fresh copy of the cached project whose database is put back before every run.
struct Restorable : bench::CopiedProject {
    QString pristine;
    explicit Restorable(int items) : CopiedProject(items) {
        pristine = QDir(root.root()).filePath("pristine.mdb");
        QFile::copy(database(), pristine);
    }
    QString database() const { return QDir(folder).filePath(store::kDatabaseFileName); }
    void restore() const {
        QFile::remove(database());
        QFile::copy(pristine, database());
    }
};

Restorable& project(int items) {
    static std::map<int, std::unique_ptr<Restorable>> made;
    auto& p = made[items];
    if (!p)
        p = std::make_unique<Restorable>(items);
    return *p;
}

struct QueryCounter {
    benchmark::State& state;
    quint64 start = store::testing::statementsRun().queries;
    void report() { state.counters["consultas"] = double(store::testing::statementsRun().queries - start); }
};

// Every item of one project copied into another of the same size (every pair taken: each copy
// gets the prefix).
void BM_CopiarRubros(benchmark::State& state) {
    Restorable& destination = project(int(state.range(0)));
    const bench::CopiedProject source(int(state.range(0)));
    store::Database from = store::Database::openProject(source.folder);
    const std::vector<shell::SourceItem> items = shell::loadSourceItems(from);
    for (auto _ : state) {
        state.PauseTiming();
        destination.restore();
        store::Database into = store::Database::openProject(destination.folder);
        QueryCounter counter{state};
        state.ResumeTiming();
        const shell::ResultadoCopia result = shell::copyItems(into, from, items, shell::readSourceList(from));
        state.PauseTiming();
        counter.report();
        if (!result.ok)
            state.SkipWithError("the copy failed");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CopiarRubros)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Where the most used material is used.
void BM_BuscarUsos(benchmark::State& state) {
    Restorable& p = project(int(state.range(0)));
    store::Database db = store::Database::openProject(p.folder);
    store::RecordSet rs = db.openRecordSet("SELECT DescripcionMat, UnidadMat, COUNT(*) AS n FROM Materiales "
                                           "GROUP BY DescripcionMat, UnidadMat ORDER BY COUNT(*) DESC");
    const analysis::ResourceKey key{rs.text("DescripcionMat"), rs.text("UnidadMat")};
    int rows = 0;
    for (auto _ : state) {
        QueryCounter counter{state};
        rows = analysis::findUsage(db, analysis::Kind::Material, key).size();
        state.PauseTiming();
        counter.report();
        state.ResumeTiming();
    }
    state.counters["filas"] = rows;
}
BENCHMARK(BM_BuscarUsos)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every material renamed at once (F7 with the whole list retyped).
void BM_CorregirTodos(benchmark::State& state) {
    Restorable& p = project(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        p.restore();
        store::Database db = store::Database::openProject(p.folder);
        analysis::CorrectionSheet sheet = analysis::CorrectionSheet::load(db);
        const auto rows = sheet.rows(analysis::Kind::Material);
        for (int i = 0; i < rows.size(); ++i)
            sheet.assign(analysis::Kind::Material, i, analysis::kDescriptionCol,
                         rows[i].loaded.description + " bis");
        QueryCounter counter{state};
        state.ResumeTiming();
        const analysis::CorrectionOutcome outcome = analysis::applyCorrections(db, sheet);
        state.PauseTiming();
        counter.report();
        state.counters["lineas"] = outcome.totalLines();
        if (!outcome.ok)
            state.SkipWithError("the correction failed");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CorregirTodos)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The analysis of the first item copied to every item, added to what they hold.
void BM_CopiarAnalisisATodos(benchmark::State& state) {
    Restorable& p = project(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        p.restore();
        store::Database db = store::Database::openProject(p.folder);
        const std::vector<analysis::BudgetItem> items = analysis::loadBudgetItems(db);
        std::vector<analysis::ItemRef> to;
        for (const auto& item : items)
            to.push_back({item.code, item.item});
        QueryCounter counter{state};
        state.ResumeTiming();
        const auto outcome = analysis::copyAnalysis(db, db, to.front(), to, analysis::CopyMode::Append);
        state.PauseTiming();
        counter.report();
        if (!outcome.ok)
            state.SkipWithError("the copy failed");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CopiarAnalisisATodos)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
