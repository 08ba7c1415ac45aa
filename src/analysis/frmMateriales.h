#pragma once
// The unit price analysis editor of one budget item: four grids of resource lines (materials,
// equipment, labour, transport), one on show at a time, priced from the project prices (F5) and
// written back (F9). The window only handles events and grids; loading, pricing, editing rules
// and saving are the operations of AnalysisLoading, AnalysisPricing, AnalysisSheet and
// AnalysisSaving.
//
// Opened by the item picker through the window registry with arguments {"txtCod", "txtItem"};
// opened again for another item while open, it loads that item (asking first to save changes).

#include "analysis/AnalysisKinds.h"
#include "analysis/AnalysisLoading.h"
#include "analysis/AnalysisPricing.h"
#include "analysis/AnalysisSheet.h"
#include "analysis/ResourceLookup.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <optional>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace korvex::ui {
class GridHistory;
class CellEditor;
class Grid;
} // namespace korvex::ui

namespace korvex::analysis {

class frmMateriales : public QWidget, public ui::ReopenableWindow, public ui::UnsavedWorkWindow {
    Q_OBJECT
public:
    bool settleUnsavedWork() override;
    explicit frmMateriales(const ui::WindowContext& context, QWidget* parent = nullptr);
    ~frmMateriales() override;

    // Loads the item named by context.arguments, after asking to save the changes of the one
    // being edited; keeps the current item when the user cancels.
    void reopen(const ui::WindowContext& context) override;

    // What the keys and buttons run.
    void CalcularAnalisis();
    void CambiarGrilla();
    void InsertarLinea();
    void SuprimirLinea();
    bool Grabar(); // false when nothing was written (refused, cancelled or failed)
    void Salir();

    Kind visibleKind() const { return visible_; }
    const AnalysisSheet& sheet() const { return sheet_; }
    const AnalysisTotals& totals() const { return totals_; }
    bool hasItem() const { return item_.has_value(); }
    bool isModified() const { return sheet_.isModified(); }
    QString itemCode() const { return item_ ? item_->code : QString(); }
    QString itemNumber() const { return item_ ? item_->item : QString(); }
    ui::Grid* grid(Kind kind) const { return grids_[kindIndex(kind)]; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    QWidget* buildHeader();
    QWidget* buildTotals();
    QWidget* buildButtons();
    void IniciarGrilla();
    void attachEditor(Kind kind);

    bool openProject(const QString& folder);
    bool loadItem(const QString& code, const QString& item); // false (after saying why) when not shown
    void resetTotals();
    void takeUndoneGrids();
    void showKind(Kind kind);
    void markRepriced(Kind kind);
    void render(Kind kind);
    void renderCopy(Kind kind);
    void renderTotals();
    void focusGrid(Kind kind, int row, int col);

    void onGridKey(Kind kind, int key, Qt::KeyboardModifiers modifiers);
    void commitCell(Kind kind, ui::Grid& grid, int row, int col, const QString& text, const QString& picked);
    std::optional<QList<QStringList>> lookup(Kind kind, int col, const QString& text);
    bool mayLeaveItem(); // asks to save changes; true when the item may be dropped
    void setStatus(const QString& text);

    ui::WindowContext context_;
    store::Database db_;
    std::optional<BudgetItem> item_;
    ProjectHeader header_;
    AnalysisSheet sheet_;
    ui::GridHistory* history_ = nullptr;
    AnalysisTotals totals_;
    Kind visible_ = Kind::Material;
    std::optional<ResourceCatalog> catalog_;

    std::array<ui::Grid*, 4> grids_{};
    std::array<ui::Grid*, 4> copies_{};
    QStackedWidget* stack_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    QLabel* lblProyecto_ = nullptr;
    QLabel* lblRubro_ = nullptr;
    QLabel* lblCodigo_ = nullptr;
    QLabel* lblUnidad_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label7_ = nullptr;
    QLabel* lblSubtotal_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* lblHerrMan_ = nullptr;
    QLabel* lblDirectos_ = nullptr;
    QLabel* label9_ = nullptr;
    QLabel* lblIndirectos_ = nullptr;
    QLabel* lblOtrosInd_ = nullptr;
    QLabel* lblPU_ = nullptr;
    QLabel* lblEstado_ = nullptr;
    std::array<QPushButton*, 6> buttons_{};
};

} // namespace korvex::analysis
