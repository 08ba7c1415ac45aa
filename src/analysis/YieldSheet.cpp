#include "analysis/YieldSheet.h"

#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>
#include <algorithm>
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
    QString description;
    QString category;
    double yield = 0;
};

bool sameLine(const QString& descriptionA, const QString& categoryA, const QString& descriptionB,
              const QString& categoryB) {
    return store::text::equalFolded(descriptionA, descriptionB) &&
           store::text::equalFolded(categoryA, categoryB);
}

// The kind's lines of every item, in stored order within each item, then by description with
// equal descriptions kept in stored order (as "ORDER BY" the description gives them).
QHash<QString, std::vector<StoredLine>> linesByItem(store::Database& db, YieldKind kind) {
    const TableFields& f = fieldsOf(kind);
    const QString fields = "CodigoPres, ItemPres, " + f.description +
                           (f.category.isEmpty() ? "" : ", " + f.category) + ", " + f.yield;
    store::RecordSet rs = db.openRecordSet("SELECT " + fields + " FROM " + f.table);
    QHash<QString, std::vector<StoredLine>> byItem;
    for (; !rs.eof(); rs.moveNext()) {
        if (rs.isNull("CodigoPres") || rs.isNull("ItemPres"))
            continue; // a query by item never finds it
        StoredLine line;
        line.description = rs.text(f.description);
        line.sortKey = line.description.toUtf8();
        line.category = f.category.isEmpty() ? QString() : rs.text(f.category);
        line.yield = rs.number(f.yield);
        byItem[itemKey(rs.text("CodigoPres"), rs.text("ItemPres"))].push_back(std::move(line));
    }
    for (auto& lines : byItem) {
        std::stable_sort(lines.begin(), lines.end(), [](const StoredLine& a, const StoredLine& b) {
            return store::text::compare(a.sortKey.constData(), int(a.sortKey.size()), b.sortKey.constData(),
                                        int(b.sortKey.size())) < 0;
        });
    }
    return byItem;
}

void appendItemLines(QList<YieldLine>& out, const std::vector<StoredLine>& lines, const QString& code,
                     const QString& item, const QString& itemDescription) {
    const qsizetype first = out.size();
    for (const StoredLine& line : lines) {
        YieldLine row;
        row.code = code;
        row.item = item;
        row.itemDescription = itemDescription;
        row.description = line.description;
        row.category = line.category;
        row.yield = engine::formatNumber(line.yield, engine::kFormatoCoeficiente);
        row.loadedYield = row.yield;
        for (qsizetype i = first; i < out.size(); ++i)
            if (sameLine(out[i].description, out[i].category, row.description, row.category))
                ++row.occurrence;
        out.append(std::move(row));
    }
}

// The record of a row among its item's lines in stored order, or false when it is gone.
bool moveToLine(store::RecordSet& lines, YieldKind kind, const YieldLine& row) {
    const TableFields& f = fieldsOf(kind);
    int seen = 0;
    if (lines.recordCount() > 0)
        lines.moveFirst();
    for (; !lines.eof(); lines.moveNext()) {
        const QString category = f.category.isEmpty() ? QString() : lines.text(f.category);
        if (sameLine(lines.text(f.description), category, row.description, row.category) &&
            seen++ == row.occurrence)
            return true;
    }
    return false;
}

int saveKind(store::Database& db, YieldKind kind, const QList<YieldLine>& rows, QStringList& missing) {
    const TableFields& f = fieldsOf(kind);
    int written = 0;
    for (const YieldLine& row : rows) {
        if (!row.isChanged())
            continue;
        store::RecordSet lines = db.openRecordSet(
            "SELECT * FROM " + f.table + " WHERE CodigoPres = ? and ItemPres = ?", {row.code, row.item});
        if (!moveToLine(lines, kind, row)) {
            missing.append(QStringLiteral("%1 %2: %3").arg(row.code, row.item, row.description));
            continue;
        }
        lines.edit();
        lines.setValue(f.yield, engine::ConvertirNumeroOCero(row.yield));
        lines.update();
        ++written;
    }
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
    const auto equipment = linesByItem(db, YieldKind::Equipment);
    const auto labour = linesByItem(db, YieldKind::Labour);
    static const std::vector<StoredLine> none;
    for (; !items.eof(); items.moveNext()) {
        const QString code = items.text("CodigoPres");
        const QString item = items.text("ItemPres");
        const QString description = items.text("DescripcionPres");
        const QString key = itemKey(code, item);
        appendItemLines(sheet.equipment, equipment.value(key, none), code, item, description);
        appendItemLines(sheet.labour, labour.value(key, none), code, item, description);
    }
    return sheet;
}

QString yieldCellText(const QString& typed) {
    const std::optional<double> value = engine::ConvertirNumero(typed);
    return value ? engine::FormatoTresDecimales(*value) : QStringLiteral("0.000");
}

YieldSaveOutcome saveYields(store::Database& db, const YieldSheet& sheet) {
    YieldSaveOutcome outcome;
    try {
        store::Transaction transaction(db);
        outcome.written = saveKind(db, YieldKind::Equipment, sheet.equipment, outcome.missing) +
                          saveKind(db, YieldKind::Labour, sheet.labour, outcome.missing);
        transaction.commit();
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
