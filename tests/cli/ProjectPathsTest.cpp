// How batch commands find the root and a PROJECT, run from a working directory that holds decoy
// folders of the same names, and the rules on project names and the template.
#include "CommandRun.h"
#include "store/Database.h"
#include "store/ProjectFolders.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using korvex::testing::CommandRun;
using korvex::testing::runCommand;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ProjectPaths : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        previous = QDir::currentPath();
        // The working directory holds a decoy "Solo" that looks like a project.
        QDir().mkpath(work() + "/Solo");
        writeFile(work() + "/Solo/Presupuesto.mdb", "decoy");
        QDir::setCurrent(work());
    }
    void TearDown() override { QDir::setCurrent(previous); }

    QString root() const { return dir.path() + "/raiz"; }
    QString work() const { return dir.path() + "/trabajo"; }
    CommandRun korvex(QStringList args, const QString& input = {}) {
        args.prepend(root());
        args.prepend("--root");
        return runCommand(args, input);
    }

    QTemporaryDir dir;
    QString previous;
};

TEST_F(ProjectPaths, ANameNeverLeavesTheRoot) {
    CommandRun r = korvex({"delete", "Solo", "--yes"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Esta carpeta no contiene ningun Proyecto\n");
    EXPECT_TRUE(QFile::exists(work() + "/Solo/Presupuesto.mdb"));
    EXPECT_EQ(korvex({"sql", "Solo", "SELECT * FROM Grupos"}).code, 1);

    // With a path it is the working directory's folder (and here no project database).
    r = korvex({"sql", "./Solo", "SELECT * FROM Grupos"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(QFile::exists(work() + "/Solo/Presupuesto.mdb"));

    ASSERT_EQ(korvex({"new", "Solo"}).code, 0);
    EXPECT_EQ(korvex({"sql", "Solo", "SELECT Grupo FROM Grupos"}).out, "Grupo\n");
    EXPECT_EQ(korvex({"delete", "Solo", "--yes"}).code, 0);
    EXPECT_FALSE(QFileInfo::exists(root() + "/Solo"));
    EXPECT_TRUE(QFile::exists(work() + "/Solo/Presupuesto.mdb"));

    EXPECT_EQ(korvex::store::projectFolderFromArgument(".oculto", root()), work() + "/.oculto");
    EXPECT_EQ(korvex::store::projectFolderFromArgument("~/x", root()), QDir::homePath() + "/x");
}

TEST_F(ProjectPaths, AnEmptyOrMissingRootIsBadUsage) {
    EXPECT_EQ(runCommand({"--root", "", "list"}).code, 2);
    EXPECT_EQ(runCommand({"--root=", "list"}).code, 2);
    EXPECT_EQ(runCommand({"--root", "list"}).code, 2);
    EXPECT_TRUE(korvex::cli::hasCommand({"--root", ""}));
    qputenv("KORVEX_ROOT", "");
    const CommandRun r = runCommand({"list"});
    qunsetenv("KORVEX_ROOT");
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains("KORVEX_ROOT")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QDir::homePath() + "/Korvex/Solo"));
}

TEST_F(ProjectPaths, NamesDifferingOnlyInCase) {
    ASSERT_EQ(korvex({"new", "Obra"}).code, 0);
    CommandRun r = korvex({"new", "OBRA"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "El PROYECTO OBRA ya existe\n");
    // Found ignoring case when only one folder matches.
    korvex({"sql", "Obra", "INSERT INTO Grupos (Grupo, OrdenGru) VALUES ('G', 1)"});
    EXPECT_EQ(korvex({"sql", "obra", "SELECT Grupo FROM Grupos"}).out, "Grupo\nG\n");
    // Two folders made by other means: the exact name wins, otherwise both are named.
    QDir().mkpath(root() + "/OBRA");
    QFile::copy(root() + "/Obra/Presupuesto.mdb", root() + "/OBRA/Presupuesto.mdb");
    EXPECT_EQ(korvex({"sql", "OBRA", "SELECT Grupo FROM Grupos"}).out, "Grupo\nG\n");
    r = korvex({"sql", "obra", "SELECT Grupo FROM Grupos"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("OBRA y Obra") || r.err.contains("Obra y OBRA")) << r.err.toStdString();

    for (const char* name : {"Linea\nNueva", "Con\tTab"}) {
        r = korvex({"new", name});
        EXPECT_EQ(r.code, 1) << name;
        EXPECT_TRUE(r.err.contains("caracteres de control")) << r.err.toStdString();
    }
}

TEST_F(ProjectPaths, DamagedTemplateIsReplacedByInitAndNeverCopied) {
    ASSERT_EQ(korvex({"init"}).code, 0);
    const QString templatePath = root() + "/Presupuesto.mdb";
    QFile::remove(templatePath);
    writeFile(templatePath, "");
    CommandRun r = korvex({"new", "Obra"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("plantilla")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(root() + "/Obra"));

    r = korvex({"init"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.err.contains("dañada")) << r.err.toStdString();
    EXPECT_EQ(QFileInfo(templatePath + ".dañado").size(), 0);
    ASSERT_EQ(korvex({"new", "Obra"}).code, 0);

    // A template filled on purpose is kept and copied.
    {
        korvex::store::Database db = korvex::store::Database::open(templatePath);
        db.execute("INSERT INTO Proyecto (Proyecto) VALUES ('Cabecera')");
    }
    const QByteArray filled = bytesOf(templatePath);
    EXPECT_EQ(korvex({"init"}).err, "");
    ASSERT_EQ(korvex({"new", "Otra"}).code, 0);
    EXPECT_EQ(korvex({"sql", "Otra", "SELECT Proyecto FROM Proyecto"}).out, "Proyecto\nCabecera\n");
    EXPECT_EQ(bytesOf(templatePath), filled);
}

TEST_F(ProjectPaths, ListShowsOnlyRegularDatabases) {
    ASSERT_EQ(korvex({"new", "Obra"}).code, 0);
    QDir().mkpath(root() + "/Carpeta/Presupuesto.mdb");
    QDir().mkpath(root() + "/Tubo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(root() + "/Tubo/presupuesto.mdb").constData(), 0600), 0);
    EXPECT_EQ(korvex({"list"}).out, "Obra\n");
    EXPECT_EQ(korvex({"sql", "Tubo", "SELECT * FROM Grupos"}).code, 1);
}

#ifdef KORVEX_EXECUTABLE
TEST(Desktop, WithoutADisplayItSaysSoAndExitsOne) {
    QProcess korvex;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    korvex.setProcessEnvironment(env);
    korvex.start(KORVEX_EXECUTABLE, {});
    ASSERT_TRUE(korvex.waitForFinished(60000));
    EXPECT_EQ(korvex.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(korvex.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(korvex.readAllStandardError()).contains("no hay pantalla"));
}
#endif

} // namespace
