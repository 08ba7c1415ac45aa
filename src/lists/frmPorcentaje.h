#pragma once
// The small modal dialog "Subir Porcentaje" that asks the price window for the percentage to
// raise a whole list by. A cancelled dialog or a text that is not a number gives 0, which leaves
// every price as it is.

#include <QDialog>

class QLineEdit;

namespace korvex::lists {

class frmPorcentaje : public QDialog {
    Q_OBJECT
public:
    explicit frmPorcentaje(QWidget* parent = nullptr);

    // PorcentajeIncremento: what the dialog returned (0 when cancelled or not a number).
    double porcentaje() const { return porcentaje_; }
    // Accepted with a text that is not a number (the caller may say so).
    bool textoNoValido() const { return notANumber_; }

    struct Answer {
        double porcentaje = 0;
        bool textoNoValido = false;
    };
    // Shows the dialog modal and returns its answer.
    static Answer ask(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void aceptar();
    void cancelar();

    QLineEdit* txtPorcentaje_ = nullptr;
    double porcentaje_ = 0;
    bool notANumber_ = false;
};

} // namespace korvex::lists
