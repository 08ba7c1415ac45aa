// A project file written by this version of the program, kept in the repository: it must keep
// opening and computing the same figures, a file of a later version is refused, and a file of an
// earlier version is brought up to this one when opened.
#include "TestProject.h"
#include "engine/Engine.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"
#include "store/Schema.h"
#include "store/SchemaUpgrade.h"

#define SQLITE_HAS_CODEC 1
#include <QFile>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace korvex;

namespace {

QString fixture() {
    return QStringLiteral(KORVEX_FIXTURES "/Presupuesto-v1.mdb");
}

// A project folder holding a copy of the stored file.
QString copyOfFixture(korvex::testing::TempRoot& root, const QString& name) {
    const QString folder = root.newProject(name);
    const QString database = store::projectDatabasePath(folder);
    QFile::remove(database);
    EXPECT_TRUE(QFile::copy(fixture(), database));
    QFile(database).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return folder;
}

// The raw handle, beside the store, to read and forge the stored version.
sqlite3* openRaw(const QString& database) {
    sqlite3* raw = nullptr;
    sqlite3_open(database.toUtf8().constData(), &raw);
    const QByteArray key = QString::fromLatin1(store::kConnectString).section('=', 1).toUtf8();
    sqlite3_key(raw, key.constData(), int(key.size()));
    return raw;
}

int userVersion(const QString& database) {
    sqlite3* raw = openRaw(database);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw, "PRAGMA user_version", -1, &st, nullptr);
    const int version = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
    sqlite3_finalize(st);
    sqlite3_close(raw);
    return version;
}

void setUserVersion(const QString& database, int version) {
    sqlite3* raw = openRaw(database);
    const QByteArray sql = QStringLiteral("PRAGMA user_version = %1").arg(version).toUtf8();
    EXPECT_EQ(sqlite3_exec(raw, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
}

// The budget as the program computes it: code, item and unit price of every item.
QStringList unitPrices(const QString& folder) {
    QStringList lines;
    for (const engine::PrecioItem& item : engine::PreciosUnitarios(folder))
        lines << QStringLiteral("%1 %2 %3")
                     .arg(item.codigoPres, item.itemPres,
                          QString::number(item.precio.precioUnitario, 'f', 2));
    return lines;
}

} // namespace

TEST(StoredProject, FileOfThisVersionOpensAndComputesItsFigures) {
    korvex::testing::TempRoot root;
    const QString folder = copyOfFixture(root, "Guardado");
    const engine::ResultadoRecalculo recalculated = engine::RecalcularPresupuesto(folder);
    ASSERT_TRUE(recalculated.ok) << recalculated.message.toStdString();
    // The figures the program that wrote the file computed; they change only with a rounding rule.
    EXPECT_EQ(unitPrices(folder),
              QStringList({"501001 1.01 0.80", "501002 1.02 0.97", "502001 2.01 16.14", "502002 2.02 25.92",
                           "503001 3.01 6.92", "503002 3.02 154.86", "503003 3.03 214.82",
                           "503004 3.04 219.54", "503005 3.05 1.85", "504001 4.01 15.91", "504002 4.02 8.53",
                           "504003 4.03 8.42", "505001 5.01 23.60", "505002 5.02 6.18", "506001 6.01 3.02"}));
    EXPECT_DOUBLE_EQ(engine::TotalCostoDirecto(folder), 26912.21);
    EXPECT_EQ(userVersion(store::projectDatabasePath(folder)), store::kSchemaVersion);
}

TEST(StoredProject, LaterVersionIsRefusedAndEarlierOneUpgraded) {
    korvex::testing::TempRoot root;
    const QString later = copyOfFixture(root, "Posterior");
    setUserVersion(store::projectDatabasePath(later), store::kSchemaVersion + 1);
    try {
        store::Database::openProject(later);
        ADD_FAILURE() << "a file of a later version opened";
    } catch (const store::StoreError& error) {
        EXPECT_TRUE(error.message().contains("versión más reciente")) << error.message().toStdString();
    }

    // Every version below this one has a step, so no file is left half-way, and an earlier file
    // is stamped with this version on opening and computes as it did.
    ASSERT_EQ(int(store::schemaUpgrades().size()), store::kSchemaVersion);
    const QStringList current = unitPrices(copyOfFixture(root, "Actual"));
    for (int version = 0; version < store::kSchemaVersion; ++version) {
        const QString earlier = copyOfFixture(root, QStringLiteral("Anterior%1").arg(version));
        const QString database = store::projectDatabasePath(earlier);
        setUserVersion(database, version);
        store::Database::openProject(earlier);
        EXPECT_EQ(userVersion(database), store::kSchemaVersion);
        EXPECT_EQ(unitPrices(earlier), current);
    }
}
