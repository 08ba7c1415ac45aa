// The desktop program and the project lock: a project held elsewhere opens read-only or not at
// all, the lock lasts while an editor of the project stays open, and a backup is put back from the
// frame's "Archivo" menu.
#include "FakeMessages.h"
#include "TestProject.h"
#include "shell/FolderLists.h"
#include "shell/frmPrincipal.h"
#include "shell/frmRespaldos.h"
#include "shell/mdiPrincipal.h"
#include "store/Backups.h"
#include "store/ProjectLock.h"
#include "store/WriteGuard.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace korvex {
void wiring_backups(ui::WindowRegistry& registry);
}

using namespace korvex;
using store::ProjectLock;

namespace {

class DesktopLock : public ::testing::Test {
protected:
    void SetUp() override {
        folder = temp.newProject("Obra");
        registry.registerWindow("frmEditor", [](const ui::WindowContext&) -> QWidget* {
            auto* window = new QWidget;
            (new QPushButton("Grabar (F9)", window))->setObjectName("cmdGrabar");
            return window;
        });
        wiring_backups(registry);
        frame = std::make_unique<shell::mdiPrincipal>(temp.root(), registry);
        frame->show();
    }
    void TearDown() override {
        frame.reset();
        registry.clear();
    }
    shell::frmPrincipal* principal() const { return frame->principal(); }
    bool open() {
        principal()->folderList()->setPath(folder);
        principal()->openSelectedFolder();
        return !principal()->modoAbrir();
    }
    // Whether a batch writer could take the project now.
    bool freeForOthers() const {
        return ProjectLock::forBatch(folder, "prueba", {}).status == ProjectLock::Status::Taken;
    }
    static void settle() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    korvex::testing::TempRoot temp;
    korvex::testing::FakeMessages messages;
    ui::WindowRegistry registry;
    std::unique_ptr<shell::mdiPrincipal> frame;
    QString folder;
};

} // namespace

TEST_F(DesktopLock, HeldElsewhereOpensReadOnlyOrNotAtAll) {
    auto other = ProjectLock::forDesktop(folder);
    ASSERT_EQ(other.status, ProjectLock::Status::Taken);

    messages.answer(ui::MessageAnswer::No);
    EXPECT_FALSE(open());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_TRUE(
        messages.lastText().startsWith("El proyecto «Obra» está en uso por el programa Korvex (proceso "));
    EXPECT_TRUE(messages.lastText().endsWith("\n¿Desea abrirlo en modo de solo lectura?"));

    messages.answer(ui::MessageAnswer::Yes);
    ASSERT_TRUE(open());
    EXPECT_TRUE(principal()->isReadOnlyProject());
    EXPECT_EQ(frame->windowTitle(), "Korvex (solo lectura)");
    EXPECT_TRUE(frame->findChild<QLabel*>("lblProyectoActual")->text().endsWith("(solo lectura)"));
    QWidget* editor = registry.openWindow("frmEditor", principal()->context());
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(editor->findChild<QPushButton*>("cmdGrabar")->isEnabled());
    store::Database db = temp.open(folder);
    EXPECT_THROW(db.execute("DELETE * FROM Presupuesto"), store::StoreError);
    EXPECT_NO_THROW(db.execute("DELETE * FROM InfoAnalisis"));

    // Left, the project takes writes again; the other holder was never disturbed.
    editor->close();
    principal()->closeProject();
    settle();
    EXPECT_FALSE(store::isReadOnly(folder));
    EXPECT_NO_THROW(db.execute("DELETE * FROM Presupuesto"));
    EXPECT_EQ(ProjectLock::forBatch(folder, "prueba", {}).status, ProjectLock::Status::Held);
}

TEST_F(DesktopLock, HeldUntilTheProjectIsClosedAndNoEditorOfItRemains) {
    ASSERT_TRUE(open());
    EXPECT_FALSE(principal()->isReadOnlyProject());
    EXPECT_EQ(frame->windowTitle(), "Korvex");
    EXPECT_FALSE(freeForOthers());
    QWidget* editor = registry.openWindow("frmEditor", principal()->context());
    EXPECT_TRUE(editor->findChild<QPushButton*>("cmdGrabar")->isEnabled());
    principal()->closeProject();
    settle();
    EXPECT_FALSE(freeForOthers());
    // Opened again meanwhile, it is still ours: no question.
    ASSERT_TRUE(open());
    EXPECT_EQ(messages.count(), 0);
    principal()->closeProject();
    editor->close();
    settle();
    EXPECT_TRUE(freeForOthers());
}

TEST_F(DesktopLock, FirstWriteBacksUpAndTheArchivoMenuPutsABackupBack) {
    ASSERT_TRUE(open());
    {
        store::Database db = temp.open(folder);
        db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres) VALUES ('A', '1', 'x')");
        db.execute("INSERT INTO Presupuesto (CodigoPres, ItemPres, DescripcionPres) VALUES ('A', '2', 'y')");
    }
    ASSERT_EQ(store::listBackups(folder).size(), 1);

    QAction* action = frame->menuBar()->findChild<QAction*>("actRestaurarRespaldo");
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), "Restaurar respaldo...");
    QWidget* editor = registry.openWindow("frmEditor", principal()->context());
    action->trigger();
    auto* window = qobject_cast<shell::frmRespaldos*>(registry.findWindow("frmRespaldos"));
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->list()->rowCount(), 1);
    EXPECT_EQ(window->list()->item(0, 3)->text(), "0");
    // Another window of the project would go on with the replaced file.
    EXPECT_FALSE(window->restoreSelected());
    EXPECT_TRUE(messages.lastText().startsWith("Cierre las ventanas del proyecto"))
        << messages.lastText().toStdString();
    editor->close();
    settle();
    messages.answer(ui::MessageAnswer::Yes);
    EXPECT_TRUE(window->restoreSelected());
    EXPECT_EQ(window->list()->rowCount(), 2); // the replaced file was backed up first
    store::Database db = temp.open(folder);
    EXPECT_EQ(db.openRecordSet("SELECT * FROM Presupuesto").recordCount(), 0);
}
