#pragma once
// "Asignacion de Simbolos": gives every material and fixed cost component of the project a symbol of
// the price-adjustment formula and stores the lines with their shares in SimbolosMat.

#include "formula/Symbols.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>
#include <vector>

class QLabel;
class QPushButton;

namespace korvex::ui {
class CellEditor;
class Grid;
class GridHistory;
} // namespace korvex::ui

namespace korvex::formula {

class frmSimbolos : public QWidget, public ui::UnsavedWorkWindow {
    Q_OBJECT
public:
    bool settleUnsavedWork() override;
    explicit frmSimbolos(const ui::WindowContext& context, QWidget* parent = nullptr);

    bool hasUnsavedChanges() const { return dirty_; }
    // F9 / cmdGrabar. False when nothing could be written (the message has been shown).
    bool GrabarSimbolos();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void IniciarGrilla();
    void LlenarGrilla();
    void onGridKey(int key, Qt::KeyboardModifiers modifiers);
    void setUpEditor();
    bool isSymbolRow(int row) const;
    void writeSymbol(int row, const QString& typed);
    void warnAboutTwelfth(const QString& symbol, int count);
    void showCounts();
    // After an undo or redo: the rows take the grid's symbols back.
    void takeUndoneGrid();

    QString folder_;
    store::Database db_;
    SymbolTable table_; // the grid shows table_.rows
    bool loaded_ = false;
    bool dirty_ = false;

    ui::Grid* grid_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    ui::GridHistory* history_ = nullptr;
    QPushButton* cmdGrabar_ = nullptr;
    QPushButton* cmdOrdenar_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
    QLabel* lblEstado_ = nullptr;
};

} // namespace korvex::formula
