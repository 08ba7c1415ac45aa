// The FIEBDC-3 exchange on a price base of 20,000 concepts (generated here): 1,500 basic
// resources, 500 auxiliary prices and 18,000 unit prices, each unit price with six resources, an
// auxiliary price and a percentage. Import must stay under 10 s.

#include "TestProject.h"
#include "exchange/Bc3Budget.h"
#include "exchange/Bc3Export.h"
#include "exchange/Bc3Import.h"
#include "exchange/Bc3Reader.h"
#include "store/ProjectFolders.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr int kBasics = 1500;
constexpr int kAuxiliaries = 500;
constexpr int kUnits = 18000;

class Lcg {
public:
    std::uint32_t next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
    QString amount(int maxCents) { return QString::number((1 + below(maxCents)) / 100.0, 'f', 2); }

private:
    std::uint64_t state_ = 20000;
};

QByteArray priceBase() {
    Lcg random;
    QString text = QStringLiteral(
        "~V|Banco de prueba|FIEBDC-3/2020|Generador|Banco de precios|ANSI|\r\n"
        "~K|\\2\\3\\3\\2\\2\\2\\2\\EUR\\|0\\0\\0\\0\\0\\|3\\2\\\\2\\2\\\\2\\2\\2\\3\\3\\3\\2\\EUR\\||\r\n"
        "~C|%MA|%|Medios auxiliares|3||0|\r\n");
    for (int i = 0; i < kBasics; ++i) {
        const int type = i % 10 < 2 ? 1 : i % 10 < 4 ? 2 : 3;
        const char* unit = type == 3 ? "kg" : "h";
        text += QStringLiteral("~C|B%1|%2|Recurso básico número %1 de tipo %3|%4||%3|\r\n")
                    .arg(i)
                    .arg(QLatin1String(unit))
                    .arg(type)
                    .arg(random.amount(5000));
    }
    for (int i = 0; i < kAuxiliaries; ++i) {
        text += QStringLiteral("~C|A%1|m3|Precio auxiliar %1|0||0|\r\n~D|A%1|").arg(i);
        for (int k = 0; k < 4; ++k)
            text += QStringLiteral("B%1\\1\\%2\\").arg(random.below(kBasics)).arg(random.amount(300));
        text += QStringLiteral("%MA\\1\\0.03\\|\r\n");
    }
    for (int i = 0; i < kUnits; ++i) {
        text += QStringLiteral("~C|U%1|m2|Unidad de obra número %1 con su descripción corta|%2||0|\r\n")
                    .arg(i)
                    .arg(random.amount(20000));
        text += QStringLiteral(
                    "~T|U%1|Texto largo de la unidad de obra %1, con sus condiciones de ejecución.|\r\n")
                    .arg(i);
        text += QStringLiteral("~D|U%1|A%2\\1\\%3\\")
                    .arg(i)
                    .arg(random.below(kAuxiliaries))
                    .arg(random.amount(200));
        for (int k = 0; k < 6; ++k)
            text += QStringLiteral("B%1\\1\\%2\\").arg(random.below(kBasics)).arg(random.amount(500));
        text += QStringLiteral("%MA\\1\\0.03\\|\r\n");
    }
    return text.toUtf8();
}

struct BenchFile {
    korvex::testing::TempRoot root;
    QString path;
    QByteArray bytes;
    int projects = 0;

    BenchFile() : path(QDir(root.root()).filePath(QStringLiteral("banco.bc3"))), bytes(priceBase()) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write the price base");
        std::fprintf(stderr, "price base: %d concepts, %lld bytes\n", kBasics + kAuxiliaries + kUnits + 1,
                     static_cast<long long>(bytes.size()));
    }
    QString newProject() { return root.newProject(QStringLiteral("P%1").arg(++projects)); }
};

BenchFile& file() {
    static BenchFile instance;
    return instance;
}

void BM_LeerBC3(benchmark::State& state) {
    for (auto _ : state) {
        const auto read = korvex::exchange::readBc3(file().bytes);
        benchmark::DoNotOptimize(read.document.concepts.size());
    }
}
BENCHMARK(BM_LeerBC3)->Unit(benchmark::kMillisecond);

void BM_PlanificarBC3(benchmark::State& state) {
    const auto read = korvex::exchange::readBc3(file().bytes);
    for (auto _ : state) {
        const auto budget = korvex::exchange::planBc3Budget(read.document);
        benchmark::DoNotOptimize(budget.items.size());
    }
}
BENCHMARK(BM_PlanificarBC3)->Unit(benchmark::kMillisecond);

// The whole import from the file: reading, planning, writing, recalculating and reconciling.
void BM_ImportarBancoDePrecios(benchmark::State& state) {
    int items = 0;
    int lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString folder = file().newProject();
        state.ResumeTiming();
        const auto result = korvex::exchange::ImportarArchivoBC3(folder, file().path, false);
        if (!result.ok)
            state.SkipWithError(result.message.toStdString().c_str());
        items = result.items;
        lines = result.lineas;
    }
    state.counters["items"] = items;
    state.counters["lines"] = lines;
}
BENCHMARK(BM_ImportarBancoDePrecios)->Unit(benchmark::kSecond)->Iterations(2);

void BM_ExportarBancoDePrecios(benchmark::State& state) {
    const QString folder = file().newProject();
    korvex::exchange::ImportarArchivoBC3(folder, file().path, false);
    const QString out = QDir(file().root.root()).filePath(QStringLiteral("salida.bc3"));
    for (auto _ : state) {
        const auto result = korvex::exchange::ExportarBC3(folder, out);
        if (!result.ok)
            state.SkipWithError(result.message.toStdString().c_str());
    }
}
BENCHMARK(BM_ExportarBancoDePrecios)->Unit(benchmark::kSecond)->Iterations(2);

} // namespace
