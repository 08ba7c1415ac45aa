#pragma once
// From a FIEBDC-3 document to this program's budget: items placed by the chapter tree, groups for
// the first-level chapters, and each item's analysis flattened to basic concepts. Pure: no
// project is touched, so the whole plan is checked before anything is written.

#include "exchange/Bc3Reader.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace korvex::exchange {

// Bounds of flattening: levels below an item, and lines (components visited) per item.
inline constexpr int kBc3MaxLevels = 32;
inline constexpr int kBc3MaxLinesPerItem = 10000;

enum class LineKind { Material, Equipment, Labour, Transport };

struct PlannedLine {
    LineKind kind = LineKind::Material;
    QString description;
    QString unit;        // material and transport; "" otherwise
    QString category;    // labour
    double quantity = 0; // material and transport quantity; equipment and labour yield
    double workers = 1;  // equipment hours and labour workers
    double price = 0;    // unit price, tariff or wage
};

struct PlannedItem {
    QString code;
    QString item; // position in the tree, "1.2.3"
    QString description;
    QString unit;
    QString group;
    double quantity = 0;
    double statedPrice = 0; // the price the file states for the concept
    bool hasStatedPrice = false;
    int record = 0; // the item's ~C
    std::vector<PlannedLine> lines;
};

struct PlannedGroup {
    QString name;
    QString description;
    int order = 0;
};

struct Bc3Budget {
    bool ok = true;
    QString message; // Spanish, naming the record, when !ok
    std::vector<PlannedItem> items;
    std::vector<PlannedGroup> groups;
    QString projectName;    // the root's summary
    bool priceBase = false; // no chapter: every top decomposed concept is an item
    bool ownFile = false;   // written by this program: the header below is restored
    bool herramienta = false;
    double costosIndirectos = 0;
    double otrosIndirectos = 0;
    QString indirectConcept; // the percentage concept taken as the indirect-cost percentage
    QStringList warnings;    // what was read with a guess, for the user to check
    int lineCount() const;   // resource lines the items will store, transport included
};

Bc3Budget planBc3Budget(const Bc3Document& document);

} // namespace korvex::exchange
