#pragma once
// "Descripcion de Simbolos y Formula de Reajuste": the coefficients of the polynomial formula per
// symbol, with a description the user gives each one; stored in SimbolosDesc.

#include "formula/Formula.h"
#include "formula/WindowParts.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace korvex::ui {
class CellEditor;
class Grid;
class GridHistory;
} // namespace korvex::ui

namespace korvex::formula {

class frmFormula : public QWidget, public ui::UnsavedWorkWindow {
    Q_OBJECT
public:
    bool settleUnsavedWork() override;
    explicit frmFormula(const ui::WindowContext& context, QWidget* parent = nullptr);

    const FormulaSheet& sheet() const { return sheet_; }
    bool hasUnsavedChanges() const { return dirty_; }
    // On opening, F9 and cmdGrabar. False when nothing was written (the message has been shown).
    bool GrabarFormula();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void IniciarGrilla();
    void CalcularFormula();
    void showSheet();
    void setUpEditor();
    bool isDescriptionRow(int row) const;
    void onGridKey(int key, Qt::KeyboardModifiers modifiers);
    // After an undo or redo: the rows take the grid's descriptions back.
    void takeUndoneGrid();

    QString folder_;
    store::Database db_;
    FormulaSheet sheet_;
    bool loaded_ = false;
    bool dirty_ = false;

    ui::Grid* grid_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    ui::GridHistory* history_ = nullptr;
    TotalsRow totals_;
    QPushButton* cmdGrabar_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
    QLabel* lblEstado_ = nullptr;
};

} // namespace korvex::formula
