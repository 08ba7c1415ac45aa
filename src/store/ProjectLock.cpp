#include "store/ProjectLock.h"

#include "store/WriteGuard.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSaveFile>
#include <QSysInfo>
#include <QTextStream>
#include <QThread>

namespace korvex::store {

namespace {

constexpr auto kBatchBackupAge = std::chrono::minutes(10);

// QLockFile records the process and host; who the holder is and since when go in a note beside
// it, written once the lock is taken.
QString notePath(const QString& folder) {
    return ProjectLock::lockFilePath(folder) + QStringLiteral(".info");
}

const char* kindName(LockHolderKind kind) {
    return kind == LockHolderKind::Desktop ? "escritorio" : "orden";
}

void writeNote(const QString& folder, LockHolderKind kind, const QString& program) {
    QSaveFile note(notePath(folder));
    if (!note.open(QIODevice::WriteOnly))
        return; // the lock holds without it; others then read a generic holder
    QTextStream out(&note);
    out << kindName(kind) << '\n'
        << program << '\n'
        << QDateTime::currentDateTimeUtc().toString(Qt::ISODate) << '\n';
    out.flush();
    note.commit();
}

LockHolder readHolder(const QString& folder, const QLockFile& file) {
    LockHolder holder;
    QString appName;
    file.getLockInfo(&holder.pid, &holder.host, &appName);
    holder.program = QStringLiteral("otro programa");
    holder.since = QFileInfo(ProjectLock::lockFilePath(folder)).lastModified();
    QFile note(notePath(folder));
    if (note.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QStringList lines = QString::fromUtf8(note.readAll()).split('\n');
        if (lines.size() >= 3) {
            holder.kind = lines[0] == QLatin1String(kindName(LockHolderKind::Desktop))
                              ? LockHolderKind::Desktop
                              : LockHolderKind::Batch;
            holder.program = lines[1];
            const QDateTime since = QDateTime::fromString(lines[2], Qt::ISODate);
            if (since.isValid())
                holder.since = since.toLocalTime();
        }
    }
    return holder;
}

} // namespace

QString LockHolder::describe(const QString& projectFolder) const {
    QString who = program;
    QStringList where;
    if (pid > 0)
        where << QStringLiteral("proceso %1").arg(pid);
    if (!host.isEmpty())
        where << QStringLiteral("equipo %1").arg(host);
    if (!where.isEmpty())
        who += QStringLiteral(" (%1)").arg(where.join(", "));
    QString text =
        QStringLiteral("El proyecto «%1» está en uso por %2").arg(QDir(projectFolder).dirName(), who);
    if (since.isValid())
        text += QStringLiteral(" desde el %1").arg(since.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")));
    return text + '.';
}

QString ProjectLock::lockFilePath(const QString& projectFolder) {
    return QDir(projectFolder).filePath(QStringLiteral("Presupuesto.lock"));
}

ProjectLock::ProjectLock(QString folder, LockHolderKind kind, std::unique_ptr<QLockFile> file)
    : folder_(std::move(folder)), kind_(kind), file_(std::move(file)) {}

ProjectLock::~ProjectLock() {
    cancelBackupBeforeWrite(folder_);
    QFile::remove(notePath(folder_));
    file_->unlock();
}

ProjectLock::Attempt ProjectLock::forDesktop(const QString& projectFolder) {
    return attempt(projectFolder, LockHolderKind::Desktop, QStringLiteral("el programa Korvex"),
                   std::chrono::milliseconds(0));
}

ProjectLock::Attempt ProjectLock::forBatch(const QString& projectFolder, const QString& command,
                                           std::chrono::milliseconds batchWait) {
    return attempt(projectFolder, LockHolderKind::Batch, QStringLiteral("la orden korvex ") + command,
                   batchWait);
}

ProjectLock::Attempt ProjectLock::attempt(const QString& folder, LockHolderKind kind, const QString& program,
                                          std::chrono::milliseconds batchWait) {
    auto file = std::make_unique<QLockFile>(lockFilePath(folder));
    // Held for as long as the project stays open: only a dead holder makes a lock stale, never age.
    file->setStaleLockTime(0);
    QDeadlineTimer deadline(batchWait);
    Attempt result;
    for (;;) {
        if (file->tryLock(0)) {
            writeNote(folder, kind, program);
            backUpBeforeNextWrite(folder,
                                  kind == LockHolderKind::Desktop
                                      ? std::chrono::seconds(0)
                                      : std::chrono::duration_cast<std::chrono::seconds>(kBatchBackupAge));
            result.status = Status::Taken;
            result.lock.reset(new ProjectLock(folder, kind, std::move(file)));
            return result;
        }
        if (file->error() != QLockFile::LockFailedError) {
            result.status = Status::Unavailable;
            result.message = QStringLiteral("No se puede crear el bloqueo del proyecto en la carpeta %1")
                                 .arg(QDir::toNativeSeparators(folder));
            return result;
        }
        result.holder = readHolder(folder, *file);
        const bool wait = kind == LockHolderKind::Batch && result.holder.kind == LockHolderKind::Batch;
        if (!wait || deadline.hasExpired())
            break;
        QThread::msleep(100);
    }
    result.status = Status::Held;
    result.message = result.holder.describe(folder);
    return result;
}

} // namespace korvex::store
