#pragma once
// A health check of a project before a bid goes out: the file's consistency, every stored unit
// price against the recalculation, and the data faults that make figures disagree (lines of items
// that do not exist, repeated item keys, a resource at more than one price, items without lines,
// lines without a price). It only reads.

#include <QString>
#include <vector>

namespace korvex::engine {

// Kinds of finding, as the first field of a finding's line.
inline constexpr const char* kHallazgoArchivo = "archivo";
inline constexpr const char* kHallazgoSinDatos = "proyecto sin datos";
inline constexpr const char* kHallazgoPrecioUnitario = "precio unitario";
inline constexpr const char* kHallazgoLineaSinRubro = "línea sin rubro";
inline constexpr const char* kHallazgoRubroDuplicado = "rubro duplicado";
inline constexpr const char* kHallazgoPreciosDistintos = "precio distinto";
inline constexpr const char* kHallazgoRubroSinLineas = "rubro sin líneas";
inline constexpr const char* kHallazgoLineaSinPrecio = "línea sin precio";

// One finding: its kind, the item concerned (empty for the file), and what is wrong, in Spanish.
struct Hallazgo {
    QString tipo;
    QString codigo;
    QString item;
    QString detalle;
    // "kind<TAB>code<TAB>item<TAB>detail"
    QString linea() const;
};

struct ResultadoVerificacion {
    bool legible = true; // false: the project could not be read; error says why
    QString error;
    int rubros = 0;
    int lineas = 0;
    std::vector<Hallazgo> hallazgos;
    bool limpio() const { return legible && hallazgos.empty(); }
    // "Proyecto sin hallazgos: 12 rubros, 140 líneas" or "3 hallazgos en 12 rubros y 140 líneas".
    QString resumen() const;
};

// Never throws: a project that cannot be opened or read gives legible = false.
ResultadoVerificacion VerificarProyecto(const QString& projectFolder);

} // namespace korvex::engine
