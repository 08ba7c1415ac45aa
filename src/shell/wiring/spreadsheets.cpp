// The frame's "Archivo" actions of the spreadsheet exchange: a price list imported into the open
// project, and the whole project exported to an .xlsx workbook.

#include "shell/frmExportarExcel.h"
#include "shell/frmImportarListaPrecios.h"
#include "ui/Messages.h"
#include "ui/WindowRegistry.h"

namespace korvex {

namespace {

ui::WindowRegistry::Action opener(ui::WindowRegistry& registry, const QString& window) {
    return [&registry, window](const ui::WindowContext& context) {
        if (context.projectFolder.isEmpty()) {
            ui::messages::warning(context.mainWindow, "Abra primero un proyecto");
            return;
        }
        registry.openWindow(window, context);
    };
}

} // namespace

void wiring_spreadsheets(ui::WindowRegistry& registry) {
    registry.registerWindow("frmImportarListaPrecios", [](const ui::WindowContext& context) -> QWidget* {
        return new shell::frmImportarListaPrecios(context);
    });
    registry.registerWindow("frmExportarExcel", [](const ui::WindowContext& context) -> QWidget* {
        return new shell::frmExportarExcel(context);
    });
    registry.registerMenuAction("Archivo", "actImportarListaPrecios", "Importar lista de precios...", 30,
                                opener(registry, "frmImportarListaPrecios"));
    registry.registerMenuAction("Archivo", "actExportarExcel", "Exportar a Excel...", 40,
                                opener(registry, "frmExportarExcel"));
}

} // namespace korvex
