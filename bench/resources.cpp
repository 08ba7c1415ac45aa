// The project-wide resource tools on a large budget: the synthetic project of `korvex demo --items
// 2000` (2,000 items, about 40,000 resource lines). What an estimator waits for: F7 merging the
// most used material into another (every line renamed and repriced, transport mirrored, lists
// reloaded), and the correction and yield windows opening.

#include "WindowBench.h"
#include "analysis/ResourceCorrection.h"
#include "analysis/YieldSheet.h"
#include "analysis/frmCorregir.h"
#include "analysis/frmRendimiento.h"
#include "engine/Demo.h"
#include "store/Database.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

using namespace korvex;
using namespace korvex::analysis;

constexpr int kItems = bench::kLargeProjectItems;

// Nobody answers: every question gets Yes.
struct BenchProject : bench::LargeProject {
    QString pristine; // the database as made, put back before every merge

    BenchProject() : LargeProject(ui::MessageAnswer::Yes, kItems) {
        pristine = QDir(root.root()).filePath("pristine.mdb");
        QFile::copy(databaseFile(), pristine);
    }

    QString databaseFile() const { return QDir(folder).filePath(store::kDatabaseFileName); }
    void restore() const {
        QFile::remove(databaseFile());
        QFile::copy(pristine, databaseFile());
    }
};

BenchProject& project() {
    static BenchProject instance;
    return instance;
}

// The material with the most lines, merged into the next most used one.
CorrectionSheet mergeOfTheMostUsed(store::Database& db, int* lines) {
    store::RecordSet rs = db.openRecordSet("SELECT DescripcionMat, UnidadMat, COUNT(*) AS n FROM Materiales "
                                           "GROUP BY DescripcionMat, UnidadMat ORDER BY COUNT(*) DESC");
    const ResourceKey from{rs.text("DescripcionMat"), rs.text("UnidadMat")};
    *lines = static_cast<int>(rs.number("n"));
    rs.moveNext();
    const ResourceKey into{rs.text("DescripcionMat"), rs.text("UnidadMat")};
    CorrectionSheet sheet = CorrectionSheet::load(db);
    const QList<CorrectionRow>& rows = sheet.rows(Kind::Material);
    for (int i = 0; i < rows.size(); ++i)
        if (sameResource(Kind::Material, rows[i].loaded, from)) {
            sheet.assign(Kind::Material, i, kDescriptionCol, into.description);
            sheet.assign(Kind::Material, i, kSecondCol, into.second);
        }
    return sheet;
}

// F7: the merge in one transaction, then the four lists read again.
void BM_CorregirFusion(benchmark::State& state) {
    BenchProject& bench = project();
    int used = 0;
    int changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench.restore();
        store::Database db = store::Database::openProject(bench.folder);
        const CorrectionSheet sheet = mergeOfTheMostUsed(db, &used);
        state.ResumeTiming();
        const CorrectionOutcome outcome = applyCorrections(db, sheet);
        const CorrectionSheet reloaded = CorrectionSheet::load(db);
        benchmark::DoNotOptimize(reloaded.rows(Kind::Material).size());
        if (!outcome.ok || outcome.merged != 2)
            state.SkipWithError("the merge did not happen");
        changed = outcome.totalLines();
    }
    bench.restore();
    state.counters["lineas_material"] = used;
    state.counters["lineas_cambiadas"] = changed;
}
BENCHMARK(BM_CorregirFusion)->Unit(benchmark::kMillisecond);

void BM_AbrirCorregir(benchmark::State& state) {
    BenchProject& bench = project();
    for (auto _ : state) {
        auto window = std::make_unique<frmCorregir>(bench.context());
        window->show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window->sheet().rows(Kind::Material).size());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AbrirCorregir)->Unit(benchmark::kMillisecond);

// Every equipment and labour line of the project in two grids.
void BM_AbrirRendimiento(benchmark::State& state) {
    BenchProject& bench = project();
    int lines = 0;
    for (auto _ : state) {
        auto window = std::make_unique<frmRendimiento>(bench.context());
        window->show();
        QCoreApplication::processEvents();
        lines = static_cast<int>(window->sheet().equipment.size() + window->sheet().labour.size());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["lineas"] = lines;
}
BENCHMARK(BM_AbrirRendimiento)->Unit(benchmark::kMillisecond);

// F9 after retyping every yield of the project.
void BM_GrabarRendimientos(benchmark::State& state) {
    BenchProject& bench = project();
    store::Database db = store::Database::openProject(bench.folder);
    YieldSheet sheet = loadYields(db);
    bool odd = false;
    for (auto _ : state) {
        state.PauseTiming();
        odd = !odd;
        for (QList<YieldLine>* lines : {&sheet.equipment, &sheet.labour})
            for (YieldLine& line : *lines)
                line.yield = odd ? "0.999" : "1.001";
        state.ResumeTiming();
        const YieldSaveOutcome outcome = saveYields(db, sheet);
        if (!outcome.ok)
            state.SkipWithError(outcome.message.toStdString().c_str());
        sheet.markSaved();
        state.counters["grabados"] = outcome.written;
    }
    db.close();
    bench.restore();
}
BENCHMARK(BM_GrabarRendimientos)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
