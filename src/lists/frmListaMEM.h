#pragma once
// "Ingreso de Precios": the four resource lists of the project (materials, equipment, labour,
// transport), one on show at a time, where the estimator reprices resources for the whole budget.
// A price typed over a row (or a percentage applied to a whole list with F6) is written on F9 into
// every line of every analysis that uses the resource. The lists and their rules are PriceList's;
// the save is savePrices'; the window handles keys and grids.

#include "lists/PriceList.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace korvex::ui {
class CellEditor;
class Grid;
class GridHistory;
} // namespace korvex::ui

namespace korvex::lists {

class frmListaMEM : public QWidget, public ui::UnsavedWorkWindow {
    Q_OBJECT
public:
    bool settleUnsavedWork() override;
    explicit frmListaMEM(const ui::WindowContext& context, QWidget* parent = nullptr);
    ~frmListaMEM() override;

    // What the keys and buttons run.
    bool GrabarPrecios(); // false when the save failed
    void IncrementarPrecios();
    void CalcularTotales();
    void CambiarLista();
    void Salir();

    TipoRecurso visibleKind() const { return visible_; }
    const PriceList& list(TipoRecurso kind) const { return lists_[index(kind)]; }
    ui::Grid* grid(TipoRecurso kind) const { return grids_[index(kind)]; }
    double totalOf(TipoRecurso kind) const { return totals_[index(kind)]; }
    bool hasUnsavedChanges() const;
    // False when the project database could not be opened (the window has said why).
    bool hasProject() const { return db_.isOpen(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static std::size_t index(TipoRecurso kind) { return static_cast<std::size_t>(kindIndex(kind)); }
    void buildLayout();
    QWidget* buildButtons();
    void IniciarGrilla();
    void attachEditor(TipoRecurso kind);
    void LlenarGrilla();
    void render(TipoRecurso kind);
    void renderRow(TipoRecurso kind, int index);
    void focusGrid(TipoRecurso kind, int row, int col);
    void onGridKey(TipoRecurso kind, int key, Qt::KeyboardModifiers modifiers);
    void commitPrice(TipoRecurso kind, int row, const QString& text);
    void setStatus(const QString& text);
    void takeUndoneGrids();

    ui::WindowContext context_;
    store::Database db_;
    PriceLists lists_;
    std::array<double, 4> totals_{};
    TipoRecurso visible_ = TipoRecurso::Material;
    bool lastCommitRejected_ = false;

    std::array<ui::Grid*, 4> grids_{};
    ui::GridHistory* history_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* lblTotal_ = nullptr;
    QLabel* lblTotal1_ = nullptr;
    QLabel* lblEstado_ = nullptr;
};

} // namespace korvex::lists
