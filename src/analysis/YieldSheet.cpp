#include "analysis/YieldSheet.h"

#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/LoadedRows.h"
#include "store/TextCompare.h"
#include "store/ValuePool.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <unordered_map>
#include <vector>

namespace korvex::analysis {

namespace {

struct TableFields {
    QString table;
    QString description;
    QString category; // empty for equipment
    QString yield;
};

const TableFields& fieldsOf(YieldKind kind) {
    static const TableFields equipment{"Maquinaria", "DescripcionMaq", {}, "RendimientoMaq"};
    static const TableFields labour{"ManoObra", "DescripcionMan", "CategoriaMan", "RendimientoMan"};
    return kind == YieldKind::Equipment ? equipment : labour;
}

QString itemKey(const QString& code, const QString& item) {
    return store::text::foldKey(code) + QChar(0x1f) + store::text::foldKey(item);
}

struct StoredLine {
    QByteArray sortKey; // description as UTF-8, ordered as the store orders text
    qint64 row = 0;
    QString code;
    QString item;
    QString description;
    QString category;
    double yield = 0;
};

StoredLine readLine(const store::RecordSet& rs, const TableFields& f) {
    StoredLine line;
    line.row = rs.rowId();
    line.code = rs.text("CodigoPres");
    line.item = rs.text("ItemPres");
    line.description = rs.text(f.description);
    line.category = f.category.isEmpty() ? QString() : rs.text(f.category);
    line.yield = rs.number(f.yield);
    return line;
}

store::RecordSet openLines(store::Database& db, const TableFields& f) {
    const QString fields = "CodigoPres, ItemPres, " + f.description +
                           (f.category.isEmpty() ? "" : ", " + f.category) + ", " + f.yield;
    return db.openRecordSet("SELECT " + fields + " FROM " + f.table);
}

// The kind's lines of every item by itemKey, in stored order within each item, then by
// description with equal descriptions kept in stored order (as "ORDER BY" the description gives
// them). One streamed pass: an item's key is made once per run of its lines, and the texts that
// lines repeat are read once.
using LinesByItem = std::unordered_map<QString, std::vector<StoredLine>>;

LinesByItem linesByItem(store::Database& db, YieldKind kind) {
    const TableFields& f = fieldsOf(kind);
    const bool withCategory = !f.category.isEmpty();
    const int yieldAt = withCategory ? 4 : 3;
    LinesByItem byItem;
    store::ValuePool pool;
    std::unordered_map<int, QByteArray> sortKeys; // by the pool's number of a description
    store::RepeatedPair sameItem;
    std::vector<StoredLine>* lines = nullptr;
    const auto text = [&pool](const store::Row& row, int column) {
        return pool.value(pool.id(row, column)).toString();
    };
    const QString fields =
        "CodigoPres, ItemPres, " + f.description + (withCategory ? ", " + f.category : "") + ", " + f.yield;
    db.scan("SELECT " + fields + " FROM " + f.table, {}, [&](const store::Row& row) {
        if (row.isNull(0) || row.isNull(1))
            return; // a query by item never finds it
        StoredLine line;
        line.row = row.rowId();
        line.code = text(row, 0);
        line.item = text(row, 1);
        if (!sameItem(row, 0) || !lines)
            lines = &byItem[itemKey(line.code, line.item)];
        const int description = pool.id(row, 2);
        line.description = pool.value(description).toString();
        auto [sortKey, added] = sortKeys.try_emplace(description);
        if (added)
            sortKey->second = line.description.toUtf8();
        line.sortKey = sortKey->second;
        line.category = withCategory ? text(row, 3) : QString();
        line.yield = row.number(yieldAt);
        lines->push_back(std::move(line));
    });
    for (auto& [key, itemLines] : byItem) {
        std::stable_sort(itemLines.begin(), itemLines.end(), [](const StoredLine& a, const StoredLine& b) {
            return store::text::compare(a.sortKey.constData(), int(a.sortKey.size()), b.sortKey.constData(),
                                        int(b.sortKey.size())) < 0;
        });
    }
    return byItem;
}

void appendItemLines(QList<YieldLine>& out, const std::vector<StoredLine>& lines, const QString& code,
                     const QString& item, const QString& itemDescription) {
    for (const StoredLine& line : lines) {
        YieldLine row;
        row.code = code;
        row.item = item;
        row.itemDescription = itemDescription;
        row.description = line.description;
        row.category = line.category;
        row.yield = engine::formatNumber(line.yield, engine::kFormatoCoeficiente);
        row.loadedYield = row.yield;
        row.row = line.row;
        row.storedYield = line.yield;
        out.append(std::move(row));
    }
}

// The line still holds what the sheet read: its item, its resource and its yield.
bool stillAsRead(const StoredLine& stored, const YieldLine& row) {
    return stored.code == row.code && stored.item == row.item && stored.description == row.description &&
           stored.category == row.category && stored.yield == row.storedYield;
}

QString nameOf(const YieldLine& row) {
    return QStringLiteral("%1 %2: %3").arg(row.code, row.item, row.description);
}

// Every changed yield into its own line, after checking that each of those lines is as read.
using StoredYields = std::vector<std::pair<YieldLine*, double>>;

int saveKind(store::Database& db, YieldKind kind, QList<YieldLine>& rows, QStringList& missing,
             StoredYields& stored) {
    const TableFields& f = fieldsOf(kind);
    QHash<qint64, YieldLine*> wanted;
    for (YieldLine& row : rows)
        if (row.isChanged())
            wanted.insert(row.row, &row);
    if (wanted.isEmpty())
        return 0;
    store::RecordSet lines = openLines(db, f);
    QStringList changed;
    QSet<qint64> found;
    for (; !lines.eof(); lines.moveNext()) {
        const auto it = wanted.constFind(lines.rowId());
        if (it == wanted.constEnd())
            continue;
        found.insert(it.key());
        if (!stillAsRead(readLine(lines, f), **it))
            changed << nameOf(**it);
    }
    if (!changed.isEmpty())
        throw store::StaleDataError(
            store::changedMeanwhileMessage(QStringLiteral("Las líneas ") + changed.join(", ")));
    int written = 0;
    for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
        YieldLine* row = wanted.value(lines.rowId());
        if (!row)
            continue;
        const double yield = engine::ConvertirNumeroOCero(row->yield);
        // By row number: a record set's update would read the line back.
        db.execute("UPDATE " + f.table + " SET " + f.yield + " = ? WHERE rowid = ?", {yield, lines.rowId()});
        stored.emplace_back(row, yield);
        ++written;
    }
    for (const YieldLine* row : std::as_const(wanted))
        if (!found.contains(row->row))
            missing.append(nameOf(*row));
    return written;
}

} // namespace

bool YieldLine::isChanged() const {
    return engine::ConvertirNumeroOCero(yield) != engine::ConvertirNumeroOCero(loadedYield);
}

bool YieldSheet::isModified() const {
    for (const QList<YieldLine>* list : {&equipment, &labour})
        for (const YieldLine& line : *list)
            if (line.isChanged())
                return true;
    return false;
}

void YieldSheet::markSaved() {
    for (QList<YieldLine>* list : {&equipment, &labour})
        for (YieldLine& line : *list)
            line.loadedYield = line.yield;
}

YieldSheet loadYields(store::Database& db) {
    YieldSheet sheet;
    store::RecordSet items = db.openRecordSet("SELECT * FROM Presupuesto ORDER BY Indice");
    if (items.eof())
        return sheet;
    const LinesByItem equipment = linesByItem(db, YieldKind::Equipment);
    const LinesByItem labour = linesByItem(db, YieldKind::Labour);
    static const std::vector<StoredLine> none;
    const auto linesOf = [](const LinesByItem& byItem, const QString& key) -> const std::vector<StoredLine>& {
        const auto found = byItem.find(key);
        return found == byItem.end() ? none : found->second;
    };
    for (; !items.eof(); items.moveNext()) {
        const QString code = items.text("CodigoPres");
        const QString item = items.text("ItemPres");
        const QString description = items.text("DescripcionPres");
        const QString key = itemKey(code, item);
        appendItemLines(sheet.equipment, linesOf(equipment, key), code, item, description);
        appendItemLines(sheet.labour, linesOf(labour, key), code, item, description);
    }
    return sheet;
}

QString yieldCellText(const QString& typed) {
    const std::optional<double> value = engine::ConvertirNumero(typed);
    return value ? engine::FormatoTresDecimales(*value) : QStringLiteral("0.000");
}

YieldSaveOutcome saveYields(store::Database& db, YieldSheet& sheet) {
    YieldSaveOutcome outcome;
    try {
        store::Transaction transaction(db);
        StoredYields stored;
        outcome.written = saveKind(db, YieldKind::Equipment, sheet.equipment, outcome.missing, stored) +
                          saveKind(db, YieldKind::Labour, sheet.labour, outcome.missing, stored);
        transaction.commit();
        for (const auto& [row, yield] : stored)
            row->storedYield = yield;
        outcome.ok = true;
    } catch (const store::StoreError& e) {
        outcome = YieldSaveOutcome{};
        outcome.message =
            QStringLiteral("No se pudieron grabar los rendimientos: %1\nNingún rendimiento ha cambiado.")
                .arg(e.message());
    }
    return outcome;
}

} // namespace korvex::analysis
