#pragma once
// Renaming resources across the whole project. The four lists of distinct resources are kept with
// their keys as loaded; the user overwrites a description (or unit, or category), and applying
// gives every line of the old key the new one. Where the new key already has lines, the renamed
// lines also take the price of its first line, so that the two resources become one.
//
// Materials and transport go together: a correction typed on a material is also written on the
// transport row of the same old key, so that an item's transport lines keep mirroring its
// material lines.

#include "analysis/ResourceKeys.h"

#include <QList>
#include <QString>
#include <array>

namespace korvex::store {
class Database;
}

namespace korvex::analysis {

struct CorrectionRow {
    ResourceKey loaded;  // the key the lines carry now
    ResourceKey current; // the key as typed
};

// Columns of the correction lists: 0 the description, 1 the unit or category.
inline constexpr int kDescriptionCol = 0;
inline constexpr int kSecondCol = 1;

class CorrectionSheet {
public:
    CorrectionSheet() = default;
    // The four lists as the project holds them now. Throws store::StoreError.
    static CorrectionSheet load(store::Database& db);

    const QList<CorrectionRow>& rows(Kind kind) const { return rows_[kindIndex(kind)]; }
    void setRows(Kind kind, QList<CorrectionRow> rows) { rows_[kindIndex(kind)] = std::move(rows); }

    // Whether the user may type in that column of the kind's list (transport: never; equipment:
    // the description only).
    static bool isTypedColumn(Kind kind, int col);

    enum class Assign { Written, EmptyDescription, NotTyped };
    // Writes typed text into a row (index from 0). A description cannot be emptied. A material's
    // text is also written into the transport row of the same old key; transportIndex tells
    // which row that was (-1 for none).
    Assign assign(Kind kind, int index, int col, const QString& text, int* transportIndex = nullptr);

    // True when the row's key differs from the loaded one, letter case ignored.
    static bool isCorrection(Kind kind, const CorrectionRow& row);
    bool hasCorrections() const;

private:
    int transportRowFor(int materialIndex) const;

    std::array<QList<CorrectionRow>, 4> rows_;
};

struct CorrectionOutcome {
    bool ok = false;
    QString message;            // on failure: what failed, for the message box
    int corrections = 0;        // rows applied
    std::array<int, 4> lines{}; // lines renamed, per kind
    int merged = 0;             // rows whose new key already existed
    int totalLines() const { return lines[0] + lines[1] + lines[2] + lines[3]; }
};

// Applies every correction of the four lists in the order materials, equipment, labour,
// transport, each list from its first row up to the first row without a description, all in one
// transaction. Never throws: a store failure rolls everything back and is reported.
CorrectionOutcome applyCorrections(store::Database& db, const CorrectionSheet& sheet);

// "N corrección(es): M línea(s) cambiada(s)", for status lines.
QString correctionStatus(const CorrectionOutcome& outcome);

// Label1 of the correction window when a kind is brought up with F1.
QString correctionTitle(Kind kind);

} // namespace korvex::analysis
