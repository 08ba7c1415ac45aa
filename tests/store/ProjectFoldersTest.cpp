// The root folder, and opening, creating and deleting project folders with their messages.
#include "store/ProjectFolders.h"

#include "TestProject.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace store = korvex::store;
using korvex::testing::TempRoot;

namespace {

const QString kOpenRefused = "La Carpeta seleccionada NO contiene ningun proyecto";
const QString kDeleteRefused = "Esta carpeta no contiene ningun Proyecto";

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes = "x") {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(RootFolder, IsLaidOutWithTemplateAndShippedFiles) {
    QTemporaryDir dir;
    const QString root = dir.path() + "/Korvex";
    store::layOutRootFolder(root);
    EXPECT_TRUE(QFile::exists(root + "/Presupuesto.mdb"));
    EXPECT_TRUE(QFile::exists(root + "/KORVEX.hlp"));
    EXPECT_TRUE(QFileInfo(root + "/Reportes").isDir());
    EXPECT_FALSE(QFile::exists(root + "/Reportes/.keep"));

    // Every table of the template is empty, the schema version is recorded.
    store::Database db = store::Database::open(store::templateDatabasePath(root));
    for (const char* table : {"Proyecto", "Presupuesto", "Materiales", "Maquinaria", "ManoObra", "Transporte",
                              "Grupos", "DetalleGrupo", "Crono", "Crono2", "Crono3", "CronoValores",
                              "SimbolosMat", "SimbolosDesc", "InfoAnalisis"})
        EXPECT_EQ(db.openRecordSet(QString("SELECT * FROM ") + table).recordCount(), 0) << table;
    db.close();

    // Laying out again keeps what is there.
    writeFile(root + "/KORVEX.hlp", "ayuda propia");
    const QByteArray templateBytes = bytesOf(root + "/Presupuesto.mdb");
    store::layOutRootFolder(root);
    EXPECT_EQ(bytesOf(root + "/KORVEX.hlp"), "ayuda propia");
    EXPECT_EQ(bytesOf(root + "/Presupuesto.mdb"), templateBytes);

    EXPECT_EQ(store::resolveRootFolder(dir.path() + "/x/../Korvex/"), root);
    qputenv("KORVEX_ROOT", root.toUtf8());
    EXPECT_EQ(store::resolveRootFolder(), root);
    qunsetenv("KORVEX_ROOT");
    EXPECT_EQ(store::resolveRootFolder(), QDir::homePath() + "/Korvex");
}

TEST(ProjectFolders, OpenRefusesTheRootAndFoldersWithoutDatabase) {
    TempRoot root;
    const QString project = root.newProject("Obra");
    EXPECT_TRUE(store::checkOpenProject(project, root.root()).ok);
    for (const QString& folder :
         {root.root(), root.root() + "/", root.root().toUpper(), project + "/sub", QString()}) {
        QDir().mkpath(project + "/sub");
        const auto r = store::checkOpenProject(folder, root.root());
        EXPECT_FALSE(r.ok) << folder.toStdString();
        EXPECT_EQ(r.message, kOpenRefused);
        EXPECT_EQ(r.title, "Error");
    }
    // The file name is found in any letter case.
    const QString other = root.root() + "/Otra";
    QDir().mkpath(other);
    QFile::copy(store::templateDatabasePath(root.root()), other + "/PRESUPUESTO.MDB");
    EXPECT_TRUE(store::isProjectFolder(other));
    EXPECT_TRUE(store::checkOpenProject(other, root.root()).ok);
    EXPECT_NO_THROW(store::Database::openProject(other));
}

TEST(ProjectFolders, CreateCopiesTheTemplate) {
    TempRoot root;
    const auto made = store::createProject(root.root(), "  Obra Norte ", root.root());
    ASSERT_TRUE(made.ok) << made.message.toStdString();
    EXPECT_EQ(made.path, root.root() + "/Obra Norte");
    EXPECT_EQ(bytesOf(made.path + "/Presupuesto.mdb"), bytesOf(store::templateDatabasePath(root.root())));

    auto r = store::createProject(root.root(), " Obra Norte", root.root());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "El PROYECTO  Obra Norte ya existe");
    EXPECT_EQ(r.title, "Advertencia");

    writeFile(root.root() + "/archivo");
    r = store::createProject(root.root(), "archivo", root.root());
    EXPECT_EQ(r.message, "El PROYECTO archivo ya existe");

    for (const QString& empty : {QString(), QString("   ")}) {
        r = store::createProject(root.root(), empty, root.root());
        EXPECT_EQ(r.message, "Debe escribir un NOMBRE para el PROYECTO");
        EXPECT_EQ(r.title, "Advertencia");
    }
    // Names the file system refuses give its message and leave nothing behind.
    r = store::createProject(root.root(), QString(300, 'n'), root.root());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Nombre de archivo demasiado largo");
    EXPECT_EQ(r.title, "");
    r = store::createProject(root.root(), "../fuera", root.root());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(root.root()).path() + "/fuera"));
    r = store::createProject(root.root() + "/no/existe", "Obra", root.root());
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());

    // Inside another folder than the root.
    QDir().mkpath(root.root() + "/Clientes");
    r = store::createProject(root.root() + "/Clientes", "Casa", root.root());
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(store::isProjectFolder(root.root() + "/Clientes/Casa"));
    EXPECT_EQ(store::listProjects(root.root()), QStringList({"Obra Norte"}));
}

TEST(ProjectFolders, DeleteRefusals) {
    TempRoot root;
    const QString project = root.newProject("Obra");
    QDir().mkpath(project + "/sub");
    QDir().mkpath(root.root() + "/Vacia");
    const QStringList refused =
        QStringList{
            root.root(),      root.root() + "/",      root.root().toUpper(), root.root() + "/.",
            project + "/sub", root.root() + "/Vacia", QDir::homePath(),      QFileInfo(root.root()).path()} +
        QStringList{"/", "/tmp", "/usr", "/etc", "/var", "/home", "C:\\Windows", "c:\\program files", ""};
    for (const QString& folder : refused) {
        const auto check = store::checkDeleteProject(folder, root.root());
        EXPECT_FALSE(check.ok) << folder.toStdString();
        EXPECT_EQ(check.message, kDeleteRefused);
        EXPECT_EQ(check.title, "");
        EXPECT_FALSE(store::deleteProject(folder, root.root()).ok);
    }
    // The root still holds its template even though it holds a "Presupuesto.mdb".
    EXPECT_TRUE(QFile::exists(store::templateDatabasePath(root.root())));
    EXPECT_TRUE(store::isProjectFolder(project));
    EXPECT_EQ(store::deleteQuestion(project), "Esta seguro que desea eliminar el Proyecto " + project);
}

TEST(ProjectFolders, DeleteRemovesEverythingButNeverFollowsLinks) {
    TempRoot root;
    const QString project = root.newProject("Obra");
    QTemporaryDir outside;
    writeFile(outside.path() + "/precioso.txt");
    QDir().mkpath(project + "/fotos/viejas");
    writeFile(project + "/fotos/viejas/a.jpg");
    writeFile(project + "/solo lectura.txt");
    QFile::setPermissions(project + "/solo lectura.txt", QFileDevice::ReadOwner);
    QFile::setPermissions(project + "/fotos/viejas", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(
        ::symlink(outside.path().toLocal8Bit().constData(), (project + "/enlace").toLocal8Bit().constData()),
        0);
    ASSERT_EQ(::symlink((outside.path() + "/precioso.txt").toLocal8Bit().constData(),
                        (project + "/fotos/archivo").toLocal8Bit().constData()),
              0);
    store::Database open = root.open(project); // a window still holds a handle

    const auto r = store::deleteProject(project, root.root());
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(project));
    EXPECT_TRUE(QFile::exists(outside.path() + "/precioso.txt"));
    EXPECT_TRUE(store::listProjects(root.root()).isEmpty());

    // A project folder reached through a link: the link goes, the folder it names stays.
    const QString real = root.newProject("Real");
    const QString link = root.root() + "/Enlace";
    ASSERT_EQ(::symlink(real.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    ASSERT_TRUE(store::deleteProject(link, root.root()).ok);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(store::isProjectFolder(real));
}

TEST(ProjectFolders, ListAndArguments) {
    TempRoot root;
    root.newProject("beta");
    root.newProject("Alfa");
    QDir().mkpath(root.root() + "/Reportes/x");
    EXPECT_EQ(store::listProjects(root.root()), QStringList({"Alfa", "beta"}));
    EXPECT_EQ(store::projectFolderFromArgument("Alfa", root.root()), root.root() + "/Alfa");
    EXPECT_EQ(store::projectFolderFromArgument(root.root() + "/beta/", root.root()), root.root() + "/beta");
    EXPECT_EQ(store::projectFolderFromArgument("Nueva", root.root()), root.root() + "/Nueva");
    EXPECT_TRUE(store::samePath("C:\\Korvex\\", "c:/KORVEX"));
    EXPECT_FALSE(store::samePath("C:\\Korvex\\Obra", "c:/KORVEX"));
}

} // namespace
