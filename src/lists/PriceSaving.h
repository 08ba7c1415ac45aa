#pragma once
// Saving the resource lists (F9): the price of every row the user changed is written into every
// line of every analysis that uses its resource, the four kinds in one transaction, so that a
// failure leaves every stored price as it was. Where one resource shows at two prices and both
// were changed, the lower row is saved last and its price is the one every line ends with.

#include "lists/PriceList.h"

#include <QString>
#include <array>

namespace korvex::store {
class Database;
}

namespace korvex::lists {

struct PriceSaveOutcome {
    bool ok = false;
    QString message;            // on failure: what failed, for the message box
    std::array<int, 4> lines{}; // lines whose price changed, per kind
    int total() const { return lines[0] + lines[1] + lines[2] + lines[3]; }
};

// Writes the rows whose price the user changed into the lines of their resource, after checking
// that those lines are still the ones the list was made of, at the prices it loaded. Never
// throws: a store failure or a change made meanwhile rolls everything back and is reported.
// Lines already at their row's price are left as they are. On success the lists are marked saved.
PriceSaveOutcome savePrices(store::Database& db, PriceLists& lists);

// What `korvex reprice` does: the four lists loaded, one kind's prices raised by percent as F6
// does, and all four saved as F9 does.
struct RepriceOutcome {
    bool ok = false;
    QString message;
    int resources = 0; // rows of the kind whose price changed
    int lines = 0;     // lines of all kinds whose stored price changed
};
RepriceOutcome repriceProject(const QString& projectFolder, TipoRecurso kind, double percent);

// "Precios grabados: N línea(s) cambiada(s)", for status lines.
QString savedPricesStatus(const PriceSaveOutcome& outcome);

} // namespace korvex::lists
