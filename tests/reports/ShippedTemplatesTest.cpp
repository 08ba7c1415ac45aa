// The shipped templates run by their buttons on real projects: the sample project, an empty one,
// and projects built to meet the roundings' edges and the formula's and schedule's corner cases.
#include "ProjectData.h"
#include "TestProject.h"
#include "engine/Engine.h"
#include "engine/Numbers.h"
#include "reports/Render.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex;
namespace kt = korvex::testing;

namespace {

class SampleReports : public ::testing::Test {
protected:
    QString text(const char* button) { return kt::printedText(button, folder, root.root()); }

    kt::TempRoot root;
    QString folder = kt::sampleProjectWithSchedules(root.root());
};

} // namespace

// Every shipped template, run by its button on the sample project: it reads, prints at least a
// page, numbers its pages, keeps every text inside its cell, and writes a PDF.
TEST_F(SampleReports, EveryButtonPrintsTheSampleProject) {
    QTemporaryDir out;
    for (const reports::ReportButton& button : reports::reportButtons()) {
        SCOPED_TRACE(button.templateFile.toStdString());
        const reports::PreparedReport prepared = reports::prepareReport(button, folder, root.root());
        EXPECT_TRUE(prepared.notices.empty());
        const reports::ReportResult result = reports::runReport(prepared.request);
        ASSERT_TRUE(result.ok) << result.message.toStdString();
        const auto& pages = result.document.pages;
        ASSERT_FALSE(pages.empty());
        for (std::size_t p = 0; p < pages.size(); ++p) {
            EXPECT_TRUE(pages[p].contains(QStringLiteral("Página %1 de %2").arg(p + 1).arg(pages.size())));
            EXPECT_TRUE(pages[p].contains("GOBIERNO PARROQUIAL DE SAN ISIDRO")); // the project header
        }
        kt::expectNothingOverflows(result.document);
        EXPECT_EQ(reports::writePdf(result.document, out.filePath(button.templateFile + ".pdf")), QString());
    }
}

// What each family of reports must show of the sample project.
TEST_F(SampleReports, ReportsShowTheFiguresOfTheirSubject) {
    EXPECT_TRUE(text("cmdMaterial").contains("Cemento Portland tipo I (saco 50 kg)"));
    EXPECT_TRUE(text("cmdMano").contains("TOTAL MANO DE OBRA"));
    EXPECT_TRUE(text("cmdFormatoPres3").contains("TABLA DE DESCRIPCIÓN DE RUBROS"));
    EXPECT_FALSE(text("cmdFormatoPres3").contains("36,809.72")); // the bid form has no prices
    EXPECT_TRUE(text("cmdFormatoPres1").contains("36,809.72"));
    EXPECT_TRUE(text("cmdFormatoPres2").contains("SUBTOTAL ESTRUCTURA DE HORMIGÓN ARMADO"));
    EXPECT_TRUE(text("cmdFormatoAna1").contains("PRECIO UNITARIO"));
    EXPECT_TRUE(text("cmdFormatoAna5").contains("PARTICIPACIÓN EN EL COSTO DIRECTO"));
    EXPECT_TRUE(text("cmdFormulaR").contains("Pr = Po ( 0.600 B1/Bo + 0.400 C1/Co )"));
    EXPECT_TRUE(text("cmdSimboloR").contains("SIN SÍMBOLO (no entran en la fórmula)"));
    EXPECT_TRUE(text("cmdCuadrillaR").contains("Mecanico de Mantenimiento"));
    EXPECT_TRUE(text("cmdGruposC").contains("Estructura de hormigón armado"));
    const QString schedule = text("cmdCronoTodo");
    EXPECT_TRUE(schedule.contains("INVERSIÓN ACUMULADA"));
    EXPECT_TRUE(schedule.contains("100.00 %"));
    // Each period's money is the difference of the group's rounded running totals, so a group
    // spread 50/50 over an odd number of cents still adds up: the investment reaches the budget's
    // subtotal exactly, never a cent over.
    EXPECT_TRUE(schedule.contains("5,413.38") && schedule.contains("5,413.37")) << schedule.toStdString();
    EXPECT_GE(schedule.count("32,865.82"), 5);
    EXPECT_FALSE(schedule.contains("32,865.83"));
    EXPECT_TRUE(text("cmdCrono12").contains("ACABADOS") || text("cmdCrono12").contains("Acabados"));
    EXPECT_TRUE(text("cmdCronoNuevo4").contains("CURVA DE INVERSIÓN"));
    // The budget's subtotal has a row of its own; the period rows hold only the periods' money.
    for (const char* button : {"cmdCronoNuevo", "cmdCronoNuevo2"}) {
        const QString printed = text(button);
        EXPECT_TRUE(printed.contains("SUBTOTAL DEL PRESUPUESTO\n32,865.82\nINVERSIÓN MENSUAL\n"))
            << printed.toStdString();
    }
    EXPECT_TRUE(schedule.contains("TOTAL DE LOS GRUPOS\n32,865.82\nINVERSIÓN PARCIAL\n"));
}

// Where the header holds no indirect-cost figure (no record, or a Null one) the reports print the
// percentage the unit prices were computed with, 0, rather than a blank before "%".
TEST_F(SampleReports, MissingIndirectFiguresPrintAsTheUnitPricesUseThem) {
    root.open(folder).execute("UPDATE Proyecto SET CostosIndirectos = 20, OtrosIndirectos = NULL");
    EXPECT_TRUE(text("cmdFormatoPres1").contains("Costos indirectos 20.00 %  ·  Otros indirectos 0.00 %"));
    root.open(folder).execute("DELETE FROM Proyecto");
    for (const char* button : {"cmdFormatoPres1", "cmdFormatoPres2", "cmdFormatoPresC"}) {
        SCOPED_TRACE(button);
        EXPECT_TRUE(text(button).contains("Costos indirectos 0.00 %  ·  Otros indirectos 0.00 %"));
    }
    EXPECT_TRUE(text("cmdFormatoPresC").contains("COSTOS INDIRECTOS (0.00 %)"));
}

// The formula report prints the formula of the symbols as they are when it is printed: never a
// formula stored before the symbols changed, and at most the first eleven symbols, with a warning.
TEST_F(SampleReports, FormulaPrintsTheCurrentFirstElevenSymbolsAndWarnsOfTheRest) {
    {
        auto db = root.open(folder);
        db.execute("DELETE * FROM SimbolosMat");
        kt::insert(db, "SimbolosDesc", {"Simbolo", "DescripcionSim", "TotalSimb", "PorcentajeTot"},
                   {"X", "Símbolo que ya no existe", 10.0, 0.01});
        for (int i = 0; i < 13; ++i)
            kt::insert(db, "SimbolosMat", {"Simbolo", "DescripcionMat", "UnidadMat", "PorcentajeSimb"},
                       {QString(QChar('A' + i)), QString("Material %1").arg(i), "u", 100.0 / 13});
    }
    std::vector<reports::Notice> notices;
    const auto result = kt::printReport("cmdFormulaR", folder, root.root(), &notices);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].title, "Advertencia");
    EXPECT_TRUE(notices[0].text.contains("L, M"));
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    const QString printed = kt::allText(result.document);
    EXPECT_TRUE(printed.contains("K1/Ko")) << printed.toStdString();
    EXPECT_FALSE(printed.contains("L1/Lo"));
    EXPECT_FALSE(printed.contains("X1/Xo")) << "a symbol that no longer exists";
    EXPECT_FALSE(printed.contains("Símbolo que ya no existe"));
    EXPECT_TRUE(printed.contains("Mano de obra")) << "descriptions typed earlier are kept";
}

// The group schedule report when two groups share an order and their periods interleave: each
// group is listed once, the total is the budget's and the progress reaches 100 %.
TEST_F(SampleReports, ScheduleGroupsSharingAnOrderAreListedOnceAndAddUpToTheBudget) {
    {
        auto db = root.open(folder);
        db.execute(
            "DELETE * FROM DetalleGrupo WHERE Grupo = 'MOVIMIENTO DE TIERRAS' OR Grupo = 'ESTRUCTURA'");
        const QStringList fields{"Grupo", "PeriodoGru", "SemanasGru", "PorcentajeGru", "OrdenGru"};
        kt::insert(db, "DetalleGrupo", fields, {"MOVIMIENTO DE TIERRAS", 1, 2, 40.0, 2});
        kt::insert(db, "DetalleGrupo", fields, {"ESTRUCTURA", 2, 3, 30.0, 2});
        kt::insert(db, "DetalleGrupo", fields, {"MOVIMIENTO DE TIERRAS", 2, 4, 60.0, 2});
        kt::insert(db, "DetalleGrupo", fields, {"ESTRUCTURA", 3, 4, 70.0, 2});
    }
    std::vector<reports::Notice> notices;
    const auto result = kt::printReport("cmdCronoTodo", folder, root.root(), &notices);
    ASSERT_TRUE(notices.empty());
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    const QString printed = kt::allText(result.document);
    EXPECT_TRUE(printed.contains("Montos a precios del presupuesto"));
    EXPECT_EQ(printed.count("Estructura de hormigón armado"), 1) << printed.toStdString();
    EXPECT_TRUE(printed.contains("32,865.82")) << "the budget's subtotal, not a group counted twice";
    EXPECT_TRUE(printed.contains("100.00 %"));
}

// A project without items prints every report as one page with its header, its title and the
// notice, instead of empty tables, totals of nothing and signatures under them.
TEST(ShippedTemplates, AnEmptyProjectPrintsItsNoticeOnEveryReport) {
    kt::TempRoot root;
    const QString folder = root.newProject("Vacio");
    for (const reports::ReportButton& button : reports::reportButtons()) {
        SCOPED_TRACE(button.templateFile.toStdString());
        const reports::ReportResult result =
            reports::runReport(reports::prepareReport(button, folder, root.root()).request);
        ASSERT_TRUE(result.ok) << result.message.toStdString();
        ASSERT_EQ(result.document.pages.size(), 1u);
        const QStringList texts = result.document.pages.front().textList();
        EXPECT_TRUE(texts.contains("No hay rubros en el presupuesto"));
        EXPECT_TRUE(texts.contains(result.document.title)); // the report still says what it is
        EXPECT_FALSE(texts.contains("TOTAL"));
        EXPECT_FALSE(texts.contains("ELABORADO POR"));
    }
}

// The analysis reports print, for every item, the unit price the budget stores, on a project built
// to land on the roundings' edges (allowance ties, line amounts of an exact half cent), and the
// summary's totals row is the sum of the totals printed beside it.
TEST(ShippedTemplates, EveryAnalysisReportPrintsTheBudgetsUnitPrice) {
    kt::TempRoot root;
    const QString folder = root.newProject("Empates");
    {
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
    ASSERT_TRUE(engine::RecalcularPresupuesto(folder).ok);
    const std::vector<engine::PrecioItem> items = engine::PreciosUnitarios(folder);
    ASSERT_EQ(items.size(), 6u);

    const reports::ReportResult perItem = kt::printReport("cmdFormatoAna1", folder, root.root());
    ASSERT_EQ(perItem.document.pages.size(), items.size());
    const QString summary = kt::printedText("cmdFormatoAna2", folder, root.root());
    // The budget with direct and indirect costs prices every item as the budget does.
    const QString formatC = kt::printedText("cmdFormatoPresC", folder, root.root());
    const reports::ReportResult table = kt::printReport("cmdFormatoAna5", folder, root.root());
    const QString tableText = kt::allText(table.document);
    double parts[4] = {};
    for (std::size_t i = 0; i < items.size(); ++i) {
        const engine::PrecioItem& item = items[i];
        const QString price = engine::FormatoMoneda(item.precio.precioUnitario);
        SCOPED_TRACE(item.codigoPres.toStdString() + " " + price.toStdString());
        EXPECT_TRUE(perItem.document.pages[i].contains(price));
        EXPECT_TRUE(perItem.document.pages[i].contains(engine::FormatoMoneda(item.precio.herramienta)));
        EXPECT_TRUE(summary.contains("PRECIO UNITARIO " + price));
        EXPECT_TRUE(formatC.contains(price));
        EXPECT_TRUE(tableText.contains(price));
        const engine::Subtotales& s = item.precio.subtotales;
        const double perUnit[4] = {s.materiales, s.equipo + item.precio.herramienta, s.manoObra,
                                   s.transporte};
        for (int k = 0; k < 4; ++k)
            parts[k] += engine::Redondear(perUnit[k] * item.cantidadPres, 2);
    }
    const double direct = engine::Redondear(parts[0] + parts[1] + parts[2] + parts[3], 2);
    EXPECT_TRUE(table.document.pages.back().contains(engine::FormatoMoneda(direct)))
        << "the direct cost total is the sum of the printed totals " << direct;
}
