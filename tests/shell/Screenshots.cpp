// Draws the desktop windows as a person sees them and saves them as PNG files, for the README:
//     xvfb-run -a build/dev-x/tests/shell/korvex_screenshots docs/screenshots
#include "TestProject.h"
#include "shell/Desktop.h"
#include "shell/FolderLists.h"
#include "shell/HelpViewer.h"
#include "shell/frmNuevaCarpeta.h"
#include "shell/frmPresentacion.h"
#include "shell/frmPrincipal.h"
#include "shell/mdiPrincipal.h"
#include "store/ProjectFolders.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QStyleFactory>
#include <QTabBar>
#include <QTest>
#include <cstdio>

using namespace korvex;

namespace {

QString outputFolder;

void save(QWidget* widget, const QString& name) {
    widget->show();
    QTest::qWait(150);
    const QString path = QDir(outputFolder).filePath("shell-" + name + ".png");
    if (!widget->grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setWindowIcon(shell::applicationIcon());
    outputFolder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("screenshots");
    QDir().mkpath(outputFolder);

    // A fixed place, so the paths shown are the same on every run.
    QDir scratch(QDir::temp().filePath("korvex-capturas"));
    scratch.removeRecursively();
    const QString root = scratch.filePath("Korvex");
    store::layOutRootFolder(root);
    for (const char* name : {"Edificio Central", "Escuela Fiscal", "Puente Norte"})
        store::createProject(root, name, root);
    QDir(root).mkpath("Documentos");
    QDir::setCurrent(root);

    ui::WindowRegistry& registry = ui::WindowRegistry::instance();
    wireAllWindows(registry);

    shell::frmPresentacion splash;
    save(&splash, "inicio");
    splash.hide();

    shell::mdiPrincipal frame(root, registry);
    frame.resize(1180, 720);
    shell::frmPrincipal* principal = frame.principal();
    principal->folderList()->highlight(QDir(root).filePath("Edificio Central"));
    save(&frame, "principal-sin-proyecto");

    shell::frmNuevaCarpeta dialog(root, root, &frame);
    dialog.nameEdit()->setText("Centro de Salud");
    save(&dialog, "nuevo-proyecto");
    dialog.hide();

    principal->folderList()->setPath(QDir(root).filePath("Edificio Central"));
    principal->openSelectedFolder();
    save(&frame, "principal-proyecto-abierto");
    const char* tabs[] = {"edicion-presupuesto",   "edicion-reajuste",   "edicion-cronograma",
                          "impresion-presupuesto", "impresion-reajuste", "impresion-cronograma"};
    for (int tab = 1; tab <= 6; ++tab) {
        principal->tabStrip()->setCurrentIndex(tab - 1);
        principal->layOutTab(tab);
        if (tab == 4)
            principal->showFormatButtons(
                {"cmdFormatoPres1", "cmdFormatoPres2", "cmdFormatoPres3", "cmdFormatoPresC"});
        if (tab == 6)
            principal->showFormatButtons({"cmdCronoTodo", "cmdCrono6", "cmdCrono12", "cmdCronoNuevo",
                                          "cmdCronoNuevo2", "cmdCronoNuevo3", "cmdCronoNuevo4"});
        save(&frame, QString("principal-%1").arg(tabs[tab - 1]));
    }

    if (auto* edicion = frame.findChild<QMenu*>("mnuEdicion")) {
        edicion->popup(frame.mapToGlobal(QPoint(60, 30)));
        save(edicion, "menu-edicion");
        edicion->hide();
    }

    if (shell::HelpViewer* help = shell::HelpViewer::showContents(root)) {
        save(help, "ayuda");
        help->showTopic("analisis");
        save(help, "ayuda-analisis");
        help->close();
    }
    registry.clear();
    scratch.removeRecursively();
    return 0;
}
