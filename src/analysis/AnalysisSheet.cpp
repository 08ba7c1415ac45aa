#include "analysis/AnalysisSheet.h"

#include "engine/Numbers.h"
#include "store/TextCompare.h"

#include <QHash>
#include <QSet>

namespace korvex::analysis {

// ---- LineTable --------------------------------------------------------------------------------

LineTable::LineTable(Kind kind) : kind_(kind) {
    normalise();
}

int LineTable::lastUsedRow() const {
    for (int row = rowCount(); row >= 1; --row) {
        if (!isRowEmpty(row))
            return row;
    }
    return 0;
}

QString LineTable::cell(int row, int col) const {
    if (row < 1 || row > rowCount() || col < 0 || col >= layout().columns)
        return {};
    return rows_[row - 1][col];
}

void LineTable::setCell(int row, int col, const QString& text) {
    if (row < 1 || col < 0 || col >= layout().columns)
        return;
    while (rowCount() < row) {
        rows_.append(QStringList(layout().columns, QString()));
        storedRows_.append(0);
    }
    rows_[row - 1][col] = text;
    normalise();
}

QString LineTable::second(int row) const {
    return layout().hasSecond() ? cell(row, layout().secondCol) : QString();
}

bool LineTable::isRowEmpty(int row) const {
    if (row < 1 || row > rowCount())
        return true;
    for (const QString& text : rows_[row - 1]) {
        if (!text.isEmpty())
            return false;
    }
    return true;
}

void LineTable::insertRow(int row) {
    if (row < 1)
        return;
    while (rowCount() < row - 1) {
        rows_.append(QStringList(layout().columns, QString()));
        storedRows_.append(0);
    }
    rows_.insert(row - 1, QStringList(layout().columns, QString()));
    storedRows_.insert(row - 1, 0);
    normalise();
}

void LineTable::removeRow(int row) {
    if (row < 1 || row > rowCount())
        return;
    rows_.removeAt(row - 1);
    storedRows_.removeAt(row - 1);
    normalise();
}

void LineTable::clear() {
    rows_.clear();
    storedRows_.clear();
    normalise();
}

void LineTable::appendRow(const QStringList& cells, qint64 storedRow) {
    QStringList row = cells.mid(0, layout().columns);
    while (row.size() < layout().columns)
        row.append(QString());
    const int last = lastUsedRow();
    if (last < rowCount()) {
        rows_[last] = row;
        storedRows_[last] = storedRow;
    } else {
        rows_.append(row);
        storedRows_.append(storedRow);
    }
    normalise();
}

qint64 LineTable::storedRow(int row) const {
    return row >= 1 && row <= rowCount() ? storedRows_[row - 1] : 0;
}

void LineTable::setStoredRow(int row, qint64 storedRow) {
    if (row >= 1 && row <= rowCount())
        storedRows_[row - 1] = storedRow;
}

// At least the design rows, and exactly one spare empty row after the last line beyond them.
void LineTable::normalise() {
    const int wanted = std::max(kDesignRows, lastUsedRow() + 1);
    while (rowCount() < wanted) {
        rows_.append(QStringList(layout().columns, QString()));
        storedRows_.append(0);
    }
    while (rowCount() > wanted) {
        rows_.removeLast();
        storedRows_.removeLast();
    }
}

// ---- Moves and formats ------------------------------------------------------------------------

CellPosition nextTypedCell(Kind kind, CellPosition from) {
    const QList<int>& typed = kindInfo(kind).typedColumns;
    const int index = typed.indexOf(from.col);
    if (typed.isEmpty())
        return from;
    if (index < 0 || index + 1 >= typed.size())
        return {from.row + 1, typed.first()};
    return {from.row, typed[index + 1]};
}

CellPosition previousTypedCell(Kind kind, CellPosition from) {
    const QList<int>& typed = kindInfo(kind).typedColumns;
    const int index = typed.indexOf(from.col);
    if (index <= 0)
        return from;
    return {from.row, typed[index - 1]};
}

QString formatTypedValue(Kind kind, int col, const QString& typed) {
    const KindSpec& s = kindInfo(kind);
    if (col != s.quantityCol && col != s.yieldCol)
        return typed;
    const std::optional<double> number = engine::ConvertirNumero(typed);
    if (!number)
        return kind == Kind::Material ? QStringLiteral("0.000") : QStringLiteral("0.00");
    if (col == s.yieldCol)
        return engine::FormatoTresDecimales(*number);
    return engine::formatNumber(*number, s.quantityFormat);
}

// ---- AnalysisSheet ----------------------------------------------------------------------------

AnalysisSheet::AnalysisSheet()
    : lines_{LineTable(Kind::Material), LineTable(Kind::Equipment), LineTable(Kind::Labour),
             LineTable(Kind::Transport)},
      loaded_{LineTable(Kind::Material), LineTable(Kind::Equipment), LineTable(Kind::Labour),
              LineTable(Kind::Transport)} {}

CellPosition AnalysisSheet::assign(Kind kind, CellPosition at, const QString& text, const QString& picked) {
    const KindSpec& s = kindInfo(kind);
    if (!s.isTyped(at.col) || at.row < 1)
        return at;

    // A material cell is written into the transport row too: transport follows the materials.
    QList<LineTable*> targets{&lines(kind)};
    if (kind == Kind::Material)
        targets.append(&lines(Kind::Transport));

    auto write = [&](int col, const QString& value) {
        for (LineTable* table : targets) {
            if (table->cell(at.row, col) != value) {
                table->setCell(at.row, col, value);
                modified_ = true;
            }
        }
    };

    write(at.col, formatTypedValue(kind, at.col, text));
    CellPosition after = at;
    const bool textColumn = at.col == 0 || at.col == s.secondCol;
    if (textColumn && s.hasSecond() && !picked.isEmpty()) {
        write(s.secondCol, picked);
        after.col = s.secondCol;
    }
    return after;
}

bool AnalysisSheet::insertLine(Kind kind, int row) {
    if (kind == Kind::Transport || row < 1)
        return false;
    lines(kind).insertRow(row);
    if (kind == Kind::Material)
        lines(Kind::Transport).insertRow(row);
    modified_ = true;
    return true;
}

bool AnalysisSheet::deleteLine(Kind kind, int row) {
    if (kind == Kind::Transport || row < 1 || row > lines(kind).rowCount())
        return false;
    const bool hadLine =
        !lines(kind).isRowEmpty(row) || (kind == Kind::Material && !lines(Kind::Transport).isRowEmpty(row));
    lines(kind).removeRow(row);
    if (kind == Kind::Material)
        lines(Kind::Transport).removeRow(row);
    if (hadLine)
        modified_ = true;
    return true;
}

void AnalysisSheet::adoptStored(const AnalysisSheet& saved) {
    for (Kind kind : kAllKinds) {
        const LineTable& stored = saved.lines(kind);
        QHash<QString, qint64> byResource;
        for (int row = 1; row <= stored.lastUsedRow(); ++row)
            byResource.insert(resourceKey(stored.description(row), stored.second(row)),
                              stored.storedRow(row));
        LineTable& shown = lines(kind);
        for (int row = 1; row <= shown.rowCount(); ++row)
            shown.setStoredRow(row, byResource.take(resourceKey(shown.description(row), shown.second(row))));
        stored_[kindIndex(kind)] = saved.storedLines(kind);
    }
    item_ = saved.storedItem();
}

void AnalysisSheet::clear() {
    for (Kind kind : kAllKinds) {
        lines(kind).clear();
        loaded(kind).clear();
        stored_[kindIndex(kind)] = store::LoadedRows();
    }
    item_ = store::LoadedRows();
    modified_ = false;
}

// ---- Resource keys ----------------------------------------------------------------------------

QString resourceKey(const QString& description, const QString& second) {
    return store::text::resourceKey(description, second);
}

QString resourceName(Kind kind, const QString& description, const QString& second) {
    if (!kindInfo(kind).hasSecond() || second.isEmpty())
        return description;
    return description + " (" + second + ")";
}

QStringList repeatedResources(const LineTable& lines) {
    QHash<QString, int> seen;
    QStringList names;
    const bool keyed = lines.layout().hasSecond();
    for (int row = 1; row <= lines.lastUsedRow(); ++row) {
        const QString description = lines.description(row);
        const QString second = keyed ? lines.second(row) : QString();
        if (description.isEmpty() && second.isEmpty())
            continue;
        const QString key = resourceKey(description, second);
        if (++seen[key] == 2)
            names.append(resourceName(lines.kind(), description, second));
    }
    return names;
}

} // namespace korvex::analysis
