// The main window's own button: "Calculo del Presupuesto" stores every item's unit price.
#include "engine/Engine.h"
#include "engine/Numbers.h"
#include "ui/MainWindowControls.h"
#include "ui/Messages.h"
#include "ui/WindowRegistry.h"

#include <exception>

namespace korvex {

namespace {

void recalculateBudget(const ui::WindowContext& context) {
    ui::MainWindowControls* main = ui::MainWindowControls::from(context);
    engine::ResultadoRecalculo result;
    try {
        result = engine::RecalcularPresupuesto(context.projectFolder);
    } catch (const std::exception& error) {
        ui::messages::failure(context.mainWindow, QString::fromUtf8(error.what()));
        return;
    }
    if (!result.ok) {
        if (result.title.isEmpty() || result.title == "Error")
            ui::messages::error(context.mainWindow, result.message);
        else if (result.title == "Advertencia")
            ui::messages::warning(context.mainWindow, result.message);
        else
            ui::messageService().show(context.mainWindow, result.title, result.message,
                                      ui::MessageButtons::Ok, ui::MessageIcon::Warning);
        return;
    }
    if (main)
        main->showStatus("Presupuesto recalculado: " + engine::Contar(result.items, "rubro", "rubros"));
}

} // namespace

void wiring_shell(ui::WindowRegistry& registry) {
    registry.registerButton("cmdCalculo", recalculateBudget);
}

} // namespace korvex
