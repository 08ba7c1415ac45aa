// Copies from another project, on the main window's first tab: "Copiar Presupuesto" picks the
// source project and then the items to copy; "Copiar Precios" picks it and takes its prices.
#include "shell/frmCopiarPres.h"
#include "shell/frmSeleccionarDir.h"
#include "shell/ops/CopyItems.h"
#include "ui/MainWindowControls.h"
#include "ui/WindowRegistry.h"

namespace korvex {

namespace {

void chooseSource(ui::WindowRegistry& registry, const ui::WindowContext& opener, const QString& mode)
{
    ui::WindowContext context = opener;
    context.arguments.insert("txtOpcion", mode);
    shell::frmSeleccionarDir dialog(context, context.mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (mode == shell::frmSeleccionarDir::kModoPrecios) {
        if (auto* main = ui::MainWindowControls::from(context))
            main->showStatus(shell::importSummary(dialog.importResult()));
        return;
    }
    context.arguments.insert("txtDirectorio", dialog.sourceFolder());
    registry.openWindow("frmCopiarPres", context);
}

} // namespace

void wiring_copy(ui::WindowRegistry& registry)
{
    registry.registerWindow("frmCopiarPres", [](const ui::WindowContext& context) -> QWidget* {
        auto* window = new shell::frmCopiarPres(context);
        // The window has said why it cannot list the source project.
        if (!window->isLoaded()) {
            delete window;
            return nullptr;
        }
        return window;
    });
    registry.registerButton("cmdCopiarPre", [&registry](const ui::WindowContext& context) {
        chooseSource(registry, context, shell::frmSeleccionarDir::kModoCopiar);
    });
    registry.registerButton("cmdCopiarPrecios", [&registry](const ui::WindowContext& context) {
        chooseSource(registry, context, shell::frmSeleccionarDir::kModoPrecios);
    });
}

} // namespace korvex
