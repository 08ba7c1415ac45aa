#include "formula/frmSimbolos.h"

#include "formula/WindowParts.h"
#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvex::formula {

namespace {
constexpr int kDesignRows = 200;
constexpr int kColSimbolo = 0, kColDescripcion = 1, kColUnidad = 2, kColPorcentaje = 3;
} // namespace

frmSimbolos::frmSimbolos(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), folder_(context.projectFolder) {
    setObjectName("frmSimbolos");
    setWindowTitle("Asignacion de Simbolos");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading("Asignacion de Simbolos", this));
    grid_ = new ui::Grid(kDesignRows, 4, this);
    grid_->setObjectName("msfgSimbolos");
    layout->addWidget(grid_, 1);

    auto* buttons = new QHBoxLayout;
    cmdGrabar_ = makeButton("cmdGrabar", "Grabar (F9)", this);
    cmdOrdenar_ = makeButton("cmdOrdenar", "Ordenar (F4)", this);
    cmdSalir_ = makeButton("cmdSalir", "Salir (Esc)", this);
    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName("lblEstado");
    // The warning about too many symbols is long: it wraps instead of widening the window.
    lblEstado_->setWordWrap(true);
    buttons->addWidget(lblEstado_, 1);
    buttons->addWidget(cmdGrabar_);
    buttons->addWidget(cmdOrdenar_);
    buttons->addWidget(cmdSalir_);
    layout->addLayout(buttons);
    resize(900, 560);

    connect(cmdGrabar_, &QPushButton::clicked, this, [this] {
        GrabarSimbolos();
        grid_->setFocus();
    });
    connect(cmdSalir_, &QPushButton::clicked, this, &QWidget::close);
    connect(grid_, &ui::Grid::keyDown, this, &frmSimbolos::onGridKey);

    ui::hookWheel(this);
    IniciarGrilla();
    setUpEditor();
    LlenarGrilla();
    history_ = new ui::GridHistory(this, {grid_});
    connect(history_, &ui::GridHistory::restored, this, &frmSimbolos::takeUndoneGrid);
}

void frmSimbolos::takeUndoneGrid() {
    dirty_ = false;
    for (int r = 1; r <= static_cast<int>(table_.rows.size()); ++r) {
        SymbolRow& line = table_.rows[r - 1];
        if (isSymbolRow(r))
            line.simbolo = grid_->text(r, kColSimbolo);
        dirty_ = dirty_ || line.simbolo != line.simboloCargado;
    }
    if (distinctSymbols(table_.rows).size() <= kMaxSimbolos)
        showCounts();
}

void frmSimbolos::showCounts() {
    lblEstado_->setStyleSheet(QString());
    lblEstado_->setText(QString("%1 líneas, %2 símbolos")
                            .arg(table_.rows.size() - 1)
                            .arg(distinctSymbols(table_.rows).size()));
}

void frmSimbolos::IniciarGrilla() {
    grid_->setHeader({"SIMBOLO", "DESCRIPCION", "UNIDAD", "% C.DIR."}, {1000, 7500, 1000, 1000});
    grid_->setCell(1, 0);
}

void frmSimbolos::LlenarGrilla() {
    try {
        const ProjectTotals totals = loadProjectTotals(folder_);
        db_ = store::Database::openProject(folder_);
        table_ = loadSymbols(db_, totals);
        loaded_ = true;
    } catch (const store::StoreError& e) {
        ui::messages::failure(this, e.message());
        cmdGrabar_->setEnabled(false);
        return;
    }

    grid_->clearData();
    grid_->ensureRows(static_cast<int>(table_.rows.size()) + 1);
    for (int i = 0; i < static_cast<int>(table_.rows.size()); ++i) {
        const SymbolRow& row = table_.rows[i];
        const int r = i + 1;
        grid_->setText(r, kColSimbolo, row.simbolo);
        grid_->setText(r, kColDescripcion, row.descripcion);
        grid_->setText(r, kColUnidad, row.unidad);
        grid_->setText(r, kColPorcentaje, percentageText(row));
        grid_->setAlignment(r, kColSimbolo, Qt::AlignCenter);
        grid_->setAlignment(r, kColUnidad, Qt::AlignCenter);
        grid_->setAlignment(r, kColPorcentaje, Qt::AlignRight | Qt::AlignVCenter);
        if (row.kind == SymbolRowKind::Separator)
            grid_->setAlignment(r, kColDescripcion, Qt::AlignCenter);
    }
    editor_->rules(grid_).lastRow = std::max<int>(1, static_cast<int>(table_.rows.size()));
    showCounts();
    grid_->setCell(1, 0);
}

bool frmSimbolos::isSymbolRow(int row) const {
    return row >= 1 && row <= static_cast<int>(table_.rows.size()) &&
           table_.rows[row - 1].kind != SymbolRowKind::Separator;
}

void frmSimbolos::setUpEditor() {
    editor_ = new ui::CellEditor(this);
    ui::CellEditRules rules;
    rules.columns = {kColSimbolo};
    rules.canType = [this](int row, int col) { return col == kColSimbolo && isSymbolRow(row); };
    rules.commit = [this](ui::Grid&, int row, int, const QString& text, const QString&) {
        writeSymbol(row, text);
    };
    // Left keeps the caret in the text; Up, Down, Right and Enter write and move.
    rules.keyAction = [](ui::EditorKey key, bool existing, int, int) {
        if (key == ui::EditorKey::Left && !existing)
            return ui::KeyAction::Pass;
        return ui::CellEditor::defaultKeyAction(key, existing);
    };
    rules.nextCell = [this](ui::EditorKey key, int row, int col) -> std::optional<ui::CellPosition> {
        const int last = static_cast<int>(table_.rows.size());
        switch (key) {
        case ui::EditorKey::Enter:
        case ui::EditorKey::Down:
            return row < last ? std::optional(ui::CellPosition{row + 1, col}) : std::nullopt;
        case ui::EditorKey::Up:
            return row > 1 ? std::optional(ui::CellPosition{row - 1, col}) : std::nullopt;
        case ui::EditorKey::Right:
            return ui::CellPosition{row, col + 1};
        case ui::EditorKey::Left:
            return std::nullopt;
        }
        return std::nullopt;
    };
    editor_->attach(grid_, rules);
}

void frmSimbolos::writeSymbol(int row, const QString& typed) {
    if (!isSymbolRow(row))
        return;
    const QString symbol = normalizedSymbol(typed);
    SymbolRow& line = table_.rows[row - 1];
    const int before = static_cast<int>(distinctSymbols(table_.rows).size());
    if (line.simbolo != symbol)
        dirty_ = true;
    line.simbolo = symbol;
    grid_->setText(row, kColSimbolo, symbol);
    grid_->setAlignment(row, kColSimbolo, Qt::AlignCenter);

    const int after = static_cast<int>(distinctSymbols(table_.rows).size());
    if (after > kMaxSimbolos && after > before)
        warnAboutTwelfth(symbol, after);
}

// Said in the status line, not in a message box: a box would pop up while the user goes on typing
// the next symbols and take the next key for itself.
void frmSimbolos::warnAboutTwelfth(const QString& symbol, int count) {
    lblEstado_->setStyleSheet(QStringLiteral("color: #c00000;"));
    lblEstado_->setText(QString("La fórmula admite como máximo %1 símbolos y \"%2\" es el símbolo "
                                "número %3. Reduzca los símbolos antes de calcular la fórmula.")
                            .arg(kMaxSimbolos)
                            .arg(symbol)
                            .arg(count));
}

bool frmSimbolos::GrabarSimbolos() {
    if (!loaded_)
        return false;
    editor_->cancel();
    try {
        const int written = saveSymbolRows(db_, table_);
        history_->reset();
        dirty_ = false;
        lblEstado_->setStyleSheet(QString());
        lblEstado_->setText(QString("Grabadas %1 líneas con %2 símbolos")
                                .arg(written)
                                .arg(distinctSymbols(table_.rows).size()));
        return true;
    } catch (const store::StoreError& e) {
        ui::messages::failure(this, "No se grabaron los símbolos; quedan como estaban.\n" + e.message());
        return false;
    }
}

void frmSimbolos::onGridKey(int key, Qt::KeyboardModifiers) {
    switch (key) {
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_F9:
        GrabarSimbolos();
        break;
    default:
        break; // F4 (Ordenar) has no action
    }
}

bool frmSimbolos::settleUnsavedWork() {
    return ui::messages::settleUnsavedChanges(this, dirty_, [this] { return GrabarSimbolos(); });
}

void frmSimbolos::closeEvent(QCloseEvent* event) {
    if (!ui::workSettled(this) && !settleUnsavedWork()) {
        event->ignore();
        return;
    }
    ui::unhookWheel(this);
    db_.close();
    event->accept();
}

} // namespace korvex::formula
