#include "store/LoadedRows.h"

#include <QSet>
#include <algorithm>
#include <vector>

namespace korvex::store {

namespace {

constexpr int kNamedRows = 5;

QString selectOf(const QString& table, const QStringList& fields, const QString& where,
                 const QString& orderBy) {
    return QStringLiteral("SELECT %1 FROM %2%3%4")
        .arg(fields.join(QStringLiteral(", ")), table,
             where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where,
             orderBy.isEmpty() ? QString() : QStringLiteral(" ORDER BY ") + orderBy);
}

QString keyOf(const QVariantList& values, int keyFields) {
    QStringList parts;
    for (int i = 0; i < keyFields && i < values.size(); ++i)
        parts << values[i].toString();
    return parts.join(QChar(0x1f));
}

[[noreturn]] void throwChanged(QStringList changed, const QString& subject) {
    changed.removeDuplicates();
    QString what = changed.mid(0, kNamedRows).join(QStringLiteral(", "));
    if (changed.size() > kNamedRows)
        what += QStringLiteral(" y %1 más").arg(changed.size() - kNamedRows);
    throw StaleDataError(changedMeanwhileMessage(subject + what));
}

QVariantList valuesOf(const Row& row) {
    QVariantList values;
    values.reserve(row.columnCount());
    for (int i = 0; i < row.columnCount(); ++i)
        values.append(row.value(i));
    return values;
}

// Null and an invalid value are the same stored nothing; numbers compare by value.
bool sameValue(const QVariant& a, const QVariant& b) {
    const bool nullA = !a.isValid() || a.isNull();
    const bool nullB = !b.isValid() || b.isNull();
    if (nullA || nullB)
        return nullA == nullB;
    return a == b;
}

bool sameValues(const QVariantList& a, const QVariantList& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (!sameValue(a[i], b[i]))
            return false;
    return true;
}

} // namespace

QString changedMeanwhileMessage(const QString& what) {
    return what + QStringLiteral(" cambiaron desde que abrió la ventana; ciérrela y vuelva a abrirla");
}

LoadedRows::LoadedRows(const QString& table, const QStringList& fields) : table_(table), fields_(fields) {}

void LoadedRows::append(qint64 row, std::span<const QVariant> values) {
    if (ascending_ && !order_.isEmpty() && row <= order_.last()) {
        ascending_ = false;
        for (qsizetype i = 0; i < order_.size(); ++i)
            indexes_.insert(order_[i], i);
    }
    if (!ascending_)
        indexes_.insert(row, order_.size());
    order_.append(row);
    for (qsizetype i = 0; i < fields_.size(); ++i)
        values_.append(i < qsizetype(values.size()) ? values[std::size_t(i)] : QVariant());
}

qsizetype LoadedRows::indexOf(qint64 row) const {
    if (!ascending_)
        return indexes_.value(row, -1);
    const auto at = std::lower_bound(order_.cbegin(), order_.cend(), row);
    return at == order_.cend() || *at != row ? -1 : at - order_.cbegin();
}

const QVariant& LoadedRows::at(qsizetype index, int field) const {
    return values_[index * fields_.size() + field];
}

QVariantList LoadedRows::valuesAt(qsizetype index) const {
    return values_.mid(index * fields_.size(), fields_.size());
}

QVariantList LoadedRows::values(qint64 row) const {
    const qsizetype index = indexOf(row);
    return index < 0 ? QVariantList() : valuesAt(index);
}

const QVariant& LoadedRows::value(qint64 row, int field) const {
    static const QVariant none;
    const qsizetype index = indexOf(row);
    if (index < 0 || field < 0 || field >= fields_.size())
        return none;
    return at(index, field);
}

void LoadedRows::setValue(qint64 row, int field, const QVariant& value) {
    const qsizetype index = indexOf(row);
    if (index >= 0 && field >= 0 && field < fields_.size())
        values_[index * fields_.size() + field] = value;
}

bool LoadedRows::sameAsStored(qsizetype index, const Row& stored) const {
    if (stored.columnCount() != fields_.size())
        return false;
    for (int i = 0; i < stored.columnCount(); ++i)
        if (!stored.equals(i, at(index, i)))
            return false;
    return true;
}

LoadedRows LoadedRows::read(Database& db, const QString& table, const QStringList& fields,
                            const QString& where, const QVariantList& params, const QString& orderBy) {
    LoadedRows loaded;
    loaded.table_ = table;
    loaded.fields_ = fields;
    loaded.where_ = where;
    loaded.params_ = params;
    loaded.orderBy_ = orderBy;
    db.scan(selectOf(table, fields, where, orderBy), params,
            [&loaded](const Row& row) { loaded.append(row.rowId(), valuesOf(row)); });
    return loaded;
}

int LoadedRows::fieldIndex(const QString& field) const {
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].compare(field, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

LoadedRows::Describe LoadedRows::namingForCheck(const Describe& describe) const {
    if (table_.isEmpty())
        throw StoreError(QStringLiteral("No se cargaron los datos que se van a grabar"));
    if (describe)
        return describe;
    return [](const QVariantList& values) { return values.value(0).toString(); };
}

void LoadedRows::readStored(Database& db, const std::function<void(const Row&)>& visit) const {
    db.scan(selectOf(table_, fields_, where_, orderBy_), params_, visit);
}

void LoadedRows::check(Database& db, const Filter& inScope, const Describe& describe,
                       const QString& subject) const {
    const Describe name = namingForCheck(describe);
    const auto wanted = [&](const QVariantList& values) { return !inScope || inScope(values); };
    QStringList changed;
    std::vector<bool> seen(std::size_t(order_.size()), false);
    readStored(db, [&](const Row& row) {
        const qsizetype index = indexOf(row.rowId());
        if (index >= 0) {
            seen[std::size_t(index)] = true;
            // Unchanged rows are in scope or out of it alike before and now: nothing to tell.
            if (sameAsStored(index, row))
                return;
            if (const QVariantList loaded = valuesAt(index); wanted(loaded)) {
                changed << name(loaded);
                return;
            }
        }
        if (const QVariantList stored = valuesOf(row); wanted(stored))
            changed << name(stored);
    });
    for (qsizetype i = 0; i < order_.size(); ++i)
        if (!seen[std::size_t(i)])
            if (const QVariantList loaded = valuesAt(i); wanted(loaded))
                changed << name(loaded);
    if (!changed.isEmpty())
        throwChanged(changed, subject);
}

void LoadedRows::checkWritten(Database& db, const QSet<qint64>& written, const Describe& describe,
                              const QString& subject) const {
    const Describe name = namingForCheck(describe);
    QStringList changed;
    std::vector<bool> seen(std::size_t(order_.size()), false);
    readStored(db, [&](const Row& row) {
        const qsizetype index = indexOf(row.rowId());
        if (index < 0) {
            changed << name(valuesOf(row));
            return;
        }
        seen[std::size_t(index)] = true;
        if (written.contains(row.rowId()) && !sameAsStored(index, row))
            changed << name(valuesAt(index));
    });
    for (qsizetype i = 0; i < order_.size(); ++i)
        if (!seen[std::size_t(i)])
            changed << name(valuesAt(i));
    if (!changed.isEmpty())
        throwChanged(changed, subject);
}

void LoadedRows::checkByKey(Database& db, int keyFields, const Describe& describe,
                            const QString& subject) const {
    const Describe name = namingForCheck(describe);
    QHash<QString, QVariantList> loaded;
    QStringList loadedOrder;
    for (qsizetype i = 0; i < order_.size(); ++i) {
        const QVariantList values = valuesAt(i);
        loaded.insert(keyOf(values, keyFields), values);
        loadedOrder << keyOf(values, keyFields);
    }
    QStringList changed;
    QStringList storedOrder;
    QSet<QString> seen;
    readStored(db, [&](const Row& row) {
        const QVariantList stored = valuesOf(row);
        const QString key = keyOf(stored, keyFields);
        storedOrder << key;
        seen.insert(key);
        const auto it = loaded.constFind(key);
        if (it == loaded.constEnd() || !sameValues(*it, stored))
            changed << name(stored);
    });
    for (auto it = loaded.constBegin(); it != loaded.constEnd(); ++it)
        if (!seen.contains(it.key()))
            changed << name(*it);
    if (changed.isEmpty() && storedOrder != loadedOrder)
        changed << QStringLiteral("(el orden)");
    if (!changed.isEmpty())
        throwChanged(changed, subject);
}

} // namespace korvex::store
