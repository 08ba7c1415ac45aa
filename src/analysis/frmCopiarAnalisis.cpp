#include "analysis/frmCopiarAnalisis.h"

#include "engine/Engine.h"
#include "store/ProjectFolders.h"
#include "ui/Grid.h"
#include "ui/Labels.h"
#include "ui/MainWindowControls.h"
#include "ui/MarkedRows.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <exception>

namespace korvex::analysis {

namespace {

constexpr int kGridRows = 50;
const QList<int> kItemWidths = {1000, 1000, 4400, 900};

QString errorText(const std::exception& error) {
    const auto* storeError = dynamic_cast<const store::StoreError*>(&error);
    return storeError ? storeError->message() : QString::fromLocal8Bit(error.what());
}

void fillItems(ui::Grid* grid, const std::vector<BudgetItem>& items, int firstCol) {
    grid->clearData();
    grid->setRows(kGridRows);
    grid->ensureRows(static_cast<int>(items.size()) + 1);
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const int row = i + 1;
        grid->setText(row, firstCol, items[i].code);
        grid->setText(row, firstCol + 1, items[i].item);
        grid->setText(row, firstCol + 2, items[i].description);
        grid->setText(row, firstCol + 3, items[i].unit);
        grid->setAlignment(row, firstCol, Qt::AlignCenter);
        grid->setAlignment(row, firstCol + 1, Qt::AlignCenter);
    }
    grid->setCell(1, 0);
}

} // namespace

frmCopiarAnalisis::frmCopiarAnalisis(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), folder_(context.projectFolder), rootFolder_(context.rootFolder) {
    setObjectName("frmCopiarAnalisis");
    setWindowTitle("Copiar Análisis");

    QLabel* title = ui::headingLabel("lblTitulo", "Copiar Análisis", this, 1.5);

    cboOrigen_ = new QComboBox(this);
    cboOrigen_->setObjectName("cboOrigen");
    lblOrigen_ = new QLabel(this);
    lblOrigen_->setObjectName("lblOrigen");

    msfgOrigen_ = new ui::Grid(kGridRows, 4, this);
    msfgOrigen_->setObjectName("msfgOrigen");
    msfgOrigen_->setHeader({"CÓDIGO", "ÍTEM", "DESCRIPCIÓN", "UNIDAD"}, kItemWidths);
    msfgDestino_ = new ui::Grid(kGridRows, 5, this);
    msfgDestino_->setObjectName("msfgDestino");
    msfgDestino_->setHeader({"COPIAR", "CÓDIGO", "ÍTEM", "DESCRIPCIÓN", "UNIDAD"},
                            {800, 900, 800, 3900, 900});
    for (ui::Grid* grid : {msfgOrigen_, msfgDestino_}) {
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    }

    optReemplazar_ = new QRadioButton("Reemplazar las líneas (R)", this);
    optReemplazar_->setObjectName("optReemplazar");
    optAgregar_ = new QRadioButton("Agregar las líneas (A)", this);
    optAgregar_->setObjectName("optAgregar");
    optReemplazar_->setChecked(true);
    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName("lblEstado");
    cmdCopiar_ = ui::commandButton("cmdCopiar", "Ejecutar (I)", this);
    cmdSalir_ = ui::commandButton("cmdSalir", "Salir (Esc)", this);

    auto* grids = new QGridLayout;
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(new QLabel("Proyecto de origen (P):", this));
    sourceRow->addWidget(cboOrigen_, 1);
    grids->addLayout(sourceRow, 0, 0);
    grids->addWidget(new QLabel("Rubros de destino (F1), marcar con Enter, T todos, B ninguno:", this), 0, 1);
    grids->addWidget(msfgOrigen_, 1, 0);
    grids->addWidget(msfgDestino_, 1, 1);
    grids->addWidget(lblOrigen_, 2, 0);
    auto* modes = new QHBoxLayout;
    modes->addWidget(optReemplazar_);
    modes->addWidget(optAgregar_);
    modes->addStretch(1);
    grids->addLayout(modes, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblEstado_, 1);
    buttons->addWidget(cmdCopiar_);
    buttons->addWidget(cmdSalir_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(grids, 1);
    layout->addLayout(buttons);
    grids->setColumnStretch(0, 1);
    grids->setColumnStretch(1, 1);
    // Both grids show their columns whole (7300 twips each) beside each other.
    resize(ui::twipsToPixels(2 * 7300, this) + 90, 560);

    connect(cmdCopiar_, &QPushButton::clicked, this, &frmCopiarAnalisis::copy);
    connect(cmdSalir_, &QPushButton::clicked, this, &QWidget::close);
    connect(msfgOrigen_, &ui::Grid::keyDown, this, &frmCopiarAnalisis::onSourceKey);
    connect(msfgDestino_, &ui::Grid::keyDown, this, &frmCopiarAnalisis::onTargetKey);
    connect(msfgOrigen_, &ui::Grid::currentCellMoved, this, &frmCopiarAnalisis::updateSourceCaption);
    marks_ = new ui::MarkedRows(msfgDestino_, kColCopiar,
                                [this] { return static_cast<int>(targetItems_.size()); });
    ui::hookWheel(this);

    // This project first, then every other project under the root.
    sourceFolders_ << folder_;
    cboOrigen_->addItem(QFileInfo(folder_).fileName() + " (este proyecto)");
    for (const QString& name : store::listProjects(rootFolder_)) {
        const QString other = QDir(rootFolder_).filePath(name);
        if (store::samePath(other, folder_))
            continue;
        sourceFolders_ << other;
        cboOrigen_->addItem(name);
    }
    try {
        project_ = store::Database::openProject(folder_);
        targetItems_ = loadBudgetItems(project_);
        loaded_ = true;
    } catch (const std::exception& error) {
        ui::messages::failure(this, errorText(error));
        return;
    }
    fillItems(msfgDestino_, targetItems_, 1);
    loadSource();
    connect(cboOrigen_, &QComboBox::activated, this, &frmCopiarAnalisis::selectSourceProject);
    msfgOrigen_->setFocus();
}

void frmCopiarAnalisis::selectSourceProject(int index) {
    if (index < 0 || index >= sourceFolders_.size())
        return;
    cboOrigen_->setCurrentIndex(index);
    loadSource();
    msfgOrigen_->setFocus();
}

void frmCopiarAnalisis::loadSource() {
    const int index = std::max(0, cboOrigen_->currentIndex());
    other_.close();
    sourceItems_.clear();
    sameProject_ = index == 0;
    try {
        if (sameProject_) {
            sourceItems_ = targetItems_;
        } else {
            other_ = store::Database::openProject(sourceFolders_[index]);
            sourceItems_ = loadBudgetItems(other_);
        }
    } catch (const std::exception& error) {
        other_.close();
        ui::messages::failure(this, errorText(error));
    }
    fillItems(msfgOrigen_, sourceItems_, kColCodigo);
    updateSourceCaption();
}

void frmCopiarAnalisis::updateSourceCaption() {
    const int row = msfgOrigen_->row();
    if (row < 1 || row > static_cast<int>(sourceItems_.size())) {
        lblOrigen_->setText("Origen: ningún rubro");
        return;
    }
    const BudgetItem& item = sourceItems_[row - 1];
    lblOrigen_->setText(QString("Origen: %1 %2  %3").arg(item.code, item.item, item.description));
}

void frmCopiarAnalisis::toggleMark(int row) {
    marks_->toggle(row);
}

void frmCopiarAnalisis::markAll(bool marked) {
    marks_->setAll(marked);
}

std::vector<ItemRef> frmCopiarAnalisis::markedTargets() const {
    std::vector<ItemRef> marked;
    for (int row = 1; row <= static_cast<int>(targetItems_.size()); ++row)
        if (marks_->isMarked(row))
            marked.push_back({targetItems_[row - 1].code, targetItems_[row - 1].item});
    return marked;
}

void frmCopiarAnalisis::copy() {
    if (!loaded_)
        return;
    const int row = msfgOrigen_->row();
    if (row < 1 || row > static_cast<int>(sourceItems_.size())) {
        lblEstado_->setText("Elija el rubro de origen");
        return;
    }
    const std::vector<ItemRef> targets = markedTargets();
    if (targets.empty()) {
        lblEstado_->setText("No hay rubros de destino marcados");
        return;
    }
    const QString refusal = guard_ ? guard_(folder_, targets) : QString();
    if (!refusal.isEmpty()) {
        lblEstado_->setText("No se copió el análisis");
        ui::messages::error(this, refusal);
        return;
    }
    const bool replace = optReemplazar_->isChecked();
    if (replace &&
        !ui::messages::confirm(
            this,
            QString(
                "Se reemplazarán las líneas de %1 rubro(s) por las del rubro de origen. ¿Desea continuar?")
                .arg(targets.size())))
        return;
    const BudgetItem& source = sourceItems_[row - 1];
    const AnalysisCopyOutcome outcome =
        copyAnalysis(project_, sameProject_ ? project_ : other_, {source.code, source.item}, targets,
                     replace ? CopyMode::Replace : CopyMode::Append);
    if (!outcome.ok) {
        lblEstado_->setText("No se copió el análisis");
        ui::messages::error(this, outcome.message);
        return;
    }
    // The stored unit prices follow the new lines.
    const engine::ResultadoRecalculo recalculated = engine::RecalcularPresupuesto(folder_);
    lblEstado_->setText(copyAnalysisSummary(outcome) +
                        (recalculated.ok ? QString() : QString("; precios unitarios sin recalcular")));
}

QString frmCopiarAnalisis::statusText() const {
    return lblEstado_->text();
}

bool frmCopiarAnalisis::commonKey(int key) {
    switch (key) {
    case Qt::Key_F1:
        (msfgOrigen_->hasFocus() ? static_cast<QWidget*>(msfgDestino_) : msfgOrigen_)->setFocus();
        return true;
    case Qt::Key_P:
        cboOrigen_->setFocus();
        cboOrigen_->showPopup();
        return true;
    case Qt::Key_R:
        optReemplazar_->setChecked(true);
        return true;
    case Qt::Key_A:
        optAgregar_->setChecked(true);
        return true;
    case Qt::Key_I:
        copy();
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    default:
        return false;
    }
}

void frmCopiarAnalisis::onSourceKey(int key, Qt::KeyboardModifiers modifiers) {
    if (!ui::isPlainKey(modifiers))
        return;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        msfgDestino_->setFocus();
        return;
    }
    commonKey(key);
}

void frmCopiarAnalisis::onTargetKey(int key, Qt::KeyboardModifiers modifiers) {
    if (ui::isPlainKey(modifiers) && !marks_->handleKey(key))
        commonKey(key);
}

} // namespace korvex::analysis
