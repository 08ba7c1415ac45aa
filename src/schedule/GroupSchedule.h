#pragma once
// Group schedule: for every group, the share of its cost and the weeks of work in each of up to
// twelve periods; the money per period; the schedule rows of DetalleGrupo.

#include "schedule/SaveResult.h"
#include "store/LoadedRows.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace korvex::store {
class Database;
}

namespace korvex::schedule {

inline constexpr int kPeriodos = 12;
inline constexpr int kMaxSemanas = 4;
inline constexpr const char* kEtiquetaPorcentajes = "Porcentajes >>>>>>>>>";
inline constexpr const char* kPorcentajeNegativo = "El porcentaje de un periodo no puede ser negativo";

// One group with its schedule; index p of the arrays is period p + 1.
struct GrupoCrono {
    QString grupo;
    QString descripcion; // DescripcionGru, "" when it has none
    int orden = 0;
    std::array<QString, kPeriodos> porcentajes; // as typed or stored; "" for none
    std::array<int, kPeriodos> semanas{};       // 0 to 4
};

struct Cronograma {
    QString periodoTipo;            // Proyecto.Periodotipo
    std::vector<GrupoCrono> grupos; // in OrdenGru order
    int periodos = 1;               // the highest period in use, 1 at least

    // As loaded, what a save compares with: the schedule shown then and the stored rows.
    QString periodoTipoCargado;
    std::vector<GrupoCrono> gruposCargados;
    store::LoadedRows detalle;  // DetalleGrupo
    store::LoadedRows tabla;    // Grupos: Grupo, OrdenGru
    store::LoadedRows cabecera; // Proyecto: Periodotipo
};

// The groups in OrdenGru order with their DetalleGrupo rows (a stored percentage of 0 shows as
// none; weeks outside 1 to 4 as none) and the period type. Throws store::StoreError.
Cronograma CargarCronograma(store::Database& db);

// A stored or typed percentage as the grid shows it: the plain number, "" for 0.
QString textoPorcentaje(double value);
// The bar of a number of weeks: one "-" per week, "" outside 1 to 4.
QString barraSemanas(int weeks);

// The check before the totals: every group's percentages must add up to 100. Returns the index
// of the first group that fails, nullopt when all pass. The sum is compared after rounding away
// the binary noise of adding decimal fractions (25.49 + 18.92 + 17.93 + 37.66 is 100 to the
// estimator, not 99.99999999999999).
std::optional<int> GrupoConErrorDePorcentaje(const Cronograma& crono);
// "El Grupo <description> tiene un error en la suma de Porcentaje"; a group without description
// is named by its name, so the message says which one it is.
QString MensajeErrorPorcentaje(const GrupoCrono& grupo);

// The cost of each group of crono.grupos (same index): the sum over the items whose GruposPres
// names it of Redondear(cantidadpres x direct cost without the tools allowance, 2).
// Throws store::StoreError.
std::vector<double> CostosDirectosGrupos(const QString& projectFolder, const Cronograma& crono);

// Partial and cumulative money per period, for periods 1 to crono.periodos; none where no group
// has a percentage (partial) or past the period count.
struct TotalesPeriodo {
    std::array<std::optional<double>, kPeriodos> parcial;
    std::array<std::optional<double>, kPeriodos> acumulado;
};
TotalesPeriodo CalcularTotalesCrono(const Cronograma& crono, const std::vector<double>& costosGrupos);

// Rewrites the DetalleGrupo rows of the groups whose schedule the user changed and stores the
// period type when it was changed, in one transaction, after checking that the schedule rows, the
// groups and the period type are still as loaded: on a difference or a database error nothing
// changes. Each group's rows go under its own name with its OrdenGru. A period is written when it
// has a percentage above 0 or weeks. The header record is created for the period type only when
// there is none and a period type was typed. On success what was saved becomes crono's loaded
// state. registros counts the DetalleGrupo records written.
ResultadoGrabar GrabarCronograma(store::Database& db, Cronograma& crono);

} // namespace korvex::schedule
