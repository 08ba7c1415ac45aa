// The analysis editor, opened by the item picker with the chosen item.

#include "analysis/frmMateriales.h"
#include "ui/WindowRegistry.h"

namespace korvex {

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
}

} // namespace korvex
