#include "exchange/Bc3Import.h"

#include "Bc3Fixtures.h"
#include "CommandRun.h"
#include "TestProject.h"
#include "engine/Engine.h"
#include "store/Backups.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace korvex::exchange {
namespace {

// A price base: U1 states the price its lines give, U2 states 9 where they give 7.
const char* kReplacement() {
    return "~V||FIEBDC-3/2004|P|Banco|ANSI|\n~C|U1|m3|Unidad 1|5||0|\n~D|U1|MAT\\1\\5\\|\n"
           "~C|U2|m2|Unidad 2|9||0|\n~D|U2|MAT\\1\\7\\|\n~C|MAT|kg|Mat|1||3|\n";
}

int count(store::Database& db, const QString& table) {
    return db.openRecordSet(QStringLiteral("SELECT * FROM %1").arg(table)).recordCount();
}

// The named fields of the first record of a table, joined by "|".
QString firstRecord(store::Database& db, const QString& table, const QStringList& fields) {
    auto records = db.openRecordSet(QStringLiteral("SELECT %1 FROM %2").arg(fields.join(", "), table));
    QStringList values;
    for (const QString& field : fields)
        values << records.text(field);
    return values.join('|');
}

TEST(Bc3Import, ExampleBecomesItemsLinesGroupAndHeaderWithReconciliation) {
    testing::TempRoot root;
    const QString folder = root.newProject();
    const ResultadoImportacionBC3 result =
        ImportarBC3(folder, testing::encoded(testing::exampleBc3(), "WINDOWS-1252"), false);
    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(result.items, 1);
    EXPECT_EQ(result.lineas, 3);
    EXPECT_EQ(result.grupos, 1);
    // 7.2 x 7.85 + 8 x 3.60 = 85.32, and 20 % of indirect costs: 102.38, as the file states.
    EXPECT_EQ(result.comparados, 1);
    EXPECT_EQ(result.iguales, 1);
    EXPECT_TRUE(result.diferencias.empty());

    auto db = root.open(folder);
    EXPECT_EQ(count(db, "Proyecto"), 1);
    EXPECT_EQ(firstRecord(db, "Proyecto", {"Proyecto", "CostosIndirectos", "Herramienta", "IVA"}),
              "Casa comunal|20|0|0");
    EXPECT_EQ(
        firstRecord(db, "Presupuesto",
                    {"CodigoPres", "ItemPres", "DescripcionPres", "GruposPres", "CantidadPres", "TotalPres"}),
        "H210|1.1|Hormigón f'c = 210 kg/cm2|01|12.5|102.38");
    EXPECT_EQ(firstRecord(db, "ManoObra", {"DescripcionMan", "HorasMan", "RendimientoMan"}), "Peón|1|8");
    EXPECT_EQ(count(db, "Grupos"), 1);
    EXPECT_EQ(count(db, "Transporte"), 1);
}

TEST(Bc3Import, AllOrNothingReplaceAndRefusals) {
    testing::TempRoot root;
    const QString folder = root.newProject();
    const QByteArray example = testing::exampleBc3().toUtf8();
    ASSERT_TRUE(ImportarBC3(folder, example, false).ok);

    // A project with items is refused without replace, and keeps them.
    const ResultadoImportacionBC3 refused = ImportarBC3(
        folder,
        QString::fromUtf8("~V||FIEBDC-3/2004|\n~C|C#||C|0||0|\n~D|C#|X\\1\\2\\|\n~C|X|u|Otro|1||0|\n")
            .toUtf8(),
        false);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.message, QString::fromUtf8(kProyectoConRubros));

    // A malformed file or a cycle changes nothing, even with replace.
    for (const char* bad : {"~V||FIEBDC-3/2004|\n~C|A|u|A|x||0|\n",
                            "~V||FIEBDC-3/2004|\n~C|C#||C|0||0|\n~D|C#|A\\1\\1\\|\n~C|A|u|A|1||0|\n"
                            "~D|A|A\\1\\1\\|\n"}) {
        const ResultadoImportacionBC3 failed = ImportarBC3(folder, QByteArray(bad), true);
        EXPECT_FALSE(failed.ok) << bad;
        EXPECT_TRUE(failed.message.startsWith(QStringLiteral("Registro "))) << failed.message.toStdString();
    }
    {
        auto db = root.open(folder);
        EXPECT_EQ(count(db, "Presupuesto"), 1);
        EXPECT_EQ(count(db, "Materiales"), 1);
    }

    // A store failure in the middle of writing leaves the project as it was.
    {
        testing::FailureGuard guard;
        store::testing::failAfterWrites(8);
        const ResultadoImportacionBC3 failed =
            ImportarBC3(folder, QString::fromUtf8(kReplacement()).toUtf8(), true);
        EXPECT_FALSE(failed.ok);
    }
    {
        auto db = root.open(folder);
        EXPECT_EQ(count(db, "Presupuesto"), 1);
        EXPECT_EQ(firstRecord(db, "Presupuesto", {"CodigoPres"}), "H210");
        EXPECT_EQ(count(db, "Grupos"), 1);
    }

    // Replace empties items, lines, groups and schedules; the header keeps its name.
    {
        auto db = root.open(folder);
        db.execute(QStringLiteral(
            "INSERT INTO DetalleGrupo (Grupo, PeriodoGru, SemanasGru, PorcentajeGru, OrdenGru) "
            "VALUES ('01', 1, 4, 100, 1)"));
        db.execute(QStringLiteral("UPDATE Proyecto SET Proyecto = ?, Herramienta = ?"),
                   {QStringLiteral("Mi obra"), true});
    }
    const ResultadoImportacionBC3 replaced =
        ImportarBC3(folder, QString::fromUtf8(kReplacement()).toUtf8(), true);
    ASSERT_TRUE(replaced.ok) << replaced.message.toStdString();
    auto db = root.open(folder);
    EXPECT_EQ(count(db, "Presupuesto"), 2);
    EXPECT_EQ(count(db, "DetalleGrupo"), 0);
    EXPECT_EQ(count(db, "Grupos"), 0);
    EXPECT_EQ(firstRecord(db, "Proyecto", {"Proyecto", "Herramienta"}), "Mi obra|0");
    // The price base's second unit states 9 where its lines give 7: one of two equal.
    EXPECT_EQ(replaced.comparados, 2);
    EXPECT_EQ(replaced.iguales, 1);
    ASSERT_EQ(replaced.diferencias.size(), 1u);
    EXPECT_EQ(replaced.diferencias[0].codigo, QStringLiteral("U2"));
    EXPECT_EQ(replaced.diferencias[0].diferencia(), -2);
    EXPECT_TRUE(replaced.informe().contains(
        QStringLiteral("Conciliación: 1 de 2 rubros con el precio unitario que indica el archivo")));
}

TEST(Bc3Import, BatchCommand) {
    testing::TempRoot root;
    const QString folder = root.newProject(QStringLiteral("Obra"));
    const QString path = QDir(root.root()).filePath(QStringLiteral("ejemplo.bc3"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(testing::encoded(testing::exampleBc3(QStringLiteral("850")), "CP850"));
    file.close();
    const testing::CommandRun run = testing::runCommand({"--root", root.root(), "import-bc3", "Obra", path});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(
        run.out.startsWith(QStringLiteral("Rubros creados: 1\nLíneas creadas: 3\nGrupos creados: 1\n")))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Conciliación: 1 de 1 rubros"))) << run.out.toStdString();

    const testing::CommandRun again =
        testing::runCommand({"--root", root.root(), "import-bc3", "Obra", path});
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(again.err, QStringLiteral("El proyecto ya tiene rubros: use --replace para reemplazarlos\n"));
    const testing::CommandRun replaced =
        testing::runCommand({"--root", root.root(), "import-bc3", "Obra", path, "--replace"});
    EXPECT_EQ(replaced.code, 0) << replaced.err.toStdString();
    // A replace backs the project up first, however recent the last backup.
    const QList<store::BackupInfo> backups = store::listBackups(folder, true);
    ASSERT_EQ(backups.size(), 2);
    EXPECT_EQ(backups.first().items, 1);
    const testing::CommandRun missing =
        testing::runCommand({"--root", root.root(), "import-bc3", "Obra", path + "x", "--replace"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(testing::runCommand({"--root", root.root(), "import-bc3", "Obra"}).code, 2);
}

// The two real files, when the shared folder is there: every figure printed for the record.
TEST(Bc3Import, SharedFiles) {
    const QDir shared(QStringLiteral(KORVEX_SHARED_BC3));
    if (!shared.exists())
        GTEST_SKIP() << "no shared BC3 files";
    for (const QString& name : shared.entryList({QStringLiteral("*.bc3")}, QDir::Files, QDir::Name)) {
        testing::TempRoot root;
        const QString folder = root.newProject();
        const ResultadoImportacionBC3 result = ImportarArchivoBC3(folder, shared.filePath(name), false);
        ASSERT_TRUE(result.ok) << name.toStdString() << ": " << result.message.toStdString();
        std::printf("== %s\n%s\n", qPrintable(name), qPrintable(result.informe().join(QLatin1Char('\n'))));
        EXPECT_GT(result.items, 0);
        EXPECT_GT(result.lineas, 0);
    }
}

} // namespace
} // namespace korvex::exchange
