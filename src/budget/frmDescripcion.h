#pragma once
// Project data window: the project header printed on every report and the settings that enter
// every price (indirect-cost percentages, tools allowance) and the budget (IVA).

#include "budget/ProjectData.h"
#include "store/Database.h"
#include "ui/WindowRegistry.h"

#include <QList>
#include <QWidget>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvex::budget {

class frmDescripcion : public QWidget {
    Q_OBJECT
public:
    explicit frmDescripcion(const ui::WindowContext& context, QWidget* parent = nullptr);

    // F9 or cmdGrabar; false when the database refused the record (its message was shown).
    bool grabar();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void construir();
    QLineEdit* agregarCaja(QGridLayout* layout, int fila, const char* nombre, const char* etiqueta,
                           bool porcentaje = false);
    void mostrar(const DatosProyecto& datos);
    DatosProyecto leerCajas() const;
    void moverFoco(QLineEdit* desde, int paso);

    QString projectFolder_;
    store::Database db_;
    ProyectoCargado cargado_;
    QLineEdit* txtInstitucion_ = nullptr;
    QLineEdit* txtProyecto_ = nullptr;
    QLineEdit* txtUbicacion_ = nullptr;
    QLineEdit* txtOferente_ = nullptr;
    QLineEdit* txtCostInd_ = nullptr;
    QLineEdit* txtOtrosInd_ = nullptr;
    QLineEdit* txtElaborado_ = nullptr;
    QLineEdit* txtFecha_ = nullptr;
    QLineEdit* txtCiudad_ = nullptr;
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QRadioButton* option3_ = nullptr;
    QRadioButton* option4_ = nullptr;
    QPushButton* cmdGrabar_ = nullptr;
    QLabel* lblEstado_ = nullptr;
    QList<QLineEdit*> ciclo_; // Enter / Down / Up move round these boxes
};

} // namespace korvex::budget
