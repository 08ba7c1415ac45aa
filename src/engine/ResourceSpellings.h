#pragma once
// One spelling per resource. Lines may write the same resource in several letter cases ("Cemento",
// "CEMENTO"); the store's "=" takes them for one resource, priced from its first line. Wherever
// such lines are gathered into one row, the row is written as that first line writes it, so every
// window and report shows the resource alike.

#include <QHash>
#include <QString>

namespace korvex::store {
class Database;
}

namespace korvex::engine {

struct Escritura {
    QString descripcion;
    QString segundo; // unit or category; "" for equipment
};

class EscriturasRecursos {
public:
    // The first line's spelling of each resource of a line table (Materiales, Maquinaria, ManoObra,
    // Transporte), known by its description and, unless secondField is "", its unit or category.
    // Throws store::StoreError.
    static EscriturasRecursos leer(store::Database& db, const QString& table, const QString& descField,
                                   const QString& secondField);

    // The first line's spelling of that resource; the given one when no line has it.
    Escritura de(const QString& descripcion, const QString& segundo = {}) const;

private:
    QHash<QString, Escritura> primeras_;
};

} // namespace korvex::engine
