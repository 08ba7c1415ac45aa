#pragma once
// "Cronograma Valorado de Trabajos" by group: percentages and weeks of work over up to twelve
// periods, with the money per period.

#include "schedule/GroupSchedule.h"
#include "schedule/ScheduleWindow.h"

class QLineEdit;

namespace korvex::ui {
class CellEditor;
class Grid;
class GridHistory;
} // namespace korvex::ui

namespace korvex::schedule {

class frmCronograma : public ScheduleWindow {
    Q_OBJECT
public:
    static constexpr int kFilasDiseno = 200;
    // What the window's period amounts are worth; the printed schedule says "a precios del
    // presupuesto".
    static constexpr const char* kBaseCostoDirecto = "Montos de los periodos a costo directo";

    explicit frmCronograma(const ui::WindowContext& context);

    bool save() override;      // GrabarCronograma
    bool ValidarPorcentajes(); // the check, then the totals; false when a group fails
    int periodos() const { return crono_.periodos; }

    // The bar style of a cell with weeks: what the grid shows as a thick bar.
    static QFont fuenteBarra(const QFont& base);

private:
    void IniciarGrilla();
    void IniciarTotales();
    void LlenarGrilla();
    void CalcularTotales();
    void LimpiarTotales();
    void showBar(int row, int period);
    void commitPercentage(int row, int col, const QString& text);
    void onGridKey(int key, Qt::KeyboardModifiers modifiers);
    void onCharacter(const QString& text);
    // After an undo or redo: the schedule takes the grid's percentages and bars back.
    void takeUndoneGrid();
    bool differsFromSaved() const;

    // Row r of the grid: group (r - 1) / 2, its percentages on odd rows, its bar on even rows.
    GrupoCrono* groupAt(int row);
    static bool isPercentageRow(int row) { return row % 2 == 1; }

    QLineEdit* txtPeriodo_ = nullptr;
    ui::Grid* grid_ = nullptr;
    ui::Grid* totales_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    ui::GridHistory* history_ = nullptr;
    Cronograma crono_;
    int periodosGrabados_ = 1; // the period count as loaded or last saved
};

} // namespace korvex::schedule
