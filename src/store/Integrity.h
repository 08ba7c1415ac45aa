#pragma once
// The file's own consistency check of a project database (pages, indexes, constraints).

#include <QString>
#include <QStringList>

namespace korvex::store {

// One Spanish line per problem found in the project database of projectFolder, empty when the
// file is sound. Reads only. Throws StoreError when the file cannot be opened.
QStringList integrityProblems(const QString& projectFolder);

} // namespace korvex::store
