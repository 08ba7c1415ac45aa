#include "lists/frmListaMEM.h"

#include "engine/Numbers.h"
#include "lists/PriceSaving.h"
#include "lists/frmPorcentaje.h"
#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Labels.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace korvex::lists {

using engine::FormatoMoneda;

namespace {

constexpr int kDesignRows = 200; // header + 199 resources; the grids grow or shrink to their lists

inline constexpr const char* kPrecioNoValido = "Precio no válido";

} // namespace

frmListaMEM::frmListaMEM(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context), lists_(emptyPriceLists()) {
    setObjectName("frmListaMEM");
    setWindowTitle("Ingreso de Precios");
    ui::hookWheel(this);
    buildLayout();
    IniciarGrilla();
    try {
        db_ = store::Database::openProject(context.projectFolder);
        LlenarGrilla();
    } catch (const store::StoreError& e) {
        ui::messages::failure(this, e.message());
        setStatus(e.message());
    }
    for (TipoRecurso kind : kListKinds)
        render(kind);
    history_ = new ui::GridHistory(this, {grids_.begin(), grids_.end()});
    connect(history_, &ui::GridHistory::restored, this, &frmListaMEM::takeUndoneGrids);
    focusGrid(TipoRecurso::Material, list(TipoRecurso::Material).isEmpty() ? 0 : 1, 0);
}

// After an undo or redo the grids show the prices: the lists take them back, and the total shown
// follows them.
void frmListaMEM::takeUndoneGrids() {
    for (TipoRecurso kind : kListKinds) {
        const ListLayout& l = layoutOf(kind);
        for (int i = 0; i < list(kind).size(); ++i)
            lists_[index(kind)].restoreShown(i, grid(kind)->text(i + 1, l.priceCol),
                                             grid(kind)->text(i + 1, l.totalCol));
        totals_[index(kind)] = list(kind).total();
    }
    lblTotal1_->setText(FormatoMoneda(totals_[index(visible_)]));
}

frmListaMEM::~frmListaMEM() = default;

// ---- Layout -----------------------------------------------------------------------------------

void frmListaMEM::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 6);
    layout->setSpacing(6);

    label1_ = ui::titleLabel("Label1", "Lista de Materiales", this);
    layout->addWidget(label1_);

    stack_ = new QStackedWidget(this);
    for (TipoRecurso kind : kListKinds) {
        const ListLayout& l = layoutOf(kind);
        auto* g = new ui::Grid(kDesignRows, l.columns(), this);
        g->setObjectName(l.gridName);
        grids_[index(kind)] = g;
        stack_->addWidget(g);
        connect(g, &ui::Grid::keyDown, this,
                [this, kind](int key, Qt::KeyboardModifiers modifiers) { onGridKey(kind, key, modifiers); });
    }
    layout->addWidget(stack_, 1);

    editor_ = new ui::CellEditor(this);
    for (TipoRecurso kind : kListKinds)
        attachEditor(kind);

    // The total has a line of its own under the grid: the longest caption ("Total de Herramientas
    // y Equipo:") beside the buttons would squeeze them at the window's usual width.
    auto* totalLine = new QHBoxLayout;
    totalLine->addStretch(1);
    lblTotal_ = ui::namedLabel("lblTotal", "Total Materiales:", this);
    QFont bold = lblTotal_->font();
    bold.setBold(true);
    lblTotal_->setFont(bold);
    lblTotal1_ = ui::namedLabel("lblTotal1", QString(), this);
    lblTotal1_->setFont(bold);
    lblTotal1_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblTotal1_->setFrameShape(QFrame::Panel);
    lblTotal1_->setFrameShadow(QFrame::Sunken);
    lblTotal1_->setMinimumWidth(150);
    lblTotal1_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    totalLine->addWidget(lblTotal_);
    totalLine->addWidget(lblTotal1_);
    layout->addLayout(totalLine);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(buildButtons());
    bottom->addStretch(1);
    layout->addLayout(bottom);

    lblEstado_ = ui::namedLabel("lblEstado", QString(), this);
    layout->addWidget(lblEstado_);
    resize(ui::twipsToPixels(13500, this) + 60, 620);
}

QWidget* frmListaMEM::buildButtons() {
    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    struct ButtonDef {
        const char* name;
        const char* caption;
        std::function<void()> run;
    };
    const std::array<ButtonDef, 5> defs = {{
        {"cmdGrabar", "Grabar (F9)",
         [this] {
             GrabarPrecios();
             focusGrid(visible_, grid(visible_)->row(), grid(visible_)->col());
         }},
        {"cmdIncrementar", "Incr. % (F6 )", [this] { IncrementarPrecios(); }},
        {"cmdCalcular", "Calcular (F5)", [this] { CalcularTotales(); }},
        {"cmdCambiar", "Cambiar (F1)", [this] { CambiarLista(); }},
        {"cmdSalir", "Salir (Esc)", [this] { Salir(); }},
    }};
    for (const ButtonDef& def : defs) {
        auto* button = new QPushButton(def.caption, box);
        button->setObjectName(def.name);
        button->setMinimumWidth(std::max(110, button->sizeHint().width()));
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, def.run);
    }
    return box;
}

void frmListaMEM::IniciarGrilla() {
    for (TipoRecurso kind : kListKinds) {
        const ListLayout& l = layoutOf(kind);
        grid(kind)->setHeader(l.headers, l.widthsTwips);
    }
}

void frmListaMEM::attachEditor(TipoRecurso kind) {
    const ListLayout& l = layoutOf(kind);
    ui::Grid* g = grid(kind);
    ui::CellEditRules rules;
    rules.columns = {l.priceCol};
    // Only a price that is there can be retyped: an empty row is no resource.
    rules.canType = [g, col = l.priceCol](int row, int c) { return c == col && !g->text(row, c).isEmpty(); };
    rules.keyAction = [](ui::EditorKey key, bool, int, int) {
        return key == ui::EditorKey::Left || key == ui::EditorKey::Right ? ui::KeyAction::Pass
                                                                         : ui::KeyAction::Commit;
    };
    rules.commit = [this, kind](ui::Grid&, int row, int, const QString& text, const QString&) {
        commitPrice(kind, row, text);
    };
    rules.nextCell = [this, g](ui::EditorKey key, int row, int col) -> std::optional<ui::CellPosition> {
        if (lastCommitRejected_)
            return std::nullopt; // the user retypes the price where it was
        if (key == ui::EditorKey::Up)
            return row > 1 ? std::optional(ui::CellPosition{row - 1, col}) : std::nullopt;
        return row < g->rows() - 1 ? std::optional(ui::CellPosition{row + 1, col}) : std::nullopt;
    };
    editor_->attach(g, rules);
}

// ---- Filling and drawing ---------------------------------------------------------------------

void frmListaMEM::LlenarGrilla() {
    lists_ = loadPriceLists(db_);
}

void frmListaMEM::render(TipoRecurso kind) {
    const PriceList& l = list(kind);
    ui::Grid* g = grid(kind);
    g->setUpdatesEnabled(false);
    g->clearData();
    g->setRows(l.size() + 1);
    for (int i = 0; i < l.size(); ++i)
        renderRow(kind, i);
    g->setUpdatesEnabled(true);
}

void frmListaMEM::renderRow(TipoRecurso kind, int index) {
    const PriceList& l = list(kind);
    const ListLayout& layout = l.layout();
    ui::Grid* g = grid(kind);
    const int row = index + 1;
    for (int col = 0; col < layout.columns(); ++col)
        g->setText(row, col, l.cell(index, col));
    if (layout.hasSecond())
        g->setAlignment(row, layout.secondCol, Qt::AlignCenter);
    for (int col : {layout.priceCol, layout.quantityCol, layout.totalCol})
        g->setAlignment(row, col, Qt::AlignRight | Qt::AlignVCenter);
}

void frmListaMEM::focusGrid(TipoRecurso kind, int row, int col) {
    grid(kind)->setCell(row, col);
    grid(kind)->setFocus(Qt::OtherFocusReason);
}

void frmListaMEM::setStatus(const QString& text) {
    lblEstado_->setText(text);
}

// ---- Keys and editing -------------------------------------------------------------------------

void frmListaMEM::onGridKey(TipoRecurso kind, int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return;
    switch (key) {
    case Qt::Key_F9:
        GrabarPrecios();
        focusGrid(visible_, grid(visible_)->row(), grid(visible_)->col());
        break;
    case Qt::Key_F6:
        IncrementarPrecios();
        break;
    case Qt::Key_F5:
        CalcularTotales();
        break;
    case Qt::Key_F1:
        CambiarLista();
        break;
    case Qt::Key_Escape:
        Salir();
        break;
    default:
        break;
    }
}

void frmListaMEM::commitPrice(TipoRecurso kind, int row, const QString& text) {
    const int i = row - 1;
    lastCommitRejected_ = i < 0 || i >= list(kind).size() || !lists_[index(kind)].commitPrice(i, text);
    if (lastCommitRejected_) {
        setStatus(kPrecioNoValido);
        return;
    }
    renderRow(kind, i);
    setStatus({});
}

// ---- Operations -------------------------------------------------------------------------------

void frmListaMEM::CalcularTotales() {
    for (TipoRecurso kind : kListKinds) {
        totals_[index(kind)] = list(kind).total();
        if (kind == visible_) {
            lblTotal1_->setText(FormatoMoneda(totals_[index(kind)]));
            grid(kind)->setFocus(Qt::OtherFocusReason);
        }
    }
}

void frmListaMEM::CambiarLista() {
    editor_->cancel();
    visible_ = nextKind(visible_);
    const ListLayout& l = layoutOf(visible_);
    stack_->setCurrentWidget(grid(visible_));
    label1_->setText(l.title);
    lblTotal_->setText(l.totalCaption);
    lblTotal1_->setText(FormatoMoneda(totals_[index(visible_)]));
    focusGrid(visible_, 0, 0);
}

void frmListaMEM::IncrementarPrecios() {
    editor_->cancel();
    const frmPorcentaje::Answer answer = frmPorcentaje::ask(this);
    const int changed = lists_[index(visible_)].increaseBy(answer.porcentaje);
    render(visible_);
    if (answer.textoNoValido)
        setStatus("Porcentaje no válido: los precios no han cambiado");
    else
        setStatus(QStringLiteral("%1 precio(s) incrementado(s), sin grabar").arg(changed));
    focusGrid(visible_, 0, layoutOf(visible_).priceCol);
}

bool frmListaMEM::GrabarPrecios() {
    editor_->cancel();
    if (!db_.isOpen())
        return false;
    const PriceSaveOutcome outcome = savePrices(db_, lists_);
    if (!outcome.ok) {
        ui::messages::failure(this, outcome.message);
        setStatus(outcome.message.section('\n', 0, 0));
        return false;
    }
    setStatus(savedPricesStatus(outcome));
    history_->reset();
    return true;
}

void frmListaMEM::Salir() {
    close();
}

bool frmListaMEM::hasUnsavedChanges() const {
    for (const PriceList& l : lists_)
        if (l.isModified())
            return true;
    return false;
}

bool frmListaMEM::settleUnsavedWork() {
    editor_->cancel();
    return ui::messages::settleUnsavedChanges(this, hasUnsavedChanges(), [this] { return GrabarPrecios(); });
}

void frmListaMEM::closeEvent(QCloseEvent* event) {
    editor_->cancel();
    if (!ui::workSettled(this) && !settleUnsavedWork()) {
        event->ignore();
        return;
    }
    ui::unhookWheel(this);
    db_.close();
    event->accept();
}

} // namespace korvex::lists
