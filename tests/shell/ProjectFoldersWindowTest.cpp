#include "ShellFixture.h"
#include "shell/frmNuevaCarpeta.h"
#include "store/ProjectFolders.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

using namespace korvex;
using korvex::testing::ShellTest;

TEST_F(ShellTest, OpeningRefusesTheRootAndFoldersWithoutAProject) {
    principal->openSelectedFolder(); // the root holds the template, but is no project
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.lastText(), "La Carpeta seleccionada NO contiene ningun proyecto");
    EXPECT_EQ(messages.lastTitle(), "Error");
    EXPECT_TRUE(principal->modoAbrir());

    const QString plain = QDir(temp.root()).filePath("Documentos");
    QDir().mkpath(plain);
    ASSERT_TRUE(dir1()->setPath(plain));
    button("cmdAbrir")->setFocus();
    QTest::keyClick(dir1(), Qt::Key_F3);
    EXPECT_EQ(messages.count(), 2);
    EXPECT_TRUE(principal->modoAbrir());
    EXPECT_TRUE(dir1()->hasFocus());
    EXPECT_TRUE(dir1()->isEnabled());
}

TEST_F(ShellTest, EnterOpensTheHighlightedFolderAndClosingReturnsToTheRoot) {
    const QString project = temp.newProject("Edificio Central");
    dir1()->refresh();
    ASSERT_TRUE(dir1()->highlight(project));
    EXPECT_TRUE(store::samePath(dir1()->path(), temp.root())); // highlighting is not moving
    dir1()->setFocus();
    QTest::keyClick(dir1(), Qt::Key_Return);

    EXPECT_EQ(messages.count(), 0);
    EXPECT_FALSE(principal->modoAbrir());
    EXPECT_TRUE(store::samePath(principal->currentFolder(), project));
    EXPECT_EQ(principal->openProjectName(), "Edificio Central");
    EXPECT_TRUE(principal->findChild<QLabel*>("lblProyecto")->text().contains("Edificio Central"));
    for (const char* name : {"cmdCrear", "cmdBorrar", "Dir1", "Drive1"})
        EXPECT_FALSE(principal->findChild<QWidget*>(name)->isEnabled()) << name;
    EXPECT_TRUE(store::samePath(principal->context().projectFolder, project));

    QTest::mouseClick(button("cmdAbrir"), Qt::LeftButton); // now "Cerrar Proyecto (F3)"
    EXPECT_TRUE(principal->modoAbrir());
    EXPECT_TRUE(store::samePath(dir1()->path(), temp.root()));
    EXPECT_TRUE(store::samePath(principal->currentFolder(), temp.root()));
    EXPECT_EQ(button("cmdAbrir")->text(), "Abrir Proyecto (F3)");
    EXPECT_TRUE(dir1()->isEnabled());
    EXPECT_TRUE(dir1()->hasFocus());

    // F3 opens from the folder list and closes from the tab strip.
    ASSERT_TRUE(dir1()->setPath(project));
    QTest::keyClick(dir1(), Qt::Key_F3);
    EXPECT_FALSE(principal->modoAbrir());
    QTest::keyClick(principal->tabStrip(), Qt::Key_F3);
    EXPECT_TRUE(principal->modoAbrir());
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(ShellTest, NewProjectDialogRefusesEmptyAndUsedNamesAndTrimsBlanks) {
    QFile used(QDir(temp.root()).filePath("Ocupado"));
    ASSERT_TRUE(used.open(QIODevice::WriteOnly));
    used.close();

    shell::frmNuevaCarpeta dialog(temp.root(), temp.root());
    EXPECT_EQ(dialog.windowTitle(), "Nuevo Proyecto");
    EXPECT_TRUE(
        dialog.findChild<QLabel*>("lblUbicacion")->text().startsWith("Su nuevo proyecto sera creado en "));
    dialog.show();
    QLineEdit* name = dialog.nameEdit();
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(messages.lastText(), "Debe escribir un NOMBRE para el PROYECTO");
    EXPECT_EQ(messages.lastTitle(), "Advertencia");
    EXPECT_TRUE(dialog.isVisible());

    QTest::keyClicks(name, " Ocupado ");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(messages.lastText(), "El PROYECTO  Ocupado  ya existe");
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_TRUE(dialog.isVisible());

    QTest::keyClicks(name, "  Puente Norte  ");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(store::isProjectFolder(QDir(temp.root()).filePath("Puente Norte")));
    EXPECT_EQ(QFileInfo(dialog.createdFolder()).fileName(), "Puente Norte");
    EXPECT_EQ(messages.count(), 2);
}

TEST_F(ShellTest, CreatingFromTheMainWindowListsTheNewFolderUnopened) {
    onNextModal([](QWidget* modal) {
        EXPECT_EQ(modal->objectName(), "frmNuevaCarpeta");
        auto* name = modal->findChild<QLineEdit*>("txtNuevaCarpeta");
        QTest::keyClicks(name, "Escuela");
        QTest::mouseClick(modal->findChild<QPushButton*>("cmdAceptar"), Qt::LeftButton);
    });
    dir1()->setFocus();
    QTest::keyClick(dir1(), Qt::Key_F5);
    const QString created = QDir(temp.root()).filePath("Escuela");
    EXPECT_TRUE(store::isProjectFolder(created));
    EXPECT_TRUE(principal->modoAbrir());
    EXPECT_TRUE(store::samePath(dir1()->highlightedPath(), created));
    EXPECT_EQ(principal->focusWidget(), dir1());

    onNextModal([](QWidget* modal) {
        QTest::keyClick(modal->findChild<QLineEdit*>("txtNuevaCarpeta"), Qt::Key_Escape);
    });
    QTest::mouseClick(button("cmdCrear"), Qt::LeftButton);
    EXPECT_EQ(messages.count(), 0);
}

TEST_F(ShellTest, DeletingAsksFirstAndRefusesFoldersThatAreNoProject) {
    const QString project = temp.newProject("Vieja");
    QDir().mkpath(QDir(project).filePath("Planos"));

    principal->deleteProject(); // the root folder
    EXPECT_EQ(messages.lastText(), "Esta carpeta no contiene ningun Proyecto");
    EXPECT_EQ(messages.lastTitle(), "Korvex");

    ASSERT_TRUE(dir1()->setPath(QDir(project).filePath("Planos"))); // inside a project: no project
    principal->deleteProject();
    EXPECT_EQ(messages.lastText(), "Esta carpeta no contiene ningun Proyecto");
    EXPECT_TRUE(QFileInfo::exists(project));

    ASSERT_TRUE(dir1()->setPath(project));
    messages.answer(ui::MessageAnswer::No);
    QTest::mouseClick(button("cmdBorrar"), Qt::LeftButton);
    EXPECT_EQ(messages.lastTitle(), "Confirmacion");
    EXPECT_TRUE(messages.lastText().startsWith("Esta seguro que desea eliminar el Proyecto "));
    EXPECT_TRUE(store::isProjectFolder(project));
    EXPECT_TRUE(store::samePath(dir1()->path(), project));

    dir1()->setFocus();
    const int before = messages.count();
    QTest::keyClick(dir1(), Qt::Key_F10); // F10 names the button but deletes nothing
    EXPECT_EQ(messages.count(), before);
    EXPECT_TRUE(store::isProjectFolder(project));

    // A window left open on the project when it was closed keeps it from being deleted.
    registry.registerWindow("frmGrupos", [](const ui::WindowContext&) {
        auto* window = new QWidget;
        window->setWindowTitle("Grupos");
        return window;
    });
    ui::WindowContext context = principal->context();
    context.projectFolder = QDir(project).filePath("Planos/../"); // any spelling of the same folder
    QWidget* grupos = registry.openWindow("frmGrupos", context);
    QTest::mouseClick(button("cmdBorrar"), Qt::LeftButton);
    EXPECT_TRUE(messages.lastText().contains("mientras esté abierto en otra ventana («Grupos»)"));
    EXPECT_EQ(messages.lastTitle(), "Korvex");
    EXPECT_TRUE(store::isProjectFolder(project));
    grupos->close();
    QApplication::processEvents();

    messages.answer(ui::MessageAnswer::Yes);
    QTest::mouseClick(button("cmdBorrar"), Qt::LeftButton);
    EXPECT_FALSE(QFileInfo::exists(project));
    EXPECT_TRUE(store::samePath(dir1()->path(), temp.root()));
    EXPECT_FALSE(dir1()->highlight(project));
}

TEST_F(ShellTest, DriveListHoldsTheFileSystemRootsAndDKeyReachesIt) {
    const QStringList roots = shell::DriveList::availableRoots();
    ASSERT_FALSE(roots.isEmpty());
#ifndef Q_OS_WIN
    EXPECT_EQ(roots.first(), "/");
#endif
    dir1()->setFocus();
    QTest::keyClick(dir1(), Qt::Key_D);
    EXPECT_TRUE(principal->driveList()->hasFocus());

    principal->chooseDrive(roots.first());
    EXPECT_TRUE(store::samePath(dir1()->path(), roots.first()));
    principal->chooseDrive(QDir(temp.root()).filePath("no-existe"));
    EXPECT_EQ(messages.count(), 1);
    EXPECT_TRUE(store::samePath(dir1()->path(), principal->driveList()->currentRoot()));
}
