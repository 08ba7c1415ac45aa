#include "FakeMessages.h"
#include "TestProject.h"
#include "shell/Desktop.h"
#include "shell/FolderLists.h"
#include "shell/frmPresentacion.h"
#include "shell/frmPrincipal.h"
#include "shell/mdiPrincipal.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

shell::mdiPrincipal* findFrame() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* frame = qobject_cast<shell::mdiPrincipal*>(widget); frame && frame->isVisible())
            return frame;
    return nullptr;
}

// A window that keeps itself open once, as an editor does when the user cancels its save question.
class StubbornWindow : public QWidget {
public:
    int refusals = 1;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (refusals-- > 0)
            event->ignore();
        else
            event->accept();
    }
};

class Frame : public ::testing::Test {
protected:
    void TearDown() override { registry.clear(); }
    // Two passes: a closed sub-window deletes its widget later.
    static void deleteClosed() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    korvex::testing::TempRoot temp;
    ui::WindowRegistry registry;
};

} // namespace

TEST_F(Frame, StartUpScreenContinuesToTheFrameWithTheMainWindow) {
    QPointer<shell::frmPresentacion> splash = shell::startDesktop(temp.root(), registry);
    ASSERT_TRUE(splash);
    EXPECT_EQ(splash->findChild<QLabel*>("lblProducto")->text(), "Korvex");
    EXPECT_EQ(splash->findChild<QLabel*>("lblContinuar")->text(), "(Presione una tecla para continuar)");
    EXPECT_EQ(findFrame(), nullptr);

    // A click on any of its labels continues, like a key; a second one opens no second frame.
    QTest::mouseClick(splash->findChild<QLabel*>("lblContinuar"), Qt::LeftButton);
    QTest::keyClick(splash, Qt::Key_Space);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(splash);
    shell::mdiPrincipal* frame = findFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->windowTitle(), "Korvex");
    EXPECT_EQ(frame->principal()->windowTitle(), "Principal");
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 1);
    EXPECT_TRUE(frame->principal()->modoAbrir());

    korvex::testing::FakeMessages messages;
    frame->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(findFrame(), nullptr);
}

TEST_F(Frame, ExitQuestionNoKeepsEverythingAndYesClosesEveryWindow) {
    korvex::testing::FakeMessages messages;
    const QString project = temp.newProject("Obra");
    registry.registerWindow("frmGrupos", [](const ui::WindowContext&) { return new QWidget; });
    registry.registerWindow("frmSimbolos", [](const ui::WindowContext&) { return new StubbornWindow; });

    auto* frame = new shell::mdiPrincipal(temp.root(), registry);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->show();
    shell::frmPrincipal* principal = frame->principal();
    ASSERT_TRUE(principal->folderList()->setPath(project));
    principal->openSelectedFolder();
    principal->layOutTab(3);
    principal->runTabButton("cmdGrupos");
    principal->runTabButton("cmdGrupos");
    EXPECT_EQ(frame->mdiArea()->subWindowList().size(), 2); // one copy, inside the frame
    QPointer<QWidget> grupos = registry.findWindow("frmGrupos");
    ASSERT_TRUE(grupos);
    EXPECT_EQ(frame->mdiArea()->activeSubWindow()->widget(), grupos.data());

    messages.answer(ui::MessageAnswer::No);
    QTest::mouseClick(principal->findChild<QPushButton*>("cmdSalir"), Qt::LeftButton);
    EXPECT_EQ(messages.lastTitle(), "Salir...?");
    EXPECT_EQ(messages.lastText(), "En Realidad Desea Salir de Korvex...?");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_FALSE(principal->modoAbrir());
    EXPECT_TRUE(grupos);

    // An editor that keeps itself open keeps the program open too.
    principal->layOutTab(2);
    principal->runTabButton("cmdSimbolos");
    messages.answer(ui::MessageAnswer::Yes);
    QTest::keyClick(principal->tabStrip(), Qt::Key_Escape);
    EXPECT_TRUE(frame->isVisible());

    QPointer<shell::mdiPrincipal> watched = frame;
    messages.answer(ui::MessageAnswer::Yes);
    frame->close();
    deleteClosed();
    EXPECT_FALSE(watched);
    EXPECT_FALSE(grupos);
    EXPECT_EQ(registry.findWindow("frmSimbolos"), nullptr);
}

TEST_F(Frame, AnEditorClosingItselfTakesItsSubWindowAlong) {
    registry.registerWindow("frmGrupos", [](const ui::WindowContext&) { return new QWidget; });
    shell::mdiPrincipal frame(temp.root(), registry);
    frame.show();
    QWidget* grupos = registry.openWindow("frmGrupos", frame.principal()->context());
    ASSERT_EQ(frame.mdiArea()->subWindowList().size(), 2);
    grupos->close(); // its own exit button
    deleteClosed();
    EXPECT_EQ(frame.mdiArea()->subWindowList().size(), 1);
    EXPECT_EQ(registry.findWindow("frmGrupos"), nullptr);
    EXPECT_NE(registry.openWindow("frmGrupos", {}), nullptr);
}

TEST_F(Frame, EditorsOpenAtTheirOwnSizeWholeInsideTheWorkArea) {
    auto sized = [](QSize size) {
        return [size](const ui::WindowContext&) {
            auto* window = new QWidget;
            window->resize(size);
            return window;
        };
    };
    registry.registerWindow("frmGrupos", sized(QSize(640, 380)));
    registry.registerWindow("frmCronograma", sized(QSize(4000, 3000)));
    registry.registerWindow("frmSimbolos", sized(QSize(500, 300)));
    shell::mdiPrincipal frame(temp.root(), registry);
    frame.resize(1100, 760);
    frame.show();
    const QRect room = frame.mdiArea()->viewport()->rect();

    QWidget* grupos = registry.openWindow("frmGrupos", {});
    EXPECT_EQ(grupos->size(), QSize(640, 380));
    QWidget* crono = registry.openWindow("frmCronograma", {});
    QWidget* simbolos = registry.openWindow("frmSimbolos", {});
    EXPECT_EQ(simbolos->size(), QSize(500, 300));
    for (QWidget* window : {grupos, crono, simbolos}) {
        const QRect placed = window->parentWidget()->geometry();
        EXPECT_TRUE(room.contains(placed)) << window->objectName().toStdString();
    }
    // Each new window steps away from the previous one instead of covering it exactly.
    EXPECT_NE(grupos->parentWidget()->pos(), simbolos->parentWidget()->pos());

    // "Ventana > Principal" brings the main window back in front, even when it was minimised.
    auto* main = qobject_cast<QMdiSubWindow*>(frame.principal()->parentWidget());
    ASSERT_NE(main, nullptr);
    main->showMinimized();
    for (QAction* action : frame.menuBar()->findChildren<QAction*>())
        if (action->text() == "&Principal")
            action->trigger();
    EXPECT_FALSE(main->isMinimized());
    EXPECT_EQ(frame.mdiArea()->activeSubWindow(), main);
    registry.closeAll();
}

TEST_F(Frame, RegisteredMenuActionsRunWithTheOpenProjectOnly) {
    QStringList ran;
    registry.registerMenuAction("Archivo", "actSegunda", "Segunda", 20,
                                [&](const ui::WindowContext& c) { ran << "2:" + c.projectFolder; });
    registry.registerMenuAction("Archivo", "actPrimera", "Primera", 10,
                                [&](const ui::WindowContext& c) { ran << "1:" + c.projectFolder; });
    shell::mdiPrincipal frame(temp.root(), registry);

    auto* archivo = frame.menuBar()->findChild<QMenu*>("mnuArchivo");
    ASSERT_NE(archivo, nullptr);
    ASSERT_EQ(archivo->actions().size(), 2);
    EXPECT_EQ(archivo->actions().at(0)->objectName(), "actPrimera");
    // Without a project open the action hears of no folder, not of whatever folder is listed.
    archivo->actions().at(1)->trigger();
    EXPECT_EQ(ran, QStringList{"2:"});
    // A menu nobody registered an action for is not shown.
    EXPECT_EQ(frame.menuBar()->findChild<QMenu*>("mnuEdicion"), nullptr);
}

TEST_F(Frame, QtsOwnMenusAndDialogsSpeakSpanish) {
    ASSERT_TRUE(shell::installQtTranslation())
        << "Qt's translations (qt6-translations-l10n) are not installed";
    EXPECT_TRUE(QCoreApplication::translate("QMdiSubWindow", "&Restore").contains("Restaurar"));
    EXPECT_TRUE(QCoreApplication::translate("QLineEdit", "&Undo").contains("Deshacer"));
    EXPECT_TRUE(QCoreApplication::translate("QPrintDialog", "Print").contains("Imprimir"));
}
