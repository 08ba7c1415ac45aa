// Every window that lists the items or resources of a project, at 2,000 and at 20,000 items (the
// synthetic project of `korvex demo --items N`, about 20 lines an item): opening, F5, the saves,
// the lists' F6 + F9, the copy of 2,000 items, the budget report; and the recalculation beside one
// plain SQL pass over the same file, the yardstick the windows that scan the project are held to.

#include "CachedProject.h"
#include "WindowBench.h"
#include "analysis/frmCorregir.h"
#include "analysis/frmRendimiento.h"
#include "budget/frmAnalisis.h"
#include "budget/frmDatosPresupuesto.h"
#include "budget/frmPresPresu.h"
#include "engine/Demo.h"
#include "engine/Engine.h"
#include "formula/frmFormula.h"
#include "lists/frmListaMEM.h"
#include "reports/ReportButtons.h"
#include "reports/ReportRunner.h"
#include "schedule/frmCronograma.h"
#include "schedule/frmCronograma2.h"
#include "schedule/frmGrupos.h"
#include "schedule/frmGruposDesc.h"
#include "shell/frmCopiarPres.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"
#include "ui/Grid.h"

#include <QLineEdit>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <map>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace {

using namespace korvex;
using bench::CopiedProject;
using bench::sendKey;

bench::AnsweringMessages& answering() {
    static bench::AnsweringMessages instance(ui::MessageAnswer::No);
    return instance;
}

CopiedProject& project(int items) {
    static std::map<int, std::unique_ptr<CopiedProject>> projects;
    bench::ensureApplication();
    ui::setMessageService(&answering());
    auto& slot = projects[items];
    if (!slot)
        slot = std::make_unique<CopiedProject>(items);
    return *slot;
}

CopiedProject& project(const benchmark::State& state) {
    return project(static_cast<int>(state.range(0)));
}

template <typename W> std::unique_ptr<W> open(const ui::WindowContext& context) {
    auto window = std::make_unique<W>(context);
    window->show();
    QCoreApplication::processEvents();
    return window;
}

// ---- Opening -----------------------------------------------------------------------------------

template <typename W> void BM_Abrir(benchmark::State& state) {
    const ui::WindowContext context = project(state).context();
    for (auto _ : state) {
        auto window = open<W>(context);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

#define KORVEX_OPENING(W)                                                                                    \
    BENCHMARK_TEMPLATE(BM_Abrir, W)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3)

// Lists without recomputing.
KORVEX_OPENING(budget::frmDatosPresupuesto);
KORVEX_OPENING(budget::frmAnalisis);
// Recompute or scan every line first.
KORVEX_OPENING(budget::frmPresPresu);
KORVEX_OPENING(schedule::frmCronograma);
KORVEX_OPENING(schedule::frmCronograma2);
KORVEX_OPENING(lists::frmListaMEM);
KORVEX_OPENING(analysis::frmCorregir);
KORVEX_OPENING(analysis::frmRendimiento);
KORVEX_OPENING(formula::frmFormula);
KORVEX_OPENING(schedule::frmGrupos);
KORVEX_OPENING(schedule::frmGruposDesc);

// The copy window on a source project of 2,000 items, over the project of the run.
void BM_AbrirCopiar(benchmark::State& state) {
    ui::WindowContext context = project(state).context();
    context.arguments.insert("txtDirectorio", project(2000).folder);
    for (auto _ : state) {
        auto window = open<shell::frmCopiarPres>(context);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AbrirCopiar)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- Keys --------------------------------------------------------------------------------------

// T (mark all) and I (copy): the 2,000 items of the source with their lines added to the project.
// The source is a copy of its own, so that the 2,000-item project does not copy from itself.
void BM_CopiarTodo(benchmark::State& state) {
    static const CopiedProject source(2000);
    ui::WindowContext context = project(state).context();
    context.arguments.insert("txtDirectorio", source.folder);
    auto window = open<shell::frmCopiarPres>(context);
    for (auto _ : state) {
        sendKey(window->grid(), Qt::Key_T, "t");
        sendKey(window->grid(), Qt::Key_I, "i");
        if (!window->lastCopy().ok)
            state.SkipWithError("the copy failed");
    }
    state.counters["rubros"] = window->lastCopy().rubros();
    state.counters["lineas"] = window->lastCopy().lineas();
}
BENCHMARK(BM_CopiarTodo)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

// F5 on the lists: the totals of the four lists.
void BM_ListasF5(benchmark::State& state) {
    auto window = open<lists::frmListaMEM>(project(state).context());
    for (auto _ : state)
        sendKey(window->grid(window->visibleKind()), Qt::Key_F5);
}
BENCHMARK(BM_ListasF5)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

// F6 (raise the list on show by 1 %, answered in "Subir Porcentaje") and F9.
void BM_ListasF6F9(benchmark::State& state) {
    auto window = open<lists::frmListaMEM>(project(state).context());
    ui::Grid* grid = window->grid(window->visibleKind());
    for (auto _ : state) {
        QTimer::singleShot(0, [] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* edit = modal ? modal->findChild<QLineEdit*>("txtPorcentaje") : nullptr) {
                edit->setText("1");
                sendKey(edit, Qt::Key_Return);
            }
        });
        sendKey(grid, Qt::Key_F6);
        sendKey(grid, Qt::Key_F9);
    }
    if (window->hasUnsavedChanges())
        state.SkipWithError("F9 left changes unsaved");
}
BENCHMARK(BM_ListasF6F9)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

// F9 on the items editor with one description retyped.
void BM_DatosPresupuestoF9(benchmark::State& state) {
    auto window = open<budget::frmDatosPresupuesto>(project(state).context());
    auto* grid = window->findChild<ui::Grid*>("msfgDatosPres");
    auto* editor = window->findChild<QLineEdit*>("txtIngreso");
    bool back = false;
    for (auto _ : state) {
        state.PauseTiming();
        grid->setCell(50, budget::kColCodigo);
        sendKey(grid, Qt::Key_F12);
        sendKey(editor, back ? Qt::Key_Backspace : Qt::Key_X, back ? QString() : QString("x"));
        sendKey(editor, Qt::Key_Return);
        back = !back;
        state.ResumeTiming();
        sendKey(grid, Qt::Key_F9);
    }
}
BENCHMARK(BM_DatosPresupuestoF9)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

// ---- Whole-project operations ------------------------------------------------------------------

void BM_Recalcular(benchmark::State& state) {
    const QString folder = project(state).folder;
    for (auto _ : state)
        if (!engine::RecalcularPresupuesto(folder).ok)
            state.SkipWithError("the recalculation failed");
}
BENCHMARK(BM_Recalcular)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

// What the database alone needs to do the same: every line table aggregated per item and every
// TotalPres updated, in one transaction, as typed into the database shell.
constexpr const char* kPlainPass = R"sql(
BEGIN;
CREATE TEMP TABLE Suma (CodigoPres TEXT, ItemPres TEXT, Importe REAL, PRIMARY KEY (CodigoPres, ItemPres));
INSERT INTO Suma SELECT CodigoPres, ItemPres, SUM(x) FROM (
  SELECT CodigoPres, ItemPres, ROUND(CantidadMat * PrecioUniMat, 2) AS x FROM Materiales
  UNION ALL SELECT CodigoPres, ItemPres, ROUND((HorasMaq * CostoMaq) * RendimientoMaq, 2) FROM Maquinaria
  UNION ALL SELECT CodigoPres, ItemPres, ROUND((HorasMan * SalarioMan) * RendimientoMan, 2) * 1.05 FROM ManoObra
  UNION ALL SELECT CodigoPres, ItemPres, ROUND(PrecioTran * CantidadTran, 2) FROM Transporte)
GROUP BY CodigoPres, ItemPres;
UPDATE Presupuesto SET TotalPres = ROUND(CantidadPres * COALESCE((SELECT Importe FROM Suma s
  WHERE s.CodigoPres = Presupuesto.CodigoPres AND s.ItemPres = Presupuesto.ItemPres), 0), 2);
DROP TABLE Suma;
COMMIT;
)sql";

void BM_PasadaSql(benchmark::State& state) {
    // A copy of its own: the pass leaves totals the windows would not.
    static std::map<int, std::unique_ptr<CopiedProject>> copies;
    auto& copy = copies[static_cast<int>(state.range(0))];
    if (!copy)
        copy = std::make_unique<CopiedProject>(static_cast<int>(state.range(0)));
    const QByteArray path = store::projectDatabasePath(copy->folder).toUtf8();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        state.SkipWithError("cannot open the project file");
        return;
    }
    sqlite3_key(db, "5816240397", 10);
    sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    for (auto _ : state) {
        char* error = nullptr;
        if (sqlite3_exec(db, kPlainPass, nullptr, nullptr, &error) != SQLITE_OK) {
            state.SkipWithError(error ? error : "the SQL pass failed");
            sqlite3_free(error);
            break;
        }
    }
    sqlite3_close(db);
}
BENCHMARK(BM_PasadaSql)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The budget report: preparation, composition (the PDF file is left out).
void BM_InformePresupuesto(benchmark::State& state) {
    const CopiedProject& p = project(state);
    const reports::ReportButton* button = reports::findReportButton("cmdFormatoPres1");
    if (!button) {
        state.SkipWithError("no budget report");
        return;
    }
    for (auto _ : state) {
        const reports::ReportResult result =
            reports::runReport(reports::prepareReport(*button, p.folder, p.root.root()).request);
        if (!result.ok)
            state.SkipWithError(result.message.toStdString().c_str());
    }
}
BENCHMARK(BM_InformePresupuesto)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
