#pragma once
// Copying budget items with their analyses from another project into the current one, and the
// checks on the folder chosen as the source of items or prices. No windows: the selection dialog,
// the copy window and the batch command all go through here.
//
// A copied item keeps its code and number unless that pair is taken in the destination (by an
// item, or by lines left behind under it); then "C" is put before both, again and again until the
// pair is free, so a copy never shares its analysis lines with another item. Every line of the
// four kinds is copied with price 0 (the prices come later, from the destination's own lists or
// from "Copiar Precios"); the item gets no quantity, group or unit price. All marked items are
// copied in one transaction: all of them with all their lines, or nothing.

#include "engine/Engine.h"
#include "store/Database.h"
#include "store/LoadedRows.h"

#include <QString>
#include <vector>

namespace korvex::shell {

// The prefix put before the code and the number of a copy whose pair is taken.
inline constexpr const char* kPrefijoCopia = "C";

// The three refusals of the source selection: the root folder itself, the destination project,
// a folder without a project database. ok when the folder may be used as the source.
engine::Resultado checkSourceProject(const QString& sourceFolder, const QString& destinationFolder,
                                     const QString& rootFolder);

// One budget item of the source as the copy window lists it.
struct SourceItem {
    QString codigo;
    QString item;
    QString descripcion;
    QString unidad;
};

// An item without a code is an empty row to the budget items editor, which would drop it on its
// next save: such an item is listed but never copied.
bool canBeCopied(const SourceItem& item);

// Every budget item of the source, in stored order. Throws store::StoreError.
std::vector<SourceItem> loadSourceItems(store::Database& source);

// The source's items as a copy checks them: code, number, description, unit, in stored order.
// Throws store::StoreError.
store::LoadedRows readSourceList(store::Database& source);

// The source items with this code and number (as the store compares text), in stored order.
// Throws store::StoreError.
std::vector<SourceItem> findSourceItems(store::Database& source, const QString& codigo, const QString& item);

// The code and number a copy of (codigo, item) gets in the destination. Throws store::StoreError.
struct ItemPair {
    QString codigo;
    QString item;
};
ItemPair freeItemPair(store::Database& destination, const QString& codigo, const QString& item);

struct CopiedItem {
    SourceItem origen;
    QString codigo; // what the copy was stored as
    QString item;
    int lineas = 0; // lines of the four kinds copied with it
};

// On failure, message names the item that could not be copied and why; nothing was written.
struct ResultadoCopia : engine::Resultado {
    std::vector<CopiedItem> copiados;
    int rubros() const { return static_cast<int>(copiados.size()); }
    int lineas() const;
};

// Copies the items, in the order given, with all their lines from source into destination. An
// item that cannot be copied (no code) refuses the whole copy. With listed (the source's items
// as a window listed them, readSourceList), the copy first checks that the source's items are
// still those and refuses, copying nothing, when they changed meanwhile. A copy only adds rows
// to the destination, each at a free code and number, so it has nothing there to check.
ResultadoCopia copyItems(store::Database& destination, store::Database& source,
                         const std::vector<SourceItem>& items, const store::LoadedRows& listed = {});

// "Rubros copiados: 2, con 17 línea(s)": what a status line says after a copy.
QString copySummary(const ResultadoCopia& result);
// "Precios importados: 12 línea(s) tomaron el precio del proyecto de origen".
QString importSummary(const engine::ResultadoImportacion& result);

} // namespace korvex::shell
