#pragma once
// A supplier's or a chamber's price list read from a table: which row holds the column titles
// (description, unit, category, price, kind), which columns to use, and each row's resource kind,
// description, unit or category and price. Rows without a price (section titles) are skipped and
// counted; a price that is not a number refuses the whole list, naming its row.

#include "engine/Engine.h"
#include "exchange/Table.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace korvex::exchange {

using engine::TipoRecurso;

// Columns by index (0 is column A); -1 when the list has none.
struct PriceColumns {
    int description = -1;
    int unit = -1;
    int category = -1;
    int price = -1;
    int kind = -1;
    bool usable() const { return description >= 0 && price >= 0; }
    friend bool operator==(const PriceColumns&, const PriceColumns&) = default;
};

// "descripcion=B,unidad=C,precio=D" (also categoria= and tipo=; accents and letter case
// ignored). nullopt with a Spanish message in error when it cannot be read.
std::optional<PriceColumns> parseColumnChoice(const QString& text, QString& error);
// The columns whose titles are in the row.
PriceColumns columnsFromTitles(const TableRow& row);
// "A «Código», B «Nombre»": the non-empty cells of a row, for messages and choosers.
QString describeColumns(const TableRow& row);

struct PriceListEntry {
    int row = 0; // as the spreadsheet numbers it
    TipoRecurso kind = TipoRecurso::Material;
    QString description;
    QString second; // unit (materials, transport) or category (labour); "" for equipment
    double price = 0;
};

struct PriceListOptions {
    std::optional<TipoRecurso> kind;     // for rows without a kind of their own
    std::optional<PriceColumns> columns; // instead of the titles
};

struct PriceListReading {
    bool ok = false;
    QString message;  // Spanish, naming the row, when !ok
    int titleRow = 0; // the row of column titles; 0 when there is none
    PriceColumns columns;
    std::vector<PriceListEntry> entries; // in row order
    std::vector<int> withoutPrice;       // rows skipped for having no price or no description
};

PriceListReading readPriceList(const Table& table, const PriceListOptions& options);

// "materiales", "equipo", "mano", "transporte": the kinds as the batch commands name them.
QString kindName(TipoRecurso kind);
// A kind written in a cell ("Material", "Equipo", "Mano de obra", "Transporte", ...).
std::optional<TipoRecurso> kindFromText(const QString& text);
// A price cell: a number as it is; a text as the program reads typed numbers, or with "," for the
// decimal point and "." between thousands when commaDecimals. nullopt when it is no number.
std::optional<double> priceFromCell(const TableCell& cell, bool commaDecimals);

} // namespace korvex::exchange
