// The frame's "Archivo" action that restores a backup of the open project.

#include "shell/frmRespaldos.h"
#include "ui/Messages.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_backups(ui::WindowRegistry& registry) {
    registry.registerWindow("frmRespaldos", [&registry](const ui::WindowContext& context) -> QWidget* {
        return new shell::frmRespaldos(context, registry);
    });
    registry.registerMenuAction("Archivo", "actRestaurarRespaldo", "Restaurar respaldo...", 60,
                                [&registry](const ui::WindowContext& context) {
                                    if (context.projectFolder.isEmpty()) {
                                        ui::messages::warning(context.mainWindow, "Abra primero un proyecto");
                                        return;
                                    }
                                    registry.openWindow("frmRespaldos", context);
                                });
}

} // namespace korvex
