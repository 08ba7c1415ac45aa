// The analysis reports print, for every item, the unit price the budget stores, on a project built
// to land on the roundings' edges (allowance ties, line amounts of an exact half cent), and the
// summary's totals row is the sum of the totals printed beside it.
#include "ProjectData.h"
#include "TestProject.h"
#include "engine/Engine.h"
#include "engine/Numbers.h"
#include "reports/ReportButtons.h"

#include <gtest/gtest.h>

using namespace korvex;
namespace kt = korvex::testing;

namespace {

struct TieProject {
    kt::TempRoot root;
    QString folder = root.newProject("Empates");

    TieProject() {
        auto db = root.open(folder);
        kt::writeHeader(db, true, 20, 5, true);
        // Labour sums whose 5 % is an exact half cent: 0.70, 8.70, 2.10, 0.30.
        const double wages[] = {0.70, 8.70, 2.10, 0.30, 3.05, 12.5};
        const double quantities[] = {3.5, 12, 0.75, 41, 1, 7.25};
        for (int i = 0; i < 6; ++i) {
            const QString code = QString("S%1").arg(i + 1, 3, 10, QChar('0'));
            kt::writeItem(db, code, "1", "Rubro " + code, quantities[i]);
            kt::writeLabour(db, code, "1", "Peón", "E2", 1, 1, wages[i]);
            kt::writeEquipment(db, code, "1", "Concretera", 1, 3, 2.675 + i); // x.025 per line
            kt::writeMaterial(db, code, "1", "Cemento", 0.125 * (i + 1), 13.475);
        }
    }
};

QString printed(const char* button, const QString& folder, const QString& root,
                reports::ReportDocument* doc) {
    const auto prepared = reports::prepareReport(*reports::findReportButton(button), folder, root);
    const auto result = reports::runReport(prepared.request);
    if (!result.ok)
        return result.message;
    if (doc)
        *doc = result.document;
    return kt::allText(result.document);
}

} // namespace

TEST(AnalysisAgreement, EveryAnalysisReportPrintsTheBudgetsUnitPrice) {
    TieProject project;
    ASSERT_TRUE(engine::RecalcularPresupuesto(project.folder).ok);
    const std::vector<engine::PrecioItem> items = engine::PreciosUnitarios(project.folder);
    ASSERT_EQ(items.size(), 6u);

    reports::ReportDocument perItem;
    printed("cmdFormatoAna1", project.folder, project.root.root(), &perItem);
    ASSERT_EQ(perItem.pages.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QString price = engine::FormatoMoneda(items[i].precio.precioUnitario);
        EXPECT_TRUE(perItem.pages[i].contains(price))
            << items[i].codigoPres.toStdString() << " " << price.toStdString();
        EXPECT_TRUE(perItem.pages[i].contains(engine::FormatoMoneda(items[i].precio.herramienta)));
    }

    const QString summary = printed("cmdFormatoAna2", project.folder, project.root.root(), nullptr);
    for (const engine::PrecioItem& item : items)
        EXPECT_TRUE(summary.contains("PRECIO UNITARIO " + engine::FormatoMoneda(item.precio.precioUnitario)))
            << item.codigoPres.toStdString();

    // The budget with direct and indirect costs prices every item as the budget does.
    const QString formatC = printed("cmdFormatoPresC", project.folder, project.root.root(), nullptr);
    for (const engine::PrecioItem& item : items)
        EXPECT_TRUE(formatC.contains(engine::FormatoMoneda(item.precio.precioUnitario)))
            << item.codigoPres.toStdString() << " " << item.precio.precioUnitario;

    reports::ReportDocument table;
    printed("cmdFormatoAna5", project.folder, project.root.root(), &table);
    double parts[4] = {};
    for (const engine::PrecioItem& item : items) {
        const engine::Subtotales& s = item.precio.subtotales;
        const double perUnit[4] = {s.materiales, s.equipo + item.precio.herramienta, s.manoObra,
                                   s.transporte};
        for (int k = 0; k < 4; ++k)
            parts[k] += engine::Redondear(perUnit[k] * item.cantidadPres, 2);
        bool found = false;
        for (const auto& page : table.pages)
            found = found || page.contains(engine::FormatoMoneda(item.precio.precioUnitario));
        EXPECT_TRUE(found) << item.codigoPres.toStdString();
    }
    const double direct = engine::Redondear(parts[0] + parts[1] + parts[2] + parts[3], 2);
    EXPECT_TRUE(table.pages.back().contains(engine::FormatoMoneda(direct)))
        << "the direct cost total is the sum of the printed totals " << direct;
}
