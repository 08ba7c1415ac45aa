#pragma once
// Reading an item's analysis for the editor: the project header, the item's own record and its
// lines of the four kinds, each kind sorted by description.

#include "analysis/AnalysisPricing.h"
#include "analysis/AnalysisSheet.h"

#include <QString>
#include <optional>

namespace korvex::store {
class Database;
class RecordSet;
} // namespace korvex::store

namespace korvex::analysis {

struct BudgetItem {
    QString code;        // CodigoPres
    QString item;        // ItemPres
    QString description; // DescripcionPres
    QString unit;        // UnidadPres
};

// Throw store::StoreError.
ProjectHeader loadProjectHeader(store::Database& db);
std::optional<BudgetItem> loadBudgetItem(store::Database& db, const QString& code, const QString& item);

// Fills the sheet with the item's lines: the typed columns in their formats (prices and amounts
// blank) and the hidden copy with the same cells plus the stored price, each row knowing its
// stored line, and what a save checks. The sheet is cleared first and left unmodified.
// Throws store::StoreError.
void loadAnalysisLines(store::Database& db, const QString& code, const QString& item, AnalysisSheet& sheet);

// The cells of the current line of a kind's record set as the hidden copy holds them (typed
// columns in their formats and the stored price), and how a loaded line enters the sheet: the
// copy with its price, the editor's grid without it.
QStringList loadedLineCells(const store::RecordSet& rs, Kind kind);
void appendLoadedLine(AnalysisSheet& sheet, Kind kind, QStringList cells, qint64 storedRow = 0);

// The fields of a kind's line a save compares, in the order description, unit or category,
// quantity, yield, price (those the kind has), and the item's lines of a kind read with them.
QStringList storedLineFields(Kind kind);
store::LoadedRows readStoredLines(store::Database& db, Kind kind, const QString& code, const QString& item);

// "El rubro CODE / ITEM no existe en el proyecto" for messages and the batch command.
QString missingItemMessage(const QString& code, const QString& item);

} // namespace korvex::analysis
