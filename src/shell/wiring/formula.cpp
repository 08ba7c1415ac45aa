// The windows of the second tab ("Reajuste"): formula symbols, polynomial formula and crew.
#include "formula/frmCuadrilla.h"
#include "formula/frmFormula.h"
#include "formula/frmSimbolos.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_formula(ui::WindowRegistry& registry) {
    registry.registerWindow("frmSimbolos",
                            [](const ui::WindowContext& c) { return new formula::frmSimbolos(c); });
    registry.registerWindow("frmFormula",
                            [](const ui::WindowContext& c) { return new formula::frmFormula(c); });
    registry.registerWindow("frmCuadrilla",
                            [](const ui::WindowContext& c) { return new formula::frmCuadrilla(c); });
}

} // namespace korvex
