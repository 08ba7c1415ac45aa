// The schedule windows, opened by the buttons of the main window's third tab.
#include "schedule/frmCronograma.h"
#include "schedule/frmCronograma2.h"
#include "schedule/frmGrupos.h"
#include "schedule/frmGruposDesc.h"
#include "ui/WindowRegistry.h"

namespace korvex {

void wiring_schedule(ui::WindowRegistry& registry) {
    using schedule::ScheduleWindow;
    registry.registerWindow("frmGrupos", &ScheduleWindow::create<schedule::frmGrupos>);
    registry.registerWindow("frmGruposDesc", &ScheduleWindow::create<schedule::frmGruposDesc>);
    registry.registerWindow("frmCronograma", &ScheduleWindow::create<schedule::frmCronograma>);
    registry.registerWindow("frmCronograma2", &ScheduleWindow::create<schedule::frmCronograma2>);
}

} // namespace korvex
