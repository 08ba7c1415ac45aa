#pragma once
// The four kinds of resource lines of a unit price analysis and how each one is laid out in the
// editor's grids and in its table: which column holds what, which columns are typed, the formats.

#include <QList>
#include <QString>
#include <array>

namespace korvex::analysis {

enum class Kind { Material = 0, Equipment = 1, Labour = 2, Transport = 3 };

inline constexpr std::array<Kind, 4> kAllKinds = {Kind::Material, Kind::Equipment, Kind::Labour,
                                                  Kind::Transport};
inline constexpr int kindIndex(Kind kind) {
    return static_cast<int>(kind);
}

// Rows the editor shows on opening (header excluded); grids grow past it on demand.
inline constexpr int kDesignRows = 49;

struct KindSpec {
    Kind kind = Kind::Material;
    QString table;         // "Materiales"
    QString descField;     // "DescripcionMat"
    QString secondField;   // unit or category; empty for equipment (keyed by description alone)
    QString quantityField; // "CantidadMat", "HorasMaq", ...
    QString yieldField;    // equipment and labour only
    QString priceField;    // "PrecioUniMat", "CostoMaq", "SalarioMan", "PrecioTran"

    int columns = 0;
    int secondCol = -1; // unit / category column, -1 for equipment
    int quantityCol = -1;
    int priceCol = -1;
    int amountCol = -1;
    int yieldCol = -1; // -1 for material and transport
    int costCol = -1;  // -1 for material and transport

    QString quantityFormat;  // "###,##0.000" or "###,##0.00"
    QList<int> typedColumns; // in the order Enter moves through them; empty for transport
    QStringList headers;
    QList<int> widthsTwips;

    // The grid's object name, its hidden copy's, the captions that follow it on show.
    QString gridName;
    QString copyName;
    QString title;         // Label1: "Ingreso de Materiales"
    QString subtotalLabel; // Label7: "Subtotal Materiales"
    QString windowTitle;   // "Materiales"
    QString label;         // the kind named in messages: "Materiales"

    bool hasSecond() const { return secondCol >= 0; }
    bool hasYield() const { return yieldCol >= 0; }
    bool isTyped(int column) const { return typedColumns.contains(column); }
    bool isCentred(int column) const { return column == secondCol; }
};

const KindSpec& kindInfo(Kind kind);
Kind nextKind(Kind kind); // materials, equipment, labour, transport, materials

} // namespace korvex::analysis
