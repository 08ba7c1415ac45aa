#include "analysis/ResourceCorrection.h"

#include "store/Database.h"
#include "store/TextCompare.h"

namespace korvex::analysis {

namespace {

// The lines of the old key in one UPDATE, with the first line of the new key's price when there
// is one. Returns the number of lines renamed.
int correctLines(store::Database& db, Kind kind, const CorrectionRow& row, bool& merged) {
    const KindSpec& s = kindInfo(kind);
    const bool second = s.hasSecond();
    QString keyWhere = " WHERE " + s.descField + " = ?";
    if (second)
        keyWhere += " and " + s.secondField + " = ?";
    const auto keyParams = [second](const ResourceKey& key) {
        QVariantList params{key.description};
        if (second)
            params.append(key.second);
        return params;
    };

    store::RecordSet existing =
        db.openRecordSet("SELECT " + s.priceField + " FROM " + s.table + keyWhere, keyParams(row.current));
    merged = !existing.eof();

    QString sql = "UPDATE " + s.table + " SET " + s.descField + " = ?";
    QVariantList params{row.current.description};
    if (second) {
        sql += ", " + s.secondField + " = ?";
        params.append(row.current.second);
    }
    if (merged) {
        sql += ", " + s.priceField + " = ?";
        params.append(existing.value(s.priceField));
    }
    return db.execute(sql + keyWhere, params + keyParams(row.loaded));
}

} // namespace

CorrectionSheet CorrectionSheet::load(store::Database& db) {
    CorrectionSheet sheet;
    for (Kind kind : kAllKinds) {
        QList<CorrectionRow> rows;
        for (const ResourceKey& key : distinctResources(db, kind))
            rows.append({key, key});
        sheet.setRows(kind, std::move(rows));
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
            for (const CorrectionRow& row : sheet.rows(kind)) {
                if (row.current.description.isEmpty())
                    break;
                if (!CorrectionSheet::isCorrection(kind, row))
                    continue;
                applying = &row;
                bool merged = false;
                outcome.lines[kindIndex(kind)] += correctLines(db, kind, row, merged);
                ++outcome.corrections;
                if (merged)
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

QString correctionStatus(const CorrectionOutcome& outcome) {
    return QStringLiteral("%1 corrección(es): %2 línea(s) cambiada(s)")
        .arg(outcome.corrections)
        .arg(outcome.totalLines());
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
