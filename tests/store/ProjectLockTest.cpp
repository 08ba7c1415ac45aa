// The project lock, read-only projects and backups, on projects in a temporary root.
#include "store/ProjectLock.h"

#include "TestProject.h"
#include "store/Backups.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"
#include "store/WriteGuard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace korvex;
using korvex::store::ProjectLock;

namespace {

int itemCount(store::Database& db) {
    auto rs = db.openRecordSet("SELECT Count(*) AS N FROM Presupuesto");
    return int(rs.number("N"));
}

void addItem(store::Database& db, const QString& code) {
    db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres, CantidadPres) VALUES (?, "
               "'1', 'x', 1)",
               {code});
}

QStringList backupNames(const QString& folder) {
    QStringList names;
    for (const store::BackupInfo& b : store::listBackups(folder))
        names << b.fileName;
    return names;
}

} // namespace

TEST(ProjectLock, OneHolderAtATimeAndADeadHoldersLockIsTakenOver) {
    korvex::testing::TempRoot root;
    const QString folder = root.newProject("Obra");

    auto desktop = ProjectLock::forDesktop(folder);
    ASSERT_EQ(desktop.status, ProjectLock::Status::Taken) << desktop.message.toStdString();
    const auto second = ProjectLock::forDesktop(folder);
    EXPECT_EQ(second.status, ProjectLock::Status::Held);
    EXPECT_TRUE(second.message.startsWith("El proyecto «Obra» está en uso por el programa Korvex (proceso "))
        << second.message.toStdString();
    EXPECT_TRUE(second.message.contains(" desde el ")) << second.message.toStdString();

    // A batch writer does not wait for a desktop holder.
    const auto start = std::chrono::steady_clock::now();
    const auto batch = ProjectLock::forBatch(folder, "reprice", std::chrono::seconds(5));
    EXPECT_EQ(batch.status, ProjectLock::Status::Held);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    desktop.lock.reset();
    EXPECT_EQ(ProjectLock::forBatch(folder, "reprice").status, ProjectLock::Status::Taken);

    // A process that dies holding the lock leaves its file behind; the next one takes it over.
    const pid_t child = fork();
    if (child == 0) {
        auto held = ProjectLock::forBatch(folder, "reprice", std::chrono::milliseconds(0));
        _exit(held.status == ProjectLock::Status::Taken ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(QFile::exists(ProjectLock::lockFilePath(folder)));
    EXPECT_EQ(ProjectLock::forDesktop(folder).status, ProjectLock::Status::Taken);
}

TEST(ProjectLock, ABatchWriterWaitsForAnotherAndAFolderWithoutRightsCannotBeLocked) {
    korvex::testing::TempRoot root;
    const QString folder = root.newProject("Obra");
    auto first = ProjectLock::forBatch(folder, "reprice");
    ASSERT_EQ(first.status, ProjectLock::Status::Taken);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        first.lock.reset();
    });
    const auto second = ProjectLock::forBatch(folder, "import-prices", std::chrono::seconds(10));
    release.join();
    EXPECT_EQ(second.status, ProjectLock::Status::Taken);
    const auto third = ProjectLock::forBatch(folder, "copy-items", std::chrono::milliseconds(300));
    EXPECT_EQ(third.status, ProjectLock::Status::Held);
    EXPECT_TRUE(third.message.contains("la orden korvex import-prices")) << third.message.toStdString();

    if (::geteuid() != 0) {
        const QString closed = root.newProject("Cerrada");
        QFile::setPermissions(closed, QFile::ReadOwner | QFile::ExeOwner);
        const auto attempt = ProjectLock::forDesktop(closed);
        QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(attempt.status, ProjectLock::Status::Unavailable);
        EXPECT_TRUE(attempt.message.startsWith("No se puede crear el bloqueo del proyecto"));
    }
}

TEST(ReadOnlyProject, RefusesUserDataAndStillRefreshesDerivedTables) {
    korvex::testing::TempRoot root;
    const QString folder = root.newProject("Obra");
    store::Database db = root.open(folder);
    addItem(db, "A1");
    store::setReadOnly(folder, true);
    try {
        addItem(db, "A2");
        ADD_FAILURE() << "a read-only project took an item";
    } catch (const store::StoreError& e) {
        EXPECT_EQ(e.message(), store::readOnlyMessage());
    }
    EXPECT_THROW(db.execute("DELETE * FROM Materiales"), store::StoreError);
    auto items = db.openRecordSet("SELECT * FROM Presupuesto");
    items.edit();
    items.setValue("TotalPres", 12.5);
    EXPECT_NO_THROW(items.update());
    items.edit();
    items.setValue("CantidadPres", 3);
    EXPECT_THROW(items.update(), store::StoreError);
    EXPECT_NO_THROW(db.execute("DELETE * FROM InfoAnalisis"));
    store::setReadOnly(folder, false);
    EXPECT_EQ(itemCount(db), 1);
}

TEST(Backups, TakenBeforeTheFirstUserWriteNamedByTimeAndThinnedOut) {
    korvex::testing::TempRoot root;
    const QString folder = root.newProject("Obra");
    store::Database db = root.open(folder);
    addItem(db, "A1");
    EXPECT_TRUE(backupNames(folder).isEmpty()); // nobody asked for one

    // The desktop asks for a backup before its first user write; derived writes do not take one.
    store::backUpBeforeNextWrite(folder, std::chrono::seconds(0));
    db.execute("DELETE * FROM InfoAnalisis");
    EXPECT_TRUE(backupNames(folder).isEmpty());
    {
        store::Transaction t(db);
        addItem(db, "A2");
        addItem(db, "A3");
        t.commit();
    }
    const QList<store::BackupInfo> one = store::listBackups(folder, true);
    ASSERT_EQ(one.size(), 1);
    EXPECT_TRUE(one[0].fileName.startsWith("Presupuesto-")) << one[0].fileName.toStdString();
    EXPECT_EQ(one[0].items, 1); // as it was before the transaction
    EXPECT_EQ(one[0].size, QFileInfo(store::projectDatabasePath(folder)).size());
    addItem(db, "A4");
    EXPECT_EQ(backupNames(folder).size(), 1); // once

    // A batch writer's backup only when the newest is older than its age.
    store::backUpBeforeNextWrite(folder, std::chrono::seconds(600));
    addItem(db, "A5");
    EXPECT_EQ(backupNames(folder).size(), 1);

    const QDateTime noon(QDate(2026, 3, 10), QTime(12, 0, 0));
    EXPECT_EQ(store::takeBackup(folder, noon), "Presupuesto-20260310-120000.mdb");
    EXPECT_EQ(store::takeBackup(folder, noon), "Presupuesto-20260310-120000-2.mdb");
    EXPECT_EQ(store::takeBackup(folder, noon), "Presupuesto-20260310-120000-3.mdb");
    EXPECT_EQ(backupNames(folder).mid(1, 3),
              QStringList({"Presupuesto-20260310-120000-3.mdb", "Presupuesto-20260310-120000-2.mdb",
                           "Presupuesto-20260310-120000.mdb"}));

    // Thinning: the last ten, and the newest of each of the last thirty days.
    korvex::testing::TempRoot other;
    const QString many = other.newProject("Muchos");
    const QDateTime now(QDate(2026, 6, 30), QTime(18, 0, 0));
    for (int day = 40; day >= 1; --day)
        for (int hour : {9, 15})
            store::takeBackup(many, now.addDays(-day).addSecs((hour - 18) * 3600));
    for (int i = 0; i < 12; ++i)
        store::takeBackup(many, now.addSecs(-60 * (12 - i)));
    const QList<store::BackupInfo> kept = store::listBackups(many);
    // 10 of today, then the 15:00 of each of the 29 days before within thirty days.
    ASSERT_EQ(kept.size(), 10 + 29);
    EXPECT_EQ(kept.last().taken, QDateTime(QDate(2026, 6, 1), QTime(15, 0, 0)));
    EXPECT_EQ(kept[10].taken, QDateTime(QDate(2026, 6, 29), QTime(15, 0, 0)));
}

TEST(Backups, RestorePutsACopyBackAndADamagedFileNamesTheNewest) {
    korvex::testing::FailureGuard guard;
    korvex::testing::TempRoot root;
    const QString folder = root.newProject("Obra");
    {
        store::Database db = root.open(folder);
        addItem(db, "A1");
        store::backUpBeforeNextWrite(folder, std::chrono::seconds(0));
        // A save that fails part-way: the backup taken before it holds the data as they were.
        korvex::store::testing::failAfterWrites(1);
        try {
            store::Transaction t(db);
            db.execute("DELETE * FROM Presupuesto");
            addItem(db, "B1");
            t.commit();
        } catch (const store::StoreError&) {
        }
        korvex::store::testing::failAfterWrites(-1);
        db.execute("DELETE * FROM Presupuesto");
        EXPECT_EQ(itemCount(db), 0);
    }
    const QString before = backupNames(folder).first();
    const QString saved = store::restoreBackup(folder, before);
    EXPECT_NE(saved, before);
    EXPECT_EQ(backupNames(folder).size(), 2);
    store::Database db = root.open(folder);
    EXPECT_EQ(itemCount(db), 1);
    EXPECT_THROW(store::restoreBackup(folder, "../Presupuesto.mdb"), store::StoreError);
    EXPECT_THROW(store::restoreBackup(folder, "Presupuesto-20990101-000000.mdb"), store::StoreError);
    db.close();

    // A damaged file (a new one in its place, as a failed copy would leave) names the newest backup.
    ASSERT_TRUE(QFile::remove(store::projectDatabasePath(folder)));
    QFile file(store::projectDatabasePath(folder));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    try {
        store::Database::openProject(folder);
        ADD_FAILURE() << "a damaged file opened";
    } catch (const store::StoreError& e) {
        EXPECT_TRUE(e.message().endsWith(
            "Respaldo más reciente: " +
            QDir::toNativeSeparators(store::backupFolder(folder) + "/" + backupNames(folder).first())))
            << e.message().toStdString();
    }
    // And it can still be restored, without a backup of the damaged file.
    EXPECT_EQ(store::restoreBackup(folder, before), QString());
    EXPECT_EQ(itemCount(*std::make_unique<store::Database>(store::Database::openProject(folder))), 1);
}
