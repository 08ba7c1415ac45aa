#include "analysis/frmRendimiento.h"

#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Labels.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace korvex::analysis {

namespace {

constexpr std::array<YieldKind, 2> kYieldKinds = {YieldKind::Equipment, YieldKind::Labour};

QString kindCaption(YieldKind kind) {
    return kind == YieldKind::Equipment ? QStringLiteral("Maquinaria") : QStringLiteral("Mano de Obra");
}

} // namespace

frmRendimiento::frmRendimiento(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("frmRendimiento");
    setWindowTitle("Cambiar Rendimiento");
    ui::hookWheel(this);
    buildLayout();
    try {
        db_ = store::Database::openProject(context.projectFolder);
        fill();
    } catch (const store::StoreError& e) {
        // Nothing was read, so there is nothing that could be stored over the project.
        sheet_ = YieldSheet{};
        db_.close();
        findChild<QPushButton*>("cmdGrabar")->setEnabled(false);
        ui::messages::failure(this, e.message());
        setStatus(e.message());
    }
    for (YieldKind kind : kYieldKinds)
        render(kind);
    history_ = new ui::GridHistory(this, {grids_.begin(), grids_.end()});
    connect(history_, &ui::GridHistory::restored, this, &frmRendimiento::takeUndoneGrids);
    focusGrid(YieldKind::Equipment, 1);
}

// After an undo or redo the grids show the yields: the lines take them back. A yield back at the
// one loaded is no change, so the save leaves it alone.
void frmRendimiento::takeUndoneGrids() {
    for (YieldKind kind : kYieldKinds) {
        QList<YieldLine>& lines = sheet_.lines(kind);
        for (int i = 0; i < lines.size(); ++i)
            lines[i].yield = grid(kind)->text(i + 1, yieldColumn(kind));
    }
}

frmRendimiento::~frmRendimiento() = default;

void frmRendimiento::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 6);
    layout->setSpacing(6);

    auto* titles = new QHBoxLayout;
    auto* label1 = ui::titleLabel("Label1", "Cambiar Rendimiento", this);
    label2_ = ui::titleLabel("Label2", kindCaption(YieldKind::Equipment), this);
    titles->addWidget(label1);
    titles->addSpacing(24);
    titles->addWidget(label2_);
    titles->addStretch(1);
    layout->addLayout(titles);

    stack_ = new QStackedWidget(this);
    for (YieldKind kind : kYieldKinds) {
        auto* g = new ui::Grid(300, kind == YieldKind::Equipment ? 5 : 6, this);
        g->setObjectName(kind == YieldKind::Equipment ? "msfgMaquinaria" : "msfgManoObra");
        grids_[kind == YieldKind::Equipment ? 0 : 1] = g;
        writeHeader(kind);
        stack_->addWidget(g);
        connect(g, &ui::Grid::keyDown, this, &frmRendimiento::onGridKey);
    }
    layout->addWidget(stack_, 1);

    editor_ = new ui::CellEditor(this);
    for (YieldKind kind : kYieldKinds)
        attachEditor(kind);

    auto* buttons = new QHBoxLayout;
    auto* cmdGrabar = new QPushButton("Grabar (F9)", this);
    cmdGrabar->setObjectName("cmdGrabar");
    auto* cmdCambiar = new QPushButton("Cambiar (F1)", this);
    cmdCambiar->setObjectName("cmdCambiar");
    auto* cmdSalir = new QPushButton("Salir (Esc)", this);
    cmdSalir->setObjectName("cmdSalir");
    for (QPushButton* b : {cmdGrabar, cmdCambiar, cmdSalir}) {
        b->setMinimumWidth(140);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(cmdGrabar, &QPushButton::clicked, this, [this] {
        GrabarRendimientos();
        grid(visible_)->setFocus(Qt::OtherFocusReason);
    });
    connect(cmdCambiar, &QPushButton::clicked, this, &frmRendimiento::CambiarGrilla);
    // Closes the database as Esc does, not only the window.
    connect(cmdSalir, &QPushButton::clicked, this, &frmRendimiento::Salir);

    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName("lblEstado");
    layout->addWidget(lblEstado_);
    resize(ui::twipsToPixels(14100, this) + 70, 640);
}

void frmRendimiento::writeHeader(YieldKind kind) {
    if (kind == YieldKind::Equipment)
        grid(kind)->setHeader({"CODIGO", "ITEM", "RUBRO", "DESCRIPCION", "RENDIMIENTO"},
                              {1000, 1000, 5000, 5000, 2100});
    else
        grid(kind)->setHeader({"CODIGO", "ITEM", "RUBRO", "DESCRIPCION", "CATEG.", "RENDIM"},
                              {1000, 1000, 5000, 5000, 1000, 1100});
}

void frmRendimiento::attachEditor(YieldKind kind) {
    const int yieldCol = yieldColumn(kind);
    ui::CellEditRules rules;
    rules.columns = {yieldCol};
    rules.canType = [this, kind, yieldCol](int row, int col) {
        return col == yieldCol && row >= 1 && row <= sheet_.lines(kind).size();
    };
    rules.canEditExisting = rules.canType;
    rules.commit = [this, kind, yieldCol](ui::Grid& g, int row, int col, const QString& text,
                                          const QString&) {
        if (col != yieldCol || row < 1 || row > sheet_.lines(kind).size())
            return;
        const QString shown = yieldCellText(text);
        g.setText(row, col, shown);
        g.setAlignment(row, col, Qt::AlignRight | Qt::AlignVCenter);
        sheet_.lines(kind)[row - 1].yield = shown;
    };
    // Left and Right move the caret; Up, Down and Enter write and move, never past the lines.
    rules.keyAction = [](ui::EditorKey key, bool, int, int) {
        return key == ui::EditorKey::Left || key == ui::EditorKey::Right ? ui::KeyAction::Pass
                                                                         : ui::KeyAction::Commit;
    };
    rules.nextCell = [this, kind](ui::EditorKey key, int row, int col) -> std::optional<ui::CellPosition> {
        const int last = std::max(1, static_cast<int>(sheet_.lines(kind).size()));
        if (key == ui::EditorKey::Up)
            return ui::CellPosition{std::max(1, row - 1), col};
        return ui::CellPosition{std::min(last, row + 1), col};
    };
    editor_->attach(grid(kind), rules);
}

void frmRendimiento::fill() {
    sheet_ = loadYields(db_);
}

void frmRendimiento::render(YieldKind kind) {
    ui::Grid* g = grid(kind);
    const QList<YieldLine>& lines = sheet_.lines(kind);
    const int yieldCol = yieldColumn(kind);
    g->setUpdatesEnabled(false);
    g->clearData();
    // Header plus the lines; an empty project keeps one blank row to stand on.
    g->setRows(std::max(2, static_cast<int>(lines.size()) + 1));
    for (int i = 0; i < lines.size(); ++i) {
        const YieldLine& line = lines[i];
        const int r = i + 1;
        g->setText(r, 0, line.code);
        g->setText(r, 1, line.item);
        g->setText(r, 2, line.itemDescription);
        g->setText(r, 3, line.description);
        if (kind == YieldKind::Labour) {
            g->setText(r, 4, line.category);
            g->setAlignment(r, 4, Qt::AlignCenter);
        }
        g->setText(r, yieldCol, line.yield);
        g->setAlignment(r, 0, Qt::AlignCenter);
        g->setAlignment(r, 1, Qt::AlignCenter);
        g->setAlignment(r, yieldCol, Qt::AlignRight | Qt::AlignVCenter);
    }
    g->setUpdatesEnabled(true);
    g->setCell(1, yieldCol);
}

void frmRendimiento::onGridKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier))
        return;
    switch (key) {
    case Qt::Key_F9:
        GrabarRendimientos();
        grid(visible_)->setFocus(Qt::OtherFocusReason);
        break;
    case Qt::Key_F1:
        CambiarGrilla();
        break;
    case Qt::Key_Escape:
        Salir();
        break;
    default:
        break;
    }
}

bool frmRendimiento::GrabarRendimientos() {
    editor_->cancel();
    if (!db_.isOpen())
        return false;
    const YieldSaveOutcome outcome = saveYields(db_, sheet_);
    if (!outcome.ok) {
        ui::messages::failure(this, outcome.message);
        setStatus(outcome.message.section('\n', 0, 0));
        return false;
    }
    sheet_.markSaved();
    QString status = QStringLiteral("%1 rendimiento(s) grabado(s)").arg(outcome.written);
    if (!outcome.missing.isEmpty()) {
        // Those yields were typed for lines that have since left the project: say so, and show the
        // project as it is now rather than rows that stand for nothing.
        ui::messages::warning(
            this, QStringLiteral("Estas líneas ya no están en el proyecto y sus rendimientos no se "
                                 "grabaron:\n") +
                      outcome.missing.join('\n'));
        status += QStringLiteral(", %1 línea(s) ya no existen").arg(outcome.missing.size());
        try {
            fill();
        } catch (const store::StoreError& e) {
            ui::messages::failure(this, e.message());
        }
        for (YieldKind kind : kYieldKinds)
            render(kind);
    }
    grid(YieldKind::Equipment)->setCell(1, yieldColumn(YieldKind::Equipment));
    grid(YieldKind::Labour)->setCell(1, yieldColumn(YieldKind::Labour));
    history_->reset();
    setStatus(status);
    return true;
}

void frmRendimiento::CambiarGrilla() {
    editor_->cancel();
    visible_ = visible_ == YieldKind::Equipment ? YieldKind::Labour : YieldKind::Equipment;
    stack_->setCurrentWidget(grid(visible_));
    label2_->setText(kindCaption(visible_));
    focusGrid(visible_, 1);
}

void frmRendimiento::focusGrid(YieldKind kind, int row) {
    ui::Grid* g = grid(kind);
    g->setCell(row, yieldColumn(kind));
    g->setFocus(Qt::OtherFocusReason);
}

void frmRendimiento::setStatus(const QString& text) {
    lblEstado_->setText(text);
}

void frmRendimiento::Salir() {
    close();
}

bool frmRendimiento::settleUnsavedWork() {
    editor_->cancel();
    return ui::messages::settleUnsavedChanges(this, sheet_.isModified(),
                                              [this] { return GrabarRendimientos(); });
}

void frmRendimiento::closeEvent(QCloseEvent* event) {
    editor_->cancel();
    if (!ui::workSettled(this) && !settleUnsavedWork()) {
        event->ignore();
        return;
    }
    ui::unhookWheel(this);
    db_.close();
    event->accept();
}

} // namespace korvex::analysis
