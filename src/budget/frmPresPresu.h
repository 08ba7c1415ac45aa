#pragma once
// Budget presentation: the priced budget of the project, recalculated when the window opens,
// with subtotal, IVA and total. Read-only.

#include "budget/Presentation.h"
#include "ui/WindowRegistry.h"

#include <QWidget>

class QLabel;

namespace korvex::ui {
class Grid;
}

namespace korvex::budget {

class frmPresPresu : public QWidget {
    Q_OBJECT
public:
    explicit frmPresPresu(const ui::WindowContext& context, QWidget* parent = nullptr);

    const Presentacion& presentacion() const { return presentacion_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void construir();
    void mostrar();

    QString projectFolder_;
    Presentacion presentacion_;
    ui::Grid* msfgPresupuesto_ = nullptr;
    QLabel* lblProyecto_ = nullptr;
    QLabel* lblIndirectos_ = nullptr;
    QLabel* lblOtrosInd_ = nullptr;
    QLabel* lblTotalPres_ = nullptr;
    QLabel* lblIVA2_ = nullptr;
    QLabel* lblIVA_ = nullptr;
    QLabel* lblTotalPres2_ = nullptr;
};

} // namespace korvex::budget
