#pragma once
// The yields of every equipment and labour line of the project in one place: the lines of all
// budget items in budget order (within an item, by description), with only the yield to retype.
//
// A row knows its line by the engine's row number, never by its description or its position in the
// grid, so a line added or removed elsewhere since the sheet was read cannot take another line's
// yield; the save checks that the line still holds what was read (a number reused since shows as a
// changed line).

#include <QList>
#include <QString>

namespace korvex::store {
class Database;
}

namespace korvex::analysis {

struct YieldLine {
    QString code;
    QString item;
    QString itemDescription;
    QString description;
    QString category;       // labour only
    QString yield;          // as shown: "##0.000" when read, "###,##0.000" once typed
    QString loadedYield;    // as read or last saved
    qint64 row = 0;         // the stored line
    double storedYield = 0; // as read or last saved, exactly
    // By value: "1234.500" as read and "1,234.500" as typed are the same yield.
    bool isChanged() const;
};

enum class YieldKind { Equipment, Labour };

struct YieldSheet {
    QList<YieldLine> equipment;
    QList<YieldLine> labour;

    QList<YieldLine>& lines(YieldKind kind) { return kind == YieldKind::Equipment ? equipment : labour; }
    const QList<YieldLine>& lines(YieldKind kind) const {
        return kind == YieldKind::Equipment ? equipment : labour;
    }
    bool isModified() const;
    // Marks every line as saved.
    void markSaved();
};

// Every line of the items of Presupuesto, in Indice order. Throws store::StoreError.
YieldSheet loadYields(store::Database& db);

// What a typed yield is written as: "0.000" for an empty text or one that is not a number, else
// the number with "###,##0.000".
QString yieldCellText(const QString& typed);

struct YieldSaveOutcome {
    bool ok = false;
    QString message;     // on failure: what failed
    int written = 0;     // yields stored
    QStringList missing; // changed rows whose line is no longer in the project
};

// Stores the changed yields, each into the line it was typed on, all in one transaction; lines no
// longer in the project are listed and left out. A line that is there but changed since it was
// read (its item, description, category or yield) refuses the whole save. Never throws: a store
// failure rolls everything back and is reported.
YieldSaveOutcome saveYields(store::Database& db, YieldSheet& sheet);

} // namespace korvex::analysis
