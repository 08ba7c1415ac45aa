#include "shell/frmVerificar.h"

#include "ui/Grid.h"
#include "ui/Labels.h"
#include "ui/Wheel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::shell {

frmVerificar::frmVerificar(const ui::WindowContext& context, ItemOpener openItem, QWidget* parent)
    : QWidget(parent), context_(context), openItem_(std::move(openItem)) {
    setObjectName("frmVerificar");
    setWindowTitle("Verificar proyecto");
    ui::hookWheel(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 6);
    lblResumen_ = ui::titleLabel("lblResumen", QString(), this);
    layout->addWidget(lblResumen_);

    grid_ = new ui::Grid(2, 4, this);
    grid_->setObjectName("msfgHallazgos");
    grid_->setHeader({"TIPO", "CÓDIGO", "ÍTEM", "DETALLE"}, {2200, 1200, 900, 7500});
    layout->addWidget(grid_, 1);
    connect(grid_, &ui::Grid::keyDown, this, &frmVerificar::onKey);
    connect(grid_, &ui::Grid::doubleClick, this, &frmVerificar::AbrirHallazgo);

    auto* buttons = new QHBoxLayout;
    auto* cmdAbrir = new QPushButton("Abrir análisis (Enter)", this);
    cmdAbrir->setObjectName("cmdAbrir");
    auto* cmdVerificar = new QPushButton("Verificar (F5)", this);
    cmdVerificar->setObjectName("cmdVerificar");
    auto* cmdSalir = new QPushButton("Salir (Esc)", this);
    cmdSalir->setObjectName("cmdSalir");
    for (QPushButton* b : {cmdAbrir, cmdVerificar, cmdSalir}) {
        b->setMinimumWidth(150);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(cmdAbrir, &QPushButton::clicked, this, &frmVerificar::AbrirHallazgo);
    connect(cmdVerificar, &QPushButton::clicked, this, &frmVerificar::Verificar);
    connect(cmdSalir, &QPushButton::clicked, this, &QWidget::close);
    resize(1000, 480);
    Verificar();
}

void frmVerificar::reopen(const ui::WindowContext& context) {
    context_ = context;
    Verificar();
}

void frmVerificar::Verificar() {
    result_ = engine::VerificarProyecto(context_.projectFolder);
    grid_->clearData();
    grid_->setRows(std::max<int>(2, static_cast<int>(result_.hallazgos.size()) + 1));
    int row = 1;
    for (const engine::Hallazgo& finding : result_.hallazgos) {
        grid_->setText(row, 0, finding.tipo);
        grid_->setText(row, 1, finding.codigo);
        grid_->setText(row, 2, finding.item);
        grid_->setText(row, 3, finding.detalle);
        ++row;
    }
    lblResumen_->setText(result_.resumen());
    grid_->setCell(1, 0);
    grid_->setFocus(Qt::OtherFocusReason);
}

void frmVerificar::AbrirHallazgo() {
    const int row = grid_->row();
    if (row < 1 || row > static_cast<int>(result_.hallazgos.size()))
        return;
    const engine::Hallazgo& finding = result_.hallazgos[static_cast<std::size_t>(row - 1)];
    if (finding.codigo.isEmpty() && finding.item.isEmpty())
        return; // a finding about the file or the project header has no item to open
    if (openItem_)
        openItem_(finding.codigo, finding.item);
}

void frmVerificar::onKey(int key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        AbrirHallazgo();
    else if (key == Qt::Key_F5)
        Verificar();
    else if (key == Qt::Key_Escape)
        close();
}

} // namespace korvex::shell
