#pragma once
// "Cambiar Rendimiento": the yields of every equipment and labour line of the project in two
// grids, one on show at a time; only the yield is typed, and F9 stores the changed yields. Rows
// know their lines by item and description (YieldSheet), so a line added or deleted in the
// analysis editor meanwhile cannot take another line's yield.

#include "analysis/YieldSheet.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>
#include <array>

class QLabel;
class QStackedWidget;

namespace korvex::ui {
class CellEditor;
class Grid;
class GridHistory;
} // namespace korvex::ui

namespace korvex::analysis {

class frmRendimiento : public QWidget, public ui::UnsavedWorkWindow {
    Q_OBJECT
public:
    bool settleUnsavedWork() override;
    explicit frmRendimiento(const ui::WindowContext& context, QWidget* parent = nullptr);
    ~frmRendimiento() override;

    bool GrabarRendimientos(); // false when nothing was stored because of a failure
    void CambiarGrilla();
    void Salir();

    YieldKind visibleKind() const { return visible_; }
    const YieldSheet& sheet() const { return sheet_; }
    bool isModified() const { return sheet_.isModified(); }
    ui::Grid* grid(YieldKind kind) const { return grids_[kind == YieldKind::Equipment ? 0 : 1]; }
    static int yieldColumn(YieldKind kind) { return kind == YieldKind::Equipment ? 4 : 5; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void attachEditor(YieldKind kind);
    void writeHeader(YieldKind kind);
    void fill();
    void render(YieldKind kind);
    void onGridKey(int key, Qt::KeyboardModifiers modifiers);
    void focusGrid(YieldKind kind, int row);
    void setStatus(const QString& text);
    void takeUndoneGrids();

    ui::WindowContext context_;
    store::Database db_;
    YieldSheet sheet_;
    YieldKind visible_ = YieldKind::Equipment;

    std::array<ui::Grid*, 2> grids_{};
    QStackedWidget* stack_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    ui::GridHistory* history_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* lblEstado_ = nullptr;
};

} // namespace korvex::analysis
