#include "CommandRun.h"
#include "ProjectData.h"
#include "TestProject.h"
#include "reports/Render.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kt = korvex::testing;
using kt::CommandRun;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ReportCommand : public ::testing::Test {
protected:
    CommandRun korvexRun(const QStringList& arguments) {
        return kt::runCommand(QStringList{"--root", root.root()} + arguments);
    }
    CommandRun report(const QString& target, const QString& templateFile = "Presupuesto.rpt") {
        return korvexRun({"report", folder, templateFile, "-o", target});
    }

    kt::TempRoot root;
    QString folder = kt::sampleProjectWithSchedules(root.root());
    QTemporaryDir out;
};

} // namespace

// The batch command lists every button's template and prints one to PDF without a display.
TEST_F(ReportCommand, ListsTheTemplatesAndWritesThePdfOfOne) {
    const CommandRun list = korvexRun({"report", "--list"});
    EXPECT_EQ(list.code, 0);
    const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 25);
    EXPECT_TRUE(lines.contains("Presupuesto.rpt\tcmdFormatoPres1\tpestaña 4: Presupuesto > Formato 1\t"
                               "RecalcularPresupuesto"))
        << list.out.toStdString();
    EXPECT_TRUE(lines.contains("CronogramaNuevo2.rpt\tcmdCronoNuevo\tpestaña 6: Cronograma Propuesto > "
                               "Cronograma Nuevo\t"));

    const QString pdf = out.filePath("presupuesto.pdf");
    const CommandRun budget = report(pdf);
    EXPECT_EQ(budget.code, 0) << budget.err.toStdString();
    EXPECT_EQ(budget.err, "");
    EXPECT_TRUE(budget.out.endsWith(": 1 página\n")) << budget.out.toStdString();
    EXPECT_TRUE(bytesOf(pdf).startsWith("%PDF-"));

    // The extension may be left out; a many-page report says so.
    const QString analysis = out.filePath("analisis.pdf");
    const CommandRun perItem = report(analysis, "Analisis");
    EXPECT_EQ(perItem.code, 0) << perItem.err.toStdString();
    EXPECT_TRUE(perItem.out.endsWith(" páginas\n")) << perItem.out.toStdString();
    EXPECT_TRUE(bytesOf(analysis).startsWith("%PDF-"));
}

// What the command refuses, each with its reason and without writing a file; a project without
// header is printed all the same, with the preparation's message on standard error.
TEST_F(ReportCommand, RefusesWhatItCannotPrintAndSaysWhy) {
    const QString pdf = out.filePath("x.pdf");
    const CommandRun missing = report(pdf, "Nada.rpt");
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains("Nada.rpt")) << missing.err.toStdString();

    const CommandRun noOutput = korvexRun({"report", folder, "Presupuesto.rpt"});
    EXPECT_EQ(noOutput.code, 2);
    EXPECT_TRUE(noOutput.err.contains("report PROJECT TEMPLATE -o FILE.pdf"));

    const CommandRun noProject = korvexRun({"report", out.filePath("nadie"), "Presupuesto.rpt", "-o", pdf});
    EXPECT_EQ(noProject.code, 1);
    EXPECT_EQ(noProject.err, "La Carpeta seleccionada NO contiene ningun proyecto\n");

    const CommandRun unwritable = report(out.filePath("no/x.pdf"));
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_FALSE(unwritable.err.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));

    const CommandRun headerless =
        korvexRun({"report", root.newProject("SinDatos"), "Presupuesto.rpt", "-o", pdf});
    EXPECT_EQ(headerless.code, 0);
    EXPECT_EQ(headerless.err, "Debe ingresar primero los datos del Proyecto\n");
    EXPECT_TRUE(bytesOf(pdf).startsWith("%PDF-"));

    // A preparation that cannot write its tables stops the report: it would print stale figures.
    QFile::remove(pdf);
    korvex::store::Database::openProject(folder).execute("UPDATE Presupuesto SET TotalPres = 0");
    kt::FailureGuard guard;
    korvex::store::testing::failAfterWrites(0);
    const CommandRun stale = report(pdf);
    EXPECT_EQ(stale.code, 1);
    EXPECT_FALSE(stale.err.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
}

// The report's file appears complete or not at all, and never over something that is not a PDF.
TEST_F(ReportCommand, OutputIsWrittenWholeOrNotAtAll) {
    // An earlier PDF survives a write that fails halfway (a full disk), and no temporary is left.
    const QString pdf = out.filePath("presupuesto.pdf");
    ASSERT_EQ(report(pdf).code, 0);
    const QByteArray earlier = bytesOf(pdf);
    korvex::reports::testing::failPdfWritesAfter(2000);
    CommandRun run = report(pdf, "Analisis.rpt");
    korvex::reports::testing::failPdfWritesAfter(-1);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("no queda espacio en el disco")) << run.err.toStdString();
    EXPECT_EQ(bytesOf(pdf), earlier);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList({"presupuesto.pdf"}));

    // Refused before anything is written.
    const QString project = folder + "/Presupuesto.mdb";
    const QByteArray database = bytesOf(project);
    const QString text = out.filePath("notas.txt");
    QFile notes(text);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("mis notas");
    notes.close();
    for (const QString& target : {project, text, out.path(), QString("/dev/full")}) {
        run = report(target);
        EXPECT_EQ(run.code, 1) << target.toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
    EXPECT_EQ(bytesOf(project), database);
    EXPECT_EQ(bytesOf(text), "mis notas");

    // A read-only folder: a message, exit 1.
    QDir().mkpath(out.filePath("cerrada"));
    QFile::setPermissions(out.filePath("cerrada"), QFile::ReadOwner | QFile::ExeOwner);
    if (::access(QFile::encodeName(out.filePath("cerrada")).constData(), W_OK) != 0) {
        run = report(out.filePath("cerrada/x.pdf"));
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.err.contains("No se puede escribir")) << run.err.toStdString();
    }
    QFile::setPermissions(out.filePath("cerrada"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
