#pragma once
// A whole line table gathered per resource and price in one scan, as the database gathers it for
// the grouped totals query of the lists and reports: the lines joined to their budget items by
// code and number (as the store compares text), each line's quantity weighted by its item's
// CantidadPres, one group per description, unit or category and price (letter case ignored), in
// ascending order of those fields.
//
// The database adds a group's products in the order its join produces them, and the sums of
// doubles depend on that order. With no statistics the plan is fixed by the schema: equipment goes
// item by item in stored order and, within an item, its lines in the order of the join's temporary
// index (description byte by byte, hours, yield, cost, then stored order); the other kinds go line
// by line in stored order, each line meeting an item that appears twice (in other letters) in
// ascending order of its quantity. Adding the products here in the same order gives the same sums
// to the last bit, so that a list and its report show the same cent; the tests compare the two on
// a project made to tell the orders apart.
//
// The same scan keeps the lines as loaded (description, unit or category, price), for the save of
// a window to check against, and the first spelling of every resource.

#include "engine/Engine.h"
#include "engine/ItemLines.h"
#include "engine/ResourceSpellings.h"
#include "store/LoadedRows.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace korvex::engine {

namespace detail {
struct ItemQuantities;
}

// Where a kind of line keeps its resource.
struct CamposLinea {
    QString tabla;
    QString descripcion;
    QString segundo; // unit or category; "" for equipment
    QString precio;

    bool tieneSegundo() const { return !segundo.isEmpty(); }
    // The fields the lines are loaded with: description, [unit or category,] price.
    QStringList cargados() const;
};
CamposLinea camposDe(TipoRecurso tipo);

struct LineasAgrupadas {
    std::vector<TotalRecurso> totales;
    store::LoadedRows lineas; // every line of the table, as CamposLinea::cargados() reads them
};

class AgrupacionRecursos {
public:
    // Reads the quantities of the budget's items once, for every table grouped after.
    // Throws store::StoreError.
    explicit AgrupacionRecursos(store::Database& db);
    ~AgrupacionRecursos();
    AgrupacionRecursos(const AgrupacionRecursos&) = delete;
    AgrupacionRecursos& operator=(const AgrupacionRecursos&) = delete;

    // The groups of one kind, spelt as each resource's first line, with the lines as loaded.
    LineasAgrupadas agrupar(TipoRecurso tipo);
    // The sum of the groups' importe, as the Total*Proyecto functions give it. subtotals, when
    // given, take the kind's part of every item's subtotals along the same pass.
    double total(TipoRecurso tipo, detail::SubtotalMap* subtotals = nullptr);

private:
    store::Database& db_;
    std::unique_ptr<detail::ItemQuantities> items_;
};

// The distinct resources of lines loaded as CamposLinea::cargados() reads them (all lines, not
// only those of items in the budget), in the order a grouped query on description and unit or
// category lists them, each spelt as its first line. A Null description or unit is a resource
// of its own, as it is to the database.
std::vector<Escritura> RecursosDistintos(const store::LoadedRows& lineas, bool conSegundo);

} // namespace korvex::engine
