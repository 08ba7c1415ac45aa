#pragma once
// Item schedule: for every budget item the quantity executed in each of six 30-day columns, the
// money it represents at the item's unit price, what is left to schedule, and per column the
// monthly and cumulative investment and progress.

#include "schedule/SaveResult.h"
#include "store/LoadedRows.h"

#include <QColor>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace korvex::store {
class Database;
}

namespace korvex::schedule {

inline constexpr int kColumnasDias = 6; // 30, 60, ... 180 days
inline constexpr const char* kCamposCronoValores[kColumnasDias] = {"Crono30C",  "Crono60C",  "Crono90C",
                                                                   "Crono120C", "Crono150C", "Crono180C"};

struct ItemCrono {
    QString codigoPres;
    QString itemPres;
    QString descripcionPres;
    double cantidad = 0;                                         // cantidadpres
    double precioUnitario = 0;                                   // TotalPres
    std::array<std::optional<double>, kColumnasDias> cantidades; // scheduled; none when empty
    std::array<std::optional<double>, kColumnasDias> cargadas;   // as loaded
    qint64 filaValores = 0;                                      // its CronoValores row; 0 for none

    double precioTotal() const; // Redondear(TotalPres x cantidadpres, 2)
    // The money of a quantity at this item's unit price: Redondear(quantity x TotalPres, 2).
    double monto(double quantity) const;
    std::optional<double> montoColumna(int column) const;
    // Quantity minus the scheduled quantities.
    double restante() const;
};

struct CronoItems {
    std::vector<ItemCrono> items;  // in budget order
    double totalProyecto = 0;      // sum of the items' price totals
    store::LoadedRows presupuesto; // CodigoPres, ItemPres as loaded
    store::LoadedRows valores;     // CronoValores as loaded
};

// Every budget item with its CronoValores quantities (matched by CronoCodigo + CronoItem; a stored
// 0 is shown as none). Reads the stored unit prices: the caller recalculates them first.
// Throws store::StoreError.
CronoItems CargarCronoItems(store::Database& db);

// A typed quantity: 0 for a text that is not a number, otherwise the number with the three
// decimals the quantity cells show, so that the money shown, the quantity saved and the quantity
// read back agree.
double CantidadDesdeTexto(const QString& text);

// What is left to schedule, and its colour: red when negative (over-scheduled), green when
// nothing is left, blue while something is.
enum class EstadoRestante { Negativo, Cero, Positivo };
EstadoRestante estadoRestante(double remaining);
QColor colorRestante(EstadoRestante estado);

// The column results. Index c is the column of c x 30 days + 30. Progress and cumulative figures
// are computed up to the first column without investment (columnaParada, 6 when every column has
// some) and are none from there on; the last computed cumulative investment is the project total.
// With no investment in the first column, no column is computed and the project total stands in
// inversionAcumuladaAntes (the cell left of the first column).
struct TotalesItems {
    std::array<double, kColumnasDias> inversionMensual{};
    std::array<std::optional<double>, kColumnasDias> avanceParcial;
    std::array<std::optional<double>, kColumnasDias> inversionAcumulada;
    std::array<std::optional<double>, kColumnasDias> avanceAcumulado;
    int columnaParada = kColumnasDias;
    std::optional<double> inversionAcumuladaAntes;
};
TotalesItems CalcularTotalesItems(const CronoItems& crono);

// Writes the quantities the user changed into each item's CronoValores record (made when it has
// none), in one transaction, after checking that the items and CronoValores are still as loaded:
// on a difference or a database error nothing changes. On success what was saved becomes crono's
// loaded state. registros counts the records written.
ResultadoGrabar GrabarCronoValores(store::Database& db, CronoItems& crono);

} // namespace korvex::schedule
