// The budget windows, opened from the first tab of the main window.
#include "budget/frmAnalisis.h"
#include "budget/frmDatosPresupuesto.h"
#include "budget/frmDescripcion.h"
#include "budget/frmPresPresu.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_budget(ui::WindowRegistry& registry) {
    registry.registerWindow("frmDescripcion", [](const ui::WindowContext& context) {
        return new budget::frmDescripcion(context);
    });
    registry.registerWindow("frmDatosPresupuesto", [](const ui::WindowContext& context) {
        return new budget::frmDatosPresupuesto(context);
    });
    registry.registerWindow(
        "frmPresPresu", [](const ui::WindowContext& context) { return new budget::frmPresPresu(context); });
    registry.registerWindow(
        "frmAnalisis", [](const ui::WindowContext& context) { return new budget::frmAnalisis(context); });
}

} // namespace korvex
