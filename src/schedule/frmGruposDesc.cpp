#include "schedule/frmGruposDesc.h"

#include "engine/Numbers.h"
#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace korvex::schedule {

namespace {
constexpr int kColGrupo = 0;
constexpr int kColDescripcion = 1;
constexpr int kColTotal = 2;
constexpr int kColOrden = 3;
} // namespace

frmGruposDesc::frmGruposDesc(const ui::WindowContext& context)
    : ScheduleWindow(context, "Descripción de Grupos y Subtotales", "Descripción de Grupos y Subtotales") {
    grid_ = new ui::Grid(kFilasDiseno, 4, this);
    grid_->setObjectName("msfgGruposD");
    body()->addWidget(grid_, 1);

    auto* totalRow = new QHBoxLayout;
    totalRow->addStretch(1);
    auto* caption = new QLabel("Total =", this);
    lblTotal_ = new QLabel(this);
    lblTotal_->setObjectName("lblTotal");
    lblTotal_->setFixedWidth(ui::twipsToPixels(1800, this));
    lblTotal_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont bold = lblTotal_->font();
    bold.setBold(true);
    caption->setFont(bold);
    lblTotal_->setFont(bold);
    totalRow->addWidget(caption);
    totalRow->addWidget(lblTotal_);
    // Under the PRECIO TOTAL column: the ORDEN column and the scroll bar to its right.
    totalRow->addSpacing(ui::twipsToPixels(1800, this) + style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                         4);
    body()->addLayout(totalRow);

    QPushButton* grabar = addButton("cmdGrabar", "Grabar (F9)");
    QPushButton* salir = addButton("cmdSalir", "Salir (Esc)");
    connect(grabar, &QPushButton::clicked, this, [this] {
        save();
        grid_->setFocus();
    });
    connect(salir, &QPushButton::clicked, this, &QWidget::close);
    connect(grid_, &ui::Grid::keyDown, this, &frmGruposDesc::onGridKey);

    editor_ = new ui::CellEditor(this);
    ui::CellEditRules rules;
    rules.columns = {kColDescripcion, kColOrden};
    rules.canType = [this](int row, int col) {
        return (col == kColDescripcion || col == kColOrden) && isGroupRow(row);
    };
    rules.canEditExisting = [this](int row, int col) {
        return col == kColDescripcion && isGroupRow(row) && !grid_->text(row, col).isEmpty();
    };
    rules.commit = [this](ui::Grid&, int row, int col, const QString& text, const QString&) {
        commitCell(row, col, text);
    };
    rules.keyAction = [](ui::EditorKey key, bool existing, int, int) {
        if (key != ui::EditorKey::Enter && existing)
            return ui::KeyAction::Pass;
        return ui::KeyAction::Commit;
    };
    rules.nextCell = [this](ui::EditorKey key, int row, int col) -> std::optional<ui::CellPosition> {
        const int last = grid_->rows() - 1;
        const auto down = row < last ? std::optional(ui::CellPosition{row + 1, col}) : std::nullopt;
        if (key == ui::EditorKey::Enter || col == kColOrden)
            return down;
        switch (key) {
        case ui::EditorKey::Left:
            return ui::CellPosition{row, col - 1};
        case ui::EditorKey::Right:
            return ui::CellPosition{row, col + 1};
        case ui::EditorKey::Up:
            return row > 1 ? std::optional(ui::CellPosition{row - 1, col}) : std::nullopt;
        default:
            return down;
        }
    };
    editor_->attach(grid_, rules);

    IniciarGrilla();
    LlenarGrilla();
    history_ = new ui::GridHistory(this, {grid_});
    connect(history_, &ui::GridHistory::restored, this, &frmGruposDesc::takeUndoneGrid);
    fitWidth(grid_, 600);
}

// After an undo or redo the grid shows the descriptions and orders: the groups take them back, so
// the save compares them with those loaded and writes only what still differs.
void frmGruposDesc::takeUndoneGrid() {
    for (int i = 0; i < int(resumen_.grupos.size()); ++i) {
        GrupoResumen& g = resumen_.grupos[i];
        g.descripcion = grid_->text(i + 1, kColDescripcion);
        const QString orden = grid_->text(i + 1, kColOrden);
        g.orden = orden.isEmpty() ? std::nullopt : OrdenDesdeTexto(orden);
    }
    setDirty(!asLoaded());
}

bool frmGruposDesc::asLoaded() const {
    for (const GrupoResumen& g : resumen_.grupos) {
        if (!resumen_.cargados.contains(g.fila))
            continue;
        const QVariantList loaded = resumen_.cargados.values(g.fila);
        const QVariant order = loaded.value(2);
        const std::optional<int> loadedOrder =
            order.isNull() ? std::nullopt : std::optional<int>(int(order.toDouble()));
        if (g.descripcion != loaded.value(1).toString() || g.orden != loadedOrder)
            return false;
    }
    return true;
}

bool frmGruposDesc::isGroupRow(int row) const {
    return row >= 1 && row <= int(resumen_.grupos.size()) && !grid_->text(row, kColGrupo).isEmpty();
}

void frmGruposDesc::IniciarGrilla() {
    grid_->setHeader({"GRUPO", "DESCRIPCION", "PRECIO TOTAL", "ORDEN"}, {1200, 6700, 1800, 1800});
}

void frmGruposDesc::LlenarGrilla() {
    resumen_ = CargarResumenGrupos(db());
    grid_->clearData();
    grid_->setRows(std::max(kFilasDiseno, int(resumen_.grupos.size()) + 1));
    for (int i = 0; i < int(resumen_.grupos.size()); ++i) {
        const int r = i + 1;
        const GrupoResumen& g = resumen_.grupos[i];
        grid_->setText(r, kColGrupo, g.grupo);
        grid_->setAlignment(r, kColGrupo, Qt::AlignCenter);
        grid_->setText(r, kColDescripcion, g.descripcion);
        grid_->setText(r, kColTotal, engine::FormatoGrupo(g.total));
        grid_->setAlignment(r, kColTotal, Qt::AlignRight | Qt::AlignVCenter);
        grid_->setText(r, kColOrden, g.orden ? QString::number(*g.orden) : QString());
        grid_->setAlignment(r, kColOrden, Qt::AlignCenter);
    }
    widenToContents(grid_, kColGrupo);
    lblTotal_->setText(engine::FormatoGrupo(resumen_.total));
    grid_->setCell(1, kColGrupo);
    setDirty(false);
    if (history_)
        history_->reset();
    setStatus(engine::Contar(resumen_.grupos.size(), "grupo", "grupos"));
}

void frmGruposDesc::commitCell(int row, int col, const QString& text) {
    GrupoResumen& g = resumen_.grupos[row - 1];
    if (col == kColDescripcion) {
        g.descripcion = text;
        grid_->setText(row, col, text);
    } else {
        const std::optional<int> orden = OrdenDesdeTexto(text);
        if (!orden) {
            ui::messages::warning(this, kOrdenFueraDeRango);
            return;
        }
        g.orden = *orden;
        grid_->setText(row, col, QString::number(*orden));
        grid_->setAlignment(row, col, Qt::AlignCenter);
    }
    setDirty();
}

void frmGruposDesc::onGridKey(int key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Escape)
        close();
    else if (key == Qt::Key_F9)
        save();
}

bool frmGruposDesc::save() {
    editor_->cancel();
    const ResultadoGrabar result = GrabarDescripcionGrupos(db(), resumen_);
    if (!result.ok) {
        showSaveFailure("los grupos", result.message);
        return false;
    }
    setDirty(false);
    history_->reset();
    setStatus("Grabado: " + engine::Contar(result.registros, "grupo", "grupos"));
    return true;
}

} // namespace korvex::schedule
