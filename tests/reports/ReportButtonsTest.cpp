#include "reports/ReportButtons.h"

#include "ProjectData.h"
#include "TestProject.h"
#include "store/ProjectFolders.h"

#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

using namespace korvex;
namespace kt = korvex::testing;
using korvex::testing::allText;
using korvex::testing::TempRoot;

namespace {

const reports::ReportButton& button(const char* name) {
    const reports::ReportButton* found = reports::findReportButton(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(name);
    return *found;
}

int count(store::Database& db, const QString& table) {
    auto records = db.openRecordSet(QStringLiteral("SELECT * FROM %1").arg(table));
    return records.recordCount();
}

// Two items priced 12.34 and 5.25 by their analyses, with no unit price stored yet.
QString twoItemProject(TempRoot& root, bool iva) {
    const QString folder = root.newProject(iva ? "ConIVA" : "SinIVA");
    store::Database db = root.open(folder);
    kt::writeHeader(db, iva);
    kt::writeItem(db, "A1", "1.01", "Hormigón f'c = 210", 3);
    kt::writeItem(db, "A2", "1.02", "Encofrado", 0.5);
    kt::writeMaterial(db, "A1", "1.01", "Hormigón premezclado", 1, 12.34);
    kt::writeMaterial(db, "A2", "1.02", "Tablero", 1, 5.25);
    return folder;
}

} // namespace

TEST(ReportButtons, EveryButtonHasATemplateOfItsOwn) {
    TempRoot root;
    const auto& buttons = reports::reportButtons();
    ASSERT_EQ(buttons.size(), 25u);
    QSet<QString> templates;
    for (const reports::ReportButton& entry : buttons)
        templates.insert(entry.templateFile.toLower());
    EXPECT_EQ(templates.size(), 25); // each button prints a template of its own
    // The item schedule buttons print the template numbered one above their own.
    EXPECT_EQ(button("cmdCronoNuevo").templateFile, "CronogramaNuevo2.rpt");
    EXPECT_EQ(button("cmdCronoNuevo4").templateFile, "CronogramaNuevo5.rpt");
    EXPECT_EQ(button("cmdFormatoPresC").templateFile, "Presupuesto4.rpt");
    EXPECT_EQ(button("cmdEquipo").templateFile, "Maquinaria.rpt");
    EXPECT_EQ(reports::findReportButton("presupuesto2.RPT")->button, "cmdFormatoPres2");
    EXPECT_EQ(reports::findReportButton("cmdNada"), nullptr);
    // The request carries the project database and its password, marked by a line feed.
    const auto prepared = reports::prepareReport(button("cmdMaterial"), root.newProject(), root.root());
    EXPECT_TRUE(prepared.request.databasePath.endsWith("Prueba/Presupuesto.mdb"));
    EXPECT_EQ(prepared.request.password, "\n5816240397");
    EXPECT_EQ(prepared.request.templateName, QDir::toNativeSeparators("Reportes/Materiales.rpt"));
}

TEST(ReportButtons, CrewFormulasReachTheCrewReportOnlyWithTheWindowsCorrectedCoefficients) {
    TempRoot root;
    const QString folder = root.newProject();
    {
        store::Database db = root.open(folder);
        kt::writeHeader(db, false);
        kt::writeItem(db, "A1", "1.01", "Excavación", 10);
        kt::writeLabour(db, "A1", "1.01", "Peón", "E2", 1, 2.5, 4.0);        // labour 100.00
        kt::writeEquipment(db, "A1", "1.01", "Retroexcavadora", 1, 0.5, 10); // equipment 50.00
    }
    const auto prepared = reports::prepareReport(button("cmdCuadrillaR"), folder, root.root());
    EXPECT_EQ(prepared.request.formulas, QStringList({"TotalManoObra =105.5", "TotalMecanico =5.5"}));
    const auto crew = reports::runReport(prepared.request);
    ASSERT_TRUE(crew.ok) << crew.message.toStdString();
    const QString text = allText(crew.document);
    // The total of the crew, the mechanic, and their shares 100 / 105.5 and 5.5 / 105.5.
    EXPECT_EQ(kt::missingFrom(text, {"105.50", "5.50", "0.948", "0.052"}), QStringList());

    // Another button hands over no formulas, and the crew template run without them shows its defaults.
    EXPECT_TRUE(reports::prepareReport(button("cmdMano"), folder, root.root()).request.formulas.isEmpty());
    reports::ReportRequest plain = prepared.request;
    plain.formulas.clear();
    const auto again = reports::runReport(plain);
    ASSERT_TRUE(again.ok) << again.message.toStdString();
    EXPECT_FALSE(allText(again.document).contains("105.50"));

    // The report prints the coefficients the window corrected.
    const QString corrected = root.newProject("Corregido");
    {
        store::Database db = root.open(corrected);
        kt::writeHeader(db, false);
        kt::writeItem(db, "A1", "1.01", "Excavación", 1);
        kt::writeLabour(db, "A1", "1.01", "Peón", "E2", 1, 1, 10.0);
        kt::writeLabour(db, "A1", "1.01", "Albañil", "D2", 1, 1, 10.0);
        kt::writeEquipment(db, "A1", "1.01", "Retroexcavadora", 1, 1, 100); // mechanic 11.00
    }
    // 0.323 + 0.323 + 0.355 = 1.001: the mechanic, the largest, gives the thousandth back.
    const auto correctedPrepared = reports::prepareReport(button("cmdCuadrillaR"), corrected, root.root());
    EXPECT_EQ(correctedPrepared.request.formulas,
              QStringList({"TotalManoObra =31", "TotalMecanico =11", "AjusteMecanico =-0.001"}));
    const auto correctedCrew = reports::runReport(correctedPrepared.request);
    ASSERT_TRUE(correctedCrew.ok) << correctedCrew.message.toStdString();
    const QString correctedText = allText(correctedCrew.document);
    EXPECT_TRUE(correctedText.contains("0.354")) << correctedText.toStdString();
    EXPECT_FALSE(correctedText.contains("0.355"));
    EXPECT_TRUE(correctedText.contains("1.000"));
    EXPECT_FALSE(correctedText.contains("1.001"));
}

TEST(ReportButtons, BudgetButtonsRecalculateAndMatchThePresentationTotals) {
    TempRoot root;
    for (const bool iva : {true, false}) {
        const QString folder = twoItemProject(root, iva);
        for (const char* name : {"cmdFormatoPres1", "cmdFormatoPres2", "cmdFormatoPresC"}) {
            const auto result = kt::printReport(name, folder, root.root());
            ASSERT_TRUE(result.ok) << result.message.toStdString();
            const QString text = allText(result.document);
            // 12.34: the unit price recomputed before printing.
            EXPECT_EQ(kt::missingFrom(text, {"12.34", "37.02", "2.63", "39.65"}), QStringList()) << name;
            const QStringList closing =
                iva ? QStringList{"4.76", "44.41", "IVA 12 %", "SON: CUARENTA Y CUATRO CON 41/100"}
                    : QStringList{"IVA 0 %", "SON: TREINTA Y NUEVE CON 65/100"};
            EXPECT_EQ(kt::missingFrom(text, closing), QStringList()) << name;
        }
        store::Database db = root.open(folder);
        auto items = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
        EXPECT_DOUBLE_EQ(items.number("TotalPres"), 12.34);
    }
}

TEST(ReportButtons, AMissingHeaderIsToldAndTheReportStillPrints) {
    TempRoot root;
    const QString folder = root.newProject();
    {
        store::Database db = root.open(folder);
        kt::writeItem(db, "A1", "1.01", "Limpieza", 2, {}, 7.5);
    }
    std::vector<reports::Notice> notices;
    const auto result = kt::printReport("cmdFormatoPres1", folder, root.root(), &notices);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices.front().text, "Debe ingresar primero los datos del Proyecto");
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_TRUE(allText(result.document).contains("15.00")); // the stored price, as it was
}

TEST(ReportButtons, AnalysisAndScheduleButtonsRebuildTheirTablesFirst) {
    TempRoot root;
    const QString folder = twoItemProject(root, false);
    store::Database db = root.open(folder);
    EXPECT_EQ(count(db, "InfoAnalisis"), 0);
    const auto analysis = kt::printReport("cmdFormatoAna1", folder, root.root());
    ASSERT_TRUE(analysis.ok) << analysis.message.toStdString();
    EXPECT_GT(count(db, "InfoAnalisis"), 0);
    EXPECT_EQ(analysis.document.pages.size(), 2u); // one page per item
    EXPECT_TRUE(analysis.document.pages[0].contains("Hormigón premezclado"));
    EXPECT_TRUE(analysis.document.pages[1].contains("Tablero"));

    kt::insert(db, "Grupos", {"Grupo", "DescripcionGru", "OrdenGru"}, {"G1", "Estructura", 1});
    db.execute("UPDATE Presupuesto SET GruposPres = ?", {"G1"});
    kt::insert(db, "DetalleGrupo", {"Grupo", "PeriodoGru", "SemanasGru", "PorcentajeGru", "OrdenGru"},
               {"G1", 2, 4, 100.0, 1});
    const auto schedule = kt::printReport("cmdCronoTodo", folder, root.root());
    ASSERT_TRUE(schedule.ok) << schedule.message.toStdString();
    EXPECT_EQ(count(db, "Crono"), 1);
    EXPECT_TRUE(allText(schedule.document).contains("Estructura"));
    EXPECT_TRUE(allText(schedule.document).contains("100.00 %"));

    // The item schedule buttons print without rebuilding the group schedule tables.
    db.execute("DELETE * FROM Crono");
    for (const char* name : {"cmdCronoNuevo", "cmdCronoNuevo2", "cmdCronoNuevo3", "cmdCronoNuevo4"}) {
        const auto result = kt::printReport(name, folder, root.root());
        EXPECT_TRUE(result.ok) << name << ": " << result.message.toStdString();
    }
    EXPECT_EQ(count(db, "Crono"), 0);
}

TEST(ReportButtons, MissingOrBrokenTemplatesAreReportedByName) {
    TempRoot root;
    const QString folder = twoItemProject(root, true);
    const QString path = reports::templatePath(root.root(), "Presupuesto.rpt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("{\n  \"korvexReport\": 1,\n  \"body\": [ {\"type\": \"table\" ]\n}\n");
    file.close();
    const auto broken = kt::printReport("cmdFormatoPres1", folder, root.root());
    EXPECT_FALSE(broken.ok);
    const QString name = QDir::toNativeSeparators("Reportes/Presupuesto.rpt");
    EXPECT_TRUE(broken.message.contains("«" + name + "» no es válida")) << broken.message.toStdString();
    EXPECT_TRUE(broken.message.contains("línea 3")) << broken.message.toStdString();

    ASSERT_TRUE(QFile::remove(path));
    const auto missing = kt::printReport("cmdFormatoPres1", folder, root.root());
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.message, "No se encuentra la plantilla «" + name + "».");

    // A project database that is gone is named too, and nothing throws.
    reports::ReportRequest request =
        reports::prepareReport(button("cmdMaterial"), folder, root.root()).request;
    request.databasePath = folder + "/Otro.mdb";
    const auto noDatabase = reports::runReport(request);
    EXPECT_FALSE(noDatabase.ok);
    EXPECT_TRUE(noDatabase.message.contains("Otro.mdb"));
}
