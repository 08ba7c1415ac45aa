#include "store/WriteGuard.h"

#include "store/Backups.h"
#include "store/Connection.h"
#include "store/Database.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <mutex>

namespace korvex::store {

namespace {

struct Policies {
    std::mutex mutex;
    QSet<QString> readOnly;
    QHash<QString, std::chrono::seconds> backupDue; // folder -> minimum age of the newest backup
};

Policies& policies() {
    static Policies* p = new Policies;
    return *p;
}

bool sameName(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

} // namespace

QString folderKey(const QString& projectFolder) {
    const QFileInfo info(projectFolder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool isDerivedWrite(const QString& table, const QStringList& writtenFields) {
    for (const char* derived : {"InfoAnalisis", "Crono", "Crono2", "Crono3", "SimbolosDesc"})
        if (sameName(table, derived))
            return true;
    if (!sameName(table, "Presupuesto") || writtenFields.isEmpty())
        return false;
    return std::all_of(writtenFields.begin(), writtenFields.end(),
                       [](const QString& f) { return sameName(f, "TotalPres"); });
}

QString readOnlyMessage() {
    return QStringLiteral("El proyecto está abierto en modo de solo lectura; no se grabó ningún cambio");
}

void setReadOnly(const QString& projectFolder, bool readOnly) {
    Policies& p = policies();
    std::lock_guard lock(p.mutex);
    if (readOnly)
        p.readOnly.insert(folderKey(projectFolder));
    else
        p.readOnly.remove(folderKey(projectFolder));
}

bool isReadOnly(const QString& projectFolder) {
    if (projectFolder.trimmed().isEmpty())
        return false;
    Policies& p = policies();
    std::lock_guard lock(p.mutex);
    return p.readOnly.contains(folderKey(projectFolder));
}

void backUpBeforeNextWrite(const QString& projectFolder, std::chrono::seconds minimumAge) {
    Policies& p = policies();
    std::lock_guard lock(p.mutex);
    p.backupDue.insert(folderKey(projectFolder), minimumAge);
}

void cancelBackupBeforeWrite(const QString& projectFolder) {
    Policies& p = policies();
    std::lock_guard lock(p.mutex);
    p.backupDue.remove(folderKey(projectFolder));
}

void beforeWrite(Connection& connection, const QString& table, const QStringList& writtenFields) {
    if (isDerivedWrite(table, writtenFields))
        return;
    const QString folder = QFileInfo(connection.path()).absolutePath();
    std::optional<std::chrono::seconds> minimumAge;
    {
        Policies& p = policies();
        std::lock_guard lock(p.mutex);
        if (p.readOnly.contains(folder))
            throw StoreError(readOnlyMessage());
        const auto due = p.backupDue.constFind(folder);
        if (due != p.backupDue.constEnd())
            minimumAge = *due;
    }
    if (!minimumAge)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const auto newest = newestBackupTime(folder);
    if (!newest || newest->secsTo(now) >= minimumAge->count())
        takeBackupThrough(connection, folder, now);
    cancelBackupBeforeWrite(folder);
}

} // namespace korvex::store
