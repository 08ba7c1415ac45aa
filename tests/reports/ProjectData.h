#pragma once
// Small projects written record by record for the report tests.

#include "reports/Document.h"
#include "reports/ReportButtons.h"
#include "store/Database.h"

#include <QString>
#include <QVariantList>

namespace korvex::testing {

void insert(store::Database& db, const QString& table, const QStringList& fields, const QVariantList& values);

// The project header; iva and tools switch the IVA and the hand-tools allowance.
void writeHeader(store::Database& db, bool iva, double indirectos = 0, double otros = 0, bool tools = false);
void writeItem(store::Database& db, const QString& code, const QString& item, const QString& description,
               double quantity, const QString& group = {}, double storedPrice = 0);
void writeMaterial(store::Database& db, const QString& code, const QString& item, const QString& description,
                   double quantity, double price);
void writeLabour(store::Database& db, const QString& code, const QString& item, const QString& description,
                 const QString& category, double hours, double yield, double wage);
void writeEquipment(store::Database& db, const QString& code, const QString& item, const QString& description,
                    double hours, double yield, double cost);

// The sample budget of the engine plus a group schedule, an item schedule and formula symbols,
// so that every report has something to print. Returns the project folder.
QString sampleProjectWithSchedules(const QString& root);

// The texts of every page of a report, joined, for searching.
QString allText(const reports::ReportDocument& document);

// The report of a button, prepared and run on a project; the preparation's notices when asked.
reports::ReportResult printReport(const char* button, const QString& folder, const QString& root,
                                  std::vector<reports::Notice>* notices = nullptr);
// The texts of a button's report, or its failure message.
QString printedText(const char* button, const QString& folder, const QString& root);

// Those of the texts that a printed text does not contain, for one assertion over many.
QStringList missingFrom(const QString& printed, const QStringList& texts);

// Every text stays inside the cell it was given (a tolerance of one dot for rounding).
void expectNothingOverflows(const reports::ReportDocument& document);

} // namespace korvex::testing
