#pragma once
// The polynomial price-adjustment formula: one term per symbol of SimbolosMat, whose coefficient is
// the symbol's share of the direct cost as a fraction of 1, brought towards a sum of 1.000 by a
// single last-digit correction. Stored in SimbolosDesc with the description of each symbol.

#include "formula/Coefficients.h"
#include "store/Database.h"
#include "store/LoadedRows.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace korvex::formula {

struct FormulaRow {
    QString simbolo;
    QString descripcion;
    Cents costo = 0;             // the symbol's direct cost
    Thousandths coeficiente = 0; // after the correction
    QString descripcionCargada;  // the description stored when the sheet was stored or saved
};

struct FormulaSheet {
    std::vector<FormulaRow> rows; // at most 11, in ascending symbol order
    QStringList excedentes;       // symbols beyond the eleventh: left out of the rows, named in a warning
    Correction correction;
    Cents totalCosto = 0;
    Thousandths totalCoeficiente = 0; // the real sum after the correction
    bool sumaEsUno() const { return totalCoeficiente == kOne; }
    store::LoadedRows stored; // SimbolosDesc as stored with the sheet, for saveFormulaDescriptions
};

// The percentages of SimbolosMat summed per non-empty symbol (symbols compared as the database
// compares text), in ascending symbol order.
struct SymbolTotal {
    QString simbolo;
    double porcentaje = 0;
};
std::vector<SymbolTotal> symbolTotals(store::Database& db);

// Computes the formula over the project's direct-cost total; descriptions come from SimbolosDesc.
FormulaSheet computeFormula(store::Database& db, double costoDirecto);
// Computes the formula and stores it in SimbolosDesc (descriptions kept), as the window does on
// opening, so that what is printed is the formula of the symbols as they are now. Returns the
// sheet stored. Throws store::StoreError (SimbolosDesc then keeps its earlier content).
FormulaSheet refreshStoredFormula(store::Database& db, double costoDirecto);
// The same from symbol totals and earlier descriptions, for the computation alone.
FormulaSheet computeFormula(const std::vector<SymbolTotal>& totals, double costoDirecto,
                            const std::vector<FormulaRow>& earlierDescriptions);
void recomputeTotals(FormulaSheet& sheet);

// Display texts of the window.
QString costText(Cents value);                   // "###,##0.00"
QString coefficientText(Thousandths value);      // "#0.000" in the grid
QString coefficientTotalText(Thousandths value); // "##0.000" beside "Total ="

// Rewrites SimbolosDesc with the rows, as one transaction; on a StoreError the table keeps its earlier
// content. Returns the number of records written.
int saveFormula(store::Database& db, const std::vector<FormulaRow>& rows);

// Writes the descriptions the user changed since the sheet was stored (refreshStoredFormula),
// as user data, in one transaction, after checking that SimbolosDesc is still what was stored with
// the sheet: store::StaleDataError otherwise, and nothing is written. On success the sheet's
// stored state is what was saved. Returns the number of descriptions written.
int saveFormulaDescriptions(store::Database& db, FormulaSheet& sheet);

} // namespace korvex::formula
