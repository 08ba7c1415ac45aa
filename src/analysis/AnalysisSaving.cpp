#include "analysis/AnalysisSaving.h"

#include "analysis/AnalysisLoading.h"
#include "analysis/AnalysisPricing.h"
#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QSet>

namespace korvex::analysis {

// ---- Repeated resources -----------------------------------------------------------------------

RepeatedResources findRepeatedResources(const AnalysisSheet& sheet) {
    RepeatedResources repeated;
    for (Kind kind : kAllKinds)
        repeated.names[kindIndex(kind)] = repeatedResources(sheet.lines(kind));
    return repeated;
}

bool RepeatedResources::any() const {
    for (const QStringList& list : names) {
        if (!list.isEmpty())
            return true;
    }
    return false;
}

QString RepeatedResources::message() const {
    QStringList parts;
    for (Kind kind : kAllKinds) {
        const QStringList& list = names[kindIndex(kind)];
        if (!list.isEmpty())
            parts.append(kindInfo(kind).label + ": " + list.join(", "));
    }
    return QStringLiteral("Hay recursos repetidos en el análisis:\n") + parts.join("\n") +
           QStringLiteral("\n\nSolo se grabará la primera línea de cada uno. ¿Desea grabar de todos modos?");
}

// ---- Saving -----------------------------------------------------------------------------------

namespace {

struct StoredLine {
    qint64 row = 0; // the stored line it was loaded from, 0 for a new one
    QString description;
    QString second;
    QString quantityText;
    QString yieldText;
    std::optional<double> keptPrice; // from the hidden copy
};

// Equipment is matched against the lines as loaded as the store compares text, the kinds with a
// unit or category exactly as typed.
bool sameLoadedResource(Kind kind, const LineTable& copy, int row, const QString& description,
                        const QString& second) {
    if (kind == Kind::Equipment)
        return store::text::equalFolded(copy.description(row), description);
    return copy.description(row) == description && copy.second(row) == second;
}

std::optional<double> keptPrice(Kind kind, const LineTable& copy, const QString& description,
                                const QString& second) {
    for (int row = 1; row <= copy.lastUsedRow(); ++row) {
        if (sameLoadedResource(kind, copy, row, description, second))
            return engine::ConvertirNumeroOCero(copy.cell(row, copy.layout().priceCol));
    }
    return std::nullopt;
}

QList<StoredLine> linesToStore(Kind kind, const AnalysisSheet& sheet) {
    const LineTable& lines = sheet.lines(kind);
    const KindSpec& s = kindInfo(kind);
    QList<StoredLine> result;
    QSet<QString> seen;
    for (int row = 1; row <= lines.lastUsedRow(); ++row) {
        StoredLine line;
        line.row = lines.storedRow(row);
        line.description = lines.description(row);
        line.second = lines.second(row);
        if (line.description.isEmpty() && line.second.isEmpty())
            continue;
        const QString key = resourceKey(line.description, line.second);
        if (seen.contains(key))
            continue; // the first line of a repeated resource wins
        seen.insert(key);
        line.quantityText = lines.cell(row, s.quantityCol);
        if (s.hasYield())
            line.yieldText = lines.cell(row, s.yieldCol);
        line.keptPrice = keptPrice(kind, sheet.loaded(kind), line.description, line.second);
        result.append(line);
    }
    return result;
}

// What a save does to one kind's table: the fields of stored lines it changes, the lines it
// adds and the stored lines it deletes. Lines the user did not touch are not written at all.
struct KindWrites {
    struct Change {
        qint64 row = 0;
        QStringList fields;
        QVariantList values;
    };
    QList<Change> changes;
    QList<QVariantList> added; // values of storedLineFields
    QList<qint64> deleted;
    int lines = 0; // the lines the analysis has after the save

    bool any() const { return !changes.isEmpty() || !added.isEmpty() || !deleted.isEmpty(); }
    QSet<qint64> written() const {
        QSet<qint64> rows(deleted.begin(), deleted.end());
        for (const Change& change : changes)
            rows.insert(change.row);
        return rows;
    }
};

KindWrites planKind(store::Database& db, Kind kind, const QString& code, const QString& item,
                    const AnalysisSheet& sheet) {
    const KindSpec& s = kindInfo(kind);
    const QList<StoredLine> lines = linesToStore(kind, sheet);
    const store::LoadedRows& stored = sheet.storedLines(kind);
    // A price someone else already gave the line (a price list saved meanwhile) needs no write.
    const store::LoadedRows now = readStoredLines(db, kind, code, item);
    const QStringList fields = storedLineFields(kind);
    const int secondAt = s.hasSecond() ? 1 : -1;
    const int quantityAt = s.hasSecond() ? 2 : 1;
    const int yieldAt = s.hasYield() ? quantityAt + 1 : -1;
    const int priceAt = int(fields.size()) - 1;

    // Every line is stored at the price the editor shows it with: the project price of its
    // resource, else the price it was loaded with, else 0.
    QList<ResourceRef> resources;
    for (const StoredLine& line : lines)
        resources.append({line.description, line.second});
    const PriceTable projectPrices = lookupProjectPrices(db, kind, resources);
    const auto priceOf = [&](const StoredLine& line) {
        return projectPrices.value(resourceKey(line.description, line.second), line.keptPrice.value_or(0.0));
    };

    KindWrites writes;
    writes.lines = int(lines.size());
    QSet<qint64> kept;
    for (const StoredLine& line : lines) {
        const double quantity = engine::ConvertirNumeroOCero(line.quantityText);
        const double yield = engine::ConvertirNumeroOCero(line.yieldText);
        if (!line.row || !stored.contains(line.row)) {
            QVariantList values{line.description};
            if (s.hasSecond())
                values << line.second;
            values << quantity;
            if (s.hasYield())
                values << yield;
            values << priceOf(line);
            writes.added.append(values);
            continue;
        }
        kept.insert(line.row);
        const QVariantList loaded = stored.values(line.row);
        KindWrites::Change change{line.row, {}, {}};
        const auto set = [&](int at, const QVariant& value) {
            change.fields << fields[at];
            change.values << value;
        };
        if (line.description != loaded[0].toString())
            set(0, line.description);
        if (secondAt >= 0 && line.second != loaded[secondAt].toString())
            set(secondAt, line.second);
        // Numbers are compared as the grid shows them, so a stored value with more decimals
        // than the grid shows is kept unless the user typed over it.
        if (line.quantityText != engine::formatNumber(loaded[quantityAt].toDouble(), s.quantityFormat))
            set(quantityAt, quantity);
        if (yieldAt >= 0 &&
            line.yieldText != engine::formatNumber(loaded[yieldAt].toDouble(), engine::kFormatoTresDecimales))
            set(yieldAt, yield);
        // The editor marks a line whose project price differs from its stored one and says it
        // will be saved at that price.
        const double price = priceOf(line);
        const QVariant storedPrice = (now.contains(line.row) ? now.values(line.row) : loaded).value(priceAt);
        if (storedPrice.isNull() || storedPrice.toDouble() != price)
            set(priceAt, price);
        if (!change.fields.isEmpty())
            writes.changes.append(change);
    }
    for (const qint64 row : stored.rows())
        if (!kept.contains(row))
            writes.deleted.append(row);
    return writes;
}

QString placeholders(int count) {
    QStringList marks;
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

void writeKind(store::Database& db, Kind kind, const QString& code, const QString& item,
               const KindWrites& writes) {
    const KindSpec& s = kindInfo(kind);
    for (const qint64 row : writes.deleted)
        db.execute("DELETE FROM " + s.table + " WHERE rowid = ?", {row});
    for (const KindWrites::Change& change : writes.changes) {
        QVariantList params = change.values;
        params << change.row;
        db.execute("UPDATE " + s.table + " SET " + change.fields.join(" = ?, ") + " = ? WHERE rowid = ?",
                   params);
    }
    const QStringList fields = QStringList{"CodigoPres", "ItemPres"} + storedLineFields(kind);
    for (const QVariantList& values : writes.added)
        db.execute("INSERT INTO " + s.table + " (" + fields.join(", ") + ") VALUES (" +
                       placeholders(int(fields.size())) + ")",
                   QVariantList{code, item} + values);
}

QString lineName(Kind kind, const QVariantList& values) {
    return resourceName(kind, values.value(0).toString(),
                        kindInfo(kind).hasSecond() ? values.value(1).toString() : QString());
}

} // namespace

SaveOutcome saveAnalysis(store::Database& db, const QString& code, const QString& item,
                         AnalysisSheet& sheet) {
    SaveOutcome outcome;
    try {
        store::Transaction transaction(db);
        std::array<KindWrites, 4> writes;
        bool any = false;
        for (Kind kind : kAllKinds) {
            writes[kindIndex(kind)] = planKind(db, kind, code, item, sheet);
            outcome.stored[kindIndex(kind)] = writes[kindIndex(kind)].lines;
            any = any || writes[kindIndex(kind)].any();
        }
        if (any) {
            sheet.storedItem().checkByKey(
                db, 2,
                [](const QVariantList& v) { return v.value(0).toString() + " " + v.value(1).toString(); },
                QStringLiteral("Los datos del rubro "));
            for (Kind kind : kAllKinds)
                sheet.storedLines(kind).checkWritten(
                    db, writes[kindIndex(kind)].written(),
                    [kind](const QVariantList& values) { return lineName(kind, values); },
                    QStringLiteral("Las líneas de %1: ").arg(kindInfo(kind).label));
            for (Kind kind : kAllKinds)
                writeKind(db, kind, code, item, writes[kindIndex(kind)]);
        }
        // The next save compares with what is stored now.
        AnalysisSheet saved;
        loadAnalysisLines(db, code, item, saved);
        transaction.commit();
        sheet.adoptStored(saved);
        outcome.ok = true;
    } catch (const store::StoreError& e) {
        outcome = SaveOutcome{};
        outcome.message =
            QStringLiteral("No se pudo grabar el análisis: %1\nEl análisis guardado no ha cambiado.")
                .arg(e.message());
    }
    return outcome;
}

} // namespace korvex::analysis
