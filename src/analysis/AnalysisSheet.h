#pragma once
// The lines of an analysis as the editor shows them: for each kind a table of cell texts (numbers
// already formatted, as a grid cell holds them), plus the hidden copy of the lines as loaded.
// The window draws these tables into its grids; every edit goes through here, so the rules of
// editing (transport mirroring the materials, growth, formats of a confirmed value) are tested
// without a window.

#include "analysis/AnalysisKinds.h"
#include "store/LoadedRows.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace korvex::analysis {

// The cells of one kind's grid. Rows are numbered as in the grid: 1 is the first line (row 0 is
// the header, not held here). The table never has fewer than kDesignRows rows and always keeps
// one empty row after the last line, so there is room to type another one.
class LineTable {
public:
    explicit LineTable(Kind kind = Kind::Material);

    Kind kind() const { return kind_; }
    const KindSpec& layout() const { return kindInfo(kind_); }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    int lastUsedRow() const; // 0 when there are no lines

    QString cell(int row, int col) const;                // "" outside the table
    void setCell(int row, int col, const QString& text); // grows as needed
    QString description(int row) const { return cell(row, 0); }
    QString second(int row) const;  // unit or category; "" for equipment
    bool isRowEmpty(int row) const; // every cell ""

    // A new empty line at row; the lines from row on move down, none is lost.
    void insertRow(int row);
    // Removes the line at row; the lines below move up.
    void removeRow(int row);
    void clear();
    // Appends a line (loading); storedRow is the engine's number of the stored line it shows.
    void appendRow(const QStringList& cells, qint64 storedRow = 0);
    // The stored line a row shows, by the engine's row number; 0 for a row typed since loading.
    // It moves with the row when lines are inserted or deleted above it.
    qint64 storedRow(int row) const;
    void setStoredRow(int row, qint64 storedRow);

private:
    void normalise();

    Kind kind_;
    QList<QStringList> rows_;
    QList<qint64> storedRows_; // parallel to rows_
};

// Where the cursor goes when the editor confirms a value.
struct CellPosition {
    int row = 1;
    int col = 0;
    friend bool operator==(const CellPosition&, const CellPosition&) = default;
};

// The next typed column after col (Enter, Right): the last wraps to column 0 of the next row.
CellPosition nextTypedCell(Kind kind, CellPosition from);
// The previous typed column (Left); stays at column 0.
CellPosition previousTypedCell(Kind kind, CellPosition from);

// The text a confirmed value is written with in a column: numbers in the column's format, a
// number that is empty or not a number as zero ("0.000" for material quantities, "0.00" for the
// other numeric columns); descriptions, units and categories as typed.
QString formatTypedValue(Kind kind, int col, const QString& typed);

class AnalysisSheet {
public:
    AnalysisSheet();

    LineTable& lines(Kind kind) { return lines_[kindIndex(kind)]; }
    const LineTable& lines(Kind kind) const { return lines_[kindIndex(kind)]; }
    // The hidden copy: the lines as loaded with their stored prices, never edited.
    LineTable& loaded(Kind kind) { return loaded_[kindIndex(kind)]; }
    const LineTable& loaded(Kind kind) const { return loaded_[kindIndex(kind)]; }

    // Writes the editor's text into a typed cell (materials also into the transport row). When
    // picked is not empty (a pick from the lookup list carries the unit or category), it goes
    // into column 1 and the returned position is column 1, so that the next stop is the quantity.
    // Returns the cell the cursor is on after writing; a column that is not typed changes nothing.
    CellPosition assign(Kind kind, CellPosition at, const QString& text, const QString& picked = {});

    // A new line at row (materials also in transport); transport has none of its own.
    bool insertLine(Kind kind, int row);
    bool deleteLine(Kind kind, int row);

    // The item's stored lines of a kind and the item itself as loaded: a save writes only while
    // the lines it changes or deletes, and the set of lines, are still these.
    const store::LoadedRows& storedLines(Kind kind) const { return stored_[kindIndex(kind)]; }
    void setStoredLines(Kind kind, store::LoadedRows lines) { stored_[kindIndex(kind)] = std::move(lines); }
    const store::LoadedRows& storedItem() const { return item_; }
    void setStoredItem(store::LoadedRows item) { item_ = std::move(item); }
    // After a save: what a save checks comes from saved (the item reloaded), and each row with a
    // resource takes the stored line of that resource (the first row of a repeated resource).
    void adoptStored(const AnalysisSheet& saved);

    // Changed by an edit since loading or the last save.
    bool isModified() const { return modified_; }
    void setModified(bool modified) { modified_ = modified; }

    void clear();

private:
    std::array<LineTable, 4> lines_;
    std::array<LineTable, 4> loaded_;
    std::array<store::LoadedRows, 4> stored_;
    store::LoadedRows item_;
    bool modified_ = false;
};

// The key a resource is known by (description, plus unit or category): the store's
// (store::text::resourceKey), so the editor groups lines as a query does.
QString resourceKey(const QString& description, const QString& second);
// "Cemento (kg)" or "Volqueta" for messages.
QString resourceName(Kind kind, const QString& description, const QString& second);

// Resources that occur on more than one line of a kind, by name, in grid order (each once).
QStringList repeatedResources(const LineTable& lines);

} // namespace korvex::analysis
