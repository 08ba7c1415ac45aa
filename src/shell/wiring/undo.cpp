// "Deshacer" and "Rehacer" of the frame's "Edición" menu: they act on the grids of the active
// child window, as Ctrl+Z and Ctrl+Y do inside it.
#include "ui/GridHistory.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_undo(ui::WindowRegistry& registry) {
    registry.registerMenuAction("Edición", "actDeshacer", "Deshacer", 10, [](const ui::WindowContext&) {
        if (ui::GridHistory* history = ui::GridHistory::active())
            history->undo();
    });
    registry.registerMenuAction("Edición", "actRehacer", "Rehacer", 11, [](const ui::WindowContext&) {
        if (ui::GridHistory* history = ui::GridHistory::active())
            history->redo();
    });
}

} // namespace korvex
