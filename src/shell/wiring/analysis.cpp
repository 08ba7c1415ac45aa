// The analysis editor, opened by the item picker with the chosen item, and the copy of an
// analysis onto other items ("Copiar Análisis" on the first tab).

#include "analysis/frmCopiarAnalisis.h"
#include "analysis/frmMateriales.h"
#include "store/ProjectFolders.h"
#include "store/TextCompare.h"
#include "ui/WindowRegistry.h"

namespace korvex {

namespace {

// The analysis editor rewrites its item's lines from its grids when it saves, so lines copied
// onto the item it shows would be dropped by its next save.
QString openEditorOnTarget(const ui::WindowRegistry& registry, const QString& folder,
                           const std::vector<analysis::ItemRef>& targets) {
    const auto* editor = qobject_cast<const analysis::frmMateriales*>(registry.findWindow("frmMateriales"));
    if (!editor || !store::samePath(registry.folderOf("frmMateriales"), folder))
        return {};
    for (const analysis::ItemRef& target : targets)
        if (store::text::foldKey(target.code) == store::text::foldKey(editor->itemCode()) &&
            store::text::foldKey(target.item) == store::text::foldKey(editor->itemNumber()))
            return QString(
                       "No se puede copiar sobre el rubro %1 %2 mientras su análisis esté abierto: al "
                       "grabar dejaría fuera las líneas copiadas. Cierre primero la ventana del análisis.")
                .arg(target.code, target.item);
    return {};
}

} // namespace

void wiring_analysis(ui::WindowRegistry& registry) {
    registry.registerWindow("frmMateriales", [](const ui::WindowContext& context) -> QWidget* {
        auto* window = new analysis::frmMateriales(context);
        // The window has said why it cannot show the item; an empty editor would only get in the way.
        if (!window->hasItem()) {
            delete window;
            return nullptr;
        }
        return window;
    });
    registry.registerWindow("frmCopiarAnalisis", [&registry](const ui::WindowContext& context) -> QWidget* {
        auto* window = new analysis::frmCopiarAnalisis(context);
        if (!window->isLoaded()) {
            delete window;
            return nullptr;
        }
        window->setCopyGuard(
            [&registry](const QString& folder, const std::vector<analysis::ItemRef>& targets) {
                return openEditorOnTarget(registry, folder, targets);
            });
        return window;
    });
    registry.registerButton("cmdCopiarAna", [&registry](const ui::WindowContext& context) {
        registry.openWindow("frmCopiarAnalisis", context);
    });
}

} // namespace korvex
