#pragma once
// "Agrupacion de Rubros": puts every budget item into a named group.

#include "schedule/GroupAssignment.h"
#include "schedule/ScheduleWindow.h"

#include <vector>

namespace korvex::ui {
class CellEditor;
class Grid;
class GridHistory;
} // namespace korvex::ui

namespace korvex::schedule {

class frmGrupos : public ScheduleWindow {
    Q_OBJECT
public:
    explicit frmGrupos(const ui::WindowContext& context);

    bool save() override; // GrabarGrupos, CrearGrupos, BorrarGruposVacios

private:
    void IniciarGrilla();
    void LlenarGrilla();
    void onGridKey(int key, Qt::KeyboardModifiers modifiers);
    std::vector<ItemGrupo> rowsFromGrid() const;
    void takeUndoneGrid();

    ui::Grid* grid_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    ui::GridHistory* history_ = nullptr;
    GruposItems cargados_;         // as loaded, with the stored rows behind them
    std::vector<ItemGrupo> items_; // row r of the grid is items_[r - 1]
};

} // namespace korvex::schedule
