#include "store/Backups.h"

#include "store/Connection.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

#define SQLITE_HAS_CODEC 1
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace korvex::store {

namespace {

constexpr int kKeptNewest = 10;
constexpr int kDailyDays = 30;

const QRegularExpression& backupName() {
    static const QRegularExpression re(QStringLiteral("^Presupuesto-(\\d{8}-\\d{6})(?:-(\\d+))?\\.mdb$"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

std::optional<QDateTime> timeOfName(const QString& name, int* suffix = nullptr) {
    const auto match = backupName().match(name);
    if (!match.hasMatch())
        return std::nullopt;
    const QDateTime taken = QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
    if (!taken.isValid())
        return std::nullopt;
    if (suffix)
        *suffix = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
    return taken;
}

[[noreturn]] void ioFailure(const QString& what, const QString& detail) {
    throw StoreError(
        QStringLiteral("No se pudo hacer el respaldo %1: %2").arg(QDir::toNativeSeparators(what), detail));
}

QString freeName(const QDir& dir, const QDateTime& now) {
    const QString stem = QStringLiteral("Presupuesto-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stem + ".mdb";
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n)
        name = stem + QStringLiteral("-%1.mdb").arg(n);
    return name;
}

// Copies the file behind the connection through its own descriptor while a read transaction keeps
// writers out, into target (a temporary file renamed into place once flushed).
void copyUnderReadTransaction(Connection& connection, const QString& target) {
    sqlite3* db = connection.handle();
    const bool ownTransaction = sqlite3_get_autocommit(db) != 0;
    if (ownTransaction)
        connection.exec(QStringLiteral("BEGIN"));
    try {
        // The first read of the transaction takes the shared lock that keeps writers out.
        connection.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        QSaveFile out(target);
        if (!out.open(QIODevice::WriteOnly))
            ioFailure(target, out.errorString());
        const int fd = connection.fileDescriptor();
        QByteArray buffer(1 << 16, Qt::Uninitialized);
        off_t offset = 0;
        for (;;) {
            const ssize_t n = ::pread(fd, buffer.data(), size_t(buffer.size()), offset);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                ioFailure(target, QString::fromLocal8Bit(std::strerror(errno)));
            }
            if (n == 0)
                break;
            if (out.write(buffer.constData(), n) != n)
                ioFailure(target, out.errorString());
            offset += n;
        }
        if (!out.commit())
            ioFailure(target, out.errorString());
    } catch (...) {
        if (ownTransaction)
            connection.exec(QStringLiteral("COMMIT"));
        throw;
    }
    if (ownTransaction)
        connection.exec(QStringLiteral("COMMIT"));
}

std::optional<int> itemsIn(const QString& path) {
    try {
        Database db = Database::open(path);
        RecordSet rs = db.openRecordSet(QStringLiteral("SELECT Count(*) AS N FROM Presupuesto"));
        const int n = int(rs.number(QStringLiteral("N")));
        rs.close();
        db.close();
        return n;
    } catch (const StoreError&) {
        return std::nullopt;
    }
}

} // namespace

QString backupFolder(const QString& projectFolder) {
    return QDir(projectFolder).filePath(QString::fromLatin1(kBackupFolderName));
}

QString takeBackup(const QString& projectFolder, const QDateTime& now) {
    const auto connection =
        Connection::acquire(projectDatabasePath(projectFolder), passwordOfConnect(kConnectString));
    return takeBackupThrough(*connection, projectFolder, now);
}

QString takeBackupThrough(Connection& connection, const QString& projectFolder, const QDateTime& now) {
    QDir dir(backupFolder(projectFolder));
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        ioFailure(dir.path(), QStringLiteral("no se puede crear la carpeta"));
    const QString name = freeName(dir, now);
    copyUnderReadTransaction(connection, dir.filePath(name));
    thinOutBackups(projectFolder, now);
    return name;
}

QList<BackupInfo> listBackups(const QString& projectFolder, bool countItems) {
    QList<BackupInfo> backups;
    const QDir dir(backupFolder(projectFolder));
    for (const QFileInfo& file : dir.entryInfoList(QDir::Files)) {
        const auto taken = timeOfName(file.fileName());
        if (!taken)
            continue;
        BackupInfo info{file.fileName(), *taken, file.size(), std::nullopt};
        if (countItems)
            info.items = itemsIn(file.absoluteFilePath());
        backups.append(info);
    }
    std::sort(backups.begin(), backups.end(), [](const BackupInfo& a, const BackupInfo& b) {
        if (a.taken != b.taken)
            return a.taken > b.taken;
        int sa = 1;
        int sb = 1;
        timeOfName(a.fileName, &sa);
        timeOfName(b.fileName, &sb);
        return sa > sb;
    });
    return backups;
}

std::optional<QDateTime> newestBackupTime(const QString& projectFolder) {
    const QList<BackupInfo> backups = listBackups(projectFolder);
    if (backups.isEmpty())
        return std::nullopt;
    return backups.first().taken;
}

void thinOutBackups(const QString& projectFolder, const QDateTime& now) {
    const QList<BackupInfo> backups = listBackups(projectFolder);
    QSet<QDate> daysKept;
    const QDate oldestDay = now.date().addDays(-(kDailyDays - 1));
    const QDir dir(backupFolder(projectFolder));
    for (int i = 0; i < backups.size(); ++i) {
        const QDate day = backups[i].taken.date();
        const bool daily = day >= oldestDay && !daysKept.contains(day);
        if (daily)
            daysKept.insert(day);
        if (i < kKeptNewest || daily)
            continue;
        QFile::remove(dir.filePath(backups[i].fileName));
    }
}

QString restoreBackup(const QString& projectFolder, const QString& fileName) {
    const QString source = QDir(backupFolder(projectFolder)).filePath(fileName);
    if (fileName.contains('/') || fileName.contains('\\') || !timeOfName(fileName) ||
        !QFileInfo(source).isFile())
        throw StoreError(QStringLiteral("No existe el respaldo %1").arg(fileName));
    if (!itemsIn(source))
        throw StoreError(QStringLiteral("El respaldo %1 no se puede leer; no se restauró").arg(fileName));
    QString saved;
    if (QFileInfo(projectDatabasePath(projectFolder)).isFile()) {
        try {
            saved = takeBackup(projectFolder);
        } catch (const StoreError&) {
            // A damaged project file cannot be opened to be copied; it is the one being replaced.
            if (itemsIn(projectDatabasePath(projectFolder)))
                throw;
        }
    }
    const QString target = projectDatabasePath(projectFolder);
    QFile in(source);
    QSaveFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        throw StoreError(QStringLiteral("No se pudo restaurar el respaldo %1: %2")
                             .arg(fileName, in.isOpen() ? out.errorString() : in.errorString()));
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty() && in.error() != QFile::NoError)
            throw StoreError(
                QStringLiteral("No se pudo restaurar el respaldo %1: %2").arg(fileName, in.errorString()));
        if (out.write(chunk) != chunk.size())
            throw StoreError(
                QStringLiteral("No se pudo restaurar el respaldo %1: %2").arg(fileName, out.errorString()));
    }
    if (!out.commit())
        throw StoreError(
            QStringLiteral("No se pudo restaurar el respaldo %1: %2").arg(fileName, out.errorString()));
    Connection::forgetUnder(projectFolder);
    return saved;
}

} // namespace korvex::store
