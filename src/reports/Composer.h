#pragma once
// Composing a report: runs a template's queries through a DataProvider and lays the result out on
// pages (header with the project's data on every page, tables that continue on the next page
// under repeated column headers, wrapped texts, totals, "Página 1 de 3").

#include "reports/DataSet.h"
#include "reports/Document.h"
#include "reports/Template.h"

#include <QString>
#include <utility>
#include <vector>

namespace korvex::reports {

// Values handed to a template's named formulas: name and value text ("105.5", "'texto'").
using FormulaValues = std::vector<std::pair<QString, QString>>;

// Throws TemplateError for a fault of the template found while printing (an unknown field, a
// formula the template lacks), naming the template; a query error is a store::StoreError.
ReportDocument composeReport(const ReportTemplate& report, DataProvider& data,
                             const FormulaValues& formulas = {});

} // namespace korvex::reports
