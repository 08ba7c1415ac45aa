#include "exchange/Bc3Export.h"

#include "CommandRun.h"
#include "TestProject.h"
#include "engine/Demo.h"
#include "exchange/Bc3Import.h"
#include "exchange/Bc3Reader.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <map>

namespace korvex::exchange {
namespace {

// The items (description, group, quantity and stored unit price by code and number) and every
// resource line of every item, per table in stored order, as text.
std::map<QString, QStringList> storedProject(const testing::TempRoot& root, const QString& folder) {
    auto db = root.open(folder);
    std::map<QString, QStringList> project;
    for (auto rs = db.openRecordSet(QStringLiteral("SELECT * FROM Presupuesto")); !rs.eof(); rs.moveNext())
        project["Presupuesto " + rs.text("CodigoPres") + "/" + rs.text("ItemPres")]
            << QStringList{rs.text("DescripcionPres"), rs.text("GruposPres"),
                           rs.value("CantidadPres").toString(), rs.value("TotalPres").toString()}
                   .join('|');
    for (const char* table : {"Materiales", "Maquinaria", "ManoObra", "Transporte"}) {
        for (auto rs = db.openRecordSet(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table)));
             !rs.eof(); rs.moveNext()) {
            QStringList values;
            for (const QString& field : rs.fieldNames())
                values << rs.value(field).toString();
            project[QString::fromLatin1(table) + rs.text("CodigoPres") + QChar('/') + rs.text("ItemPres")]
                << values.join(QChar('|'));
        }
    }
    return project;
}

// Export, import into an empty project, compare: same items, quantities, unit prices, total.
void roundTrip(int syntheticItems) {
    testing::TempRoot root;
    const QString original = root.newProject(QStringLiteral("Original"));
    if (syntheticItems > 0)
        engine::LlenarProyectoSintetico(original, syntheticItems);
    else
        engine::LlenarProyectoEjemplo(original);
    const QString path = QDir(root.root()).filePath(QStringLiteral("obra.bc3"));
    const ResultadoExportacionBC3 exported = ExportarBC3(original, path);
    ASSERT_TRUE(exported.ok) << exported.message.toStdString();
    const QString copy = root.newProject(QStringLiteral("Copia"));
    const ResultadoImportacionBC3 imported = ImportarArchivoBC3(copy, path, false);
    ASSERT_TRUE(imported.ok) << imported.message.toStdString();
    EXPECT_EQ(imported.items, exported.items);
    EXPECT_TRUE(imported.informe().contains(
        QStringLiteral("Conciliación: %1 de %1 rubros con el precio unitario que indica el archivo")
            .arg(imported.comparados)));
    // The items and their analyses come back line for line: workers, yields, categories and
    // transport prices.
    EXPECT_EQ(storedProject(root, original), storedProject(root, copy));
    auto db = root.open(copy);
    auto header = db.openRecordSet(QStringLiteral("SELECT * FROM Proyecto"));
    header.moveFirst();
    EXPECT_TRUE(header.boolean("Herramienta"));
    EXPECT_EQ(header.number("CostosIndirectos"), 18);
    EXPECT_EQ(header.number("OtrosIndirectos"), 2);
}

TEST(Bc3Export, RoundTripOfTheSampleProject) {
    roundTrip(0);
}

TEST(Bc3Export, RoundTripOfALargeProject) {
    roundTrip(2000);
}

TEST(Bc3Export, RecordsAndCodePage) {
    testing::TempRoot root;
    const QString folder = root.newProject();
    engine::LlenarProyectoEjemplo(folder);
    {
        auto db = root.open(folder);
        // Two items sharing a code, a description with the separators and characters outside
        // Windows-1252, an item without group.
        db.execute(
            "INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, UnidadPres, CantidadPres, "
            "GruposPres) VALUES (?, ?, ?, ?, ?, ?)",
            {"501001", "9.01", "Tubo | 1\\2 ~ 3 € → ok", "m", 2.0, QString()});
        // The sample's price is 1.45: a second price for the key.
        db.execute("INSERT INTO Materiales (CodigoPres, ItemPres, DescripcionMat, UnidadMat, CantidadMat, "
                   "PrecioUniMat) VALUES (?, ?, ?, ?, ?, ?)",
                   {"501001", "9.01", "Tubería PVC roscable 1/2\"", "m", 1.0, 9.99});
    }
    const QByteArray bytes = GenerarBC3(folder);
    EXPECT_EQ(bytes, GenerarBC3(folder)); // codes and order are stable
    EXPECT_TRUE(bytes.startsWith("~V|Gobierno Parroquial de San Isidro|FIEBDC-3/2020|Korvex|"));
    EXPECT_TRUE(bytes.contains("|ANSI|KORVEX HERRAMIENTA=1 CI=18 OI=2|"));
    EXPECT_TRUE(bytes.contains("~C|501001_9.01|m|Tubo / 1/2 - 3 \x80 ? ok|"));
    EXPECT_TRUE(bytes.contains("~C|501001_1.01|m2|Limpieza y desbroce del terreno|"));
    EXPECT_TRUE(bytes.contains("~C|SIN_GRUPO#||Sin grupo|"));
    EXPECT_TRUE(bytes.contains("~M|SIN_GRUPO#\\501001_9.01|7\\1\\|2|\\\\2\\\\\\\\|9.01|"));

    const Bc3ReadResult read = readBc3(bytes);
    ASSERT_TRUE(read.ok) << read.message.toStdString();
    EXPECT_EQ(read.document.encoding, QStringLiteral("WINDOWS-1252"));
    // Labour, the tools allowance, materials, equipment, transport, and the indirect costs last.
    const Bc3Decomposition* d = read.document.decomposition(QStringLiteral("503002"));
    ASSERT_NE(d, nullptr);
    QStringList kinds;
    for (const Bc3Component& c : d->components)
        kinds << c.code.left(3);
    EXPECT_EQ(kinds.join(QLatin1Char(' ')),
              QStringLiteral("MO_ MO_ MO_ MO_ %HM MT_ MT_ MT_ MT_ EQ_ EQ_ TR_ TR_ TR_ TR_ %CI"));
    EXPECT_EQ(d->components.back().quantity, 0.2);
    int tubes = 0;
    for (const Bc3Concept& c : read.document.concepts)
        tubes += c.summary == QStringLiteral("Tubería PVC roscable 1/2\"") ? 1 : 0;
    EXPECT_EQ(tubes, 2); // one concept per price of the key
}

TEST(Bc3Export, AnyReaderGetsTheSamePrices) {
    // Read as another program's file, the percentage concepts give the prices this program stores.
    testing::TempRoot root;
    const QString folder = root.newProject();
    engine::LlenarProyectoEjemplo(folder);
    QByteArray bytes = GenerarBC3(folder);
    bytes.replace("|Korvex|", "|Otro|");
    const QString other = root.newProject(QStringLiteral("Otro"));
    const ResultadoImportacionBC3 imported = ImportarBC3(other, bytes, false);
    ASSERT_TRUE(imported.ok) << imported.message.toStdString();
    EXPECT_EQ(imported.indirecto, QStringLiteral("%CI"));
    EXPECT_EQ(imported.costosIndirectos, 20);
    EXPECT_EQ(imported.iguales, imported.comparados) << imported.informe().join('\n').toStdString();
}

TEST(Bc3Export, FailuresAreReportedAndLeaveNoFile) {
    testing::TempRoot root;
    const QString folder = root.newProject(QStringLiteral("Obra"));
    engine::LlenarProyectoEjemplo(folder);
    const QString missing = QDir(root.root()).filePath(QStringLiteral("no/existe/obra.bc3"));
    const ResultadoExportacionBC3 failed = ExportarBC3(folder, missing);
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.message.startsWith(QStringLiteral("No se pudo escribir el archivo")))
        << failed.message.toStdString();
    EXPECT_FALSE(QFile::exists(missing));

    const QString path = QDir(root.root()).filePath(QStringLiteral("obra.bc3"));
    const testing::CommandRun run = testing::runCommand({"--root", root.root(), "export-bc3", "Obra", path});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Rubros exportados: 15\nCapitulos: 6\nRecursos: 56\n"));
    const testing::CommandRun bad =
        testing::runCommand({"--root", root.root(), "export-bc3", "Obra", missing});
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(bad.err.startsWith(QStringLiteral("No se pudo escribir el archivo")));
}

} // namespace
} // namespace korvex::exchange
