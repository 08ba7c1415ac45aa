#pragma once
// The priced budget: every item with its quantity, stored unit price and total price, the
// subtotal, the IVA and the total, as the budget presentation and `korvex budget` show them.

#include <QString>
#include <QVector>

namespace korvex::budget {

inline constexpr const char* kSinDatosProyecto = "Debe Ingresar primero los datos del Proyecto";
inline constexpr double kTasaIva = 0.12;

// One item row, every cell as shown.
struct FilaPresentacion {
    QString codigo;
    QString item;
    QString descripcion;
    QString unidad;
    QString cantidad;       // "###,##0.00#"
    QString precioUnitario; // "###,##0.00"
    QString precioTotal;    // Redondear(unit price x quantity, 2), "###,##0.00#"
};

struct Presentacion {
    bool ok = true;
    QString message; // why nothing is shown, for a message box with an OK button
    QString title;   // of that message box; empty for the application's own title

    QString proyecto;        // lblProyecto
    QString indirectos;      // lblIndirectos, "20 %"
    QString otrosIndirectos; // lblOtrosInd
    QVector<FilaPresentacion> filas;
    bool conIva = false;
    double subtotal = 0;
    double iva = 0;
    double total = 0;
    QString subtotalTexto; // lblTotalPres
    QString ivaEtiqueta;   // lblIVA2, "IVA    12%"
    QString ivaTexto;      // lblIVA
    QString totalTexto;    // lblTotalPres2
};

// Recalculates the stored unit prices of the project, then reads the budget. A project without
// its header is refused with kSinDatosProyecto and nothing is recalculated; a database failure is
// reported in the result too.
Presentacion calcularPresentacion(const QString& projectFolder);

// The totals of the rows as shown: the subtotal adds every item row's shown total price, rounded
// to two decimals after every item; the IVA is 12 % of it, rounded, when conIva.
void calcularTotales(Presentacion& presentacion);

} // namespace korvex::budget
