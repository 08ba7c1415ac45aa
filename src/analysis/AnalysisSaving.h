#pragma once
// Saving an analysis (F9): the changes the editor made to the item's lines of the four kinds, all
// in one transaction, so that a failure leaves the stored analysis as it was. Lines are known by
// the engine's row number: a line the user did not touch is not written, a line changed gets only
// its changed fields, a line deleted (or emptied, or repeating a resource above it) is deleted,
// a new one is added. Before writing, the save checks that the item still exists, that its lines
// are still the ones loaded (none added or deleted elsewhere) and that every line it changes or
// deletes still holds what was loaded; otherwise it writes nothing and names what changed.
//
// Prices are never typed, so saving decides them as the editor shows them: every line takes the
// project price of its resource (the first line of the project with it, the item's own lines
// included), so that the unit price the editor showed is the one the budget computes; a line
// whose resource the project no longer has keeps the price it was loaded with, and a resource
// new to the project is stored at 0.

#include "analysis/AnalysisSheet.h"

#include <QString>
#include <QStringList>
#include <array>

namespace korvex::store {
class Database;
}

namespace korvex::analysis {

// The resources that occur twice in a kind, for the question before saving (only the first line
// of each is stored). Empty when there are none.
struct RepeatedResources {
    std::array<QStringList, 4> names; // by kindIndex
    bool any() const;
    QString message() const; // the "Advertencia" text naming each repeated resource
};
RepeatedResources findRepeatedResources(const AnalysisSheet& sheet);

struct SaveOutcome {
    bool ok = false;
    QString message;             // on failure: what failed, for the message box
    std::array<int, 4> stored{}; // lines written per kind
    int total() const { return stored[0] + stored[1] + stored[2] + stored[3]; }
};

// Lines without a resource are skipped, a repeated resource keeps its first line, empty numbers
// are stored as 0. Never throws: a store failure or a change made meanwhile rolls everything
// back and is reported. On success the sheet knows its lines as now stored.
SaveOutcome saveAnalysis(store::Database& db, const QString& code, const QString& item, AnalysisSheet& sheet);

} // namespace korvex::analysis
