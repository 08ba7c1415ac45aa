#pragma once
// "Cronograma Nuevo": the valued work schedule by budget item in six 30-day columns.

#include "schedule/ItemSchedule.h"
#include "schedule/ScheduleWindow.h"

class QLabel;

namespace korvex::ui {
class CellEditor;
class Grid;
class GridHistory;
} // namespace korvex::ui

namespace korvex::schedule {

class frmCronograma2 : public ScheduleWindow {
    Q_OBJECT
public:
    // Columns of msfgCrono.
    static constexpr int kColRubro = 0;
    static constexpr int kColCantidad = 1;
    static constexpr int kColPrecio = 2;
    static constexpr int kColTotal = 3;
    static constexpr int kColPrimerDia = 4; // 30 days; 9 is 180 days
    static constexpr int kColRestante = 10;

    explicit frmCronograma2(const ui::WindowContext& context);

    bool save() override;   // GrabarCronoValores
    void CalcularTotales(); // F5

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void IniciarGrilla();
    void LlenarGrilla();
    void showQuantity(int row, int column);
    void CalcularRestantes();
    void CalcularRestante(int row);
    void AsignarCantidad(int row, int col, const QString& text);
    void onGridKey(int key, Qt::KeyboardModifiers modifiers);
    // After an undo or redo: the items take the grid's quantities back.
    void takeUndoneGrid();
    void placeDaysCaption(); // "TIEMPO EN DIAS" over the day columns as they are scrolled

    ItemCrono* itemAt(int row);

    QWidget* band_ = nullptr;
    QLabel* days_ = nullptr;
    ui::Grid* grid_ = nullptr;
    ui::Grid* items_ = nullptr; // msfgItems: the key of each row's item, hidden
    ui::Grid* totales_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    ui::GridHistory* history_ = nullptr;
    CronoItems crono_;
};

} // namespace korvex::schedule
