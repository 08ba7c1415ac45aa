#include "budget/frmDescripcion.h"

#include "ui/Labels.h"
#include "ui/Messages.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvex::budget {

namespace {

QGroupBox* parSiNo(const char* marco, const char* si, const char* no, QRadioButton*& opcionSi,
                   QRadioButton*& opcionNo, QWidget* parent) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(marco);
    frame->setFlat(true);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    opcionSi = new QRadioButton("SI", frame);
    opcionSi->setObjectName(si);
    opcionNo = new QRadioButton("NO", frame);
    opcionNo->setObjectName(no);
    layout->addWidget(opcionSi);
    layout->addWidget(opcionNo);
    layout->addStretch();
    return frame;
}

} // namespace

frmDescripcion::frmDescripcion(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), projectFolder_(context.projectFolder) {
    setObjectName("frmDescripcion");
    setWindowTitle("Descripcion del Proyecto");
    construir();

    DatosProyecto inicial;
    inicial.fecha = fechaDeHoy();
    try {
        db_ = store::Database::openProject(projectFolder_);
        cargado_ = cargarDatosProyecto(db_, inicial);
        mostrar(cargado_.mostrado);
    } catch (const store::StoreError& error) {
        mostrar(inicial);
        cmdGrabar_->setEnabled(false);
        ui::messages::failure(this, error.message());
    }
}

QLineEdit* frmDescripcion::agregarCaja(QGridLayout* layout, int fila, const char* nombre,
                                       const char* etiqueta, bool porcentaje) {
    auto* caja = new QLineEdit(this);
    caja->setObjectName(nombre);
    auto* label = new QLabel(etiqueta, this);
    label->setBuddy(caja);
    layout->addWidget(label, fila, 0);
    if (porcentaje) {
        caja->setMaximumWidth(90);
        caja->setAlignment(Qt::AlignRight);
        auto* celda = new QHBoxLayout;
        celda->addWidget(caja);
        celda->addWidget(new QLabel("%", this));
        celda->addStretch();
        layout->addLayout(celda, fila, 1);
    } else {
        layout->addWidget(caja, fila, 1);
    }
    return caja;
}

void frmDescripcion::construir() {
    auto* principal = new QVBoxLayout(this);
    principal->addWidget(ui::headingLabel(QString(), "DESCRIPCION DEL PROYECTO", this, 1.3));

    auto* campos = new QGridLayout;
    campos->setHorizontalSpacing(12);
    campos->setColumnStretch(1, 1);
    txtInstitucion_ = agregarCaja(campos, 0, "txtInstitucion", "INSTITUCION..................");
    txtProyecto_ = agregarCaja(campos, 1, "txtProyecto", "PROYECTO.......................");
    txtUbicacion_ = agregarCaja(campos, 2, "txtUbicacion", "UBICACION......................");
    txtOferente_ = agregarCaja(campos, 3, "txtOferente", "OFERENTE.......................");
    txtCostInd_ = agregarCaja(campos, 4, "txtCostInd", "COSTOS INDIRECTOS...", true);
    txtOtrosInd_ = agregarCaja(campos, 5, "txtOtrosInd", "OTROS INDIRECTOS...", true);
    txtElaborado_ = agregarCaja(campos, 6, "txtElaborado", "ELABORADO POR..........");
    txtFecha_ = agregarCaja(campos, 7, "txtFecha", "FECHA................................");
    txtCiudad_ = agregarCaja(campos, 8, "txtCiudad", "CIUDAD...............................");
    campos->addWidget(new QLabel("IVA ...............................", this), 9, 0);
    campos->addWidget(parSiNo("Frame1", "Option1", "Option2", option1_, option2_, this), 9, 1);
    campos->addWidget(new QLabel("HERRAMIENTAS (5%)..", this), 10, 0);
    campos->addWidget(parSiNo("Frame2", "Option3", "Option4", option3_, option4_, this), 10, 1);
    principal->addLayout(campos);
    principal->addStretch();

    auto* botones = new QHBoxLayout;
    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName("lblEstado");
    botones->addWidget(lblEstado_, 1);
    cmdGrabar_ = new QPushButton("Grabar (F9)", this);
    cmdGrabar_->setObjectName("cmdGrabar");
    auto* cmdSalir = new QPushButton("Salir (Esc)", this);
    cmdSalir->setObjectName("cmdSalir");
    botones->addWidget(cmdGrabar_);
    botones->addWidget(cmdSalir);
    principal->addLayout(botones);
    connect(cmdGrabar_, &QPushButton::clicked, this, [this] { grabar(); });
    connect(cmdSalir, &QPushButton::clicked, this, &QWidget::close);

    ciclo_ = {txtInstitucion_, txtProyecto_,  txtUbicacion_, txtOferente_,
              txtCostInd_,     txtElaborado_, txtFecha_,     txtCiudad_};
    for (QLineEdit* caja : ciclo_)
        caja->installEventFilter(this);
    resize(620, 440);
}

void frmDescripcion::mostrar(const DatosProyecto& datos) {
    txtInstitucion_->setText(datos.institucion);
    txtProyecto_->setText(datos.proyecto);
    txtUbicacion_->setText(datos.ubicacion);
    txtOferente_->setText(datos.oferente);
    txtCostInd_->setText(datos.costosIndirectos);
    txtOtrosInd_->setText(datos.otrosIndirectos);
    txtElaborado_->setText(datos.elaborado);
    txtFecha_->setText(datos.fecha);
    txtCiudad_->setText(datos.ciudad);
    (datos.iva ? option1_ : option2_)->setChecked(true);
    (datos.herramienta ? option3_ : option4_)->setChecked(true);
}

DatosProyecto frmDescripcion::leerCajas() const {
    DatosProyecto datos;
    datos.institucion = txtInstitucion_->text();
    datos.proyecto = txtProyecto_->text();
    datos.ubicacion = txtUbicacion_->text();
    datos.oferente = txtOferente_->text();
    datos.costosIndirectos = txtCostInd_->text();
    datos.otrosIndirectos = txtOtrosInd_->text();
    datos.elaborado = txtElaborado_->text();
    datos.fecha = txtFecha_->text();
    datos.ciudad = txtCiudad_->text();
    datos.iva = option1_->isChecked();
    datos.herramienta = option3_->isChecked();
    return datos;
}

bool frmDescripcion::grabar() {
    if (!db_.isOpen())
        return false;
    try {
        grabarDatosProyecto(db_, cargado_, leerCajas());
    } catch (const store::StoreError& error) {
        lblEstado_->clear();
        ui::messages::failure(this, error.message());
        return false;
    }
    lblEstado_->setText("Datos del proyecto grabados");
    return true;
}

void frmDescripcion::moverFoco(QLineEdit* desde, int paso) {
    const int n = int(ciclo_.size());
    const int i = int(ciclo_.indexOf(desde));
    ciclo_[(i + paso + n) % n]->setFocus(Qt::TabFocusReason);
}

bool frmDescripcion::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* caja = qobject_cast<QLineEdit*>(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (!caja || !ciclo_.contains(caja))
        return false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down) {
        moverFoco(caja, 1);
        return true;
    }
    if (key == Qt::Key_Up) {
        moverFoco(caja, -1);
        return true;
    }
    return false;
}

// F9 and Esc reach the window from every box and button, which leave those keys unhandled.
void frmDescripcion::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F9) {
        grabar();
        event->accept();
    } else if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
    } else {
        QWidget::keyPressEvent(event);
    }
}

} // namespace korvex::budget
