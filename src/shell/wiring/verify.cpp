// "Verificar proyecto..." in the frame's Archivo menu: the project health check, each finding
// opening the analysis of its item.
#include "shell/frmVerificar.h"
#include "ui/Messages.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_verify(ui::WindowRegistry& registry) {
    registry.registerWindow("frmVerificar", [&registry](const ui::WindowContext& context) -> QWidget* {
        return new shell::frmVerificar(context,
                                       [&registry, context](const QString& code, const QString& item) {
                                           ui::WindowContext itemContext = context;
                                           itemContext.arguments = {{"txtCod", code}, {"txtItem", item}};
                                           registry.openWindow("frmMateriales", itemContext);
                                       });
    });
    registry.registerMenuAction("Archivo", "actVerificarProyecto", "Verificar proyecto...", 50,
                                [&registry](const ui::WindowContext& context) {
                                    if (context.projectFolder.isEmpty()) {
                                        ui::messages::warning(context.mainWindow,
                                                              "Abra un proyecto para verificarlo.");
                                        return;
                                    }
                                    registry.openWindow("frmVerificar", context);
                                });
}

} // namespace korvex
