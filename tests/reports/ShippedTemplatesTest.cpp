#include "ProjectData.h"
#include "TestProject.h"
#include "reports/Render.h"
#include "reports/ReportButtons.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace korvex;
namespace kt = korvex::testing;

// Every shipped template, run by its button on the sample project: it reads, prints at least a
// page, numbers its pages, keeps every text inside its cell, and writes a PDF.
TEST(ShippedTemplates, EveryButtonPrintsTheSampleProject) {
    kt::TempRoot root;
    const QString folder = kt::sampleProjectWithSchedules(root.root());
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
            for (const reports::TextItem& text : pages[p].texts) {
                ASSERT_GE(text.baseline.x(), text.cell.left() - 1) << text.text.toStdString();
                ASSERT_LE(text.baseline.x() + text.width, text.cell.right() + 1) << text.text.toStdString();
            }
        }
        EXPECT_EQ(reports::writePdf(result.document, out.filePath(button.templateFile + ".pdf")), QString());
    }
}

// What each family of reports must show of the sample project.
TEST(ShippedTemplates, ReportsShowTheFiguresOfTheirSubject) {
    kt::TempRoot root;
    const QString folder = kt::sampleProjectWithSchedules(root.root());
    const auto text = [&](const char* button) {
        const auto result = reports::runReport(
            reports::prepareReport(*reports::findReportButton(button), folder, root.root()).request);
        return result.ok ? kt::allText(result.document) : result.message;
    };
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

// Where the header holds no indirect-cost figure (no record, or a Null one) the reports print the
// percentage the unit prices were computed with, 0, rather than a blank before "%".
TEST(ShippedTemplates, MissingIndirectFiguresPrintAsTheUnitPricesUseThem) {
    kt::TempRoot root;
    const QString folder = kt::sampleProjectWithSchedules(root.root());
    const auto text = [&](const char* button) {
        const auto result = reports::runReport(
            reports::prepareReport(*reports::findReportButton(button), folder, root.root()).request);
        return result.ok ? kt::allText(result.document) : result.message;
    };
    {
        store::Database db = store::Database::openProject(folder);
        db.execute("UPDATE Proyecto SET CostosIndirectos = 20, OtrosIndirectos = NULL");
    }
    EXPECT_TRUE(text("cmdFormatoPres1").contains("Costos indirectos 20.00 %  ·  Otros indirectos 0.00 %"));
    {
        store::Database db = store::Database::openProject(folder);
        db.execute("DELETE FROM Proyecto");
    }
    for (const char* button : {"cmdFormatoPres1", "cmdFormatoPres2", "cmdFormatoPresC"}) {
        SCOPED_TRACE(button);
        EXPECT_TRUE(text(button).contains("Costos indirectos 0.00 %  ·  Otros indirectos 0.00 %"));
    }
    EXPECT_TRUE(text("cmdFormatoPresC").contains("COSTOS INDIRECTOS (0.00 %)"));
}
