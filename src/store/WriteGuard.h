#pragma once
// What this process lets itself write into a project. Writes are of two kinds: user data (what the
// user typed or chose) and derived tables, recomputed from user data (stored unit prices, the
// report tables). A project opened read-only takes derived writes only; a project can ask for a
// backup before its next user-data write. Every write of the store passes through beforeWrite.

#include <QString>
#include <QStringList>
#include <chrono>

namespace korvex::store {

class Connection;

// True for a write that only refreshes a derived table or field.
bool isDerivedWrite(const QString& table, const QStringList& writtenFields);

// The message of a refused user-data write into a read-only project.
QString readOnlyMessage();

void setReadOnly(const QString& projectFolder, bool readOnly);
bool isReadOnly(const QString& projectFolder);

// Before the next user-data write into the project, a backup is taken when the newest one is
// older than minimumAge (zero: always); once, until armed again.
void backUpBeforeNextWrite(const QString& projectFolder, std::chrono::seconds minimumAge);
void cancelBackupBeforeWrite(const QString& projectFolder);

// Called by the store before every write. Throws StoreError for a refused write or a failed
// backup, so the write does not happen.
void beforeWrite(Connection& connection, const QString& table, const QStringList& writtenFields);

// The canonical folder used as key by the functions above.
QString folderKey(const QString& projectFolder);

} // namespace korvex::store
