// Reports of large projects, as the print buttons and `korvex report` make them: the budget of the
// synthetic 2,000-item project and the one-page-per-item analysis report of a 300-item one, each
// from the button's preparation to the written PDF, and each step on its own.

#include "WindowBench.h"
#include "engine/Demo.h"
#include "reports/Render.h"
#include "reports/ReportButtons.h"
#include "reports/ReportRunner.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

using namespace korvex;

bench::LargeProject& project(int items) {
    static std::map<int, std::unique_ptr<bench::LargeProject>> projects;
    auto& slot = projects[items];
    if (!slot)
        slot = std::make_unique<bench::LargeProject>(ui::MessageAnswer::Yes, items);
    return *slot;
}

const reports::ReportButton& button(const char* name) {
    const reports::ReportButton* found = reports::findReportButton(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(name);
    return *found;
}

QString outputPath() {
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("bench.pdf"));
}

reports::ReportResult compose(const reports::ReportButton& b, const bench::LargeProject& p) {
    const reports::ReportResult result =
        reports::runReport(reports::prepareReport(b, p.folder, p.root.root()).request);
    if (!result.ok)
        throw std::runtime_error(result.message.toStdString());
    return result;
}

// The whole button: preparation, composition and the PDF file.
void wholeReport(benchmark::State& state, const char* buttonName) {
    const auto& p = project(static_cast<int>(state.range(0)));
    const auto& b = button(buttonName);
    std::size_t pages = 0;
    for (auto _ : state) {
        const reports::ReportResult result = compose(b, p);
        const QString failure = reports::writePdf(result.document, outputPath());
        if (!failure.isEmpty())
            throw std::runtime_error(failure.toStdString());
        pages = result.document.pages.size();
    }
    state.counters["pages"] = static_cast<double>(pages);
}

void BM_PresupuestoPdf(benchmark::State& state) {
    wholeReport(state, "cmdFormatoPres1");
}
BENCHMARK(BM_PresupuestoPdf)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_AnalisisPorRubroPdf(benchmark::State& state) {
    wholeReport(state, "cmdFormatoAna1");
}
BENCHMARK(BM_AnalisisPorRubroPdf)->Arg(300)->Unit(benchmark::kMillisecond);

// ---- The steps beneath ------------------------------------------------------------------------

void preparation(benchmark::State& state, const char* buttonName) {
    const auto& p = project(static_cast<int>(state.range(0)));
    const auto& b = button(buttonName);
    for (auto _ : state)
        benchmark::DoNotOptimize(reports::prepareReport(b, p.folder, p.root.root()).notices.size());
}

void composition(benchmark::State& state, const char* buttonName) {
    const auto& p = project(static_cast<int>(state.range(0)));
    const reports::PreparedReport prepared =
        reports::prepareReport(button(buttonName), p.folder, p.root.root());
    for (auto _ : state)
        benchmark::DoNotOptimize(reports::runReport(prepared.request).document.pages.size());
}

void pdfOnly(benchmark::State& state, const char* buttonName) {
    const auto& p = project(static_cast<int>(state.range(0)));
    const reports::ReportResult result = compose(button(buttonName), p);
    for (auto _ : state)
        benchmark::DoNotOptimize(reports::writePdf(result.document, outputPath()).isEmpty());
}

void BM_PresupuestoPreparacion(benchmark::State& state) {
    preparation(state, "cmdFormatoPres1");
}
void BM_PresupuestoComposicion(benchmark::State& state) {
    composition(state, "cmdFormatoPres1");
}
void BM_PresupuestoSoloPdf(benchmark::State& state) {
    pdfOnly(state, "cmdFormatoPres1");
}
void BM_AnalisisPreparacion(benchmark::State& state) {
    preparation(state, "cmdFormatoAna1");
}
void BM_AnalisisComposicion(benchmark::State& state) {
    composition(state, "cmdFormatoAna1");
}
void BM_AnalisisSoloPdf(benchmark::State& state) {
    pdfOnly(state, "cmdFormatoAna1");
}
BENCHMARK(BM_PresupuestoPreparacion)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PresupuestoComposicion)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PresupuestoSoloPdf)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalisisPreparacion)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalisisComposicion)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalisisSoloPdf)->Arg(300)->Unit(benchmark::kMillisecond);

} // namespace
