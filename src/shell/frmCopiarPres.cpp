#include "shell/frmCopiarPres.h"

#include "store/ProjectFolders.h"
#include "store/WriteGuard.h"
#include "ui/Grid.h"
#include "ui/Labels.h"
#include "ui/MarkedRows.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

namespace korvex::shell {

namespace {

constexpr qreal kMarkPointSize = 12;

} // namespace

frmCopiarPres::frmCopiarPres(const ui::WindowContext& context, QWidget* parent) : QWidget(parent) {
    setObjectName("frmCopiarPres");
    setWindowTitle("Copiar Presupuestos");

    auto* source = new QHBoxLayout;
    auto* sourceCaption = new QLabel("Proyecto de origen:", this);
    txtDirectorio_ = new QLineEdit(this);
    txtDirectorio_->setObjectName("txtDirectorio");
    txtDirectorio_->setReadOnly(true);
    txtDirectorio_->setFocusPolicy(Qt::ClickFocus);
    source->addWidget(sourceCaption);
    source->addWidget(txtDirectorio_, 1);

    msfgCopiar_ = new ui::Grid(kDesignRows, 5, this);
    msfgCopiar_->setObjectName("msfgCopiar");
    msfgCopiar_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    msfgCopiar_->setSelectionBehavior(QAbstractItemView::SelectRows);

    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName("lblEstado");
    cmdCopiar_ = ui::commandButton("cmdCopiar", "Ejecutar (I)", this);
    cmdBorrar_ = ui::commandButton("cmdBorrar", "Borrar Todo (B)", this);
    cmdTodo_ = ui::commandButton("cmdTodo", "Sel. Todo (T)", this);
    cmdSalir_ = ui::commandButton("cmdSalir", "Salir (Esc)", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblEstado_, 1);
    for (QPushButton* button : {cmdCopiar_, cmdBorrar_, cmdTodo_, cmdSalir_})
        buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui::headingLabel("lblTitulo", "Copiar Presupuestos", this, 1.5));
    layout->addLayout(source);
    layout->addWidget(msfgCopiar_, 1);
    layout->addLayout(buttons);
    // As wide as the grid's columns, so no blank strip is left beside them.
    resize(ui::twipsToPixels(1000 + 1200 + 1200 + 7100 + 1200, this) + 44, 560);

    connect(cmdCopiar_, &QPushButton::clicked, this, &frmCopiarPres::copyMarked);
    connect(cmdBorrar_, &QPushButton::clicked, this, &frmCopiarPres::clearAll);
    connect(cmdTodo_, &QPushButton::clicked, this, &frmCopiarPres::markAll);
    connect(cmdSalir_, &QPushButton::clicked, this, &QWidget::close);
    connect(msfgCopiar_, &ui::Grid::keyDown, this, &frmCopiarPres::onGridKey);
    marks_ = new ui::MarkedRows(
        msfgCopiar_, kColCopiar, [this] { return sourceItemCount(); },
        [this](int row) { return holdsItem(row); });
    marks_->setMarkPointSize(kMarkPointSize);
    marks_->setHomeAfterAll(true);

    ui::hookWheel(this);
    IniciarGrilla();
    load(context);
}

void frmCopiarPres::IniciarGrilla() {
    msfgCopiar_->setHeader({"COPIAR", "CÓDIGO", "ÍTEM", "DESCRIPCIÓN", "UNIDAD"},
                           {1000, 1200, 1200, 7100, 1200});
}

void frmCopiarPres::load(const ui::WindowContext& context) {
    loaded_ = false;
    items_.clear();
    listed_ = store::LoadedRows();
    destination_.close();
    source_.close();
    destinationFolder_ = context.projectFolder;
    sourceFolder_ = context.arguments.value("txtDirectorio").toString();
    txtDirectorio_->setText(QDir::toNativeSeparators(sourceFolder_));
    lblEstado_->clear();

    const engine::Resultado check = checkSourceProject(sourceFolder_, destinationFolder_, context.rootFolder);
    if (!check.ok) {
        ui::messages::error(this, check.message);
        fillGrid();
        return;
    }
    try {
        destination_ = store::Database::openProject(destinationFolder_);
        source_ = store::Database::openProject(sourceFolder_);
        items_ = loadSourceItems(source_);
        listed_ = readSourceList(source_);
        loaded_ = true;
    } catch (const std::exception& error) {
        const auto* storeError = dynamic_cast<const store::StoreError*>(&error);
        ui::messages::failure(this,
                              storeError ? storeError->message() : QString::fromLocal8Bit(error.what()));
        destination_.close();
        source_.close();
        items_.clear();
    }
    fillGrid();
}

void frmCopiarPres::fillGrid() {
    msfgCopiar_->clearData();
    msfgCopiar_->setRows(kDesignRows);
    msfgCopiar_->ensureRows(static_cast<int>(items_.size()) + 1);
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const int row = i + 1;
        msfgCopiar_->setText(row, kColCopiar, QString());
        msfgCopiar_->setText(row, kColCodigo, items_[i].codigo);
        msfgCopiar_->setText(row, kColItem, items_[i].item);
        msfgCopiar_->setText(row, kColDescripcion, items_[i].descripcion);
        msfgCopiar_->setText(row, kColUnidad, items_[i].unidad);
        msfgCopiar_->setAlignment(row, kColCodigo, Qt::AlignCenter);
        msfgCopiar_->setAlignment(row, kColItem, Qt::AlignCenter);
    }
    msfgCopiar_->setCell(1, kColCopiar);
}

bool frmCopiarPres::holdsItem(int row) const {
    return row >= 1 && row <= sourceItemCount() && canBeCopied(items_[row - 1]);
}

void frmCopiarPres::toggleMark(int row) {
    marks_->toggle(row);
}

void frmCopiarPres::markAll() {
    marks_->setAll(true);
}

void frmCopiarPres::clearAll() {
    marks_->setAll(false);
}

void frmCopiarPres::copyMarked() {
    if (!loaded_)
        return;
    std::vector<SourceItem> marked;
    for (int row = 1; row <= sourceItemCount(); ++row)
        if (marks_->isMarked(row))
            marked.push_back(items_[row - 1]);
    if (marked.empty()) {
        lblEstado_->setText("No hay rubros marcados para copiar");
        return;
    }
    // The source folder may have been deleted since the window opened: the open handle would still
    // read the removed file.
    QString refusal =
        store::isProjectFolder(sourceFolder_) ? QString() : QString(engine::kCarpetaSinProyecto);
    if (refusal.isEmpty() && store::isReadOnly(destinationFolder_))
        refusal = store::readOnlyMessage();
    if (refusal.isEmpty() && guard_)
        refusal = guard_(destinationFolder_);
    if (!refusal.isEmpty()) {
        lblEstado_->setText("No se copió ningún rubro");
        ui::messages::error(this, refusal);
        return;
    }
    lastCopy_ = copyItems(destination_, source_, marked, listed_);
    if (!lastCopy_.ok) {
        lblEstado_->setText("No se copió ningún rubro");
        ui::messages::error(this, lastCopy_.message);
        return;
    }
    lblEstado_->setText(copySummary(lastCopy_));
}

QString frmCopiarPres::statusText() const {
    return lblEstado_->text();
}

void frmCopiarPres::reopen(const ui::WindowContext& context) {
    const QString source = context.arguments.value("txtDirectorio").toString();
    if (source.isEmpty() || (source == sourceFolder_ && context.projectFolder == destinationFolder_))
        return;
    load(context);
}

void frmCopiarPres::onGridKey(int key, Qt::KeyboardModifiers modifiers) {
    if (!ui::isPlainKey(modifiers) || marks_->handleKey(key))
        return;
    switch (key) {
    case Qt::Key_I:
        copyMarked();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        break;
    }
}

} // namespace korvex::shell
