// The project-wide tools on resource lines, each opened from its main-window button: the
// where-used search (cmdBuscar), the correction (cmdCorregir, which the main window then puts on
// the materials list at row 1, column 0) and the yield editor (cmdRendimiento).

#include "analysis/frmBuscar.h"
#include "analysis/frmCorregir.h"
#include "analysis/frmRendimiento.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_resources(ui::WindowRegistry& registry) {
    registry.registerWindow("frmBuscar", [](const ui::WindowContext& context) -> QWidget* {
        return new analysis::frmBuscar(context);
    });
    registry.registerWindow("frmCorregir", [](const ui::WindowContext& context) -> QWidget* {
        return new analysis::frmCorregir(context);
    });
    registry.registerWindow("frmRendimiento", [](const ui::WindowContext& context) -> QWidget* {
        return new analysis::frmRendimiento(context);
    });
}

} // namespace korvex
