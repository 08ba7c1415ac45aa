#pragma once
// Sample projects: a small realistic Spanish budget to show and try the program with, and large
// synthetic budgets for measuring speed. Both are written through the store in one transaction.

#include "engine/Engine.h"

#include <QString>

namespace korvex::engine {

inline constexpr const char* kNombreEjemplo = "Ejemplo";

struct ResultadoDemo : Resultado {
    QString folder; // the project folder made
    int items = 0;
    int lineas = 0; // resource lines of all four kinds
};

// Creates the project `name` under root (a template copy) and fills it: the sample budget, or with
// syntheticItems > 0 that many items of about 20 lines each. Refuses an existing project with the
// folder operations' message. Ends with the stored unit prices recalculated.
ResultadoDemo CrearProyectoEjemplo(const QString& root, const QString& name = kNombreEjemplo,
                                   int syntheticItems = 0);

// Fills an existing, empty project (header, items, analyses). Throws store::StoreError.
ResultadoDemo LlenarProyectoEjemplo(const QString& projectFolder);
ResultadoDemo LlenarProyectoSintetico(const QString& projectFolder, int items);

} // namespace korvex::engine
