#pragma once
// Bringing a project file written by an earlier version of the program up to this version's
// schema, by its stored version number (PRAGMA user_version). Every change of the schema adds one
// step here and raises kSchemaVersion; files of a later version are refused on opening.

#include <QString>
#include <QStringList>
#include <vector>

struct sqlite3;

namespace korvex::store {

struct SchemaUpgrade {
    int from; // the step brings a file of this version to version from + 1
    QStringList statements;
};

// The steps in order, one per version below kSchemaVersion.
const std::vector<SchemaUpgrade>& schemaUpgrades();

// Runs the steps from `version` up to kSchemaVersion in one transaction and stamps the new version.
// A file that cannot be written (read-only media, another program writing) is left as it is: the
// steps so far never remove anything, so it still reads. Throws StoreError when a step fails.
void upgradeSchema(sqlite3* db, int version, const QString& where);

} // namespace korvex::store
