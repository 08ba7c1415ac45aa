#include "analysis/AnalysisSaving.h"

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
    QString description;
    QString second;
    double quantity = 0;
    double yield = 0;
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
        line.description = lines.description(row);
        line.second = lines.second(row);
        if (line.description.isEmpty() && line.second.isEmpty())
            continue;
        const QString key = resourceKey(line.description, line.second);
        if (seen.contains(key))
            continue; // the first line of a repeated resource wins
        seen.insert(key);
        line.quantity = engine::ConvertirNumeroOCero(lines.cell(row, s.quantityCol));
        if (s.hasYield())
            line.yield = engine::ConvertirNumeroOCero(lines.cell(row, s.yieldCol));
        line.keptPrice = keptPrice(kind, sheet.loaded(kind), line.description, line.second);
        result.append(line);
    }
    return result;
}

int saveKind(store::Database& db, Kind kind, const QString& code, const QString& item,
             const AnalysisSheet& sheet) {
    const KindSpec& s = kindInfo(kind);
    const QList<StoredLine> lines = linesToStore(kind, sheet);

    // Every line is stored at the price the editor shows it with: the project price of its
    // resource, looked up as the editor does, before the item's own lines are gone.
    QList<ResourceRef> resources;
    for (const StoredLine& line : lines)
        resources.append({line.description, line.second});
    const PriceTable projectPrices = lookupProjectPrices(db, kind, resources);

    db.execute("DELETE FROM " + s.table + " WHERE CodigoPres = ? and ItemPres = ?", {code, item});

    store::RecordSet rs =
        db.openRecordSet("SELECT * FROM " + s.table + " WHERE CodigoPres = ? and ItemPres = ?", {code, item});
    for (const StoredLine& line : lines) {
        const QString key = resourceKey(line.description, line.second);
        const double price = projectPrices.value(key, line.keptPrice.value_or(0.0));
        rs.addNew();
        rs.setValue("CodigoPres", code);
        rs.setValue("ItemPres", item);
        rs.setValue(s.descField, line.description);
        if (s.hasSecond())
            rs.setValue(s.secondField, line.second);
        rs.setValue(s.quantityField, line.quantity);
        if (s.hasYield())
            rs.setValue(s.yieldField, line.yield);
        rs.setValue(s.priceField, price);
        rs.update();
    }
    return static_cast<int>(lines.size());
}

} // namespace

SaveOutcome saveAnalysis(store::Database& db, const QString& code, const QString& item,
                         const AnalysisSheet& sheet) {
    SaveOutcome outcome;
    Kind current = Kind::Material;
    try {
        store::Transaction transaction(db);
        for (Kind kind : kAllKinds) {
            current = kind;
            outcome.stored[kindIndex(kind)] = saveKind(db, kind, code, item, sheet);
        }
        transaction.commit();
        outcome.ok = true;
    } catch (const store::StoreError& e) {
        outcome = SaveOutcome{};
        outcome.message =
            QStringLiteral("No se pudo grabar el análisis (%1): %2\nEl análisis guardado no ha cambiado.")
                .arg(kindInfo(current).label, e.message());
    }
    return outcome;
}

} // namespace korvex::analysis
