#pragma once
// Importing a FIEBDC-3 file into an existing project: items, their analyses and groups, all or
// nothing, then the stored unit prices recalculated and compared with the prices the file states.

#include "engine/Engine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvex::exchange {

inline constexpr const char* kProyectoConRubros = "El proyecto ya tiene rubros";

// An item whose unit price here differs from the price the file states.
struct DiferenciaPrecio {
    QString codigo;
    QString item;
    double precioArchivo = 0;
    double precioImportado = 0;
    double diferencia() const { return precioImportado - precioArchivo; }
};

struct ResultadoImportacionBC3 : engine::Resultado {
    int items = 0;
    int lineas = 0;
    int grupos = 0;
    bool precioBase = false;
    int comparados = 0; // items for which the file states a price
    int iguales = 0;    // of those, the ones whose imported unit price equals it to the cent
    std::vector<DiferenciaPrecio> diferencias; // the ten largest, largest first
    QString indirecto;                         // percentage concept taken as indirect cost
    double costosIndirectos = 0;
    QStringList noAplicados; // the ~K percentages, named and not applied: "GG 13 %"
    QStringList avisos;      // what the reader noticed (code page, unknown charset)

    // The summary and reconciliation as printed lines, in Spanish.
    QStringList informe() const;
};

// Into a project without items; with replace, the items, lines, groups and schedules are emptied
// first (the header stays), after a backup of the project file. Refuses a project with items without replace
// (kProyectoConRubros), a malformed file (its record named) and a file with nothing to import; nothing is
// written then.
ResultadoImportacionBC3 ImportarBC3(const QString& projectFolder, const QByteArray& bytes, bool replace);
ResultadoImportacionBC3 ImportarArchivoBC3(const QString& projectFolder, const QString& path, bool replace);

// True when the project has at least one item (the window asks before replacing them).
bool ProyectoTieneRubros(const QString& projectFolder);

} // namespace korvex::exchange
