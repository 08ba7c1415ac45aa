#pragma once
// Budget items editor: the list of budget items typed in a grid (code, item, description, unit,
// quantity), with insert, delete and move, saved as a whole into Presupuesto.

#include "budget/BudgetItems.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>

class QLabel;

namespace korvex::ui {
class CellEditor;
class Grid;
class GridHistory;
} // namespace korvex::ui

namespace korvex::budget {

class frmDatosPresupuesto : public QWidget, public ui::UnsavedWorkWindow {
    Q_OBJECT
public:
    bool settleUnsavedWork() override;
    explicit frmDatosPresupuesto(const ui::WindowContext& context, QWidget* parent = nullptr);

    // The key actions, also behind the buttons.
    void insertar(); // F2
    void marcar();   // F8
    bool grabar();   // F9; false when refused or failed (the message was shown)
    void suprimir(); // F10

    const HojaPresupuesto& hoja() const { return hoja_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void construir();
    void configurarEditor();
    bool ejecutarTeclaDeOrden(int key);
    void onGridKey(int key, Qt::KeyboardModifiers modifiers);
    void mostrarDesde(int fila);
    void mostrarFila(int fila);
    void ponerCursor(int fila, int columna);
    void devolverFoco();
    void tomarGrilla();

    QString projectFolder_;
    store::Database db_;
    HojaPresupuesto hoja_;
    ui::Grid* msfgDatosPres_ = nullptr;
    ui::GridHistory* historial_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    QLabel* lblEstado_ = nullptr;
    bool abierta_ = false;
};

} // namespace korvex::budget
