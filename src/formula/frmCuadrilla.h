#pragma once
// "Cuadrilla Tipo": the labour categories of the project with their cost over the whole budget and
// their share of the labour base, and the maintenance mechanic. Shows only; writes nothing.

#include "formula/Crew.h"
#include "formula/WindowParts.h"
#include "ui/WindowRegistry.h"

#include <QWidget>

class QPushButton;

namespace korvex::ui {
class Grid;
}

namespace korvex::formula {

class frmCuadrilla : public QWidget {
    Q_OBJECT
public:
    explicit frmCuadrilla(const ui::WindowContext& context, QWidget* parent = nullptr);
    const CrewSheet& sheet() const { return sheet_; }

private:
    void IniciarGrilla();
    void LlenarCuadrilla();

    QString folder_;
    CrewSheet sheet_;
    ui::Grid* grid_ = nullptr;
    TotalsRow totals_;
    QPushButton* cmdSalir_ = nullptr;
};

} // namespace korvex::formula
