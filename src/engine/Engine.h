#pragma once
// The cost engine: the unit price of a budget item, the recalculation of every stored unit
// price, prices taken from another project, the project totals per resource kind and the
// flattened analysis table for printing.
//
// Every routine that takes a project folder opens its own handle on that project's database for
// the duration of the call and releases it before returning. Lines are summed in stored order and
// rounded per line, exactly as the estimator's worksheets do, so that every stored figure matches
// the hand calculation to the cent.
//
// Failures: the routines that return a Resultado report refusals ("Debe ingresar primero los
// datos del Proyecto") and database errors in it, for the caller to show; nothing is printed and
// nothing half-written stays behind. The routines that return a number throw store::StoreError.

#include "engine/Numbers.h"

#include <QString>
#include <optional>
#include <vector>

namespace korvex::store {
class Database;
}

namespace korvex::engine {

// Messages the caller shows (title "Error" unless stated).
inline constexpr const char* kSinDatosProyecto = "Debe ingresar primero los datos del Proyecto";
inline constexpr const char* kOrigenIgualDestino = "El Proyecto de Origen es el mismo que el Destino";
inline constexpr const char* kCarpetaSinProyecto = "La Carpeta Seleccionada no contiene ningun Proyecto";

// The outcome of a routine the user started. When !ok, message is the Spanish text for a
// message box with an OK button, and title its title.
struct Resultado {
    bool ok = true;
    QString message;
    QString title;
};

// ---- Pure arithmetic of one item (no database) ----------------------------------------------

// Line amounts, each rounded with Redondear to 2 decimals, products in the order written.
double ImporteMaterial(double cantidad, double precioUnitario);           // Cantidad x Precio
double ImporteEquipo(double horas, double costo, double rendimiento);     // (Horas x Costo) x Rend.
double ImporteManoObra(double horas, double salario, double rendimiento); // (Horas x Salario) x Rend.
double ImporteTransporte(double precio, double cantidad);                 // Precio x Cantidad

// "E. Herramientas Manuales (5% Mano de Obra)": 5 % of the labour subtotal to the cent, an exact
// half going to the even cent, decided on the subtotal's exact decimal value (whole cents):
// 0.70 gives 0.04, 2.10 gives 0.10.
double HerramientaManual(double subtotalManoObra);

// The project header figures a unit price needs (first record of Proyecto). Null counts as 0 /
// false.
struct DatosIndirectos {
    double costosIndirectos = 0; // percent of the direct cost (20 means 20 %)
    double otrosIndirectos = 0;  // percent
    bool herramienta = false;    // add the hand-tools allowance
};

// Subtotals of an item's lines per kind: line amounts added in stored order, not rounded again.
struct Subtotales {
    double materiales = 0; // M
    double equipo = 0;     // E
    double manoObra = 0;   // L
    double transporte = 0; // T
};

// The unit price of an item with every figure on the way.
struct PrecioUnitario {
    Subtotales subtotales;
    double herramienta = 0;     // H (0 with the tools switch off)
    double costoDirecto = 0;    // D = Redondear(M + E + L + T + H, 2)
    double indirectos = 0;      // I = Redondear(CostosIndirectos x D / 100, 3)
    double otrosIndirectos = 0; // O = Redondear(OtrosIndirectos x D / 100, 3)
    double precioUnitario = 0;  // Redondear(D + I + O, 2): what TotalPres stores
};

// Redondear(M + E + L + T, 2): the direct cost without the tools allowance.
double CalcularCostoDirecto(const Subtotales& subtotales);
PrecioUnitario CalcularPrecioUnitario(const Subtotales& subtotales, const DatosIndirectos& datos);

// The figures every unit price of the project is computed with, on an open handle: the header's,
// or, in a project without one, no indirect costs and no tools allowance. Throws store::StoreError.
DatosIndirectos DatosIndirectosEnUso(store::Database& db);

// ---- One item ---------------------------------------------------------------------------

// The header's figures, or nullopt when the project has no header yet. Throws store::StoreError.
std::optional<DatosIndirectos> LeerDatosIndirectos(const QString& projectFolder);

// Direct cost of the item without the tools allowance and without indirect costs; 0 for an item
// without lines. Throws store::StoreError.
double CostoDirecto(const QString& projectFolder, const QString& codigoPres, const QString& itemPres);

// The whole breakdown of one item from its stored lines. Without a header, indirect costs are 0,
// the tools allowance is off and conDatosProyecto is false. Throws store::StoreError.
struct DesgloseItem {
    bool conDatosProyecto = false;
    PrecioUnitario precio;
};
DesgloseItem PrecioUnitarioItem(const QString& projectFolder, const QString& codigoPres,
                                const QString& itemPres);

// ---- The whole budget ---------------------------------------------------------------------

// One budget item with its computed figures, as the recalculation stores them.
struct PrecioItem {
    int indice = 0;
    QString codigoPres;
    QString itemPres;
    QString descripcionPres;
    QString unidadPres;
    double cantidadPres = 0;
    double costoDirectoSinHerramienta = 0; // what CostoDirecto returns for the item
    PrecioUnitario precio;
};

// Every item of Presupuesto in stored order with its figures, computed from a few ordered scans
// (no writing). Without a header, as PrecioUnitarioItem. Throws store::StoreError.
std::vector<PrecioItem> PreciosUnitarios(const QString& projectFolder);

// Stores the unit price of every item in TotalPres, all items or none. Refuses a project without
// header (kSinDatosProyecto, nothing written). items is the number of items written.
struct ResultadoRecalculo : Resultado {
    int items = 0;
};
ResultadoRecalculo RecalcularPresupuesto(const QString& projectFolder);

// Sum over the items, in stored order, of direct cost (no tools allowance) x CantidadPres, the
// running total rounded to 2 decimals after every item. Throws store::StoreError.
double TotalCostoDirecto(const QString& projectFolder);

// Gives every resource line of the project the price of the first line of the source project
// with the same resource (material and transport: description and unit; equipment: description
// only; labour: description and category), all lines or none. Refuses the project itself as
// source (kOrigenIgualDestino) and a folder without a project database (kCarpetaSinProyecto).
// Nothing is recalculated.
struct ResultadoImportacion : Resultado {
    int materiales = 0; // lines that found their resource in the source
    int equipo = 0;
    int manoObra = 0;
    int transporte = 0;
    int lineas() const { return materiales + equipo + manoObra + transporte; }
};
ResultadoImportacion ImportarPrecios(const QString& projectFolder, const QString& sourceFolder);

// ---- Project totals per resource -------------------------------------------------------------

enum class TipoRecurso { Material, Equipo, ManoObra, Transporte };

// One resource of the whole project at one price: its lines joined to their budget items (lines
// of items no longer in Presupuesto left out), quantities weighted by CantidadPres.
struct TotalRecurso {
    QString descripcion;
    QString unidad;      // unit (material, transport), category (labour), "" (equipment)
    double cantidad = 0; // TotalMat, TotalMaq (hours), TotalMan (hours), TotalTran
    double precio = 0;   // PrecioUniMat, CostoMaq, SalarioMan, PrecioTran
    double importe = 0;  // Redondear(precio x cantidad, 2)
};

// One row per (description, unit or category, price), in ascending order of those fields.
// Throws store::StoreError.
std::vector<TotalRecurso> TotalesRecursos(const QString& projectFolder, TipoRecurso tipo);

// Sum of the rows' importe (not rounded again); 0 without lines. Throw store::StoreError.
double TotalEquipoProyecto(const QString& projectFolder);
double TotalManoObraProyecto(const QString& projectFolder);
double TotalTransporteProyecto(const QString& projectFolder);
double TotalMaterialesProyecto(const QString& projectFolder);

// TotalCostoDirecto and the project totals of equipment, labour and transport, each the same
// figure as its own function gives, reading each line table once. Throws store::StoreError.
struct TotalesProyecto {
    double costoDirecto = 0;
    double equipo = 0;
    double manoObra = 0;
    double transporte = 0;
};
TotalesProyecto TotalesDelProyecto(const QString& projectFolder);

// ---- Analysis report table ------------------------------------------------------------------

// InfoAnalisis codes of Tipo.
inline constexpr int kTipoMaterial = 4;
inline constexpr int kTipoEquipo = 1;
inline constexpr int kTipoManoObra = 2;
inline constexpr int kTipoHerramienta = 3;
inline constexpr int kTipoTransporte = 5;

// Rewrites InfoAnalisis from the analyses of the items with CantidadPres > 0, in budget order,
// all or nothing. registros is the number of records written.
struct ResultadoInfoAnalisis : Resultado {
    int registros = 0;
};
ResultadoInfoAnalisis LlenarInfoAnalisis(const QString& projectFolder);

} // namespace korvex::engine
