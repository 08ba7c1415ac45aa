#include "shell/Bc3Actions.h"

#include "engine/Numbers.h"
#include "exchange/Bc3Export.h"
#include "exchange/Bc3Import.h"
#include "store/Database.h"
#include "store/WriteGuard.h"
#include "ui/MainWindowControls.h"
#include "ui/Messages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace korvex::shell {

namespace {

const QString kFiltro = QStringLiteral("Archivos BC3 (*.bc3 *.BC3);;Todos los archivos (*)");

QString dialogChooser(QWidget* parent, bool save, const QString& suggested) {
    if (save)
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Exportar BC3"), suggested, kFiltro);
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Importar BC3"), suggested, kFiltro);
}

Bc3FileChooser& chooser() {
    static Bc3FileChooser current = dialogChooser;
    return current;
}

void showStatus(const ui::WindowContext& context, const QString& text) {
    if (auto* main = ui::MainWindowControls::from(context))
        main->showStatus(text);
}

} // namespace

void setBc3FileChooser(Bc3FileChooser next) {
    chooser() = next ? std::move(next) : Bc3FileChooser(dialogChooser);
}

void importarBC3(ui::WindowRegistry& registry, const ui::WindowContext& context) {
    QWidget* parent = context.mainWindow;
    if (context.projectFolder.isEmpty()) {
        ui::messages::error(parent, QString::fromUtf8(kSinProyectoAbierto));
        return;
    }
    if (store::isReadOnly(context.projectFolder)) {
        ui::messages::error(parent, store::readOnlyMessage());
        return;
    }
    // An editor open on the project would write its own copy of the items over the imported ones.
    if (!registry.windowsOn(context.projectFolder).isEmpty()) {
        ui::messages::error(parent, QString::fromUtf8(kVentanasAbiertas));
        return;
    }
    const QString path = chooser()(parent, false, QString());
    if (path.isEmpty())
        return;
    bool replace = false;
    try {
        if (exchange::ProyectoTieneRubros(context.projectFolder)) {
            if (!ui::messages::confirm(parent,
                                       QStringLiteral("El proyecto ya tiene rubros. ¿Desea reemplazarlos "
                                                      "(rubros, análisis, grupos y cronogramas) por los del "
                                                      "archivo?")))
                return;
            replace = true;
        }
    } catch (const store::StoreError& error) {
        ui::messages::failure(parent, error.message());
        return;
    }
    const exchange::ResultadoImportacionBC3 result =
        exchange::ImportarArchivoBC3(context.projectFolder, path, replace);
    if (!result.ok) {
        ui::messages::error(parent, result.message);
        return;
    }
    ui::messages::information(parent, QStringLiteral("Importar BC3"),
                              result.informe().join(QLatin1Char('\n')));
    showStatus(context,
               QStringLiteral("Importados %1, %2 y %3 de %4")
                   .arg(engine::Contar(result.items, "rubro", "rubros"),
                        engine::Contar(result.lineas, "línea", "líneas"),
                        engine::Contar(result.grupos, "grupo", "grupos"), QDir::toNativeSeparators(path)));
}

void exportarBC3(const ui::WindowContext& context) {
    QWidget* parent = context.mainWindow;
    if (context.projectFolder.isEmpty()) {
        ui::messages::error(parent, QString::fromUtf8(kSinProyectoAbierto));
        return;
    }
    const QString suggested =
        QDir(context.projectFolder)
            .filePath(QFileInfo(context.projectFolder).fileName() + QStringLiteral(".bc3"));
    QString path = chooser()(parent, true, suggested);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".bc3");
    const exchange::ResultadoExportacionBC3 result = exchange::ExportarBC3(context.projectFolder, path);
    if (!result.ok) {
        ui::messages::failure(parent, result.message);
        return;
    }
    showStatus(context,
               QStringLiteral("Exportados %1 a %2")
                   .arg(engine::Contar(result.items, "rubro", "rubros"), QDir::toNativeSeparators(path)));
}

} // namespace korvex::shell
