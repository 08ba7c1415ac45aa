#pragma once
// Renaming resources across the whole project. The four lists of distinct resources are kept with
// their keys as loaded, and the lines they were made of; the user overwrites a description (or
// unit, or category), and applying gives every line that carried the old key when the lists were
// loaded the new one, all corrections at once: a swap exchanges two keys, a chain A to B, B to C
// moves A's lines to B and B's to C. Where the new key had lines, the renamed lines also take the
// price of its first line as loaded, so that the two resources become one.
//
// Materials and transport go together: a correction typed on a material is also written on the
// transport row of the same old key, so that an item's transport lines keep mirroring its
// material lines.

#include "analysis/ResourceKeys.h"
#include "store/LoadedRows.h"

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
    // The kind's lines when the sheet was loaded: description, unit or category (not for
    // equipment), price.
    const store::LoadedRows& lines(Kind kind) const { return lines_[kindIndex(kind)]; }
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
    std::array<store::LoadedRows, 4> lines_;
};

struct CorrectionOutcome {
    bool ok = false;
    QString message;            // on failure: what failed, for the message box
    int corrections = 0;        // rows applied
    std::array<int, 4> lines{}; // lines renamed, per kind
    int merged = 0;             // rows whose new key already existed
    struct Applied {
        Kind kind;
        ResourceKey loaded;
        int lines = 0;
    };
    QList<Applied> applied; // per correction, the lines it renamed
    int totalLines() const { return lines[0] + lines[1] + lines[2] + lines[3]; }
    int linesOf(Kind kind, const ResourceKey& loaded) const;
};

// Applies every correction of the four lists in the order materials, equipment, labour,
// transport, each list from its first row up to the first row without a description, all in one
// transaction, after checking that the lines of every old and new key are still as loaded. Never
// throws: a store failure or a change made meanwhile rolls everything back and is reported.
CorrectionOutcome applyCorrections(store::Database& db, const CorrectionSheet& sheet);

// "N corrección(es): M línea(s) cambiada(s)", for status lines.
QString correctionStatus(const CorrectionOutcome& outcome);

// Label1 of the correction window when a kind is brought up with F1.
QString correctionTitle(Kind kind);

} // namespace korvex::analysis
