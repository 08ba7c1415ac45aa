#include "analysis/ResourceCorrection.h"

#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <optional>
#include <vector>

namespace korvex::analysis {

namespace {

ResourceKey keyOfLine(const KindSpec& s, const QVariantList& values) {
    return {values.value(0).toString(), s.hasSecond() ? values.value(1).toString() : QString()};
}

QVariant priceOfLine(const KindSpec& s, const QVariantList& values) {
    return values.value(s.hasSecond() ? 2 : 1);
}

QString describeKey(const KindSpec& s, const ResourceKey& key) {
    return s.hasSecond() ? QStringLiteral("%1 (%2)").arg(key.description, key.second) : key.description;
}

// One correction of a list and what it does to the lines as they were loaded.
struct Plan {
    const CorrectionRow* row = nullptr;
    QSet<qint64> lines;               // the lines that carried its old key
    std::optional<QVariant> newPrice; // the new key's price as loaded, when the key existed
};

// A key as the store compares it, for finding plans by hash rather than trying each one.
QString foldedKey(const KindSpec& s, const ResourceKey& key) {
    return store::text::resourceKey(key.description, s.hasSecond() ? key.second : QString());
}

// Every correction of the kind, each on the lines that carried its old key when the sheet was
// loaded, so that a swap or a chain applies as typed, whatever the order.
std::vector<Plan> planKind(Kind kind, const CorrectionSheet& sheet) {
    const KindSpec& s = kindInfo(kind);
    std::vector<Plan> plans;
    for (const CorrectionRow& row : sheet.rows(kind)) {
        if (row.current.description.isEmpty())
            break;
        if (CorrectionSheet::isCorrection(kind, row))
            plans.push_back({&row, {}, std::nullopt});
    }
    QHash<QString, QList<std::size_t>> byLoaded;
    QHash<QString, QList<std::size_t>> byCurrent;
    for (std::size_t i = 0; i < plans.size(); ++i) {
        byLoaded[foldedKey(s, plans[i].row->loaded)].append(i);
        byCurrent[foldedKey(s, plans[i].row->current)].append(i);
    }
    const store::LoadedRows& lines = sheet.lines(kind);
    for (const qint64 line : lines.rows()) {
        const QVariantList values = lines.values(line);
        if (values.value(0).isNull() || (s.hasSecond() && values.value(1).isNull()))
            continue; // a Null key is found by no query on a typed value
        const QString key = foldedKey(s, keyOfLine(s, values));
        for (const std::size_t i : byCurrent.value(key))
            if (!plans[i].newPrice)
                plans[i].newPrice = priceOfLine(s, values); // the first line of the new key
        for (const std::size_t i : byLoaded.value(key))
            plans[i].lines.insert(line);
    }
    return plans;
}

// The lines of the old and new keys must be as loaded: the plan was made from them.
void checkKind(store::Database& db, Kind kind, const CorrectionSheet& sheet, const std::vector<Plan>& plans) {
    const KindSpec& s = kindInfo(kind);
    QSet<QString> keys;
    for (const Plan& plan : plans)
        keys << foldedKey(s, plan.row->loaded) << foldedKey(s, plan.row->current);
    sheet.lines(kind).check(
        db, [&](const QVariantList& values) { return keys.contains(foldedKey(s, keyOfLine(s, values))); },
        [&](const QVariantList& values) { return describeKey(s, keyOfLine(s, values)); },
        QStringLiteral("Las líneas de "));
}

// The lines of the plan are written by their row numbers, known from the loaded lines: after the
// check they still carry the old key, and lines an earlier correction of the same save gave the
// old key are not among them.
int applyPlan(store::Database& db, Kind kind, const Plan& plan, QHash<qint64, ResourceKey>& renamed) {
    const KindSpec& s = kindInfo(kind);
    QStringList fields{s.descField};
    QVariantList values{plan.row->current.description};
    if (s.hasSecond()) {
        fields << s.secondField;
        values << plan.row->current.second;
    }
    if (plan.newPrice) {
        fields << s.priceField;
        values << *plan.newPrice;
    }
    const QString sql = "UPDATE " + s.table + " SET " + fields.join(" = ?, ") + " = ? WHERE rowid = ?";
    QList<qint64> rows(plan.lines.begin(), plan.lines.end());
    std::sort(rows.begin(), rows.end());
    int written = 0;
    for (const qint64 row : rows) {
        const auto earlier = renamed.constFind(row);
        if (earlier != renamed.constEnd() && !sameResource(kind, *earlier, plan.row->loaded))
            continue; // an earlier correction of the same save moved it off the old key
        if (db.execute(sql, values + QVariantList{row}) != 1)
            throw store::StoreError(
                QStringLiteral("El registro que se modificaba ya no existe en la tabla %1").arg(s.table));
        renamed.insert(row, plan.row->current);
        ++written;
    }
    return written;
}

} // namespace

CorrectionSheet CorrectionSheet::load(store::Database& db) {
    CorrectionSheet sheet;
    for (Kind kind : kAllKinds) {
        store::LoadedRows lines = readResourceLines(db, kind);
        QList<CorrectionRow> rows;
        for (const ResourceKey& key : distinctResources(lines, kind))
            rows.append({key, key});
        sheet.setRows(kind, std::move(rows));
        sheet.lines_[kindIndex(kind)] = std::move(lines);
    }
    return sheet;
}

bool CorrectionSheet::isTypedColumn(Kind kind, int col) {
    switch (kind) {
    case Kind::Material:
    case Kind::Labour:
        return col == kDescriptionCol || col == kSecondCol;
    case Kind::Equipment:
        return col == kDescriptionCol;
    case Kind::Transport:
        break;
    }
    return false;
}

CorrectionSheet::Assign CorrectionSheet::assign(Kind kind, int index, int col, const QString& text,
                                                int* transportIndex) {
    if (transportIndex)
        *transportIndex = -1;
    QList<CorrectionRow>& list = rows_[kindIndex(kind)];
    if (!isTypedColumn(kind, col) || index < 0 || index >= list.size())
        return Assign::NotTyped;
    // A line without a description would belong to no resource.
    if (col == kDescriptionCol && text.trimmed().isEmpty())
        return Assign::EmptyDescription;
    const auto write = [col, &text](CorrectionRow& row) {
        (col == kDescriptionCol ? row.current.description : row.current.second) = text;
    };
    write(list[index]);
    if (kind == Kind::Material) {
        const int t = transportRowFor(index);
        if (t >= 0)
            write(rows_[kindIndex(Kind::Transport)][t]);
        if (transportIndex)
            *transportIndex = t;
    }
    return Assign::Written;
}

// The transport row of the material's old key: the same row when the two lists agree, as they
// do while every item's transport lines mirror its material lines; else wherever that key is.
int CorrectionSheet::transportRowFor(int materialIndex) const {
    const ResourceKey& key = rows_[kindIndex(Kind::Material)][materialIndex].loaded;
    const QList<CorrectionRow>& transport = rows_[kindIndex(Kind::Transport)];
    if (materialIndex < transport.size() &&
        sameResource(Kind::Transport, transport[materialIndex].loaded, key))
        return materialIndex;
    for (int i = 0; i < transport.size(); ++i)
        if (sameResource(Kind::Transport, transport[i].loaded, key))
            return i;
    return -1;
}

bool CorrectionSheet::isCorrection(Kind kind, const CorrectionRow& row) {
    return !sameResource(kind, row.loaded, row.current);
}

bool CorrectionSheet::hasCorrections() const {
    for (Kind kind : kAllKinds)
        for (const CorrectionRow& row : rows(kind))
            if (isCorrection(kind, row))
                return true;
    return false;
}

CorrectionOutcome applyCorrections(store::Database& db, const CorrectionSheet& sheet) {
    CorrectionOutcome outcome;
    Kind current = Kind::Material;
    const CorrectionRow* applying = nullptr;
    try {
        store::Transaction transaction(db);
        for (Kind kind : kAllKinds) {
            current = kind;
            const std::vector<Plan> plans = planKind(kind, sheet);
            if (plans.empty())
                continue;
            checkKind(db, kind, sheet, plans);
            QHash<qint64, ResourceKey> renamed;
            for (const Plan& plan : plans) {
                applying = plan.row;
                const int written = applyPlan(db, kind, plan, renamed);
                outcome.lines[kindIndex(kind)] += written;
                outcome.applied.append({kind, plan.row->loaded, written});
                ++outcome.corrections;
                if (plan.newPrice)
                    ++outcome.merged;
            }
            applying = nullptr;
        }
        transaction.commit();
        outcome.ok = true;
    } catch (const store::StoreError& e) {
        outcome = CorrectionOutcome{};
        QString what = QStringLiteral("No se pudieron grabar las correcciones");
        if (applying) {
            what = QStringLiteral("No se pudo corregir %1 \"%2\"")
                       .arg(kindInfo(current).label, applying->loaded.description);
            if (kindInfo(current).hasSecond())
                what += QStringLiteral(" (%1)").arg(applying->loaded.second);
        }
        outcome.message = what + ": " + e.message() + QStringLiteral("\nNinguna línea ha cambiado.");
    }
    return outcome;
}

int CorrectionOutcome::linesOf(Kind kind, const ResourceKey& loaded) const {
    for (const Applied& a : applied)
        if (a.kind == kind && sameResource(kind, a.loaded, loaded))
            return a.lines;
    return 0;
}

QString correctionStatus(const CorrectionOutcome& outcome) {
    return QStringLiteral("%1: %2").arg(
        engine::Contar(outcome.corrections, QStringLiteral("corrección"), QStringLiteral("correcciones")),
        engine::Contar(outcome.totalLines(), QStringLiteral("línea cambiada"),
                       QStringLiteral("líneas cambiadas")));
}

QString correctionTitle(Kind kind) {
    switch (kind) {
    case Kind::Equipment:
        return QStringLiteral("Correccion de Herramientas y Equipo");
    case Kind::Labour:
        return QStringLiteral("Correccion de Mano de Obra");
    case Kind::Transport:
        return QStringLiteral("Correccion de  Transporte");
    case Kind::Material:
        break;
    }
    return QStringLiteral("Correccion de  Materiales");
}

} // namespace korvex::analysis
