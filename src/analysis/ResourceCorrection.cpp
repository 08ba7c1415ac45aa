#include "analysis/ResourceCorrection.h"

#include "engine/Numbers.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QSet>
#include <optional>
#include <vector>

namespace korvex::analysis {

namespace {

QVariantList keyParams(const KindSpec& s, const ResourceKey& key) {
    QVariantList params{key.description};
    if (s.hasSecond())
        params.append(key.second);
    return params;
}

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
    const store::LoadedRows& lines = sheet.lines(kind);
    for (const qint64 line : lines.rows()) {
        const QVariantList values = lines.values(line);
        if (values.value(0).isNull() || (s.hasSecond() && values.value(1).isNull()))
            continue; // a Null key is found by no query on a typed value
        const ResourceKey key = keyOfLine(s, values);
        for (Plan& plan : plans) {
            if (!plan.newPrice && sameResource(kind, key, plan.row->current))
                plan.newPrice = priceOfLine(s, values); // the first line of the new key
            if (sameResource(kind, key, plan.row->loaded))
                plan.lines.insert(line);
        }
    }
    return plans;
}

// The lines of the old and new keys must be as loaded: the plan was made from them.
void checkKind(store::Database& db, Kind kind, const CorrectionSheet& sheet, const std::vector<Plan>& plans) {
    const KindSpec& s = kindInfo(kind);
    sheet.lines(kind).check(
        db,
        [&](const QVariantList& values) {
            const ResourceKey key = keyOfLine(s, values);
            for (const Plan& plan : plans)
                if (sameResource(kind, key, plan.row->loaded) || sameResource(kind, key, plan.row->current))
                    return true;
            return false;
        },
        [&](const QVariantList& values) { return describeKey(s, keyOfLine(s, values)); },
        QStringLiteral("Las líneas de "));
}

int applyPlan(store::Database& db, Kind kind, const Plan& plan) {
    const KindSpec& s = kindInfo(kind);
    QString sql = "SELECT " + s.descField + (s.hasSecond() ? ", " + s.secondField : QString()) + ", " +
                  s.priceField + " FROM " + s.table + " WHERE " + s.descField + " = ?";
    if (s.hasSecond())
        sql += " and " + s.secondField + " = ?";
    store::RecordSet lines = db.openRecordSet(sql, keyParams(s, plan.row->loaded));
    int written = 0;
    for (; !lines.eof(); lines.moveNext()) {
        if (!plan.lines.contains(lines.rowId()))
            continue; // renamed to this key by an earlier correction of the same save
        lines.edit();
        lines.setValue(s.descField, plan.row->current.description);
        if (s.hasSecond())
            lines.setValue(s.secondField, plan.row->current.second);
        if (plan.newPrice)
            lines.setValue(s.priceField, *plan.newPrice);
        lines.update();
        ++written;
    }
    return written;
}

} // namespace

CorrectionSheet CorrectionSheet::load(store::Database& db) {
    CorrectionSheet sheet;
    for (Kind kind : kAllKinds) {
        QList<CorrectionRow> rows;
        for (const ResourceKey& key : distinctResources(db, kind))
            rows.append({key, key});
        sheet.setRows(kind, std::move(rows));
        const KindSpec& s = kindInfo(kind);
        QStringList fields{s.descField};
        if (s.hasSecond())
            fields << s.secondField;
        fields << s.priceField;
        sheet.lines_[kindIndex(kind)] = store::LoadedRows::read(db, s.table, fields);
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
            for (const Plan& plan : plans) {
                applying = plan.row;
                const int written = applyPlan(db, kind, plan);
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
