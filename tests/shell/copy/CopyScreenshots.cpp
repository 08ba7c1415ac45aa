// Draws the source dialog and the copy window on two sample projects into PNG files:
//     xvfb-run -a build/dev-x/tests/shell/korvex_copy_screenshots docs/screenshots
#include "../CopyFixture.h"
#include "Screenshots.h"
#include "shell/FolderLists.h"
#include "shell/frmCopiarPres.h"
#include "shell/frmSeleccionarDir.h"
#include "store/ProjectFolders.h"
#include "ui/Grid.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QTest>
#include <cstdio>

using namespace korvex;

namespace {

void save(QWidget* widget, const QString& folder, const QString& name) {
    testing::saveScreenshot(widget, folder, "copy", name);
}

void addSampleItems(store::Database& db) {
    const struct {
        const char* codigo;
        const char* item;
        const char* descripcion;
        const char* unidad;
    } items[] = {
        {"PRE", "1.01", "Replanteo y nivelación", "m2"},
        {"PRE", "1.02", "Excavación manual de cimientos", "m3"},
        {"EST", "2.01", "Hormigón simple f'c=180 kg/cm2", "m3"},
        {"EST", "2.02", "Hormigón en columnas f'c=210", "m3"},
        {"EST", "2.03", "Acero de refuerzo fy=4200", "kg"},
        {"MAM", "3.01", "Mampostería de bloque 15 cm", "m2"},
        {"ACA", "4.01", "Enlucido vertical con mortero 1:3", "m2"},
        {"ACA", "4.02", "Pintura látex dos manos", "m2"},
        {"ACA", "4.03", "Cerámica de piso 40x40", "m2"},
        {"INS", "5.01", "Punto de agua potable 1/2\"", "pto"},
    };
    for (const auto& item : items)
        testing::addAnalysedItem(db, item.codigo, item.item, item.descripcion);
    auto units = db.openRecordSet("SELECT * FROM Presupuesto");
    int i = 0;
    for (units.moveFirst(); !units.eof(); units.moveNext(), ++i) {
        units.edit();
        units.setValue("UnidadPres", items[i].unidad);
        units.update();
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("screenshots");
    QDir().mkpath(output);

    // A fixed place, so the paths shown are the same on every run.
    QDir scratch(QDir::temp().filePath("korvex-capturas-copia"));
    scratch.removeRecursively();
    const QString root = scratch.filePath("Korvex");
    store::layOutRootFolder(root);
    for (const char* name : {"Edificio Central", "Escuela Fiscal"})
        store::createProject(root, name, root);
    const QString destino = QDir(root).filePath("Edificio Central");
    const QString origen = QDir(root).filePath("Escuela Fiscal");
    {
        store::Database source = store::Database::openProject(origen);
        addSampleItems(source);
        store::Database target = store::Database::openProject(destino);
        testing::addAnalysedItem(target, "EST", "2.01", "Hormigón simple f'c=180 kg/cm2");
    }

    ui::WindowContext context;
    context.projectFolder = destino;
    context.rootFolder = root;
    context.arguments.insert("txtOpcion", "1");
    shell::frmSeleccionarDir dialog(context);
    dialog.folderList()->setPath(origen);
    save(&dialog, output, "seleccionar-proyecto");
    dialog.hide();

    context.arguments.insert("txtDirectorio", origen);
    shell::frmCopiarPres window(context);
    window.resize(window.width(), 520);
    for (int row : {3, 4, 5})
        window.toggleMark(row);
    window.copyMarked();
    window.grid()->setCell(6, 1);
    save(&window, output, "copiar-presupuestos");
    return 0;
}
