#include "lists/frmPorcentaje.h"

#include "engine/Numbers.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace korvex::lists {

frmPorcentaje::frmPorcentaje(QWidget* parent) : QDialog(parent) {
    setObjectName("frmPorcentaje");
    setWindowTitle("Subir Porcentaje");
    setModal(true);

    auto* label = new QLabel("Ingrese el Porcentaje  para Incrementar Los Precios", this);
    label->setObjectName("Label1");
    txtPorcentaje_ = new QLineEdit(this);
    txtPorcentaje_->setObjectName("txtPorcentaje");
    txtPorcentaje_->setAlignment(Qt::AlignRight);
    auto* cmdAceptar = new QPushButton("Aceptar", this);
    cmdAceptar->setObjectName("cmdAceptar");
    auto* cmdCancelar = new QPushButton("Cancelar", this);
    cmdCancelar->setObjectName("cmdCancelar");
    // Enter and Esc are the text box's own keys (below), not a default button's.
    cmdAceptar->setAutoDefault(false);
    cmdCancelar->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdAceptar);
    buttons->addWidget(cmdCancelar);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(txtPorcentaje_);
    layout->addLayout(buttons);

    connect(cmdAceptar, &QPushButton::clicked, this, &frmPorcentaje::aceptar);
    connect(cmdCancelar, &QPushButton::clicked, this, &frmPorcentaje::cancelar);
    txtPorcentaje_->setFocus();
}

void frmPorcentaje::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The user types the percentage at once, whatever had the focus before.
    txtPorcentaje_->setFocus(Qt::OtherFocusReason);
}

void frmPorcentaje::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter on a focused button presses that button; anywhere else it accepts.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            aceptar();
        return;
    case Qt::Key_Escape:
        cancelar();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void frmPorcentaje::aceptar() {
    const std::optional<double> value = engine::ConvertirNumero(txtPorcentaje_->text());
    porcentaje_ = value.value_or(0);
    notANumber_ = !value && !txtPorcentaje_->text().trimmed().isEmpty();
    accept();
}

void frmPorcentaje::cancelar() {
    porcentaje_ = 0;
    notANumber_ = false;
    reject();
}

frmPorcentaje::Answer frmPorcentaje::ask(QWidget* parent) {
    frmPorcentaje dialog(parent);
    dialog.exec();
    return {dialog.porcentaje(), dialog.textoNoValido()};
}

} // namespace korvex::lists
