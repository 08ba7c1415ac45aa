// Batch writers and the project lock: refused while the desktop program holds a project, one after
// the other among themselves; and the backup commands.
#include "AnalysisFixture.h"
#include "CommandRun.h"
#include "store/Backups.h"
#include "store/ProjectLock.h"

#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using namespace korvex;
using korvex::testing::AnalysisProject;
using korvex::testing::CommandRun;
using korvex::testing::runCommand;

namespace {

class Writers : public ::testing::Test {
protected:
    void SetUp() override {
        p.setHeader(20, 0, true);
        p.addItem("C1", "1", "Hormigón simple");
        p.addLabour("C1", "1", "Peón", "E2", 1, 1, 100);
    }
    CommandRun run(const QStringList& args, const QString& input = {}) {
        return runCommand(QStringList{"--root", p.root.root()} + args, input);
    }
    QStringList wages() { return p.all("ManoObra", {"SalarioMan"}); }

    AnalysisProject p;
};

} // namespace

TEST_F(Writers, RefusedAtOnceWhileTheDesktopHoldsTheProjectReadersStillRun) {
    auto desktop = store::ProjectLock::forDesktop(p.folder);
    ASSERT_EQ(desktop.status, store::ProjectLock::Status::Taken);
    for (const QStringList& args :
         {QStringList{"reprice", p.folder, "mano", "10"},
          QStringList{"sql", p.folder, "DELETE * FROM ManoObra"},
          QStringList{"restore", p.folder, "Presupuesto-20260101-000000.mdb", "--yes"},
          QStringList{"delete", p.folder, "--yes"}}) {
        const CommandRun refused = run(args);
        EXPECT_EQ(refused.code, 1) << args.join(' ').toStdString();
        EXPECT_TRUE(refused.err.startsWith("El proyecto «Analisis» está en uso por el programa Korvex"))
            << refused.err.toStdString();
    }
    EXPECT_EQ(wages(), QStringList({"100"}));
    EXPECT_EQ(run({"lists", p.folder, "mano"}).code, 0);
    EXPECT_EQ(run({"recalc", p.folder}).code, 0);
    EXPECT_EQ(run({"sql", p.folder, "SELECT * FROM ManoObra"}).code, 0);
    desktop.lock.reset();
    EXPECT_EQ(run({"reprice", p.folder, "mano", "10"}).code, 0);
    EXPECT_EQ(wages(), QStringList({"110"}));
}

TEST_F(Writers, TwoRepricesStartedTogetherBothApply) {
    p.db.close();
    // Both processes find the lock taken and wait; each then applies its own 10 %.
    auto first = store::ProjectLock::forBatch(p.folder, "prueba");
    ASSERT_EQ(first.status, store::ProjectLock::Status::Taken);
    QProcess a, b;
    for (QProcess* process : {&a, &b}) {
        process->start(KORVEX_EXECUTABLE, {"--root", p.root.root(), "reprice", p.folder, "mano", "10"});
        ASSERT_TRUE(process->waitForStarted());
    }
    QThread::msleep(800);
    first.lock.reset();
    for (QProcess* process : {&a, &b}) {
        ASSERT_TRUE(process->waitForFinished(60000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    p.db = p.root.open(p.folder);
    EXPECT_EQ(wages(), QStringList({"121"}));
    // The first writer backed the project up; the second found a recent backup.
    EXPECT_EQ(store::listBackups(p.folder).size(), 1);
}

TEST_F(Writers, BackupsListedNewestFirstAndRestored) {
    store::takeBackup(p.folder, QDateTime(QDate(2026, 3, 1), QTime(8, 0, 0)));
    p.addItem("C1", "2", "Enlucido");
    store::takeBackup(p.folder, QDateTime(QDate(2026, 3, 2), QTime(9, 30, 5)));
    const CommandRun list = run({"backups", p.folder});
    EXPECT_EQ(list.code, 0) << list.err.toStdString();
    const QStringList lines = list.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("Presupuesto-20260302-093005.mdb\t2026-03-02 09:30:05\t"));
    EXPECT_TRUE(lines[0].endsWith("\t2"));
    EXPECT_TRUE(lines[1].startsWith("Presupuesto-20260301-080000.mdb\t2026-03-01 08:00:00\t"));
    EXPECT_TRUE(lines[1].endsWith("\t1"));

    EXPECT_EQ(run({"restore", p.folder, "Presupuesto-20260301-080000.mdb"}).code, 2); // without --yes
    p.db.close();
    const CommandRun restored = run({"restore", p.folder, "Presupuesto-20260301-080000.mdb", "--yes"});
    EXPECT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_TRUE(restored.out.startsWith("Restaurado Presupuesto-20260301-080000.mdb\n"));
    p.db = p.root.open(p.folder);
    EXPECT_EQ(p.all("Presupuesto", {"ItemPres"}), QStringList({"1"}));
    EXPECT_EQ(run({"backups", p.folder}).out.split('\n', Qt::SkipEmptyParts).size(), 3);
    const CommandRun unknown = run({"restore", p.folder, "Presupuesto-20990101-000000.mdb", "--yes"});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.err, "No existe el respaldo Presupuesto-20990101-000000.mdb\n");

    const CommandRun open = run({"open", "NoExiste"});
    EXPECT_EQ(open.code, 1);
    EXPECT_EQ(run({"open"}).code, 2);
}
