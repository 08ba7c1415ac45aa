#include "ProjectData.h"
#include "TestProject.h"
#include "cli/CommandTable.h"
#include "reports/Render.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kt = korvex::testing;

namespace {

struct CommandRun {
    int code = 0;
    QString out;
    QString err;
};

CommandRun korvexRun(const QStringList& arguments) {
    CommandRun run;
    QString input;
    QTextStream out(&run.out), err(&run.err), in(&input);
    run.code = korvex::cli::run(arguments, out, err, in);
    out.flush();
    err.flush();
    return run;
}

QByteArray head(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(5) : QByteArray();
}

} // namespace

// The batch command lists every button's template and prints one to PDF without a display.
TEST(ReportCommand, ListsTheTemplatesAndWritesThePdfOfOne) {
    kt::TempRoot root;
    const QString folder = kt::sampleProjectWithSchedules(root.root());
    QTemporaryDir out;

    const CommandRun list = korvexRun({"--root", root.root(), "report", "--list"});
    EXPECT_EQ(list.code, 0);
    const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 25);
    EXPECT_TRUE(lines.contains("Presupuesto.rpt\tcmdFormatoPres1\tpestaña 4: Presupuesto > Formato 1\t"
                               "RecalcularPresupuesto"))
        << list.out.toStdString();
    EXPECT_TRUE(lines.contains("CronogramaNuevo2.rpt\tcmdCronoNuevo\tpestaña 6: Cronograma Propuesto > "
                               "Cronograma Nuevo\t"));

    const QString pdf = out.filePath("presupuesto.pdf");
    const CommandRun budget =
        korvexRun({"--root", root.root(), "report", folder, "Presupuesto.rpt", "-o", pdf});
    EXPECT_EQ(budget.code, 0) << budget.err.toStdString();
    EXPECT_EQ(budget.err, "");
    EXPECT_TRUE(budget.out.endsWith(": 1 página\n")) << budget.out.toStdString();
    EXPECT_EQ(head(pdf), "%PDF-");

    // The extension may be left out; a many-page report says so.
    const QString analysis = out.filePath("analisis.pdf");
    const CommandRun perItem =
        korvexRun({"--root", root.root(), "report", folder, "Analisis", "-o", analysis});
    EXPECT_EQ(perItem.code, 0) << perItem.err.toStdString();
    EXPECT_TRUE(perItem.out.endsWith(" páginas\n")) << perItem.out.toStdString();
    EXPECT_EQ(head(analysis), "%PDF-");
}

// What the command refuses, each with its reason and without writing a file; a project without
// header is printed all the same, with the preparation's message on standard error.
TEST(ReportCommand, RefusesWhatItCannotPrintAndSaysWhy) {
    kt::TempRoot root;
    const QString folder = kt::sampleProjectWithSchedules(root.root());
    QTemporaryDir out;
    const QString pdf = out.filePath("x.pdf");

    const CommandRun missing = korvexRun({"--root", root.root(), "report", folder, "Nada.rpt", "-o", pdf});
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains("Nada.rpt")) << missing.err.toStdString();

    const CommandRun noOutput = korvexRun({"--root", root.root(), "report", folder, "Presupuesto.rpt"});
    EXPECT_EQ(noOutput.code, 2);
    EXPECT_TRUE(noOutput.err.contains("report PROJECT TEMPLATE -o FILE.pdf"));

    const CommandRun noProject =
        korvexRun({"--root", root.root(), "report", out.filePath("nadie"), "Presupuesto.rpt", "-o", pdf});
    EXPECT_EQ(noProject.code, 1);
    EXPECT_EQ(noProject.err, "La Carpeta seleccionada NO contiene ningun proyecto\n");

    const CommandRun unwritable = korvexRun(
        {"--root", root.root(), "report", folder, "Presupuesto.rpt", "-o", out.filePath("no/x.pdf")});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_FALSE(unwritable.err.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));

    const QString bare = root.newProject("SinDatos");
    const CommandRun headerless =
        korvexRun({"--root", root.root(), "report", bare, "Presupuesto.rpt", "-o", pdf});
    EXPECT_EQ(headerless.code, 0);
    EXPECT_EQ(headerless.err, "Debe ingresar primero los datos del Proyecto\n");
    EXPECT_EQ(head(pdf), "%PDF-");
}

// The report's file appears complete or not at all, and never over something that is not a PDF.
TEST(ReportCommand, OutputIsWrittenWholeOrNotAtAll) {
    kt::TempRoot root;
    const QString folder = kt::sampleProjectWithSchedules(root.root());
    QTemporaryDir out;
    const auto report = [&](const QString& target, const QString& templateFile = "Presupuesto.rpt") {
        return korvexRun({"--root", root.root(), "report", folder, templateFile, "-o", target});
    };
    const auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };

    // An earlier PDF survives a write that fails halfway (a full disk), and no temporary is left.
    const QString pdf = out.filePath("presupuesto.pdf");
    ASSERT_EQ(report(pdf).code, 0);
    const QByteArray earlier = bytes(pdf);
    korvex::reports::testing::failPdfWritesAfter(2000);
    CommandRun run = report(pdf, "Analisis.rpt");
    korvex::reports::testing::failPdfWritesAfter(-1);
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.contains("no queda espacio en el disco")) << run.err.toStdString();
    EXPECT_EQ(bytes(pdf), earlier);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList({"presupuesto.pdf"}));

    // Refused before anything is written.
    const QString project = folder + "/Presupuesto.mdb";
    const QByteArray database = bytes(project);
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
    EXPECT_EQ(bytes(project), database);
    EXPECT_EQ(bytes(text), "mis notas");

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

// A preparation that cannot write its tables stops the report: it would print stale figures.
TEST(ReportCommand, APreparationThatCannotWriteStopsTheReport) {
    kt::TempRoot root;
    const QString folder = kt::sampleProjectWithSchedules(root.root());
    QTemporaryDir out;
    const QString pdf = out.filePath("x.pdf");
    // Stale stored prices, so that the preparation has figures to write.
    korvex::store::Database::openProject(folder).execute("UPDATE Presupuesto SET TotalPres = 0");
    korvex::store::testing::failAfterWrites(0);
    const CommandRun run = korvexRun({"--root", root.root(), "report", folder, "Presupuesto.rpt", "-o", pdf});
    korvex::store::testing::failAfterWrites(-1);
    EXPECT_EQ(run.code, 1);
    EXPECT_FALSE(run.err.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
}
