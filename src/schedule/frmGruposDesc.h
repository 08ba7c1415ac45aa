#pragma once
// "Descripción de Grupos y Subtotales": the groups with their totals, descriptions and order.

#include "schedule/GroupSummary.h"
#include "schedule/ScheduleWindow.h"

class QLabel;

namespace korvex::ui {
class CellEditor;
class Grid;
class GridHistory;
} // namespace korvex::ui

namespace korvex::schedule {

class frmGruposDesc : public ScheduleWindow {
    Q_OBJECT
public:
    static constexpr int kFilasDiseno = 200; // header + 199 group rows, more when there are more groups

    explicit frmGruposDesc(const ui::WindowContext& context);

    bool save() override; // GrabarGrupos

private:
    void IniciarGrilla();
    void LlenarGrilla();
    void onGridKey(int key, Qt::KeyboardModifiers modifiers);
    void commitCell(int row, int col, const QString& text);
    bool isGroupRow(int row) const;
    void takeUndoneGrid();
    bool asLoaded() const; // descriptions and orders as loaded or last saved

    ui::Grid* grid_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    ui::GridHistory* history_ = nullptr;
    QLabel* lblTotal_ = nullptr;
    ResumenGrupos resumen_; // row r of the grid is resumen_.grupos[r - 1]
};

} // namespace korvex::schedule
