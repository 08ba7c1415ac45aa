#pragma once
// Backups of a project database in "Respaldos/" of its project folder, named
// "Presupuesto-AAAAMMDD-HHMMSS.mdb" ("-2", "-3" where a name is taken). A backup is a byte copy
// of the file taken under a read transaction (online backup does not work on encrypted files),
// written to a temporary file, flushed and renamed into place. After each one the folder keeps
// the last ten and, for thirty days, the newest of each day.

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace korvex::store {

inline constexpr const char* kBackupFolderName = "Respaldos";

struct BackupInfo {
    QString fileName;
    QDateTime taken;
    qint64 size = 0;
    std::optional<int> items; // nullopt when the copy cannot be read
};

QString backupFolder(const QString& projectFolder);

// Takes a backup now and thins the folder out; returns the new file's name. Throws StoreError.
QString takeBackup(const QString& projectFolder, const QDateTime& now = QDateTime::currentDateTime());

// The backups of the project, newest first. countItems opens each one to count its items.
QList<BackupInfo> listBackups(const QString& projectFolder, bool countItems = false);
std::optional<QDateTime> newestBackupTime(const QString& projectFolder);

// Deletes the backups beyond the last ten and the newest of each of the last thirty days.
void thinOutBackups(const QString& projectFolder, const QDateTime& now);

// Puts the backup fileName back as the project database, after backing up the current file; the
// caller holds the project's lock. Throws StoreError (unknown name, unreadable copy, I/O).
// Returns the name of the backup of the replaced file.
QString restoreBackup(const QString& projectFolder, const QString& fileName);

class Connection;
// takeBackup through a connection the caller already has on the project's file.
QString takeBackupThrough(Connection& connection, const QString& projectFolder, const QDateTime& now);

} // namespace korvex::store
