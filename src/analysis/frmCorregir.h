#pragma once
// "Corregir Datos": renames resources across the whole project. The distinct materials,
// equipment, labour and transport resources are listed one kind at a time; the user overwrites a
// description (or unit, or category) and F7 gives every line of the old key the new one, merging
// it into an existing resource (and its price) when the new key is already used. A material's
// correction is also written on the transport row of the same resource. The window only handles
// events and grids; the rows and the writing are CorrectionSheet and applyCorrections.

#include "analysis/AnalysisKinds.h"
#include "analysis/ResourceCorrection.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QWidget>
#include <array>

class QLabel;
class QStackedWidget;

namespace korvex::ui {
class CellEditor;
class Grid;
} // namespace korvex::ui

namespace korvex::analysis {

class frmCorregir : public QWidget, public ui::UnsavedWorkWindow {
    Q_OBJECT
public:
    bool settleUnsavedWork() override;
    explicit frmCorregir(const ui::WindowContext& context, QWidget* parent = nullptr);
    ~frmCorregir() override;

    bool Corregir(); // false when nothing was written because of a failure
    void CambiarGrilla();
    void Salir();

    Kind visibleKind() const { return visible_; }
    const CorrectionSheet& sheet() const { return sheet_; }
    ui::Grid* list(Kind kind) const { return lists_[kindIndex(kind)]; }
    ui::Grid* copy(Kind kind) const { return copies_[kindIndex(kind)]; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void attachEditor(Kind kind);
    void writeHeaders();
    void loadLists();
    void render(Kind kind);
    void commitCell(Kind kind, ui::Grid& grid, int row, int col, const QString& text);
    void onListKey(int key, Qt::KeyboardModifiers modifiers);
    void focusList(int row, int col);
    void setStatus(const QString& text);

    ui::WindowContext context_;
    store::Database db_;
    CorrectionSheet sheet_;
    Kind visible_ = Kind::Material;

    std::array<ui::Grid*, 4> lists_{};
    std::array<ui::Grid*, 4> copies_{};
    QStackedWidget* stack_ = nullptr;
    ui::CellEditor* editor_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* lblEstado_ = nullptr;
};

} // namespace korvex::analysis
