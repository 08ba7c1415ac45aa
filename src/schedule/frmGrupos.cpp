#include "schedule/frmGrupos.h"

#include "engine/Numbers.h"
#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::schedule {

namespace {
constexpr int kColGrupo = 0;
constexpr int kColItem = 1;
constexpr int kColDescripcion = 2;
constexpr int kColUnidad = 3;
} // namespace

frmGrupos::frmGrupos(const ui::WindowContext& context)
    : ScheduleWindow(context, "Agrupacion de Rubros", "Agrupación de Rubros") {
    grid_ = new ui::Grid(2, 4, this);
    grid_->setObjectName("msfgGrupos");
    body()->addWidget(grid_);
    QPushButton* grabar = addButton("cmdGrabar", "Grabar (F9)");
    QPushButton* salir = addButton("cmdSalir", "Salir (Esc)");
    connect(grabar, &QPushButton::clicked, this, [this] {
        save();
        grid_->setFocus();
    });
    connect(salir, &QPushButton::clicked, this, &QWidget::close);
    connect(grid_, &ui::Grid::keyDown, this, &frmGrupos::onGridKey);

    editor_ = new ui::CellEditor(this);
    ui::CellEditRules rules;
    rules.columns = {kColGrupo};
    rules.centredColumns = {kColGrupo};
    // Every item row takes a group, an item without number included.
    rules.canType = [this](int row, int col) {
        return col == kColGrupo && row >= 1 && row <= int(items_.size());
    };
    rules.keyAction = [](ui::EditorKey key, bool existing, int, int) {
        if (key == ui::EditorKey::Enter)
            return ui::KeyAction::Commit;
        if (existing || key == ui::EditorKey::Left)
            return ui::KeyAction::Pass;
        return ui::KeyAction::Commit;
    };
    rules.nextCell = [this](ui::EditorKey key, int row, int col) -> std::optional<ui::CellPosition> {
        const int last = grid_->rows() - 1;
        switch (key) {
        case ui::EditorKey::Enter:
        case ui::EditorKey::Down:
            return row < last ? std::optional(ui::CellPosition{row + 1, col}) : std::nullopt;
        case ui::EditorKey::Up:
            return row > 1 ? std::optional(ui::CellPosition{row - 1, col}) : std::nullopt;
        case ui::EditorKey::Right:
            return col < grid_->cols() - 1 ? std::optional(ui::CellPosition{row, col + 1}) : std::nullopt;
        case ui::EditorKey::Left:
            break;
        }
        return std::nullopt;
    };
    editor_->attach(grid_, rules);
    connect(editor_, &ui::CellEditor::committed, this, [this] { setDirty(); });

    ui::hookWheel(this);
    IniciarGrilla();
    LlenarGrilla();
    // The save reads the groups from the grid and compares them with those loaded, so an undo
    // needs nothing but the grid.
    history_ = new ui::GridHistory(this, {grid_});
    connect(history_, &ui::GridHistory::restored, this, &frmGrupos::takeUndoneGrid);
    fitWidth(grid_, 560);
}

// A group cell back at the group loaded is no change.
void frmGrupos::takeUndoneGrid() {
    bool changed = false;
    for (int i = 0; i < int(items_.size()); ++i)
        changed = changed || grid_->text(i + 1, kColGrupo) != items_[i].grupo;
    setDirty(changed);
}

void frmGrupos::IniciarGrilla() {
    grid_->setHeader({"GRUPO", "ÍTEM", "DESCRIPCIÓN", "UNIDAD"}, {1000, 900, 6700, 1000});
}

void frmGrupos::LlenarGrilla() {
    cargados_ = CargarGruposItems(db());
    items_ = cargados_.items;
    grid_->clearData();
    grid_->setRows(int(items_.size()) + 1);
    for (int i = 0; i < int(items_.size()); ++i) {
        const int r = i + 1;
        const ItemGrupo& item = items_[i];
        grid_->setText(r, kColGrupo, item.grupo);
        grid_->setText(r, kColItem, item.itemPres);
        grid_->setText(r, kColDescripcion, item.descripcionPres);
        grid_->setText(r, kColUnidad, item.unidadPres);
        for (int c : {kColGrupo, kColItem, kColUnidad})
            grid_->setAlignment(r, c, Qt::AlignCenter);
    }
    widenToContents(grid_, kColGrupo);
    grid_->setCell(items_.empty() ? 0 : 1, kColGrupo);
    setDirty(false);
    if (history_)
        history_->reset();
    setStatus(engine::Contar(items_.size(), "rubro", "rubros"));
}

void frmGrupos::onGridKey(int key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Escape)
        close();
    else if (key == Qt::Key_F9)
        save();
}

std::vector<ItemGrupo> frmGrupos::rowsFromGrid() const {
    std::vector<ItemGrupo> rows = items_;
    for (int i = 0; i < int(rows.size()); ++i)
        rows[i].grupo = grid_->text(i + 1, kColGrupo);
    return rows;
}

bool frmGrupos::save() {
    editor_->cancel();
    const ResultadoGrupos result = GrabarGrupos(db(), cargados_, rowsFromGrid());
    if (!result.ok) {
        showSaveFailure("los grupos", result.message);
        return false;
    }
    // Shown again from the table: a cell emptied by the user shows the group the item keeps.
    const int row = grid_->row();
    const int col = grid_->col();
    try {
        LlenarGrilla();
        if (row >= 1 && row < grid_->rows())
            grid_->setCell(row, col);
    } catch (const store::StoreError& error) {
        ui::messages::failure(this, error.message());
    }
    setStatus(QString("Grabado: %1 de grupo, %2, %3 sin rubros")
                  .arg(engine::Contar(result.registros, "rubro cambiado", "rubros cambiados"),
                       engine::Contar(result.gruposCreados, "grupo nuevo", "grupos nuevos"),
                       engine::Contar(result.gruposBorrados, "grupo eliminado", "grupos eliminados")));
    grid_->setFocus();
    return true;
}

} // namespace korvex::schedule
