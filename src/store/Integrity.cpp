#include "store/Integrity.h"

#include "store/Connection.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

#include <sqlite3.h>

namespace korvex::store {

QStringList integrityProblems(const QString& projectFolder) {
    const auto connection =
        Connection::acquire(projectDatabasePath(projectFolder), passwordOfConnect(kConnectString));
    static const QString check = QStringLiteral("PRAGMA integrity_check(100)");
    sqlite3_stmt* statement = connection->prepare(check, check);
    QStringList problems;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        const QString line = QString::fromUtf8(text ? text : "");
        if (line != QLatin1String("ok"))
            problems.append(QStringLiteral("Archivo dañado: %1").arg(line));
    }
    sqlite3_reset(statement);
    if (rc != SQLITE_DONE)
        throwSqliteError(connection->handle(), rc, check);
    return problems;
}

} // namespace korvex::store
