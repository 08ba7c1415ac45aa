// The resource lists with their repricing, opened by the main window's button "Lista MEM".

#include "lists/frmListaMEM.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_lists(ui::WindowRegistry& registry) {
    registry.registerWindow("frmListaMEM", [](const ui::WindowContext& context) -> QWidget* {
        auto* window = new lists::frmListaMEM(context);
        // Without its database the window has already said why; empty lists would only mislead.
        if (!window->hasProject()) {
            delete window;
            return nullptr;
        }
        return window;
    });
}

} // namespace korvex
