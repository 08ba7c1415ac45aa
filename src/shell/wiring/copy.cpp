// Copies from another project, on the main window's first tab: "Copiar Presupuesto" picks the
// source project and then the items to copy; "Copiar Precios" picks it and takes its prices.
#include "shell/frmCopiarPres.h"
#include "shell/frmSeleccionarDir.h"
#include "shell/ops/CopyItems.h"
#include "store/ProjectFolders.h"
#include "ui/MainWindowControls.h"
#include "ui/WindowRegistry.h"

namespace korvex {

namespace {

// The budget items editor rewrites the whole item list from its grid when it saves, so items
// copied while it is open on the destination would be dropped by its next save (their lines left
// behind under no item).
QString openItemEditor(const ui::WindowRegistry& registry, const QString& destinationFolder) {
    const QWidget* editor = registry.findWindow("frmDatosPresupuesto");
    if (!editor || !store::samePath(registry.folderOf("frmDatosPresupuesto"), destinationFolder))
        return {};
    return QString("No se puede copiar mientras la ventana «%1» esté abierta en el proyecto de destino: "
                   "al grabar dejaría fuera los rubros copiados. Ciérrela primero.")
        .arg(editor->windowTitle().isEmpty() ? QString("Datos del Presupuesto") : editor->windowTitle());
}

void chooseSource(ui::WindowRegistry& registry, const ui::WindowContext& opener, const QString& mode) {
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

void wiring_copy(ui::WindowRegistry& registry) {
    registry.registerWindow("frmCopiarPres", [&registry](const ui::WindowContext& context) -> QWidget* {
        auto* window = new shell::frmCopiarPres(context);
        // The window has said why it cannot list the source project.
        if (!window->isLoaded()) {
            delete window;
            return nullptr;
        }
        window->setCopyGuard([&registry](const QString& destinationFolder) {
            return openItemEditor(registry, destinationFolder);
        });
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
