#pragma once
// The project's resource lists as the price window shows them: every resource of one kind once
// per price, with the quantity the whole budget needs and the resulting total. The cells are kept
// as the texts the window shows, because every rule of the window reads its numbers back from
// those texts (a price of 12.345 shows, totals and is saved as 12.35).

#include "engine/Engine.h"
#include "engine/ResourceGroups.h"
#include "store/LoadedRows.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace korvex::lists {

using engine::TipoRecurso;

inline constexpr std::array<TipoRecurso, 4> kListKinds = {TipoRecurso::Material, TipoRecurso::Equipo,
                                                          TipoRecurso::ManoObra, TipoRecurso::Transporte};
int kindIndex(TipoRecurso kind);
TipoRecurso nextKind(TipoRecurso kind); // materials, equipment, labour, transport, materials

// How one kind's list is laid out and where its lines are stored.
struct ListLayout {
    TipoRecurso kind = TipoRecurso::Material;
    QString name;     // "materiales", as the batch commands name the kind
    QString gridName; // "msfgMateriales"
    QStringList headers;
    QList<int> widthsTwips;
    int secondCol = -1; // unit or category; -1 for equipment
    int priceCol = 0;
    int quantityCol = 0;
    int totalCol = 0;
    QString quantityFormat;
    QString title;        // Label1 when the list is brought up with F1
    QString totalCaption; // lblTotal when the list is brought up with F1

    QString table;
    QString descField;
    QString secondField; // empty for equipment
    QString priceField;

    int columns() const { return totalCol + 1; }
    bool hasSecond() const { return secondCol >= 0; }
};
const ListLayout& layoutOf(TipoRecurso kind);
// The kind a batch command names ("materiales", "equipo", "mano", "transporte"); false if none.
bool kindFromName(const QString& name, TipoRecurso& kind);

// One row of a list: the texts of its cells.
struct PriceRow {
    QString description;
    QString second; // unit or category; "" for equipment
    QString price;
    QString quantity;
    QString total;
    QString loadedPrice; // the price as loaded or last saved
    bool typed = false;  // a price was typed over it since
    // The save writes the price of a row the user changed, and only those.
    bool changed() const { return typed || price != loadedPrice; }
};

class PriceList {
public:
    explicit PriceList(TipoRecurso kind = TipoRecurso::Material);

    // Rows from the project totals of the kind, in their order (one per resource and price).
    static PriceList fromTotals(TipoRecurso kind, const std::vector<engine::TotalRecurso>& totals);
    // Rows from the grouped lines of the kind, keeping the lines as they were loaded.
    static PriceList fromGrouped(TipoRecurso kind, engine::LineasAgrupadas grouped);
    // The kind's list of the project. Throws store::StoreError.
    static PriceList load(const QString& projectFolder, TipoRecurso kind);

    TipoRecurso kind() const { return kind_; }
    const ListLayout& layout() const { return layoutOf(kind_); }
    int size() const { return static_cast<int>(rows_.size()); }
    bool isEmpty() const { return rows_.empty(); }
    const PriceRow& row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
    // The text of a column of the layout.
    QString cell(int index, int col) const;

    // A price typed over the row's price: the total becomes price x quantity with the quantity
    // taken at two decimals, the product only formatted. A text that is not a number changes
    // nothing and returns false.
    bool commitPrice(int index, const QString& typed);
    // Every price up by percent (rounded to cents), every total Redondear(quantity x price).
    // Returns how many prices changed.
    int increaseBy(double percent);
    // The price and total shown again after an undo or redo of the grid. Back at the price it was
    // loaded or saved with, the row no longer counts as changed.
    void restoreShown(int index, const QString& price, const QString& total);
    // Sum of the total cells as shown.
    double total() const;

    // True once a price differs from what was loaded or last saved.
    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

    // The kind's lines as they were when the list was loaded (or last saved): description,
    // unit or category, price. A save checks them before it writes.
    const store::LoadedRows& loadedLines() const { return lines_; }
    void setLoadedLines(store::LoadedRows lines) { lines_ = std::move(lines); }
    // After a save: the shown prices are the stored ones.
    void markSaved(store::LoadedRows lines);

private:
    TipoRecurso kind_;
    std::vector<PriceRow> rows_;
    bool modified_ = false;
    store::LoadedRows lines_;
};

using PriceLists = std::array<PriceList, 4>;
PriceLists emptyPriceLists();
// The four lists of the project, in the order of kListKinds, with the lines they were made of.
// Throws store::StoreError.
PriceLists loadPriceLists(const QString& projectFolder);
// The four lists from one reading of the budget's items. Throws store::StoreError.
PriceLists loadPriceLists(store::Database& db);

// A list as tab-separated text: its title, the column headers, one line per row and the total.
QString listText(const PriceList& list);

} // namespace korvex::lists
