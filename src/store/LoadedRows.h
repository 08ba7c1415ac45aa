#pragma once
// The rows of one table as a window (or a batch command) loaded them, known by the engine's row
// number, with the fields it compares. A save checks inside its transaction, before it writes,
// that the rows it is about to change or delete, and the set of rows it loaded, are still what it
// loaded; if anything differs it writes nothing and says what changed meanwhile. Row numbers are
// stable as long as the file is never vacuumed, and a number reused since loading shows as a
// changed row.

#include "store/Database.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <span>

namespace korvex::store {

// Data changed by someone else since they were loaded. what() is the message for the user.
class StaleDataError : public StoreError {
public:
    using StoreError::StoreError;
};

class LoadedRows {
public:
    using Filter = std::function<bool(const QVariantList& values)>;
    // How a row is named in the message ("el rubro C1 1").
    using Describe = std::function<QString(const QVariantList& values)>;

    LoadedRows() = default;
    // For rows read by a scan of the whole table that also reads other fields: append them in the
    // stored order, as read() would have read them.
    LoadedRows(const QString& table, const QStringList& fields);
    void append(qint64 row, std::span<const QVariant> values);
    void append(qint64 row, const QVariantList& values) {
        append(row, std::span(values.constData(), std::size_t(values.size())));
    }
    // A loaded row's field as a save wrote it.
    void setValue(qint64 row, int field, const QVariant& value);
    // Reads the fields of every row of the table (narrowed by where, such as "CodigoPres = ?").
    static LoadedRows read(Database& db, const QString& table, const QStringList& fields,
                           const QString& where = {}, const QVariantList& params = {},
                           const QString& orderBy = {});

    const QString& table() const { return table_; }
    const QStringList& fields() const { return fields_; }
    int size() const { return int(order_.size()); }
    bool isEmpty() const { return order_.isEmpty(); }
    const QList<qint64>& rows() const { return order_; } // in the order read
    bool contains(qint64 row) const { return indexOf(row) >= 0; }
    QVariantList values(qint64 row) const; // empty for a row not loaded
    // A field of a loaded row, without copying the row.
    const QVariant& value(qint64 row, int field) const;
    int fieldIndex(const QString& field) const;

    // Throws StaleDataError when the rows of the table (narrowed as when read, then by inScope when
    // given, applied to loaded and stored values alike) are not the loaded ones with the loaded
    // values: a row added, deleted or changed. Call it inside the save's transaction.
    // The message names the rows after subject ("Las líneas de ").
    void check(Database& db, const Filter& inScope = {}, const Describe& describe = {},
               const QString& subject = {}) const;
    // For a table a save rewrites whole (new row numbers each time): the rows are known by their
    // first keyFields fields instead, and their order counts too.
    void checkByKey(Database& db, int keyFields, const Describe& describe = {},
                    const QString& subject = {}) const;
    // For a save that writes some rows by their number and leaves the others alone: the rows of
    // the table (narrowed as when read) must still be the loaded ones, none added or deleted, and
    // each row of written must still hold its loaded values; the others may have changed.
    void checkWritten(Database& db, const QSet<qint64>& written, const Describe& describe = {},
                      const QString& subject = {}) const;

private:
    // Refuses to check rows that were never loaded; gives how the message names a row (describe,
    // else its first field).
    Describe namingForCheck(const Describe& describe) const;
    // The table's rows as they are stored now, narrowed and ordered as when read.
    void readStored(Database& db, const std::function<void(const Row& row)>& visit) const;
    // The row's place in the order read; -1 for a row not loaded.
    qsizetype indexOf(qint64 row) const;
    const QVariant& at(qsizetype index, int field) const;
    QVariantList valuesAt(qsizetype index) const;
    bool sameAsStored(qsizetype index, const Row& stored) const;

    QString table_;
    QStringList fields_;
    QString where_;
    QVariantList params_;
    QString orderBy_;
    QList<qint64> order_;
    // The values of every row one after another, fields_.size() per row: one allocation for the
    // whole table instead of one per row.
    QList<QVariant> values_;
    // Rows read by a whole-table scan come in ascending order and are found by bisection; the
    // index is kept only once a row came out of order.
    bool ascending_ = true;
    QHash<qint64, qsizetype> indexes_;
};

// "<what> cambiaron desde que abrió la ventana; ciérrela y vuelva a abrirla"
QString changedMeanwhileMessage(const QString& what);

} // namespace korvex::store
