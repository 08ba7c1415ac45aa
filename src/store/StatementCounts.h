#pragma once
// Statements run in this process since it started, for tests and benchmarks that check that an
// operation's reads do not grow with the project: queries (Database::openRecordSet, which
// LoadedRows reads through, and the reading back of each record a RecordSet::update wrote) and
// writes (Database::execute, and each RecordSet::update).

#include <QtGlobal>

namespace korvex::store::testing {

struct StatementCounts {
    quint64 queries = 0;
    quint64 writes = 0;
};
StatementCounts statementsRun();

} // namespace korvex::store::testing
