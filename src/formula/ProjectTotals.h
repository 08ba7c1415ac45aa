#pragma once
// The project figures the formula windows and the crew rest on, taken from the cost engine.

#include <QString>

namespace korvex::formula {

struct ProjectTotals {
    double costoDirecto = 0; // direct cost of the budget, without the hand-tools allowance
    double equipo = 0;
    double manoObra = 0;
    double transporte = 0;
};

// Asks the cost engine for every total of the project in the folder. Throws store::StoreError.
ProjectTotals loadProjectTotals(const QString& projectFolder);

} // namespace korvex::formula
