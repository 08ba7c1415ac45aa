#include "store/SchemaUpgrade.h"

#include "store/Database.h"
#include "store/Schema.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

namespace korvex::store {

const std::vector<SchemaUpgrade>& schemaUpgrades() {
    // Version 0: files made before the version was stamped, with the same tables as version 1.
    static const std::vector<SchemaUpgrade> steps{{0, {}}};
    return steps;
}

namespace {

bool exec(sqlite3* db, const QString& sql) {
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool isNotWritable(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_READONLY || primary == SQLITE_BUSY || primary == SQLITE_LOCKED ||
           primary == SQLITE_CANTOPEN || primary == SQLITE_PERM;
}

} // namespace

void upgradeSchema(sqlite3* db, int version, const QString& where) {
    if (version >= kSchemaVersion)
        return;
    const int begun = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (begun != SQLITE_OK) {
        if (isNotWritable(begun))
            return;
        throw StoreError(
            QStringLiteral("No se puede actualizar la base de datos %1 a esta versión del programa")
                .arg(where));
    }
    bool ok = true;
    for (const SchemaUpgrade& step : schemaUpgrades()) {
        if (step.from < version)
            continue;
        for (const QString& sql : step.statements)
            ok = ok && exec(db, sql);
    }
    ok = ok && exec(db, QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion));
    if (ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK)
        return;
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw StoreError(
        QStringLiteral("No se puede actualizar la base de datos %1 a esta versión del programa").arg(where));
}

} // namespace korvex::store
