// The FIEBDC-3 exchange in the frame's "Archivo" menu.
#include "shell/Bc3Actions.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_bc3(ui::WindowRegistry& registry) {
    registry.registerMenuAction(
        "Archivo", "actImportarBC3", "Importar BC3...", 10,
        [&registry](const ui::WindowContext& context) { shell::importarBC3(registry, context); });
    registry.registerMenuAction("Archivo", "actExportarBC3", "Exportar BC3...", 20,
                                [](const ui::WindowContext& context) { shell::exportarBC3(context); });
}

} // namespace korvex
