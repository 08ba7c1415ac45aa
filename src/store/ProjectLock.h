#pragma once
// One writer per project. Whoever writes user data into a project holds its lock, a QLockFile in
// the project folder that records the holder's process, host and start; a lock left by a process
// that died is taken over. The desktop program holds it while a project is open in it; a batch
// command that writes holds it for its own length and, finding another batch command there,
// waits for it a while instead of failing.

#include <QDateTime>
#include <QString>
#include <chrono>
#include <memory>

class QLockFile;

namespace korvex::store {

enum class LockHolderKind { Desktop, Batch };

// Who holds a project's lock, as far as the lock file tells.
struct LockHolder {
    LockHolderKind kind = LockHolderKind::Batch;
    QString program; // "el programa Korvex", "la orden korvex reprice"
    qint64 pid = 0;
    QString host;
    QDateTime since;
    // "El proyecto «Obra» está en uso por el programa Korvex (proceso 123, equipo host) desde el
    // 08/12/2026 07:31:02."
    QString describe(const QString& projectFolder) const;
};

class ProjectLock {
public:
    enum class Status { Taken, Held, Unavailable };

    struct Attempt {
        Status status = Status::Unavailable;
        std::unique_ptr<ProjectLock> lock; // when Taken
        LockHolder holder;                 // when Held
        QString message;                   // Spanish, when Held or Unavailable
    };

    // The desktop program: one try. program is how others see the holder.
    static Attempt forDesktop(const QString& projectFolder);
    // A batch command that writes: refused at once by a desktop holder; a batch holder is waited
    // for up to batchWait.
    static Attempt forBatch(const QString& projectFolder, const QString& command,
                            std::chrono::milliseconds batchWait = std::chrono::seconds(30));

    ~ProjectLock();
    ProjectLock(const ProjectLock&) = delete;
    ProjectLock& operator=(const ProjectLock&) = delete;

    QString projectFolder() const { return folder_; }
    LockHolderKind kind() const { return kind_; }

    static QString lockFilePath(const QString& projectFolder);

private:
    ProjectLock(QString folder, LockHolderKind kind, std::unique_ptr<QLockFile> file);
    static Attempt attempt(const QString& folder, LockHolderKind kind, const QString& program,
                           std::chrono::milliseconds batchWait);

    QString folder_;
    LockHolderKind kind_;
    std::unique_ptr<QLockFile> file_;
};

} // namespace korvex::store
