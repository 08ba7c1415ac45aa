// The spreadsheet exchange on a large budget: the synthetic project of `korvex demo --items 2000`
// (2,000 items, about 40,000 resource lines) exported with every sheet, and a supplier's price
// list of 5,000 rows (every resource of the project in it, the rest rows that match nothing)
// imported from .csv and from .xlsx, each saving new prices into every line they price.

#include "TestProject.h"
#include "engine/Demo.h"
#include "exchange/SpreadsheetFile.h"
#include "exchange/XlsxWriter.h"
#include "lists/PriceList.h"
#include "shell/ops/PriceListImport.h"
#include "shell/ops/ProjectWorkbook.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

using namespace korvex;

constexpr int kItems = 2000;
constexpr int kListRows = 5000;

struct Project {
    testing::TempRoot root;
    QString folder;
    QString csv;  // the list priced at +1 %
    QString csv2; // the same at +2 %, so that every second import changes prices again
    QString xlsx;
    QString xlsx2;
    int resources = 0;

    Project() {
        const auto demo = engine::CrearProyectoEjemplo(root.root(), "Grande", kItems);
        if (!demo.ok)
            throw std::runtime_error(demo.message.toStdString());
        folder = demo.folder;
        csv = writeList(1.01, "csv");
        csv2 = writeList(1.02, "csv");
        xlsx = writeList(1.01, "xlsx");
        xlsx2 = writeList(1.02, "xlsx");
    }

    QString writeList(double factor, const QString& format) {
        exchange::WorkSheet sheet;
        sheet.name = "Precios";
        sheet.addRow({exchange::SheetCell::textCell("Descripción"), exchange::SheetCell::textCell("Unidad"),
                      exchange::SheetCell::textCell("Categoría"), exchange::SheetCell::textCell("Precio"),
                      exchange::SheetCell::textCell("Tipo")});
        const QStringList kinds = {"Material", "Equipo", "Mano de obra", "Transporte"};
        for (engine::TipoRecurso kind : lists::kListKinds) {
            for (const engine::TotalRecurso& r : engine::TotalesRecursos(folder, kind)) {
                const bool labour = kind == engine::TipoRecurso::ManoObra;
                sheet.addRow({exchange::SheetCell::textCell(r.descripcion),
                              exchange::SheetCell::textCell(labour ? QString() : r.unidad),
                              exchange::SheetCell::textCell(labour ? r.unidad : QString()),
                              exchange::SheetCell::numberCell(r.precio * factor + 0.01, {}),
                              exchange::SheetCell::textCell(kinds[lists::kindIndex(kind)])});
            }
        }
        resources = int(sheet.rows.size()) - 1;
        for (int i = int(sheet.rows.size()); i <= kListRows; ++i)
            sheet.addRow({exchange::SheetCell::textCell(QString("Artículo de catálogo %1").arg(i)),
                          exchange::SheetCell::textCell("u"),
                          {},
                          exchange::SheetCell::numberCell(i * 0.37, {}),
                          exchange::SheetCell::textCell("Material")});
        const QString path = root.root() + QString("/lista-%1.%2").arg(factor).arg(format);
        if (format == "xlsx") {
            exchange::Workbook book;
            book.sheets.push_back(sheet);
            if (!exchange::writeXlsx(book, path).ok)
                throw std::runtime_error("no se pudo escribir la lista");
            return path;
        }
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        for (const exchange::SheetRow& row : sheet.rows) {
            QStringList cells;
            for (const exchange::SheetCell& cell : row)
                cells.append(cell.kind == exchange::SheetCell::Kind::Number
                                 ? QString::number(cell.number, 'f', 2)
                                 : "\"" + QString(cell.text).replace("\"", "\"\"") + "\"");
            file.write((cells.join(',') + "\n").toUtf8());
        }
        return path;
    }
};

Project& project() {
    static Project instance;
    return instance;
}

void BM_ExportEverySheet(benchmark::State& state) {
    Project& p = project();
    const QString path = p.root.root() + "/Grande.xlsx";
    for (auto _ : state) {
        const engine::Resultado result =
            shell::exportProjectWorkbook(p.folder, path, shell::allExportSheets());
        if (!result.ok)
            state.SkipWithError(result.message.toStdString().c_str());
    }
    state.counters["bytes"] = double(QFile(path).size());
}
BENCHMARK(BM_ExportEverySheet)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ExportOneSheet(benchmark::State& state) {
    Project& p = project();
    const shell::ExportSheet sheet = shell::allExportSheets()[std::size_t(state.range(0))];
    state.SetLabel(shell::exportSheetKey(sheet).toStdString());
    for (auto _ : state)
        benchmark::DoNotOptimize(shell::buildProjectWorkbook(p.folder, {sheet}).ok);
}
BENCHMARK(BM_ExportOneSheet)->DenseRange(0, 8)->Unit(benchmark::kMillisecond)->Iterations(1);

void importList(benchmark::State& state, const QString& first, const QString& second) {
    Project& p = project();
    int round = 0;
    int lines = 0;
    for (auto _ : state) {
        const shell::PriceImportOutcome outcome =
            shell::importPriceListFile(p.folder, round++ % 2 ? second : first, {});
        if (!outcome.ok)
            state.SkipWithError(outcome.message.toStdString().c_str());
        lines = outcome.linesChanged;
    }
    state.counters["resources"] = p.resources;
    state.counters["lines"] = lines;
}

void BM_ImportCsv5000(benchmark::State& state) {
    importList(state, project().csv, project().csv2);
}
BENCHMARK(BM_ImportCsv5000)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_ImportXlsx5000(benchmark::State& state) {
    importList(state, project().xlsx, project().xlsx2);
}
BENCHMARK(BM_ImportXlsx5000)->Unit(benchmark::kMillisecond)->Iterations(4);

void BM_ReadXlsx5000(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(exchange::readSpreadsheetFile(project().xlsx).ok);
}
BENCHMARK(BM_ReadXlsx5000)->Unit(benchmark::kMillisecond);

} // namespace
