#include "formula/frmFormula.h"

#include "engine/Numbers.h"
#include "formula/ProjectTotals.h"
#include "formula/Symbols.h"
#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Messages.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::formula {

namespace {
constexpr int kDesignRows = kMaxSimbolos + 1;
constexpr int kColSimbolo = 0, kColDescripcion = 1, kColCosto = 2, kColCoeficiente = 3;
} // namespace

frmFormula::frmFormula(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), folder_(context.projectFolder) {
    setObjectName("frmFormula");
    setWindowTitle("Descripcion de Simbolos y Formula de Reajuste");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHeading("Descripcion de Simbolos y Formula de Reajuste", this));
    grid_ = new ui::Grid(kDesignRows, 4, this);
    grid_->setObjectName("msfgSimbolos");
    layout->addWidget(grid_, 1);
    totals_ = addTotalsRow(layout, this);

    auto* buttons = new QHBoxLayout;
    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName("lblEstado");
    cmdGrabar_ = makeButton("cmdGrabar", "Grabar (F9)", this);
    cmdSalir_ = makeButton("cmdSalir", "Salir (Esc)", this);
    buttons->addWidget(lblEstado_, 1);
    buttons->addWidget(cmdGrabar_);
    buttons->addWidget(cmdSalir_);
    layout->addLayout(buttons);
    resize(900, 460);

    connect(cmdGrabar_, &QPushButton::clicked, this, [this] {
        GrabarFormula();
        grid_->setFocus();
    });
    connect(cmdSalir_, &QPushButton::clicked, this, &QWidget::close);
    connect(grid_, &ui::Grid::keyDown, this, &frmFormula::onGridKey);

    IniciarGrilla();
    setUpEditor();
    CalcularFormula();
    history_ = new ui::GridHistory(this, {grid_});
    connect(history_, &ui::GridHistory::restored, this, &frmFormula::takeUndoneGrid);
}

void frmFormula::takeUndoneGrid() {
    dirty_ = false;
    for (int r = 1; r <= static_cast<int>(sheet_.rows.size()); ++r) {
        FormulaRow& line = sheet_.rows[r - 1];
        line.descripcion = grid_->text(r, kColDescripcion);
        dirty_ = dirty_ || line.descripcion != line.descripcionCargada;
    }
}

void frmFormula::IniciarGrilla() {
    grid_->setHeader({"SIMBOLO", "DESCRIPCION", "COSTO DIRECTO", "COEFICIENTE"}, {1200, 6500, 1900, 1900});
    grid_->setCell(1, 0);
}

void frmFormula::CalcularFormula() {
    try {
        const double directCost = loadProjectTotals(folder_).costoDirecto;
        db_ = store::Database::openProject(folder_);
        sheet_ = refreshStoredFormula(db_, directCost);
        loaded_ = true;
    } catch (const store::StoreError& e) {
        ui::messages::failure(this, e.message());
        cmdGrabar_->setEnabled(false);
        return;
    }
    showSheet();
    lblEstado_->setText(QString("Formula grabada con %1 simbolos").arg(sheet_.rows.size()));
    if (!sheet_.excedentes.isEmpty())
        ui::messages::warning(this, tooManySymbolsMessage(sheet_.excedentes));
    grid_->setCell(1, kColDescripcion);
}

void frmFormula::showSheet() {
    grid_->clearData();
    grid_->ensureRows(static_cast<int>(sheet_.rows.size()) + 1);
    for (int i = 0; i < static_cast<int>(sheet_.rows.size()); ++i) {
        const FormulaRow& row = sheet_.rows[i];
        const int r = i + 1;
        grid_->setText(r, kColSimbolo, row.simbolo);
        grid_->setText(r, kColDescripcion, row.descripcion);
        grid_->setText(r, kColCosto, costText(row.costo));
        grid_->setText(r, kColCoeficiente, coefficientText(row.coeficiente));
        grid_->setAlignment(r, kColSimbolo, Qt::AlignCenter);
        grid_->setAlignment(r, kColCosto, Qt::AlignRight | Qt::AlignVCenter);
        grid_->setAlignment(r, kColCoeficiente, Qt::AlignRight | Qt::AlignVCenter);
    }
    totals_.costo->setText(costText(sheet_.totalCosto));
    showCoefficientSum(totals_, sheet_.totalCoeficiente, coefficientTotalText(sheet_.totalCoeficiente));
    editor_->rules(grid_).lastRow = std::max<int>(1, static_cast<int>(sheet_.rows.size()));
}

bool frmFormula::isDescriptionRow(int row) const {
    return row >= 1 && row <= static_cast<int>(sheet_.rows.size());
}

void frmFormula::setUpEditor() {
    editor_ = new ui::CellEditor(this);
    ui::CellEditRules rules;
    rules.columns = {kColDescripcion};
    rules.canType = [this](int row, int col) { return col == kColDescripcion && isDescriptionRow(row); };
    rules.commit = [this](ui::Grid& grid, int row, int col, const QString& text, const QString&) {
        if (!isDescriptionRow(row))
            return;
        FormulaRow& line = sheet_.rows[row - 1];
        if (line.descripcion != text)
            dirty_ = true;
        line.descripcion = text;
        grid.setText(row, col, text);
    };
    rules.nextCell = [this](ui::EditorKey key, int row, int col) -> std::optional<ui::CellPosition> {
        const int last = static_cast<int>(sheet_.rows.size());
        switch (key) {
        case ui::EditorKey::Enter:
        case ui::EditorKey::Down:
            return row < last ? std::optional(ui::CellPosition{row + 1, col}) : std::nullopt;
        case ui::EditorKey::Up:
            return row > 1 ? std::optional(ui::CellPosition{row - 1, col}) : std::nullopt;
        case ui::EditorKey::Left:
            return ui::CellPosition{row, col - 1};
        case ui::EditorKey::Right:
            return ui::CellPosition{row, col + 1};
        }
        return std::nullopt;
    };
    editor_->attach(grid_, rules);
}

bool frmFormula::GrabarFormula() {
    if (!loaded_)
        return false;
    try {
        const int written = saveFormulaDescriptions(db_, sheet_);
        history_->reset();
        dirty_ = false;
        lblEstado_->setText(
            QString("Fórmula grabada: %1")
                .arg(engine::Contar(written, "descripción cambiada", "descripciones cambiadas")));
        return true;
    } catch (const store::StoreError& e) {
        ui::messages::failure(this,
                              "No se grabó la fórmula; SimbolosDesc queda como estaba.\n" + e.message());
        return false;
    }
}

void frmFormula::onGridKey(int key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Escape)
        close();
    else if (key == Qt::Key_F9)
        GrabarFormula();
}

bool frmFormula::settleUnsavedWork() {
    return ui::messages::settleUnsavedChanges(this, dirty_, [this] { return GrabarFormula(); });
}

void frmFormula::closeEvent(QCloseEvent* event) {
    if (!ui::workSettled(this) && !settleUnsavedWork()) {
        event->ignore();
        return;
    }
    db_.close();
    event->accept();
}

} // namespace korvex::formula
