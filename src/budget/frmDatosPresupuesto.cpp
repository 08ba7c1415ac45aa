#include "budget/frmDatosPresupuesto.h"

#include "engine/Numbers.h"
#include "ui/CellEditor.h"
#include "ui/Grid.h"
#include "ui/GridHistory.h"
#include "ui/Messages.h"
#include "ui/Wheel.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace korvex::budget {

namespace {

Qt::Alignment alineacion(int columna) {
    switch (columna) {
    case kColCodigo:
    case kColItem:
    case kColUnidad:
        return Qt::AlignCenter;
    case kColCantidad:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

frmDatosPresupuesto::frmDatosPresupuesto(const ui::WindowContext& context, QWidget* parent)
    : QWidget(parent), projectFolder_(context.projectFolder) {
    setObjectName("frmDatosPresupuesto");
    setWindowTitle("Datos del Presupuesto");
    construir();
    configurarEditor();
    ui::hookWheel(this);
    try {
        db_ = store::Database::openProject(projectFolder_);
        hoja_ = cargarHoja(db_);
    } catch (const store::StoreError& error) {
        ui::messages::failure(this, error.message());
    }
    abierta_ = db_.isOpen();
    mostrarDesde(1);
    ponerCursor(1, kColCodigo);
    historial_ = new ui::GridHistory(this, {msfgDatosPres_});
    connect(historial_, &ui::GridHistory::restored, this, &frmDatosPresupuesto::tomarGrilla);
}

// After an undo or redo the grid holds the rows, the hidden columns with the stored keys included.
void frmDatosPresupuesto::tomarGrilla() {
    QList<QStringList> celdas;
    for (int r = 1; r < msfgDatosPres_->rows(); ++r) {
        QStringList fila;
        for (int c = 0; c < kColumnasPresupuesto; ++c)
            fila.append(msfgDatosPres_->text(r, c));
        celdas.append(fila);
    }
    hoja_.tomarFilas(celdas);
    mostrarDesde(1);
    lblEstado_->clear();
}

void frmDatosPresupuesto::construir() {
    auto* principal = new QVBoxLayout(this);
    auto* titulo = new QLabel("DATOS DEL PRESUPUESTO", this);
    QFont fuente = titulo->font();
    fuente.setBold(true);
    fuente.setPointSizeF(fuente.pointSizeF() * 1.3);
    titulo->setFont(fuente);
    titulo->setAlignment(Qt::AlignCenter);
    principal->addWidget(titulo);

    msfgDatosPres_ = new ui::Grid(kFilasMinimas + 1, kColumnasPresupuesto, this);
    msfgDatosPres_->setObjectName("msfgDatosPres");
    msfgDatosPres_->setHeader({"CÓDIGO", "ÍTEM", "DESCRIPCIÓN", "UNIDAD", "CANTIDAD"},
                              {1000, 1000, 9850, 1000, 1300});
    for (int c = kColCodigoCargado; c <= kColGrupo; ++c)
        msfgDatosPres_->setColumnHidden(c, true);
    principal->addWidget(msfgDatosPres_, 1);
    connect(msfgDatosPres_, &ui::Grid::keyDown, this, &frmDatosPresupuesto::onGridKey);

    auto* botones = new QHBoxLayout;
    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName("lblEstado");
    botones->addWidget(lblEstado_, 1);
    const auto boton = [&](const char* nombre, const char* texto, auto accion) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(nombre);
        botones->addWidget(b);
        connect(b, &QPushButton::clicked, this, accion);
    };
    boton("cmdInsertar", "Insertar (F2)", [this] {
        insertar();
        devolverFoco();
    });
    boton("cmdGrabar", "Grabar (F9)", [this] {
        grabar();
        devolverFoco();
    });
    boton("cmdSuprimir", "Suprimir (F10)", [this] {
        suprimir();
        devolverFoco();
    });
    boton("cmdMover", "Mover (F8)", [this] {
        marcar();
        devolverFoco();
    });
    boton("cmdSalir", "Salir (Esc)", [this] { close(); });
    principal->addLayout(botones);

    const int ancho = ui::twipsToPixels(1000 + 1000 + 9850 + 1000 + 1300, this);
    resize(ancho + 60, 560);
}

void frmDatosPresupuesto::configurarEditor() {
    editor_ = new ui::CellEditor(this);
    ui::CellEditRules rules;
    rules.columns = {kColCodigo, kColItem, kColDescripcion, kColUnidad, kColCantidad};
    rules.canType = [this](int, int col) { return col <= kColCantidad && !hoja_.movimientoPendiente(); };
    rules.canEditExisting = [this](int row, int col) {
        return col <= kColCantidad && !msfgDatosPres_->text(row, col).isEmpty();
    };
    rules.commit = [this](ui::Grid&, int row, int col, const QString& text, const QString&) {
        hoja_.escribir(row, col, text);
        msfgDatosPres_->setRows(hoja_.filas() + 1);
        mostrarFila(row);
    };
    editor_->attach(msfgDatosPres_, rules);
}

void frmDatosPresupuesto::mostrarFila(int fila) {
    for (int c = 0; c < kColumnasPresupuesto; ++c) {
        msfgDatosPres_->setText(fila, c, hoja_.celda(fila, c));
        msfgDatosPres_->setAlignment(fila, c, alineacion(c));
    }
}

void frmDatosPresupuesto::mostrarDesde(int fila) {
    msfgDatosPres_->setRows(hoja_.filas() + 1);
    for (int r = std::max(fila, 1); r <= hoja_.filas(); ++r)
        mostrarFila(r);
}

void frmDatosPresupuesto::ponerCursor(int fila, int columna) {
    msfgDatosPres_->setCell(std::clamp(fila, 1, hoja_.filas()), columna);
}

void frmDatosPresupuesto::devolverFoco() {
    msfgDatosPres_->setFocus(Qt::OtherFocusReason);
}

void frmDatosPresupuesto::insertar() {
    const int r = msfgDatosPres_->row();
    if (r < 1)
        return;
    hoja_.insertar(r);
    mostrarDesde(r);
    ponerCursor(r, kColCodigo);
}

void frmDatosPresupuesto::marcar() {
    const int r = msfgDatosPres_->row();
    if (r < 1)
        return;
    hoja_.marcarMovimiento(r);
    lblEstado_->setText(QString("Fila %1 marcada: pulse Enter en la fila de destino").arg(r));
}

void frmDatosPresupuesto::suprimir() {
    const int r = msfgDatosPres_->row();
    if (r < 1)
        return;
    hoja_.suprimir(r);
    mostrarDesde(r);
    ponerCursor(1, kColCodigo);
}

bool frmDatosPresupuesto::grabar() {
    if (!db_.isOpen())
        return false;
    if (editor_->isEditing())
        editor_->commit();
    const ResultadoGrabacion resultado = grabarPresupuesto(db_, hoja_);
    if (!resultado.ok) {
        lblEstado_->clear();
        if (resultado.title == "Advertencia")
            ui::messages::warning(this, resultado.message);
        else
            ui::messages::failure(this, resultado.message);
        return false;
    }
    mostrarDesde(1);
    ponerCursor(1, kColCodigo);
    historial_->reset();
    lblEstado_->setText(engine::Contar(resultado.items, "rubro grabado", "rubros grabados"));
    return true;
}

// The keys of the window's commands, wherever the focus is. False for any other key.
bool frmDatosPresupuesto::ejecutarTeclaDeOrden(int key) {
    switch (key) {
    case Qt::Key_F2:
        insertar();
        break;
    case Qt::Key_F8:
        marcar();
        break;
    case Qt::Key_F9:
        grabar();
        break;
    case Qt::Key_F10:
        suprimir();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        return false;
    }
    return true;
}

void frmDatosPresupuesto::onGridKey(int key, Qt::KeyboardModifiers) {
    if (ejecutarTeclaDeOrden(key))
        return;
    const int r = msfgDatosPres_->row();
    const int c = msfgDatosPres_->col();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (hoja_.movimientoPendiente()) {
            const int desde = hoja_.filaMarcada();
            const int llegada = hoja_.completarMovimiento(r);
            mostrarDesde(std::min(desde, r));
            ponerCursor(llegada, kColCodigo);
            lblEstado_->clear();
        }
        break;
    case Qt::Key_Delete:
        if (r >= 1 && c <= kColCantidad) {
            hoja_.vaciar(r, c);
            mostrarDesde(r);
        }
        break;
    default:
        break;
    }
}

// Keys typed on the buttons or in the cell editor that the window acts on as the grid does. While
// a cell is being typed only the save applies (it writes the cell first).
void frmDatosPresupuesto::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (editor_->isEditing() && key != Qt::Key_F9) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!ejecutarTeclaDeOrden(key)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool frmDatosPresupuesto::settleUnsavedWork() {
    return ui::messages::settleUnsavedChanges(this, abierta_ && hoja_.modificada(),
                                              [this] { return grabar(); });
}

void frmDatosPresupuesto::closeEvent(QCloseEvent* event) {
    if (!ui::workSettled(this) && !settleUnsavedWork()) {
        event->ignore();
        return;
    }
    ui::unhookWheel(this);
    event->accept();
}

} // namespace korvex::budget
