#include "budget/frmPresPresu.h"

#include "ui/Grid.h"
#include "ui/Labels.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex::budget {

namespace {

constexpr int kFilasDiseno = 200;
const QList<int> kAnchos = {1000, 900, 6500, 1000, 1300, 1800, 1800};

QLabel* etiquetaValor(const char* nombre, QWidget* parent, bool importe) {
    auto* label = new QLabel(parent);
    label->setObjectName(nombre);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (importe) {
        QFont fuente = label->font();
        fuente.setBold(true);
        label->setFont(fuente);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(140);
        label->setFrameShape(QFrame::StyledPanel);
        label->setContentsMargins(6, 2, 6, 2);
    }
    return label;
}

} // namespace

frmPresPresu::frmPresPresu(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), projectFolder_(context.projectFolder) {
    setObjectName("frmPresPresu");
    setWindowTitle("Presentacion del Presupuesto");
    construir();
    ui::hookWheel(this);
    presentacion_ = calcularPresentacion(projectFolder_);
    if (!presentacion_.ok) {
        if (presentacion_.title == "Error")
            ui::messages::error(this, presentacion_.message);
        else if (presentacion_.title == "Advertencia")
            ui::messages::warning(this, presentacion_.message);
        else
            ui::messages::failure(this, presentacion_.message);
        return;
    }
    mostrar();
}

void frmPresPresu::construir() {
    auto* principal = new QVBoxLayout(this);
    principal->addWidget(ui::headingLabel(QString(), "Presupuesto Total", this, 1.3));

    auto* cabecera = new QHBoxLayout;
    lblProyecto_ = etiquetaValor("lblProyecto", this, false);
    lblIndirectos_ = etiquetaValor("lblIndirectos", this, false);
    lblOtrosInd_ = etiquetaValor("lblOtrosInd", this, false);
    cabecera->addWidget(new QLabel("Proyecto:", this));
    cabecera->addWidget(lblProyecto_, 1);
    cabecera->addSpacing(16);
    cabecera->addWidget(new QLabel("Costos Indirectos:", this));
    cabecera->addWidget(lblIndirectos_);
    cabecera->addSpacing(16);
    cabecera->addWidget(new QLabel("Otros Indirectos:", this));
    cabecera->addWidget(lblOtrosInd_);
    principal->addLayout(cabecera);

    msfgPresupuesto_ = new ui::Grid(kFilasDiseno, 7, this);
    msfgPresupuesto_->setObjectName("msfgPresupuesto");
    msfgPresupuesto_->setHeader(
        {"CÓDIGO", "ÍTEM", "DESCRIPCIÓN", "UNIDAD", "CANTIDAD", "PRECIO UNIT.", "PRECIO TOTAL"}, kAnchos);
    msfgPresupuesto_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    principal->addWidget(msfgPresupuesto_, 1);
    connect(msfgPresupuesto_, &ui::Grid::keyDown, this, [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Escape)
            close();
    });

    auto* pie = new QHBoxLayout;
    auto* cmdSalir = new QPushButton("Salir (Esc)", this);
    cmdSalir->setObjectName("cmdSalir");
    connect(cmdSalir, &QPushButton::clicked, this, &QWidget::close);
    pie->addWidget(cmdSalir, 0, Qt::AlignBottom);
    pie->addStretch(1);

    auto* totales = new QGridLayout;
    lblTotalPres_ = etiquetaValor("lblTotalPres", this, true);
    lblIVA2_ = etiquetaValor("lblIVA2", this, false);
    lblIVA_ = etiquetaValor("lblIVA", this, true);
    lblTotalPres2_ = etiquetaValor("lblTotalPres2", this, true);
    lblIVA2_->setText("IVA    0%");
    totales->addWidget(new QLabel("Subtotal Presupuesto ", this), 0, 0);
    totales->addWidget(lblTotalPres_, 0, 1);
    totales->addWidget(lblIVA2_, 1, 0);
    totales->addWidget(lblIVA_, 1, 1);
    totales->addWidget(new QLabel("Total Presupuesto", this), 2, 0);
    totales->addWidget(lblTotalPres2_, 2, 1);
    pie->addLayout(totales);
    principal->addLayout(pie);

    int ancho = 0;
    for (int twips : kAnchos)
        ancho += twips;
    resize(ui::twipsToPixels(ancho, this) + 60, 600);
}

void frmPresPresu::mostrar() {
    const Presentacion& p = presentacion_;
    lblProyecto_->setText(p.proyecto);
    lblIndirectos_->setText(p.indirectos);
    lblOtrosInd_->setText(p.otrosIndirectos);

    ui::Grid& grid = *msfgPresupuesto_;
    grid.setRows(int(p.filas.size()) + 1);
    const Qt::Alignment centro = Qt::AlignCenter;
    const Qt::Alignment derecha = Qt::AlignRight | Qt::AlignVCenter;
    for (int i = 0; i < p.filas.size(); ++i) {
        const FilaPresentacion& f = p.filas[i];
        const int r = i + 1;
        const QStringList celdas = {f.codigo,   f.item,           f.descripcion, f.unidad,
                                    f.cantidad, f.precioUnitario, f.precioTotal};
        for (int c = 0; c < celdas.size(); ++c) {
            grid.setText(r, c, celdas[c]);
            if (c == 0 || c == 1 || c == 3)
                grid.setAlignment(r, c, centro);
            else if (c >= 4)
                grid.setAlignment(r, c, derecha);
        }
    }
    grid.setCell(p.filas.isEmpty() ? 0 : 1, 0);

    lblTotalPres_->setText(p.subtotalTexto);
    lblIVA2_->setText(p.ivaEtiqueta);
    lblIVA_->setText(p.ivaTexto);
    lblTotalPres2_->setText(p.totalTexto);
}

void frmPresPresu::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmPresPresu::closeEvent(QCloseEvent* event) {
    ui::unhookWheel(this);
    event->accept();
}

} // namespace korvex::budget
