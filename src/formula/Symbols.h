#pragma once
// The symbols of the price-adjustment formula: every distinct material of the project with its share
// of the direct cost, then the fixed equipment and labour components, each with the symbol the user
// gives it. Stored in SimbolosMat, one record per line.

#include "formula/ProjectTotals.h"
#include "store/Database.h"
#include "store/LoadedRows.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace korvex::formula {

enum class SymbolRowKind { Material, Separator, Component };

struct SymbolRow {
    SymbolRowKind kind = SymbolRowKind::Material;
    QString simbolo;
    QString descripcion;
    QString unidad;
    double porcentaje = 0;  // percent of the direct cost, rounded to 3 decimals
    QString simboloCargado; // the symbol as loaded
};

// The rows of the symbols window and the records of SimbolosMat they were loaded from.
struct SymbolTable {
    std::vector<SymbolRow> rows;
    store::LoadedRows stored;
};

inline constexpr int kMaxSimbolos = 11;

// The literal of the row that parts the materials from the fixed components.
QString separatorText();
// The six fixed components in their order: five shares of equipment and transport, then labour.
QStringList componentNames();

// The rows of the symbols window: materials (one per description, unit and unit price, in that
// order), the separator, the six components, each with its stored symbol when there is one.
SymbolTable loadSymbols(store::Database& db, const ProjectTotals& totals);
std::vector<SymbolRow> loadSymbolRows(store::Database& db, const ProjectTotals& totals);

// The percentage column as shown ("###,##0.000"; empty on the separator).
QString percentageText(const SymbolRow& row);

// Symbols are compared as the database compares text: blanks around them do not count and
// letter case does not matter.
QString normalizedSymbol(const QString& typed);
bool sameSymbol(const QString& a, const QString& b);

// The distinct non-empty symbols of the rows, in the order they first appear.
QStringList distinctSymbols(const std::vector<SymbolRow>& rows);
// The distinct symbols beyond the eleventh, in ascending order as the formula lists them.
QStringList symbolsBeyondLimit(QStringList symbols);
// "La formula admite como maximo 11 simbolos; quedan fuera de ella: X, Y. ..." or empty when there
// are 11 or fewer.
QString tooManySymbolsMessage(const QStringList& symbolsBeyondLimit);

// Saves the rows into SimbolosMat, one record per row but the separator, in one transaction, after
// checking that SimbolosMat is still as loaded (store::StaleDataError otherwise; nothing written):
// a symbol the user changed is written into its row's record, a row without a record gets one,
// every record's percentage is brought up to date, and the records of materials no longer in the
// project (or a second record of one) are deleted. On success what was saved becomes the loaded
// state. On a StoreError the table keeps its earlier content. Returns the number of records written.
int saveSymbolRows(store::Database& db, SymbolTable& table);

} // namespace korvex::formula
